// The channel override: when on, byte 2 of an outgoing or saved message keeps its high nibble
// and takes the chosen channel (1..16) minus one as its low nibble.
#pragma once

#include <cstdint>
#include <span>

namespace pellum {

struct ChannelOverride {
    bool on = false;
    int channel = 1;  // 1..16
};

// Messages shorter than three bytes, or whose byte 2 is a status byte (80 hex and up), have no
// channel byte and are left as they are.
void applyChannelOverride(std::span<std::uint8_t> message, ChannelOverride override);

}  // namespace pellum
