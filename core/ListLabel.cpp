#include "core/ListLabel.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/CaptureStore.h"

namespace pellum {
namespace {

const char* knownVendor(std::uint8_t id) {
    switch (id) {
        case 0x41:
            return "Roland(41H)";
        case 0x42:
            return "KORG(42H)";
        case 0x43:
            return "YAMAHA(43H)";
        default:
            return nullptr;
    }
}

// Writes the label into `text` (64 bytes) and returns its end: built in place, without a format
// string or a string per part, since a listing makes one for every message of a file.
char* writeLabel(char* text, int number, std::string_view vendor, std::size_t length) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    char* p = text;
    for (auto n = end - digits; n < 4; ++n) *p++ = '0';
    p = std::copy(static_cast<const char*>(digits), end, p);
    if (!vendor.empty()) {
        *p++ = ' ';
        p = std::copy(vendor.begin(), vendor.end(), p);
    }
    *p++ = ' ';
    p = std::to_chars(p, text + 64 - 4, length).ptr;
    return std::copy_n("Byte", 4, p);
}

std::string label(int number, std::string_view vendor, std::size_t length) {
    char text[64];
    return std::string(text, writeLabel(text, number, vendor, length));
}

// The vendor part of a loaded message's label, in `unknown` when it is no known maker's.
std::string_view loadedVendor(std::uint8_t id, char (&unknown)[12]) {
    if (const char* known = knownVendor(id)) return known;
    static const char kDigits[] = "0123456789ABCDEF";
    std::copy_n("Unknown(", 8, unknown);
    unknown[8] = kDigits[id >> 4];
    unknown[9] = kDigits[id & 0x0F];
    unknown[10] = 'H';
    unknown[11] = ')';
    return {unknown, sizeof unknown};
}

}  // namespace

std::string capturedLabel(int number, std::span<const std::uint8_t> message) {
    std::string_view vendor;
    if (message.size() >= 2) {
        if (const char* known = knownVendor(message[1]))
            vendor = known;
        else if (message[1] == 0x44)
            vendor = "Casio(44H)";
    }
    return label(number, vendor, message.size());
}

std::string loadedLabel(int number, std::span<const std::uint8_t> message) {
    // A loaded message always has its F0 and F7; byte 1 exists.
    return loadedLabel(number, message.size() >= 2 ? message[1] : 0xF7, message.size());
}

std::string loadedLabel(int number, std::uint8_t id, std::size_t length) {
    char unknown[12];
    return label(number, loadedVendor(id, unknown), length);
}

void appendLoadedLine(std::string& out, int number, std::uint8_t id, std::size_t length) {
    char unknown[12];
    char text[64];
    char* end = writeLabel(text, number, loadedVendor(id, unknown), length);
    *end++ = '\n';
    out.append(text, end);
}

std::vector<std::string> loadedLabels(const CaptureStore& store) {
    std::vector<std::string> labels;
    labels.reserve(store.count());
    for (int i = 0; i < store.count(); ++i) labels.push_back(loadedLabel(i + 1, store.message(i)));
    return labels;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

}  // namespace pellum
