#include "platform/registry/TextEncoding.h"

namespace pellum {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
// A byte that is not part of valid UTF-8 (a file name in another encoding) travels as an
// unpaired low surrogate U+DC80..U+DCFF and comes back as the same byte, so text of any bytes
// survives the UTF-16 form unchanged.
constexpr char32_t kEscapeBase = 0xDC00;
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;

void appendUtf8(std::vector<std::uint8_t>& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<std::uint8_t>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<std::uint8_t>(0xC0 | (c >> 6)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<std::uint8_t>(0xE0 | (c >> 12)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<std::uint8_t>(0xF0 | (c >> 18)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
    }
}

void appendUtf16le(std::vector<std::uint8_t>& out, char32_t c) {
    auto unit = [&out](char32_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    if (c >= 0x10000) {
        c -= 0x10000;
        unit(0xD800 + (c >> 10));
        unit(0xDC00 + (c & 0x3FF));
    } else {
        unit(c);
    }
}

}  // namespace

std::vector<std::uint8_t> utf16leToUtf8(const std::vector<std::uint8_t>& utf16) {
    std::vector<std::uint8_t> out;
    const std::size_t units = utf16.size() / 2;
    auto at = [&utf16](std::size_t i) -> char32_t { return utf16[2 * i] | utf16[2 * i + 1] << 8; };
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = at(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && at(i + 1) >= 0xDC00 &&
            at(i + 1) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (at(i + 1) - 0xDC00);
            ++i;
        } else if (c >= kEscapeFirst && c <= kEscapeLast) {
            out.push_back(static_cast<std::uint8_t>(c - kEscapeBase));  // a byte kept as it was
            continue;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    // Half a code unit at the end is invalid too: dropping it would change the value silently.
    if (utf16.size() % 2 != 0) appendUtf8(out, kReplacement);
    return out;
}

std::vector<std::uint8_t> utf8ToUtf16le(const std::vector<std::uint8_t>& utf8) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::uint8_t b = utf8[i];
        const int extra = b < 0x80         ? 0
                          : (b >> 5) == 6  ? 1
                          : (b >> 4) == 14 ? 2
                          : (b >> 3) == 30 ? 3
                                           : -1;
        char32_t c = extra == 0   ? b
                     : extra == 1 ? (b & 0x1F)
                     : extra == 2 ? (b & 0x0F)
                                  : (b & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            if ((utf8[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (utf8[i + k] & 0x3F);
        }
        // Only the shortest form of a scalar value is valid: an overlong form or an encoded
        // surrogate would not come back as the same bytes.
        static constexpr char32_t kShortest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || c > 0x10FFFF || c < kShortest[extra] || (c >= 0xD800 && c < 0xE000)) {
            appendUtf16le(out, kEscapeBase + b);
            ++i;
            continue;
        }
        appendUtf16le(out, c);
        i += 1 + extra;
    }
    return out;
}

std::string decodeFileText(const std::string& bytes) {
    // A UTF-8 mark put in front of a UTF-16 file (by a tool that added its own) hides the
    // UTF-16 mark behind it; FF and FE never occur in UTF-8, so they can only be that.
    const std::size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    if (bytes.size() >= start + 2 && static_cast<unsigned char>(bytes[start]) == 0xFF &&
        static_cast<unsigned char>(bytes[start + 1]) == 0xFE) {
        const std::vector<std::uint8_t> utf16(bytes.begin() + start + 2, bytes.end());
        const std::vector<std::uint8_t> utf8 = utf16leToUtf8(utf16);
        return std::string(utf8.begin(), utf8.end());
    }
    // UTF-16LE that lost its mark (saved by a tool that writes none) still begins with the
    // header's "W", "i", each followed by a zero byte, which no UTF-8 text does.
    if (bytes.compare(start, 4, std::string("W\0i\0", 4)) == 0) {
        const std::vector<std::uint8_t> utf16(bytes.begin() + start, bytes.end());
        const std::vector<std::uint8_t> utf8 = utf16leToUtf8(utf16);
        return std::string(utf8.begin(), utf8.end());
    }
    return bytes.substr(start);
}

}  // namespace pellum
