#include "core/text/HexText.h"

#include <charconv>

namespace pellum {

int hexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits) noexcept {
    // No sign, space or prefix is taken for an unsigned type; every character must be read.
    std::uint32_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value, 16);
    if (error != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace pellum
