// Opening the files a user names, for every reader of outside data: only a regular file is
// read (a FIFO would keep the window waiting for a writer, a device like /dev/zero never ends),
// and a file larger than its reader could ever use is refused before a byte of it is read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/files/FilePath.h"

namespace pellum {

enum class OpenOutcome {
    opened,
    notOpened,  // the system refused the open: no such file, no permission
    refused,    // there, but not a regular file, over the limit, or failing to read
};

struct RegularFile {
    OpenOutcome outcome = OpenOutcome::notOpened;
    FileHandle file;  // open for reading in binary mode, when opened
};

RegularFile openRegularFile(const std::filesystem::path& path, std::uintmax_t limit);

struct FileBytes {
    OpenOutcome outcome = OpenOutcome::notOpened;
    std::vector<std::uint8_t> bytes;
};

// The whole file. One that grows past `limit` while it is read is refused too.
FileBytes readRegularFile(const std::filesystem::path& path, std::uintmax_t limit);

}  // namespace pellum
