#include "core/ListLabel.h"

#include <cstdio>

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

std::string label(int number, const std::string& vendor, std::size_t length) {
    char head[16];
    std::snprintf(head, sizeof head, "%04d", number);
    std::string text = head;
    if (!vendor.empty()) text += " " + vendor;
    return text + " " + std::to_string(length) + "Byte";
}

}  // namespace

std::string capturedLabel(int number, std::span<const std::uint8_t> message) {
    std::string vendor;
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
    std::string vendor;
    if (const char* known = knownVendor(id)) {
        vendor = known;
    } else {
        char unknown[16];
        std::snprintf(unknown, sizeof unknown, "Unknown(%02XH)", id);
        vendor = unknown;
    }
    return label(number, vendor, length);
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
