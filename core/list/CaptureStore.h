// The messages of a loaded file, as the readers fill it and pellum-cli and the SysEx list
// (MessageList, which keeps it as its lines' storage) take them: up to 9999 messages and their
// lengths. A message is at most 65,535 bytes, what one receive buffer of the window holds; a
// longer one is refused whole wherever it comes from, since pieces of it would pass for messages.
// A loaded file's messages stay in the one block the file was read into; messages filed one by
// one have buffers of their own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/files/ByteBlock.h"

namespace pellum {

class CaptureStore {
public:
    static constexpr int kCapacity = 9999;
    static constexpr std::size_t kMaxMessageBytes = 65535;

    CaptureStore();

    int count() const { return count_; }
    bool full() const { return count_ >= kCapacity; }

    // Stored message i (0 <= i < count()), exactly length(i) bytes. Empty for any other index,
    // so a stale list line can never reach a stale or missing slot.
    std::span<const std::uint8_t> message(int i) const;
    std::span<std::uint8_t> message(int i);
    std::size_t length(int i) const;

    // Files a message in the next free slot; returns its index, or -1 when the store is full.
    // Throws MessageTooLongError for a message over kMaxMessageBytes.
    int append(std::span<const std::uint8_t> bytes);

    // Emptying resets the count and gives the messages' memory back; nothing at or above the
    // count was ever readable anyway.
    void clear();

    // Where a message lies in a loaded block.
    struct Extent {
        std::size_t offset = 0;
        std::size_t length = 0;
    };

    // Replaces the content with the messages at `extents` in `block`, which the store keeps;
    // what it held before is given back. A loader calls it only once the whole file was read,
    // so a load that fails half way leaves the store as it was. Throws std::out_of_range, the
    // store untouched, for more than kCapacity extents or one outside the block, and
    // MessageTooLongError for one over kMaxMessageBytes.
    void replaceWithBlock(ByteBlock block, std::span<const Extent> extents);

private:
    struct Slots {
        std::array<std::span<std::uint8_t>, kCapacity> messages;
        std::array<std::vector<std::uint8_t>, kCapacity> owned;  // of messages filed one by one
        ByteBlock block;                                         // of a loaded file
    };
    std::unique_ptr<Slots> live_;
    int count_ = 0;
};

}  // namespace pellum
