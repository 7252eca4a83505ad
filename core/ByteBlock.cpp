#include "core/ByteBlock.h"

#include <new>

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

}  // namespace

void ByteBlock::resize(std::size_t size) {
    if (size == size_) return;
    if (size == 0) {
        bytes_.reset();
        size_ = 0;
        return;
    }
    void* grown = std::realloc(bytes_.get(), size);
    if (grown == nullptr) throw std::bad_alloc();
    (void)bytes_.release();
    bytes_.reset(static_cast<std::uint8_t*>(grown));
    size_ = size;
    preferHugePages(bytes_.get(), size_);
}

}  // namespace pellum
