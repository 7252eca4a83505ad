// A lock-free byte queue between one producer thread and one consumer thread, where one side is
// a real-time thread that may neither lock nor allocate: received bytes from the transport's
// thread to the input pump, and bytes to send from the window thread to JACK's process callback.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace pellum::midi {

class SpscByteRing {
public:
    // `capacity` is rounded up to a power of two so positions wrap with a mask.
    explicit SpscByteRing(std::size_t capacity)
        : capacity_(std::bit_ceil(capacity)),
          mask_(capacity_ - 1),
          bytes_(std::make_unique<std::uint8_t[]>(capacity_)) {}

    std::size_t capacity() const noexcept { return capacity_; }

    // Producer side.
    std::size_t writable() const noexcept {
        return capacity_ -
               (head_.load(std::memory_order_relaxed) - tail_.load(std::memory_order_acquire));
    }
    // Writes all `count` bytes or none, so the consumer never sees part of a record.
    bool write(const void* data, std::size_t count) noexcept {
        if (count > writable()) return false;
        const std::size_t head = head_.load(std::memory_order_relaxed);
        copyIn(head, static_cast<const std::uint8_t*>(data), count);
        head_.store(head + count, std::memory_order_release);
        return true;
    }
    // Two pieces published together: a record header and its body.
    bool write(const void* first, std::size_t firstCount, const void* second,
               std::size_t secondCount) noexcept {
        if (firstCount + secondCount > writable()) return false;
        const std::size_t head = head_.load(std::memory_order_relaxed);
        copyIn(head, static_cast<const std::uint8_t*>(first), firstCount);
        copyIn(head + firstCount, static_cast<const std::uint8_t*>(second), secondCount);
        head_.store(head + firstCount + secondCount, std::memory_order_release);
        return true;
    }
    bool empty() const noexcept {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

    // Consumer side.
    std::size_t readable() const noexcept {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_relaxed);
    }
    // Copies `count` readable bytes without consuming them.
    void peek(void* out, std::size_t count) const noexcept {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        const std::size_t at = tail & mask_;
        const std::size_t first = std::min(count, capacity_ - at);
        auto* dest = static_cast<std::uint8_t*>(out);
        std::memcpy(dest, bytes_.get() + at, first);
        std::memcpy(dest + first, bytes_.get(), count - first);
    }
    void consume(std::size_t count) noexcept {
        tail_.store(tail_.load(std::memory_order_relaxed) + count, std::memory_order_release);
    }

private:
    void copyIn(std::size_t position, const std::uint8_t* data, std::size_t count) noexcept {
        const std::size_t at = position & mask_;
        const std::size_t first = std::min(count, capacity_ - at);
        std::memcpy(bytes_.get() + at, data, first);
        std::memcpy(bytes_.get(), data + first, count - first);
    }

    const std::size_t capacity_;
    const std::size_t mask_;
    std::unique_ptr<std::uint8_t[]> bytes_;
    // Free-running positions; only the producer moves head_, only the consumer tail_.
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace pellum::midi
