// Where a SysEx message ends as a MIDI cable ends it: at F7, or cut short by any other status
// byte (F0 starting the next message). Real-time bytes (F8H-FFH) may stand anywhere in a message
// and end nothing.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellum {

inline constexpr std::uint8_t kSysExStart = 0xF0;
inline constexpr std::uint8_t kSysExEnd = 0xF7;

// The first byte of 80H or more in [p, end), or `end`. Sixty-four bytes a step where the
// processor has SSE2 (every x86-64 does): this scan is most of what loading a file costs, and
// memchr, which a search for F7 alone could use, goes as fast.
inline const std::uint8_t* findHighByte(const std::uint8_t* p, const std::uint8_t* end) {
#if defined(__SSE2__)
    const auto load = [](const std::uint8_t* q) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    };
    while (end - p >= 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(load(p), load(p + 16)),
                                         _mm_or_si128(load(p + 32), load(p + 48)));
        if (_mm_movemask_epi8(any) != 0) break;
        p += 64;
    }
    for (; end - p >= 16; p += 16) {
        if (const int high = _mm_movemask_epi8(load(p)); high != 0)
            return p + std::countr_zero(static_cast<unsigned>(high));
    }
#else
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (word & kHighBits) break;
    }
#endif
    while (p < end && *p < 0x80) ++p;
    return p;
}

// The first byte from 80H to F7H in [p, end), or nullptr.
inline const std::uint8_t* findStatus(const std::uint8_t* p, const std::uint8_t* end) {
    for (;;) {
        p = findHighByte(p, end);
        if (p == end) return nullptr;
        if (*p < 0xF8) return p;
        ++p;
    }
}

}  // namespace pellum
