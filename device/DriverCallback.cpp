// The driver callback and the ring's producer side.
#include "device/DriverCallback.h"

#include "device/DeviceConstants.h"
#include "device/FixedAddressBlocks.h"

namespace pellum::device {

bool ringPut(EventRing* ring, const RingRecord& record) noexcept {
    // Acquire: the consumer has finished reading a slot before its release decrement frees it.
    if (ring->count.load(std::memory_order_acquire) >= ring->capacity) return false;
    *ring->writeSlot = record;
    RingRecord* next = ring->writeSlot + 1;
    ring->writeSlot = next == ring->limit ? ring->first : next;
    // Release: the record is in its slot before the consumer can count it.
    ring->count.fetch_add(1, std::memory_order_release);
    return true;
}

void driverCallback(midi::HMIDIIN /*handle*/, std::uint32_t msg, std::uintptr_t instance,
                    std::uintptr_t param1, std::uintptr_t param2) noexcept {
    if (msg != midi::MIM_DATA && msg != midi::MIM_LONGDATA && msg != midi::MIM_LONGERROR) return;
    // Sent many times a second by some instruments; they would only crowd the ring.
    if (param1 == kActiveSensing || param1 == kTimingClock) return;
    auto* self = reinterpret_cast<CallbackInstance*>(instance);
    if (self == nullptr) return;
    if (msg == midi::MIM_DATA && self->sysexOnly.load(std::memory_order_relaxed)) return;
    if (self->ring == nullptr) return;

    // A broken SysEx (MIM_LONGERROR) is delivered like any other: its bytes are what arrived
    // (none from the emulated drivers, which count them as lost instead).
    RingRecord record{static_cast<std::uint32_t>(param2), 0, nullptr};
    if (msg == midi::MIM_DATA) {
        record.shortData = static_cast<std::uint32_t>(param1);
    } else {
        record.sysexHeader = reinterpret_cast<midi::MIDIHDR*>(param1);
    }
    const bool stored = ringPut(self->ring, record);
    if (self->window != nullptr)
        self->window->post(stored ? kEventsWaitingNotice : kOverflowNotice);
}

}  // namespace pellum::device
