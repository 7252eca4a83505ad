// Conversions the registry file needs: the editor writes UTF-16 (with a byte-order mark) and
// stores expandable and multi-strings as UTF-16LE bytes; the program works in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellum {

// Bytes that are not valid UTF-8 go to UTF-16 as unpaired surrogates U+DC80..U+DCFF and come
// back as the same bytes, so any text round-trips. Other invalid UTF-16 (an odd last byte
// included) becomes U+FFFD; nothing is read past the end.
std::vector<std::uint8_t> utf16leToUtf8(const std::vector<std::uint8_t>& utf16);
std::vector<std::uint8_t> utf8ToUtf16le(const std::vector<std::uint8_t>& utf8);

// The file's text as UTF-8: a UTF-16LE file (FF FE, also behind a UTF-8 mark, or no mark but
// a text that begins "Wi") is converted, a UTF-8 mark dropped.
std::string decodeFileText(const std::string& bytes);

}  // namespace pellum
