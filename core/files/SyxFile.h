// .syx files: SysEx messages back to back. The reader is lenient (bytes outside messages are
// skipped, a message a status byte or the file's end cuts short is closed with F7); the writer
// writes exactly what the store holds and replaces the target only once the new file is complete.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/files/AtomicFile.h"
#include "core/files/LoadedMessages.h"
#include "core/messages/ChannelOverride.h"

namespace pellum {

// No file the store can hold whole is larger: 9999 messages of 65,535 bytes (about 625 MiB).
inline constexpr std::uintmax_t kMaxSyxFileBytes =
    std::uintmax_t{LoadedMessages::kCapacity} * LoadedMessages::kMaxMessageBytes;

struct LoadResult {
    int count = 0;           // messages now in the store
    bool truncated = false;  // the bytes held more messages than the store can take
    // The numbers (1-based, in order) of the messages closed with an added F7: one a status byte
    // other than F7 ended, or the last one when the bytes ended inside it.
    std::vector<int> unfinished;
    // F7 escape events of a Standard MIDI File that continue no message (raw real-time or MTC
    // bytes): not SysEx, so not in the store.
    int escapes = 0;
};

// Scans `bytes` for messages and replaces the store's content with the first 9999 of them.
// Throws MessageTooLongError, the store untouched, when one of them is over 65,535 bytes.
LoadResult loadSyx(std::span<const std::uint8_t> bytes, LoadedMessages& store);

// Reads the file into the store as loadSyx does. Throws FileOpenError for anything but a
// regular file of at most kMaxSyxFileBytes, on a read failure, or when the file changed while
// it was read, and MessageTooLongError; the store is then untouched.
LoadResult loadSyxFile(const std::string& path, LoadedMessages& store);

struct SyxListing {
    std::string lines;  // the labels loadedLabels gives after loadSyxFile, each ending a line
    int count = 0;      // messages, so lines
    bool truncated = false;
    std::vector<int> unfinished;  // as in LoadResult
    int escapes = 0;              // as in LoadResult
};

// What a user is told of a load besides its lines (the file name shown as `path`): a file with
// no message, or the messages closed with an added F7; empty when neither.
std::string loadWarning(const std::string& path, int count, const std::vector<int>& unfinished);

// The labels a load of the file shows, without keeping its bytes; refused as loadSyxFile
// refuses the file.
SyxListing listSyxFile(const std::string& path);

// The messages a file is written from, in order.
using MessageSpans = std::vector<std::span<const std::uint8_t>>;
MessageSpans messageSpans(const LoadedMessages& store);

// Writes the messages with the override applied to the file's bytes; the messages stay as they
// are. Throws FileCreateError, leaving any previous file of that name intact.
void writeSyxFile(const std::string& path, const MessageSpans& messages, ChannelOverride override);

// Writes messages 0..count-1 as writeSyxFile does; once the file exists, the stored slots keep
// the override's byte too.
void saveSyxFile(const std::string& path, LoadedMessages& store, ChannelOverride override);

}  // namespace pellum
