#include "core/SyxFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/CaptureStore.h"
#include "core/Errors.h"
#include "core/FilePath.h"
#include "core/RegularFile.h"

namespace pellum {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

const std::uint8_t* find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t value) {
    return static_cast<const std::uint8_t*>(std::memchr(from, value, end - from));
}

// Finds the messages in the first `length` bytes of the block and hands the block to the
// store. The block has one byte more than the content: an unterminated last message, which
// runs to the end, is closed with the F7 written there.
LoadResult fileMessages(ByteBlock block, std::size_t length, CaptureStore& store) {
    std::vector<CaptureStore::Extent> extents;
    bool truncated = false;
    std::uint8_t* const begin = block.data();
    std::uint8_t* const end = begin + length;
    for (const std::uint8_t* p = begin; p < end;) {
        const std::uint8_t* start = find(p, end, kSysExStart);
        if (!start) break;
        if (extents.size() == static_cast<std::size_t>(CaptureStore::kCapacity)) {
            truncated = true;
            break;
        }
        // Searching from the F0 itself is safe: it is not an F7.
        const std::uint8_t* close = find(start, end, kSysExEnd);
        const std::size_t size = (close ? close : end) + 1 - start;
        if (size > CaptureStore::kMaxMessageBytes)
            throw MessageTooLongError(static_cast<int>(extents.size()) + 1);
        if (!close) *end = kSysExEnd;
        extents.push_back({static_cast<std::size_t>(start - begin), size});
        p = start + size;
    }
    store.replaceWithBlock(std::move(block), extents);
    return {static_cast<int>(extents.size()), truncated};
}

}  // namespace

LoadResult loadSyx(std::span<const std::uint8_t> bytes, CaptureStore& store) {
    ByteBlock block(bytes.size() + 1);
    if (!bytes.empty()) std::memcpy(block.data(), bytes.data(), bytes.size());
    return fileMessages(std::move(block), bytes.size(), store);
}

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

// Reads the whole file into `block`, which ends up one byte longer than what was read; the
// size the file reported is only where to start, since it is no bound on what the file hands
// over (those of /proc report 0). Returns the bytes read, or more than `limit` when the file
// had more.
std::uintmax_t readWhole(std::FILE* file, std::uintmax_t expected, std::uintmax_t limit,
                         ByteBlock& block) {
    constexpr std::size_t kFirstGuess = std::size_t{1} << 16;
    std::size_t got = 0;
    block.resize(static_cast<std::size_t>(
                     std::min<std::uintmax_t>(limit, expected ? expected : kFirstGuess)) +
                 1);
    for (;;) {
        got += std::fread(block.data() + got, 1, block.size() - 1 - got, file);
        if (got < block.size() - 1) break;  // the end, or a failure the caller looks at
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

LoadResult loadSyxFile(const std::string& path, CaptureStore& store) {
    // Read once into one block, which the store keeps: the live store is only replaced once the
    // whole file has been read.
    const FileStamp before = stampOf(path);
    const RegularFile file = openRegularFile(pathFromUtf8(path), kMaxSyxFileBytes);
    if (file.outcome != OpenOutcome::opened) throw FileOpenError(path);
    ByteBlock block;
    const std::uintmax_t read = readWhole(file.file.get(), before.size, kMaxSyxFileBytes, block);
    if (std::ferror(file.file.get()) || read > kMaxSyxFileBytes) throw FileOpenError(path);
    // A file that another program cut or rewrote while it was read can hand over bytes of
    // neither version (a truncation in progress reads as zeros): such a load is refused.
    const FileStamp after = stampOf(path);
    if (before.known && !(after == before && read == after.size)) throw FileOpenError(path);
    try {
        return fileMessages(std::move(block), static_cast<std::size_t>(read), store);
    } catch (const MessageTooLongError& e) {
        throw MessageTooLongError(path, e.number());
    }
}

void saveSyxFile(const std::string& path, CaptureStore& store, ChannelOverride override) {
    std::size_t total = 0;
    for (int i = 0; i < store.count(); ++i) total += store.message(i).size();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    for (int i = 0; i < store.count(); ++i) {
        const auto message = store.message(i);
        const std::size_t at = bytes.size();
        bytes.insert(bytes.end(), message.begin(), message.end());
        applyChannelOverride(std::span(bytes).subspan(at, message.size()), override);
    }
    writeFileAtomically(path, bytes);
    // The override sticks to the stored messages, but only once the file exists: a failed save
    // leaves the store as it was.
    for (int i = 0; i < store.count(); ++i) applyChannelOverride(store.message(i), override);
}

}  // namespace pellum
