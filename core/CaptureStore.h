// The Capture store: 9999 message slots, their length table and the message count, which is
// also the next free slot. Slots at or above the count are stale and never read as messages.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace pellum {

class CaptureStore {
  public:
    static constexpr int kCapacity = 9999;

    CaptureStore();

    int count() const { return count_; }
    bool full() const { return count_ >= kCapacity; }

    // Stored message i (0 <= i < count()), exactly length(i) bytes. Empty for any other index,
    // so a stale list line can never reach a stale or missing slot.
    std::span<const std::uint8_t> message(int i) const;
    std::span<std::uint8_t> message(int i);
    std::int32_t length(int i) const;

    // Files a message in the next free slot; returns its index, or -1 when the store is full.
    int append(std::span<const std::uint8_t> bytes);

    // Emptying only resets the count; the slots keep their bytes (and their capacity).
    void clear() { count_ = 0; }

    // Loading replaces the content slot by slot and then sets the count.
    std::vector<std::uint8_t>& slotForLoad(int i);
    void setLength(int i, std::int32_t length);
    void setCount(int count);

  private:
    std::array<std::vector<std::uint8_t>, kCapacity> slots_;
    std::array<std::int32_t, kCapacity> lengths_{};
    int count_ = 0;
};

}  // namespace pellum
