#include "core/ChannelOverride.h"

namespace pellum {

void applyChannelOverride(std::span<std::uint8_t> message, ChannelOverride override) {
    if (!override.on || message.size() < 3) return;
    message[2] = static_cast<std::uint8_t>((message[2] & 0xF0) + ((override.channel - 1) & 0x0F));
}

}  // namespace pellum
