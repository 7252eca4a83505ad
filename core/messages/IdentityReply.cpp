#include "core/messages/IdentityReply.h"

#include <optional>

#include "core/messages/MessageFacts.h"
#include "core/text/NumberText.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

constexpr const char* kUnknown = "unknown";
constexpr const char* kNotHeld = "--";

// The message's bytes by position, with nothing for a position beyond its end.
class Positions {
public:
    explicit Positions(std::span<const std::uint8_t> message) : message_(message) {}

    std::optional<unsigned> at(std::size_t i) const {
        if (i >= message_.size()) return std::nullopt;
        return message_[i];
    }
    // Seven bits a byte, low byte first.
    std::optional<unsigned> joined(std::size_t i) const {
        const auto low = at(i);
        const auto high = at(i + 1);
        if (!low || !high) return std::nullopt;
        return *low + 128 * *high;
    }

private:
    std::span<const std::uint8_t> message_;
};

// `message` holds the vendor ID at 5. Any maker the published list has is named; a 3-byte ID
// (00H) by the two bytes after it.
const char* vendorName(std::span<const std::uint8_t> message) {
    switch (message[5]) {
        case 0x41:
            return "Roland";
        case 0x42:
            return "KORG";
        case 0x43:
            return "YAMAHA";
        default:
            break;
    }
    const char* name = makerName(message.subspan(4));
    return name != nullptr ? name : kUnknown;
}

const char* rolandMachine(const Positions& b) {
    switch (*b.at(6)) {
        case 0x42: {
            // A GS family member the table does not list is still a GS instrument.
            const auto member = b.joined(8);
            if (!member) return kUnknown;
            if (*member == 0x100) return "SC-88";
            if (*member == 0x200) return "SC-88Pro";
            return "GS";
        }
        case 0x6A:
            return "JV-1010";
        default:
            return kUnknown;
    }
}

const char* korgMachine(const Positions& b) {
    const auto byte8 = b.at(8);
    switch (*b.at(6)) {
        case 0x26:
            return "T3";
        case 0x30:
            return "03R/W";
        case 0x35:
            return "X3";
        case 0x36:
            if (byte8 == 0x00u) return "05R/W";
            if (byte8 == 0x09u) return "X5";
            if (byte8 == 0x14u) return "X5DR";
            return kUnknown;
        case 0x39:
            return "i3";
        case 0x42: {
            const auto byte12 = b.at(12);
            if (byte12 == 0x01u) return "NS5R";
            if (byte12 == 0x02u) return "NX5R";
            return kUnknown;
        }
        case 0x4C:
            if (byte8 == 0x05u) return "N5";
            if (byte8 == 0x0Fu) return "N1";
            return kUnknown;
        case 0x58:
            // Every MS2000 but the rack answers to the plain name.
            if (!byte8) return kUnknown;
            return *byte8 == 0x08 ? "MS2000R" : "MS2000";
        case 0x61:
            return "EM-1";
        default:
            return kUnknown;
    }
}

const char* machineName(const Positions& b) {
    const auto vendor = b.at(5);
    if (!vendor || !b.at(6)) return kUnknown;
    if (*vendor == 0x41) return rolandMachine(b);
    if (*vendor == 0x42) return korgMachine(b);
    return kUnknown;
}

std::string decimalOr(std::optional<unsigned> value) {
    return value ? std::to_string(*value) : kNotHeld;
}

}  // namespace

SystemInformation resetSystemInformation() {
    return {kNotHeld, kUnknown, kNotHeld, kUnknown, kNotHeld, kNotHeld, kNotHeld};
}

bool isIdentityReply(std::span<const std::uint8_t> message) {
    return message.size() >= 6 && message[1] == 0x7E && message[3] == 0x06 && message[4] == 0x02;
}

bool isIdentityMessage(std::span<const std::uint8_t> message) {
    return message.size() >= 2 && message[1] == 0x7E;
}

SystemInformation decodeIdentityReply(std::span<const std::uint8_t> message) {
    const Positions b(message);
    SystemInformation info = resetSystemInformation();
    if (const auto device = b.at(2))
        info.globalChannel = *device == 0x7F ? text(Text::AllDevices) : std::to_string(*device + 1);
    const auto vendor = b.at(5);
    if (!vendor) return info;
    // A maker ID of 00H is three bytes long, and every field after it moves with it.
    const std::size_t idLength = *vendor == 0x00 ? 3 : 1;
    if (message.size() < 5 + idLength) {
        info.vendorId = text(Text::ReplyCutInItsId);
        return info;
    }
    info.vendorId.clear();
    for (std::size_t i = 5; i < 5 + idLength; ++i)
        info.vendorId += (i > 5 ? " " : "") + hexText(message[i]);
    info.vendorId += "H";
    info.vendorName = vendorName(message);
    const std::size_t fields = 5 + idLength;
    const auto family = b.joined(fields);
    const auto member = b.joined(fields + 2);
    if (family && member) info.machineId = hexText(*family) + "H " + hexText(*member) + "H";
    info.systemVersion = decimalOr(b.joined(fields + 4));
    info.softwareVersion = decimalOr(b.joined(fields + 6));
    info.machineName = machineName(b);
    return info;
}

}  // namespace pellum
