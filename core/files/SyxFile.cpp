#include "core/files/SyxFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/files/AtomicFile.h"
#include "core/files/FilePath.h"
#include "core/files/LoadedMessages.h"
#include "core/files/RegularFile.h"
#include "core/files/WholeFile.h"
#include "core/list/ListLabel.h"
#include "core/text/Errors.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

const std::uint8_t* find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t value) {
    return static_cast<const std::uint8_t*>(std::memchr(from, value, end - from));
}

// Finds the messages in bytes that arrive piece by piece; a message may span any number of
// pieces. Each is noted where it starts, how long it is and its first four bytes, which hold a
// maker ID of up to three bytes (F7 where the bytes end sooner: the F7 added to close it).
class SyxScanner {
public:
    // Room for as many as a list holds, taken up front: growing by copies would cost a listing
    // more than its labels do. Only the pages used are ever touched.
    SyxScanner() { found_.reserve(LoadedMessages::kCapacity); }

    struct Found {
        std::size_t offset = 0;
        std::size_t length = 0;
        std::array<std::uint8_t, 4> head{kSysExStart, kSysExEnd, kSysExEnd, kSysExEnd};
        std::span<const std::uint8_t> headBytes() const {
            return std::span(head).first(std::min<std::size_t>(length, head.size()));
        }
    };

    bool full() const { return truncated_; }

    // `piece` starts `at` bytes into the file.
    void feed(std::span<const std::uint8_t> piece, std::size_t at) {
        const std::uint8_t* p = piece.data();
        const std::uint8_t* const end = p + piece.size();
        const auto offsetOf = [&](const std::uint8_t* q) { return at + (q - piece.data()); };
        while (p < end && !truncated_) {
            if (!open_) {
                const std::uint8_t* start = find(p, end, kSysExStart);
                if (!start) return;
                if (found_.size() == static_cast<std::size_t>(LoadedMessages::kCapacity)) {
                    truncated_ = true;
                    return;
                }
                open_ = true;
                headWanted_ = 3;
                found_.push_back({offsetOf(start), 0});
                p = start + 1;
                if (p == end) return;
            }
            if (headWanted_ != 0) {
                const std::size_t take = std::min<std::size_t>(headWanted_, end - p);
                std::copy_n(p, take, found_.back().head.end() - headWanted_);
                headWanted_ -= take;
            }
            const std::uint8_t* close = find(p, end, kSysExEnd);
            // Refused as soon as it grows too long, whether or not its end is in sight.
            grow(offsetOf(close ? close + 1 : end));
            if (!close) return;
            open_ = false;
            p = close + 1;
        }
    }

    // Closes a message left open at the end of the file's `size` bytes; returns its number
    // (1-based), whose F7 then goes right after them, or 0 when none was open.
    int finish(std::size_t size) {
        if (!open_) return 0;
        grow(size + 1);
        open_ = false;
        return static_cast<int>(found_.size());
    }

    const std::vector<Found>& found() const { return found_; }

private:
    void grow(std::size_t endOffset) {
        Found& message = found_.back();
        message.length = endOffset - message.offset;
        if (message.length > LoadedMessages::kMaxMessageBytes)
            throw MessageTooLongError(static_cast<int>(found_.size()));
    }

    std::vector<Found> found_;
    bool open_ = false;
    std::size_t headWanted_ = 0;
    bool truncated_ = false;
};

// Hands the block, whose first `length` bytes are the file's, to the store with the messages
// `scanner` found in them. The block has one byte more, for the F7 that closes an unterminated
// last message.
LoadResult fileMessages(ByteBlock block, std::size_t length, SyxScanner& scanner,
                        LoadedMessages& store) {
    const int unfinished = scanner.finish(length);
    if (unfinished != 0) block.data()[length] = kSysExEnd;
    std::vector<LoadedMessages::Extent> extents;
    extents.reserve(scanner.found().size());
    for (const SyxScanner::Found& m : scanner.found()) extents.push_back({m.offset, m.length});
    store.replaceWithBlock(std::move(block), extents);
    return {static_cast<int>(extents.size()), scanner.full(), unfinished};
}

}  // namespace

LoadResult loadSyx(std::span<const std::uint8_t> bytes, LoadedMessages& store) {
    ByteBlock block(bytes.size() + 1);
    if (!bytes.empty()) std::memcpy(block.data(), bytes.data(), bytes.size());
    SyxScanner scanner;
    scanner.feed({block.data(), bytes.size()}, 0);
    return fileMessages(std::move(block), bytes.size(), scanner, store);
}

LoadResult loadSyxFile(const std::string& path, LoadedMessages& store) {
    // Read once into one block, which the store keeps: the live store is only replaced once the
    // whole file has been read.
    ByteBlock block;
    SyxScanner scanner;
    try {
        const std::size_t size = readWholeFile(
            path, block,
            [&](std::span<const std::uint8_t> piece, std::size_t at) { scanner.feed(piece, at); });
        return fileMessages(std::move(block), size, scanner, store);
    } catch (const MessageTooLongError& e) {
        throw MessageTooLongError(path, e.number());
    }
}

SyxListing listSyxFile(const std::string& path) {
    // Scanned as it is read, a piece at a time: only the labels are kept. A piece this small is
    // still in the cache when it is scanned.
    constexpr std::size_t kPiece = std::size_t{128} << 10;
    ByteBlock piece(kPiece);
    SyxScanner scanner;
    std::uintmax_t size = 0;
    int unfinished = 0;
    try {
        readUnchanged(path, [&](std::FILE* file, std::uintmax_t) {
            // Never more than the limit, whatever the file goes on to hand over.
            while (!scanner.full() && size <= kMaxSyxFileBytes) {
                const std::size_t got = std::fread(piece.data(), 1, kPiece, file);
                scanner.feed({piece.data(), got}, static_cast<std::size_t>(size));
                size += got;
                if (got < kPiece) break;
            }
            return ReadOutcome{size, scanner.full()};
        });
        unfinished = scanner.finish(static_cast<std::size_t>(size));
    } catch (const MessageTooLongError& e) {
        throw MessageTooLongError(path, e.number());
    }
    SyxListing listing{{}, static_cast<int>(scanner.found().size()), scanner.full(), unfinished};
    listing.lines.reserve(scanner.found().size() * 24);
    int number = 0;
    for (const SyxScanner::Found& m : scanner.found())
        appendLoadedLine(listing.lines, ++number, m.headBytes(), m.length);
    return listing;
}

std::string loadWarning(const std::string& path, int count, int unfinished) {
    if (count == 0) return text(Text::NoMessage, {path});
    if (unfinished != 0) return text(Text::UnfinishedMessage, {path, std::to_string(unfinished)});
    return {};
}

MessageSpans messageSpans(const LoadedMessages& store) {
    MessageSpans spans;
    spans.reserve(static_cast<std::size_t>(store.count()));
    for (int i = 0; i < store.count(); ++i) spans.push_back(store.message(i));
    return spans;
}

void writeSyxFile(const std::string& path, const MessageSpans& messages, ChannelOverride override) {
    std::size_t total = 0;
    for (const auto message : messages) total += message.size();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    for (const auto message : messages) {
        const std::size_t at = bytes.size();
        bytes.insert(bytes.end(), message.begin(), message.end());
        applyChannelOverride(std::span(bytes).subspan(at, message.size()), override);
    }
    writeFileAtomically(path, bytes);
}

void saveSyxFile(const std::string& path, LoadedMessages& store, ChannelOverride override) {
    writeSyxFile(path, messageSpans(store), override);
    // The override sticks to the stored messages, but only once the file exists: a failed save
    // leaves the store as it was.
    for (int i = 0; i < store.count(); ++i) applyChannelOverride(store.message(i), override);
}

}  // namespace pellum
