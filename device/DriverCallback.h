// The only code of the device layer that runs on the driver thread: the driver callback, which
// turns each call into a ring record and a notice, and the ring's producer side.
#pragma once

#include <cstdint>

#include "device/EventRing.h"
#include "platform/midi/MidiApi.h"

namespace pellum::device {

// False, changing nothing, when the ring is full.
bool ringPut(EventRing* ring, const RingRecord& record) noexcept;

// A MidiInProc; `instance` is the address of a CallbackInstance. Allocates nothing, takes no
// lock and touches nothing but the instance, its ring and its notice window.
void driverCallback(midi::HMIDIIN handle, std::uint32_t msg, std::uintptr_t instance,
                    std::uintptr_t param1, std::uintptr_t param2) noexcept;

}  // namespace pellum::device
