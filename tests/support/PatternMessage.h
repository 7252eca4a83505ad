// The test instrument's message pattern, shared by the peer program and the tests that check
// what it sent: message k is F0 7D k/128 k%128, then (k + i) % 128 for each byte i after those
// four, then F7; never shorter than 5 bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellum::test {

// Byte i of message k of `size` bytes.
inline std::uint8_t patternByte(std::size_t k, std::size_t i, std::size_t size) {
    if (i == 0) return 0xF0;
    if (i + 1 == size) return 0xF7;
    if (i == 1) return 0x7D;
    if (i == 2) return static_cast<std::uint8_t>((k >> 7) & 0x7F);
    return static_cast<std::uint8_t>((i == 3 ? k : k + i) & 0x7F);
}

inline std::vector<std::uint8_t> patternMessage(std::size_t k, std::size_t size) {
    std::vector<std::uint8_t> message(std::max<std::size_t>(size, 5));
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = patternByte(k, i, message.size());
    return message;
}

// Messages first, first + 1, ... of the given sizes, one after another.
inline std::vector<std::uint8_t> patternStream(const std::vector<std::size_t>& sizes,
                                               std::size_t first = 0) {
    std::vector<std::uint8_t> stream;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        const std::vector<std::uint8_t> message = patternMessage(first + k, sizes[k]);
        stream.insert(stream.end(), message.begin(), message.end());
    }
    return stream;
}

// `count` messages of `size` bytes from message `first` on.
inline std::vector<std::uint8_t> patternStream(std::size_t count, std::size_t size,
                                               std::size_t first = 0) {
    return patternStream(std::vector<std::size_t>(count, size), first);
}

}  // namespace pellum::test
