// The records the device layer hands around: one received event as the application takes it,
// and one SysEx input buffer in shared blocks the driver may fill.
#pragma once

#include <cstdint>
#include <vector>

#include "device/FixedAddressBlocks.h"
#include "platform/midi/MidiApi.h"

namespace pellum::device {

// Owned by whoever took it from the input device.
struct ReceivedEvent {
    std::uint8_t statusByte = 0;  // F0 for a SysEx event
    std::uint8_t firstData = 0;
    std::uint8_t secondData = 0;
    std::uint32_t timeStamp = 0;  // milliseconds from the input's start, as the driver stamped it
    std::int64_t arrivalNs = 0;   // the same moment on the system clock (ns since 1970)
    std::uint16_t sysexSize = 0;
    std::vector<std::uint8_t> sysexBytes;  // the bytes of one SysEx buffer, exactly as received
};

// The header and data stay at their addresses from construction to destruction, because the
// driver holds on to them while the buffer is queued.
class SysexBuffer {
public:
    // With size 0 nothing is allocated; throws std::bad_alloc when a block can't be had.
    explicit SysexBuffer(std::uint16_t size);
    ~SysexBuffer();
    SysexBuffer(const SysexBuffer&) = delete;
    SysexBuffer& operator=(const SysexBuffer&) = delete;

    SharedBlockHandle headerHandle = 0;
    midi::MIDIHDR* header = nullptr;
    SharedBlockHandle dataHandle = 0;
    std::uint8_t* data = nullptr;
};

}  // namespace pellum::device
