// A failed property stops the fuzzer with the input that broke it: abort() is what libFuzzer
// records as a crash, with the reason printed first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

// F0, then data or real-time bytes only, then F7: what a cable carries as one message.
inline bool wholeSysEx(const std::vector<std::uint8_t>& m) {
    if (m.size() < 2 || m.front() != 0xF0 || m.back() != 0xF7) return false;
    for (std::size_t i = 1; i + 1 < m.size(); ++i)
        if (m[i] >= 0x80 && m[i] < 0xF8) return false;
    return true;
}

// Numbers of messages closed with an added F7: ascending, each one of the `count` loaded.
inline bool validCuts(const std::vector<int>& cuts, int count) {
    for (std::size_t i = 0; i < cuts.size(); ++i)
        if (cuts[i] < 1 || cuts[i] > count || (i > 0 && cuts[i] <= cuts[i - 1])) return false;
    return true;
}
