#include "core/files/RegularFile.h"

#include <system_error>

#include "core/files/ByteBlock.h"
#include "core/files/FilePath.h"

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pellum {
namespace {

std::FILE* openForReading(const std::filesystem::path& path) {
#if defined(_WIN32)
    return openFile(path, "rb");
#else
    // Without O_NONBLOCK the open of a FIFO waits for a writer; a regular file ignores it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

// Asked of the open file, since the name may have come to mean another file after it was looked
// at.
bool isRegularWithin(std::FILE* file, std::uintmax_t limit) {
#if defined(_WIN32)
    struct _stat64 info;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return false;
#else
    struct stat info;
    if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return false;
#endif
    return static_cast<std::uintmax_t>(info.st_size) <= limit;
}

}  // namespace

RegularFile openRegularFile(const std::filesystem::path& path, std::uintmax_t limit) {
    // Looked at before the open as well: opening some devices has effects of its own.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return {OpenOutcome::refused, nullptr};
    FileHandle file(openForReading(path));
    if (!file) return {OpenOutcome::notOpened, nullptr};
    if (!isRegularWithin(file.get(), limit)) return {OpenOutcome::refused, nullptr};
    // Unbuffered: reads go straight into the reader's aligned block (see ByteBlock), not through
    // a buffer of stdio's own.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    return {OpenOutcome::opened, std::move(file)};
}

FileBytes readRegularFile(const std::filesystem::path& path, std::uintmax_t limit) {
    RegularFile opened = openRegularFile(path, limit);
    if (opened.outcome != OpenOutcome::opened) return {opened.outcome, {}};
    // The size the file reported is no bound on what it hands over (those of /proc report 0).
    FileBytes result{OpenOutcome::opened, {}};
    ByteBlock chunk(65536);
    for (std::size_t got;
         (got = std::fread(chunk.data(), 1, chunk.size(), opened.file.get())) > 0;) {
        if (result.bytes.size() + got > limit) return {OpenOutcome::refused, {}};
        result.bytes.insert(result.bytes.end(), chunk.data(), chunk.data() + got);
    }
    if (std::ferror(opened.file.get())) return {OpenOutcome::refused, {}};
    return result;
}

}  // namespace pellum
