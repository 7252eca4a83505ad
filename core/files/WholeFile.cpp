#include "core/files/WholeFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/files/FilePath.h"
#include "core/files/RegularFile.h"
#include "core/files/SyxFile.h"
#include "core/text/Errors.h"

namespace pellum {
namespace {

// Size and modification time of a regular file with content. Files that report no size (those
// the system makes up as they are read, /proc and the like) have nothing to compare.
struct FileStamp {
    bool known = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path name = pathFromUtf8(path);
    FileStamp stamp;
    if (!std::filesystem::is_regular_file(name, error)) return stamp;
    stamp.size = std::filesystem::file_size(name, error);
    if (error) return stamp;
    stamp.modified = std::filesystem::last_write_time(name, error);
    stamp.known = !error && stamp.size > 0;
    return stamp;
}

// The size the file reported is only where to start, since it is no bound on what the file
// hands over (those of /proc report 0). Returns the bytes read, or more than `limit` when the
// file had more.
std::uintmax_t readWhole(
    std::FILE* file, std::uintmax_t expected, std::uintmax_t limit, ByteBlock& block,
    const std::function<void(std::span<const std::uint8_t>, std::size_t)>& piece) {
    constexpr std::size_t kFirstGuess = std::size_t{1} << 16;
    constexpr std::size_t kPiece = std::size_t{256} << 10;
    std::size_t got = 0;
    block.resize(static_cast<std::size_t>(
                     std::min<std::uintmax_t>(limit, expected ? expected : kFirstGuess)) +
                 1);
    for (;;) {
        const std::size_t want = std::min(block.size() - 1 - got, kPiece);
        const std::size_t read = std::fread(block.data() + got, 1, want, file);
        if (piece) piece({block.data() + got, read}, got);
        got += read;
        if (read < want) break;  // the end, or a failure the caller looks at
        if (got < block.size() - 1) continue;
        const int next = std::fgetc(file);
        if (next == EOF) break;
        if (got >= limit) return limit + 1;
        std::ungetc(next, file);
        block.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(limit, 2 * got)) + 1);
    }
    block.resize(got + 1);
    return got;
}

}  // namespace

void readUnchanged(const std::string& path,
                   const std::function<ReadOutcome(std::FILE*, std::uintmax_t)>& read) {
    const FileStamp before = stampOf(path);
    const RegularFile file = openRegularFile(pathFromUtf8(path), kMaxSyxFileBytes);
    if (file.outcome != OpenOutcome::opened) throw FileOpenError(path);
    ReadOutcome outcome;
    try {
        outcome = read(file.file.get(), before.size);
    } catch (const MessageTooLongError&) {
        // A file cut down while it was read reads as zeros where the cut was in progress: no
        // message of it is too long, the file changed.
        if (!(stampOf(path) == before)) throw FileOpenError(path);
        throw;
    }
    if (std::ferror(file.file.get()) || outcome.bytes > kMaxSyxFileBytes) throw FileOpenError(path);
    const FileStamp after = stampOf(path);
    if (before.known && !(after == before && (outcome.stoppedEarly || outcome.bytes == after.size)))
        throw FileOpenError(path);
}

std::size_t readWholeFile(
    const std::string& path, ByteBlock& block,
    const std::function<void(std::span<const std::uint8_t>, std::size_t)>& piece) {
    std::uintmax_t size = 0;
    readUnchanged(path, [&](std::FILE* file, std::uintmax_t expected) {
        size = readWhole(file, expected, kMaxSyxFileBytes, block, piece);
        return ReadOutcome{size, false};
    });
    return static_cast<std::size_t>(size);
}

}  // namespace pellum
