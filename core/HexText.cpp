#include "core/HexText.h"

#include <charconv>

namespace pellum {

int hexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::uint32_t> parseHexNumber(std::string_view digits) noexcept {
    // from_chars alone would take a leading minus sign for an unsigned type on some libraries.
    if (digits.empty() || hexDigitValue(digits.front()) < 0) return std::nullopt;
    std::uint32_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value, 16);
    if (error != std::errc() || at != end) return std::nullopt;
    return value;
}

}  // namespace pellum
