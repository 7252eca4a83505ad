// The records the device layer hands around: one received event as the application takes it,
// and one SysEx input buffer in shared blocks the driver may fill.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/Mididefs.h"
#include "platform/midi/MidiApi.h"

namespace pellum {

// Owned by whoever took it from the input component.
struct TMyMidiEvent {
    std::uint8_t statusByte = 0;  // F0 for a SysEx event
    std::uint8_t firstData = 0;
    std::uint8_t secondData = 0;
    std::uint32_t timeStamp = 0;
    std::uint16_t sysexSize = 0;
    std::vector<std::uint8_t> sysexBytes;  // the bytes of one SysEx buffer, exactly as received
};

// The header and data stay at their addresses from construction to destruction, because the
// driver holds on to them while the buffer is queued.
class TMyMidiHdr {
public:
    // With size 0 nothing is allocated; throws std::bad_alloc when a block can't be had.
    explicit TMyMidiHdr(std::uint16_t size);
    ~TMyMidiHdr();
    TMyMidiHdr(const TMyMidiHdr&) = delete;
    TMyMidiHdr& operator=(const TMyMidiHdr&) = delete;

    SharedBlockHandle headerHandle = 0;
    midi::MIDIHDR* header = nullptr;
    SharedBlockHandle dataHandle = 0;
    std::uint8_t* data = nullptr;
};

}  // namespace pellum
