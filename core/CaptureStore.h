// The Capture store: 9999 message slots, their length table and the message count, which is
// also the next free slot. Slots at or above the count are stale and never read as messages.
// A message is at most 65,535 bytes, what one receive buffer of the window holds; a longer one
// is refused whole wherever it comes from, since pieces of it would pass for messages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

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

    // Removes message i (0 <= i < count()); the later ones move down one slot, so slot i
    // always holds the message of list line i. Nothing happens for any other index.
    void erase(int i);

    // Emptying resets the count and gives the messages' memory back; nothing at or above the
    // count was ever readable anyway.
    void clear();

    // A load fills a second set of slots and swaps it in only once the whole file was read,
    // so a load that fails half way leaves the store as it was. The set swapped out is given
    // back. The loader keeps each staged slot within kMaxMessageBytes.
    std::vector<std::uint8_t>& stagingSlot(int i);
    void commitStaging(int count);

private:
    struct Slots {
        std::array<std::vector<std::uint8_t>, kCapacity> bytes;
        std::array<std::size_t, kCapacity> lengths{};
    };
    std::unique_ptr<Slots> live_;
    std::unique_ptr<Slots> staging_;
    int count_ = 0;
};

}  // namespace pellum
