#include "core/list/ListLabel.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "core/files/LoadedMessages.h"
#include "core/messages/MessageFacts.h"

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

constexpr std::size_t kLabelRoom = 128;

// Writes the label into `text` (kLabelRoom bytes) and returns its end: built in place, without a
// format string or a string per part, since a listing makes one for every message of a file.
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
    p = std::to_chars(p, text + kLabelRoom - 4, length).ptr;
    return std::copy_n("Byte", 4, p);
}

std::string label(int number, std::string_view vendor, std::size_t length) {
    char text[kLabelRoom];
    return std::string(text, writeLabel(text, number, vendor, length));
}

char* hexByte(char* p, std::uint8_t b) {
    static const char kDigits[] = "0123456789ABCDEF";
    *p++ = kDigits[b >> 4];
    *p++ = kDigits[b & 0x0F];
    return p;
}

// The vendor part of a loaded message's label from its first bytes (`head`: F0 and up to three
// more), written into `room` when it is not one of the three fixed names: the maker's name from
// the published list, else Unknown(XXH) with byte 1.
std::string_view loadedVendor(std::span<const std::uint8_t> head, char (&room)[64]) {
    const std::uint8_t id = head.size() >= 2 ? head[1] : 0xF7;
    if (const char* known = knownVendor(id)) return known;
    const char* name = makerName(head);
    const std::string_view text = name != nullptr ? name : "Unknown";
    char* p = std::copy(text.begin(), text.end(), room);
    *p++ = '(';
    p = hexByte(p, id);
    if (name != nullptr && id == 0x00) {
        for (std::uint8_t b : head.subspan(2, 2)) {
            *p++ = ' ';
            p = hexByte(p, b);
        }
    }
    *p++ = 'H';
    *p++ = ')';
    return {room, static_cast<std::size_t>(p - room)};
}

std::span<const std::uint8_t> headOf(std::span<const std::uint8_t> message) {
    return message.first(std::min<std::size_t>(message.size(), 4));
}

}  // namespace

std::string capturedLabel(int number, std::span<const std::uint8_t> message) {
    // Every maker a loaded line names; an ID no one holds stays without a word.
    std::string_view vendor;
    char room[64];
    if (message.size() >= 2 && makerName(headOf(message)) != nullptr)
        vendor = loadedVendor(headOf(message), room);
    return label(number, vendor, message.size());
}

std::string loadedLabel(int number, std::span<const std::uint8_t> message) {
    return loadedLabel(number, headOf(message), message.size());
}

std::string loadedLabel(int number, std::span<const std::uint8_t> head, std::size_t length) {
    char room[64];
    return label(number, loadedVendor(head, room), length);
}

void appendLoadedLine(std::string& out, int number, std::span<const std::uint8_t> head,
                      std::size_t length) {
    char room[64];
    char text[kLabelRoom];
    char* end = writeLabel(text, number, loadedVendor(head, room), length);
    *end++ = '\n';
    out.append(text, end);
}

std::vector<std::string> loadedLabels(const LoadedMessages& store) {
    std::vector<std::string> labels;
    labels.reserve(store.count());
    for (int i = 0; i < store.count(); ++i) labels.push_back(loadedLabel(i + 1, store.message(i)));
    return labels;
}

std::string hexBytes(std::span<const std::uint8_t> bytes) {
    std::string text(bytes.empty() ? 0 : bytes.size() * 3 - 1, ' ');
    char* p = text.data();
    for (std::uint8_t b : bytes) p = hexByte(p, b) + 1;  // past the space between
    return text;
}

}  // namespace pellum
