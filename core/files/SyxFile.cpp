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
#include "core/messages/StatusBytes.h"
#include "core/text/Errors.h"
#include "core/text/NumberText.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

const std::uint8_t* find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t value) {
    return static_cast<const std::uint8_t*>(std::memchr(from, value, end - from));
}

// Finds the messages in bytes that arrive piece by piece; a message may span any number of
// pieces. Each is noted where it starts, how long it is and its first four bytes, which hold a
// maker ID of up to three bytes (F7 where the bytes end sooner: the F7 added to close it).
// A status byte other than F7 inside a message ends it, as on a cable: the message is closed
// with an added F7 and an F0 starts the next one.
class SyxScanner {
public:
    // Room for as many as a list holds, taken up front: growing by copies would cost a listing
    // more than its labels do. Only the pages used are ever touched.
    SyxScanner() { found_.reserve(LoadedMessages::kCapacity); }

    struct Found {
        std::size_t offset = 0;
        std::size_t length = 0;  // with the F7 added to close a cut message
        bool cut = false;
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
            const std::uint8_t* close = findStatus(p, end);
            if (headWanted_ != 0) {
                const std::size_t take =
                    std::min<std::size_t>(headWanted_, (close ? close : end) - p);
                std::copy_n(p, take, found_.back().head.end() - headWanted_);
                headWanted_ -= take;
            }
            // Refused as soon as it grows too long, whether or not its end is in sight.
            grow(offsetOf(close ? close + 1 : end));
            if (!close) return;
            open_ = false;
            if (*close == kSysExEnd) {
                p = close + 1;
            } else {
                cut();
                p = close;  // an F0 starts the next message; other status bytes are passed over
            }
        }
    }

    // Closes a message left open at the end of the file's `size` bytes.
    void finish(std::size_t size) {
        if (!open_) return;
        grow(size + 1);
        open_ = false;
        cut();
    }

    const std::vector<Found>& found() const { return found_; }
    // The numbers (1-based) of the messages closed with an added F7, in order.
    const std::vector<int>& cuts() const { return cuts_; }

private:
    void grow(std::size_t endOffset) {
        Found& message = found_.back();
        message.length = endOffset - message.offset;
        if (message.length > LoadedMessages::kMaxMessageBytes)
            throw MessageTooLongError(static_cast<int>(found_.size()));
    }

    void cut() {
        found_.back().cut = true;
        cuts_.push_back(static_cast<int>(found_.size()));
    }

    std::vector<Found> found_;
    std::vector<int> cuts_;
    bool open_ = false;
    std::size_t headWanted_ = 0;
    bool truncated_ = false;
};

// The messages `found` in the file's bytes, each cut one with its F7, in a block of their own.
ByteBlock copiedClosed(const std::uint8_t* file, const std::vector<SyxScanner::Found>& found,
                       std::vector<LoadedMessages::Extent>& extents) {
    std::size_t total = 0;
    for (const SyxScanner::Found& m : found) total += m.length;
    ByteBlock block(std::max<std::size_t>(total, 1));
    std::size_t at = 0;
    for (const SyxScanner::Found& m : found) {
        const std::size_t kept = m.cut ? m.length - 1 : m.length;
        std::memcpy(block.data() + at, file + m.offset, kept);
        if (m.cut) block.data()[at + kept] = kSysExEnd;
        extents.push_back({at, m.length});
        at += m.length;
    }
    return block;
}

// Hands the block, whose first `length` bytes are the file's, to the store with the messages
// `scanner` found in them. The block has one byte more, for the F7 that closes an unterminated
// last message. A message cut inside the file needs room for its F7: the messages are then
// copied into a block of their own.
LoadResult fileMessages(ByteBlock block, std::size_t length, SyxScanner& scanner,
                        LoadedMessages& store) {
    scanner.finish(length);
    const auto& found = scanner.found();
    std::vector<LoadedMessages::Extent> extents;
    extents.reserve(found.size());
    const auto& cuts = scanner.cuts();
    // Only a message the file's end cut has its F7's room: the block's last byte.
    const bool onlyLastCut =
        cuts.empty() ||
        (cuts.size() == 1 && found.back().offset + found.back().length == length + 1);
    if (onlyLastCut) {
        if (!cuts.empty()) block.data()[length] = kSysExEnd;
        for (const SyxScanner::Found& m : found) extents.push_back({m.offset, m.length});
        store.replaceWithBlock(std::move(block), extents);
    } else {
        ByteBlock closed = copiedClosed(block.data(), found, extents);
        store.replaceWithBlock(std::move(closed), extents);
    }
    return {static_cast<int>(extents.size()), scanner.full(), cuts};
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
        scanner.finish(static_cast<std::size_t>(size));
    } catch (const MessageTooLongError& e) {
        throw MessageTooLongError(path, e.number());
    }
    SyxListing listing{
        {}, static_cast<int>(scanner.found().size()), scanner.full(), scanner.cuts()};
    listing.lines.reserve(scanner.found().size() * 24);
    int number = 0;
    for (const SyxScanner::Found& m : scanner.found())
        appendLoadedLine(listing.lines, ++number, m.headBytes(), m.length);
    return listing;
}

std::string loadWarning(const std::string& path, int count, const std::vector<int>& unfinished) {
    if (count == 0) return text(Text::NoMessage, {path});
    if (unfinished.size() == 1)
        return text(Text::UnfinishedMessage, {path, std::to_string(unfinished.front())});
    if (unfinished.size() > 1)
        return text(Text::UnfinishedMessages,
                    {path, std::to_string(unfinished.size()), numberRanges(unfinished, 10)});
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
