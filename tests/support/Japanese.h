// Whether a UTF-8 text holds a Japanese character: kana, CJK ideographs, CJK punctuation or
// full-width forms. What an English UI must never show.
#pragma once

#include <string_view>

namespace pellum::test {

inline bool hasJapanese(std::string_view utf8) {
    for (std::size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if ((lead & 0xF0) != 0xE0 || at + 2 >= utf8.size()) continue;  // all of them are 3 bytes
        const char32_t c = (lead & 0x0F) << 12 | (utf8[at + 1] & 0x3F) << 6 | (utf8[at + 2] & 0x3F);
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) ||
            (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    }
    return false;
}

}  // namespace pellum::test
