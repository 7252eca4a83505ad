#include "core/files/ByteBlock.h"

#include <algorithm>
#include <cstring>
#include <new>

#if defined(_WIN32)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pellum {
namespace {

// A block this large is its own mapping, which the C library returns to the system when it is
// freed. Asking for huge pages there spares a fault for every 4 KiB the file's read fills, the
// larger part of what a load costs.
void preferHugePages([[maybe_unused]] std::uint8_t* p, [[maybe_unused]] std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    if (size < kHugePage) return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(p) + page - 1) / page * page;
    const auto to = reinterpret_cast<std::uintptr_t>(p) + size;
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

std::uint8_t* allocateAligned(std::size_t size) {
    const std::size_t alignment =
        size >= ByteBlock::kPageAlignedFrom ? ByteBlock::kPageAlignment : ByteBlock::kAlignment;
#if defined(_WIN32)
    void* p = ::_aligned_malloc(size, alignment);
#else
    // aligned_alloc wants a whole number of alignments.
    void* p = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
#endif
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<std::uint8_t*>(p);
}

}  // namespace

void ByteBlock::Free::operator()(std::uint8_t* p) const noexcept {
#if defined(_WIN32)
    ::_aligned_free(p);
#else
    std::free(p);
#endif
}

void ByteBlock::resize(std::size_t size) {
    if (size == size_) return;
    if (size == 0) {
        bytes_.reset();
        size_ = 0;
        return;
    }
    // A new block rather than realloc, which keeps no alignment; blocks are sized once in the
    // usual case, from the file's size.
    std::unique_ptr<std::uint8_t, Free> grown(allocateAligned(size));
    if (size_ > 0) std::memcpy(grown.get(), bytes_.get(), std::min(size, size_));
    bytes_ = std::move(grown);
    size_ = size;
    preferHugePages(bytes_.get(), size_);
}

}  // namespace pellum
