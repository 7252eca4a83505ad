// One block of bytes on the heap, as large as a whole file: a loaded .syx file's messages stay
// where the file's bytes were read, with no copy of each of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <utility>

namespace pellum {

class ByteBlock {
public:
    ByteBlock() = default;
    explicit ByteBlock(std::size_t size) { resize(size); }
    ByteBlock(ByteBlock&& other) noexcept
        : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
    ByteBlock& operator=(ByteBlock&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    // Keeps the first min(old, new) bytes. Throws std::bad_alloc when there is no room.
    void resize(std::size_t size);

    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::size_t size_ = 0;
};

}  // namespace pellum
