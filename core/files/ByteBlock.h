// One block of bytes on the heap, for the kernel to copy file data into: a whole file (a loaded
// .syx file's messages stay where its bytes were read, with no copy of each of them) or a piece
// of one. Every file reader reads into one of these: some processors copy five times slower to a
// destination that is not 64-byte aligned, and malloc hands out large blocks 16 bytes past a
// page. A block is 64-byte aligned, and page-aligned from kPageAlignedFrom bytes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

namespace pellum {

class ByteBlock {
public:
    static constexpr std::size_t kAlignment = 64;
    static constexpr std::size_t kPageAlignment = 4096;
    static constexpr std::size_t kPageAlignedFrom = 64 * 1024;

    ByteBlock() = default;
    explicit ByteBlock(std::size_t size) { resize(size); }
    ByteBlock(ByteBlock&& other) noexcept
        : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
    ByteBlock& operator=(ByteBlock&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    // Keeps the first min(old, new) bytes, in a new block of the new size's alignment. Throws
    // std::bad_alloc when there is no room.
    void resize(std::size_t size);

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const noexcept;
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::size_t size_ = 0;
};

}  // namespace pellum
