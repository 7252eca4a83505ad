#include "core/CaptureStore.h"

#include <algorithm>
#include <stdexcept>

namespace pellum {

CaptureStore::CaptureStore() = default;

std::span<const std::uint8_t> CaptureStore::message(int i) const {
    if (i < 0 || i >= count_) return {};
    const auto& slot = slots_[i];
    return {slot.data(), std::min<std::size_t>(slot.size(), std::max(lengths_[i], 0))};
}

std::span<std::uint8_t> CaptureStore::message(int i) {
    if (i < 0 || i >= count_) return {};
    auto& slot = slots_[i];
    return {slot.data(), std::min<std::size_t>(slot.size(), std::max(lengths_[i], 0))};
}

std::int32_t CaptureStore::length(int i) const {
    return (i >= 0 && i < count_) ? lengths_[i] : 0;
}

int CaptureStore::append(std::span<const std::uint8_t> bytes) {
    if (full()) return -1;
    const int i = count_;
    slots_[i].assign(bytes.begin(), bytes.end());
    lengths_[i] = static_cast<std::int32_t>(bytes.size());
    ++count_;
    return i;
}

std::vector<std::uint8_t>& CaptureStore::slotForLoad(int i) {
    if (i < 0 || i >= kCapacity) throw std::out_of_range("slot index");
    return slots_[i];
}

void CaptureStore::setLength(int i, std::int32_t length) {
    if (i < 0 || i >= kCapacity) throw std::out_of_range("slot index");
    lengths_[i] = length;
}

void CaptureStore::setCount(int count) {
    if (count < 0 || count > kCapacity) throw std::out_of_range("message count");
    count_ = count;
}

}  // namespace pellum
