// The test instrument's message pattern, shared by the peer program and the tests that check
// what it sent: message k is F0 7D k/128 k%128, then (k + i) % 128 for each byte i after those
// four, then F7; never shorter than 5 bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellum::test {

inline std::vector<std::uint8_t> patternMessage(std::size_t k, std::size_t size) {
    std::vector<std::uint8_t> message(std::max<std::size_t>(size, 5));
    message[0] = 0xF0;
    message[1] = 0x7D;
    message[2] = static_cast<std::uint8_t>((k >> 7) & 0x7F);
    message[3] = static_cast<std::uint8_t>(k & 0x7F);
    for (std::size_t i = 4; i + 1 < message.size(); ++i) {
        message[i] = static_cast<std::uint8_t>((k + i) & 0x7F);
    }
    message.back() = 0xF7;
    return message;
}

// Messages 0, 1, ... of the given sizes, one after another.
inline std::vector<std::uint8_t> patternStream(const std::vector<std::size_t>& sizes) {
    std::vector<std::uint8_t> stream;
    for (std::size_t k = 0; k < sizes.size(); ++k) {
        const std::vector<std::uint8_t> message = patternMessage(k, sizes[k]);
        stream.insert(stream.end(), message.begin(), message.end());
    }
    return stream;
}

// Messages first .. first + count - 1, each of `size` bytes, one after another.
inline std::vector<std::uint8_t> patternStream(std::size_t count, std::size_t size,
                                               std::size_t first = 0) {
    std::vector<std::uint8_t> stream;
    stream.reserve(count * std::max<std::size_t>(size, 5));
    for (std::size_t k = first; k < first + count; ++k) {
        const std::vector<std::uint8_t> message = patternMessage(k, size);
        stream.insert(stream.end(), message.begin(), message.end());
    }
    return stream;
}

}  // namespace pellum::test
