// Where a SysEx message ends as a MIDI cable ends it: at F7, or cut short by any other status
// byte (F0 starting the next message). Real-time bytes (F8H-FFH) may stand anywhere in a message
// and end nothing.
#pragma once

#include <cstdint>
#include <cstring>

namespace pellum {

// The first byte from 80H to F7H in [p, end), or nullptr. Eight bytes at a time: this scan is
// most of what loading a file costs.
inline const std::uint8_t* findStatus(const std::uint8_t* p, const std::uint8_t* end) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    for (;;) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (word & kHighBits) break;
            p += 8;
        }
        while (p < end && *p < 0x80) ++p;
        if (p == end) return nullptr;
        if (*p < 0xF8) return p;
        ++p;
    }
}

}  // namespace pellum
