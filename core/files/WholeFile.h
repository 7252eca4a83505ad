// Reading a user's file whole or piece by piece, for the readers of message files: only a
// regular file of at most kMaxSyxFileBytes, and never one another program cut or rewrote while
// it was read (such a file can hand over bytes of neither version: a truncation in progress
// reads as zeros).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>

#include "core/files/ByteBlock.h"

namespace pellum {

struct ReadOutcome {
    std::uintmax_t bytes = 0;   // more than the limit when the file had more
    bool stoppedEarly = false;  // on purpose, with the rest of the file unread
};

// Opens the file and lets `read` take its bytes (given the size the file reported, only a
// hint). Throws FileOpenError for anything but a regular file within the limit, a read failure
// or a file that changed meanwhile.
void readUnchanged(const std::string& path,
                   const std::function<ReadOutcome(std::FILE*, std::uintmax_t)>& read);

// Reads the whole file into `block`, which ends up one byte longer than the file (room for an
// F7 a reader may add). Each piece goes to `piece` (its bytes, and where they start in the file)
// as soon as it is read, while it is still in the cache. Returns the file's length; throws as
// readUnchanged does.
std::size_t readWholeFile(
    const std::string& path, ByteBlock& block,
    const std::function<void(std::span<const std::uint8_t>, std::size_t)>& piece = {});

}  // namespace pellum
