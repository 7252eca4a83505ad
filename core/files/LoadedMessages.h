// The messages of a loaded file, as the readers fill it and pellum-cli and the SysEx list
// (MessageList, which keeps it as its lines' storage) take them: up to 9999 messages and their
// lengths. A message is at most 65,535 bytes, what one receive buffer of the window holds; a
// longer one is refused whole wherever it comes from, since pieces of it would pass for messages.
// The messages stay in the one block the file was read into.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/files/ByteBlock.h"

namespace pellum {

class LoadedMessages {
public:
    static constexpr int kCapacity = 9999;
    static constexpr std::size_t kMaxMessageBytes = 65535;

    int count() const { return static_cast<int>(messages_.size()); }
    bool full() const { return count() >= kCapacity; }

    // Message i (0 <= i < count()), exactly length(i) bytes; empty for any other index.
    std::span<const std::uint8_t> message(int i) const;
    std::span<std::uint8_t> message(int i);
    std::size_t length(int i) const { return message(i).size(); }

    // Empties it and gives the memory back.
    void clear();

    // Where a message lies in a loaded block.
    struct Extent {
        std::size_t offset = 0;
        std::size_t length = 0;
    };

    // Replaces the content with the messages at `extents` in `block`, which it keeps; what it
    // held before is given back. A loader calls it only once the whole file was read, so a load
    // that fails half way leaves it as it was. Throws std::out_of_range, nothing changed, for more
    // than kCapacity extents or one outside the block, and MessageTooLongError for one over
    // kMaxMessageBytes.
    void replaceWithBlock(ByteBlock block, std::span<const Extent> extents);
    // Each message's time from the file's start, where the file gives one (a Standard MIDI
    // File); `times` holds one for every message, or none. A new content has none.
    void setTimes(std::vector<std::int64_t> times);
    std::optional<std::int64_t> timeNs(int i) const;

private:
    std::vector<std::span<std::uint8_t>> messages_;
    ByteBlock block_;
    std::vector<std::int64_t> times_;
};

}  // namespace pellum
