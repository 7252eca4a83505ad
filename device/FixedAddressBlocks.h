// Memory shared with the driver thread: blocks that keep one address from allocation to release,
// and the callback instance the driver callback receives with every call.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/midi/notices/NoticeSink.h"

namespace pellum::device {

// Known by its handle (to release it) and its address (to use it).
using SharedBlockHandle = std::uintptr_t;

// A zero-filled block of `size` bytes, or nullptr with `handle` 0 when none can be had (also for
// size 0). Sizes are not limited to 16 bits, so a ring of any 16-bit capacity fits in one block.
void* allocateSharedBlock(std::size_t size, SharedBlockHandle& handle) noexcept;
// Releases a block; handle 0 is ignored.
void freeSharedBlock(SharedBlockHandle handle) noexcept;

struct EventRing;

struct CallbackInstance {
    SharedBlockHandle blockHandle;
    // Written by the window thread only while the device is closed.
    EventRing* ring;
    midi::NoticeSink* window;
    // Written by the window thread at any time, so the driver thread reads it atomically.
    std::atomic<bool> sysexOnly;
};

// A callback instance in a shared block of its own, everything zero; nullptr when none can be had.
CallbackInstance* createCallbackInstance() noexcept;
void freeCallbackInstance(CallbackInstance* instance) noexcept;

}  // namespace pellum::device
