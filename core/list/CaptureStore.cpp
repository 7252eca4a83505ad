#include "core/list/CaptureStore.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <stdexcept>

#include "core/text/Errors.h"

namespace pellum {

CaptureStore::CaptureStore() : live_(std::make_unique<Slots>()) {}

std::span<const std::uint8_t> CaptureStore::message(int i) const {
    if (i < 0 || i >= count_) return {};
    return live_->messages[i];
}

std::span<std::uint8_t> CaptureStore::message(int i) {
    if (i < 0 || i >= count_) return {};
    return live_->messages[i];
}

std::size_t CaptureStore::length(int i) const {
    return message(i).size();
}

namespace {

// Slots this small keep their buffers for the next message.
constexpr std::size_t kSmallSlot = 4096;

// Freed message buffers are small blocks of the heap, which the C library keeps for later
// unless asked to hand its free pages back.
void giveBackFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace

int CaptureStore::append(std::span<const std::uint8_t> bytes) {
    if (full()) return -1;
    if (bytes.size() > kMaxMessageBytes) throw MessageTooLongError(count_ + 1);
    const int i = count_;
    std::vector<std::uint8_t>& slot = live_->owned[i];
    // A slot left over from a bigger message gives its memory back rather than keep it.
    if (slot.capacity() > 2 * bytes.size() + kSmallSlot) std::vector<std::uint8_t>().swap(slot);
    slot.assign(bytes.begin(), bytes.end());
    live_->messages[i] = slot;
    ++count_;
    return i;
}

void CaptureStore::replaceWithBlock(ByteBlock block, std::span<const Extent> extents) {
    if (extents.size() > static_cast<std::size_t>(kCapacity))
        throw std::out_of_range("message count");
    auto slots = std::make_unique<Slots>();
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const Extent& e = extents[i];
        if (e.offset > block.size() || e.length > block.size() - e.offset)
            throw std::out_of_range("message extent");
        if (e.length > kMaxMessageBytes) throw MessageTooLongError(static_cast<int>(i) + 1);
        slots->messages[i] = {block.data() + e.offset, e.length};
    }
    slots->block = std::move(block);  // its bytes stay where they are
    live_ = std::move(slots);
    count_ = static_cast<int>(extents.size());
    // What the store held before goes back to the system: a second load of a big file costs no
    // more than the first, and a small one after a big one keeps only what it needs.
    giveBackFreedMemory();
}

void CaptureStore::clear() {
    count_ = 0;
    live_ = std::make_unique<Slots>();
    giveBackFreedMemory();
}

}  // namespace pellum
