// Hex digits read one way everywhere, whatever the C locale says: 0-9, A-F and a-f only.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pellum {

// The digit's value, or -1 when `c` is not a hex digit.
int hexDigitValue(char c) noexcept;

// `digits` as one unsigned number: nothing but hex digits, at least one, fitting 32 bits.
std::optional<std::uint32_t> parseHexNumber(std::string_view digits) noexcept;

}  // namespace pellum
