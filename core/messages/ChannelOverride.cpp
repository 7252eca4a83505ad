#include "core/messages/ChannelOverride.h"

namespace pellum {

void applyChannelOverride(std::span<std::uint8_t> message, ChannelOverride override) {
    // A status byte in that place (the closing F7 of a short message, or another F0) is not a
    // channel: rewriting it would merge or split messages in the file and on the wire.
    if (!override.on || message.size() < 3 || message[2] >= 0x80) return;
    message[2] = static_cast<std::uint8_t>((message[2] & 0xF0) + ((override.channel - 1) & 0x0F));
}

}  // namespace pellum
