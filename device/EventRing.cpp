// Consumer side and lifetime of the event ring; the producer side lives with the driver callback.
#include "device/EventRing.h"

#include <new>

namespace pellum::device {

EventRing* createRing(std::uint16_t capacity) noexcept {
    SharedBlockHandle blockHandle;
    void* block = allocateSharedBlock(sizeof(EventRing), blockHandle);
    if (block == nullptr) return nullptr;
    SharedBlockHandle recordsHandle;
    auto* slots = static_cast<RingRecord*>(
        allocateSharedBlock(std::size_t{capacity} * sizeof(RingRecord), recordsHandle));
    if (slots == nullptr) {
        freeSharedBlock(blockHandle);
        return nullptr;
    }
    return new (block)
        EventRing{blockHandle, recordsHandle, slots, slots + capacity, slots, slots, capacity, 0};
}

void freeRing(EventRing* ring) noexcept {
    if (ring == nullptr) return;
    const SharedBlockHandle blockHandle = ring->blockHandle;
    freeSharedBlock(ring->recordsHandle);
    ring->~EventRing();
    freeSharedBlock(blockHandle);
}

bool ringPeek(const EventRing* ring, RingRecord& record) noexcept {
    // Acquire: the producer stored the record before its release increment made it visible.
    if (ring->count.load(std::memory_order_acquire) == 0) return false;
    record = *ring->readSlot;
    return true;
}

bool ringRemove(EventRing* ring) noexcept {
    if (ring->count.load(std::memory_order_acquire) == 0) return false;
    RingRecord* next = ring->readSlot + 1;
    ring->readSlot = next == ring->limit ? ring->first : next;
    // Release: our reads of the slot are finished before the producer may reuse it.
    ring->count.fetch_sub(1, std::memory_order_release);
    return true;
}

std::uint16_t ringCount(const EventRing* ring) noexcept {
    return ring->count.load(std::memory_order_acquire);
}

}  // namespace pellum::device
