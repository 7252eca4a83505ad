#include "core/SyxFile.h"

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

// Finds the messages in bytes that arrive piece by piece and files them in the store's staging
// slots; a message may span any number of pieces.
class SyxScanner {
public:
    explicit SyxScanner(CaptureStore& store) : store_(store) {}

    bool full() const { return truncated_; }

    void feed(const std::uint8_t* p, const std::uint8_t* const end) {
        while (p < end && !truncated_) {
            if (!slot_) {
                const std::uint8_t* start = find(p, end, kSysExStart);
                if (!start) return;
                if (count_ == CaptureStore::kCapacity) {
                    truncated_ = true;
                    return;
                }
                slot_ = &store_.stagingSlot(count_);
                slot_->clear();
                p = start;
            }
            // Searching from the F0 itself is safe: it is not an F7.
            const std::uint8_t* close = find(p, end, kSysExEnd);
            if (!close) {
                take(p, end);
                return;
            }
            take(p, close + 1);
            finishMessage();
            p = close + 1;
        }
    }

    LoadResult finish() {
        if (slot_) {  // the bytes ended inside a message
            take(&kSysExEnd, &kSysExEnd + 1);
            finishMessage();
        }
        store_.commitStaging(count_);
        return {count_, truncated_};
    }

private:
    // Refused as soon as it grows too long: no more of it is kept or read.
    void take(const std::uint8_t* from, const std::uint8_t* to) {
        if (slot_->size() + static_cast<std::size_t>(to - from) > CaptureStore::kMaxMessageBytes)
            throw MessageTooLongError(count_ + 1);
        slot_->insert(slot_->end(), from, to);
    }

    void finishMessage() {
        slot_ = nullptr;
        ++count_;
    }

    CaptureStore& store_;
    std::vector<std::uint8_t>* slot_ = nullptr;  // the open message, if any
    int count_ = 0;
    bool truncated_ = false;
};

}  // namespace

LoadResult loadSyx(std::span<const std::uint8_t> bytes, CaptureStore& store) {
    SyxScanner scanner(store);
    scanner.feed(bytes.data(), bytes.data() + bytes.size());
    return scanner.finish();
}

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

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

}  // namespace

LoadResult loadSyxFile(const std::string& path, CaptureStore& store) {
    // Streamed in chunks straight into the staging slots: no second copy of a large file, and
    // the live store is only replaced once the whole file has been read.
    const FileStamp before = stampOf(path);
    const RegularFile file = openRegularFile(pathFromUtf8(path), kMaxSyxFileBytes);
    if (file.outcome != OpenOutcome::opened) throw FileOpenError(path);
    const auto chunk = std::make_unique_for_overwrite<std::uint8_t[]>(kReadChunk);
    SyxScanner scanner(store);
    std::uintmax_t read = 0;
    try {
        // Never more than the limit, whatever the file goes on to hand over.
        while (!scanner.full() && read <= kMaxSyxFileBytes) {
            const std::size_t got = std::fread(chunk.get(), 1, kReadChunk, file.file.get());
            read += got;
            scanner.feed(chunk.get(), chunk.get() + got);
            if (got < kReadChunk) break;
        }
        if (std::ferror(file.file.get()) || read > kMaxSyxFileBytes) throw FileOpenError(path);
        // A file that another program cut or rewrote while it was read can hand over bytes of
        // neither version (a truncation in progress reads as zeros): such a load is refused.
        const FileStamp after = stampOf(path);
        if (before.known && !(after == before && (scanner.full() || read == after.size)))
            throw FileOpenError(path);
        return scanner.finish();
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
