// A SysEx message of `length` bytes for the tests of labels and the SysEx list: F0, the
// vendor byte, 10H up to the closing F7.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pellum::test {

inline std::vector<std::uint8_t> vendorMessage(std::uint8_t vendor, std::size_t length) {
    std::vector<std::uint8_t> m(length, 0x10);
    m.front() = 0xF0;
    if (length > 1) m[1] = vendor;
    m.back() = 0xF7;
    return m;
}

}  // namespace pellum::test
