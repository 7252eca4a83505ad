#include "core/CaptureStore.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <stdexcept>

#include "core/Errors.h"

namespace pellum {

CaptureStore::CaptureStore() : live_(std::make_unique<Slots>()) {}

std::span<const std::uint8_t> CaptureStore::message(int i) const {
    if (i < 0 || i >= count_) return {};
    const auto& slot = live_->bytes[i];
    return {slot.data(), std::min(slot.size(), live_->lengths[i])};
}

std::span<std::uint8_t> CaptureStore::message(int i) {
    if (i < 0 || i >= count_) return {};
    auto& slot = live_->bytes[i];
    return {slot.data(), std::min(slot.size(), live_->lengths[i])};
}

std::size_t CaptureStore::length(int i) const {
    return (i >= 0 && i < count_) ? live_->lengths[i] : 0;
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
    std::vector<std::uint8_t>& slot = live_->bytes[i];
    // A slot left over from a bigger message gives its memory back rather than keep it.
    if (slot.capacity() > 2 * bytes.size() + kSmallSlot) std::vector<std::uint8_t>().swap(slot);
    slot.assign(bytes.begin(), bytes.end());
    live_->lengths[i] = bytes.size();
    ++count_;
    return i;
}

void CaptureStore::erase(int i) {
    if (i < 0 || i >= count_) return;
    // The removed slot's buffer goes to the free end, where the next message reuses it.
    std::rotate(live_->bytes.begin() + i, live_->bytes.begin() + i + 1,
                live_->bytes.begin() + count_);
    std::copy(live_->lengths.begin() + i + 1, live_->lengths.begin() + count_,
              live_->lengths.begin() + i);
    --count_;
}

std::vector<std::uint8_t>& CaptureStore::stagingSlot(int i) {
    if (i < 0 || i >= kCapacity) throw std::out_of_range("slot index");
    if (!staging_) staging_ = std::make_unique<Slots>();
    return staging_->bytes[i];
}

void CaptureStore::commitStaging(int count) {
    if (count < 0 || count > kCapacity) throw std::out_of_range("message count");
    if (!staging_) staging_ = std::make_unique<Slots>();
    for (int i = 0; i < count; ++i) staging_->lengths[i] = staging_->bytes[i].size();
    std::swap(live_, staging_);
    count_ = count;
    // What the store held before goes back to the system: a second load of a big file costs no
    // more than the first, and a small one after a big one keeps only what it needs.
    staging_.reset();
    giveBackFreedMemory();
}

void CaptureStore::clear() {
    count_ = 0;
    live_ = std::make_unique<Slots>();
    staging_.reset();
    giveBackFreedMemory();
}

}  // namespace pellum
