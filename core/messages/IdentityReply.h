// The Identity Request this program sends and the System Information it shows for a reply:
// seven texts decoded at fixed positions of any message whose byte 1 is 7E.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pellum {

inline constexpr std::array<std::uint8_t, 6> kIdentityRequest = {0xF0, 0x7E, 0x7F,
                                                                 0x06, 0x01, 0xF7};

// The texts of the Receive tab's value labels, named after them.
struct SystemInformation {
    std::string globalChannel;    // Global Channel
    std::string vendorName;       // Vendor Name
    std::string vendorId;         // Vendor ID
    std::string machineName;      // Machine Name
    std::string machineId;        // Machine ID
    std::string systemVersion;    // System Version
    std::string softwareVersion;  // Software Version

    bool operator==(const SystemInformation&) const = default;
};

// The rows in the tab's order, with their captions.
struct SystemInformationRow {
    const char* caption;
    std::string SystemInformation::*text;
};
inline constexpr std::array<SystemInformationRow, 7> kSystemInformationRows = {{
    {"Global Channel", &SystemInformation::globalChannel},
    {"Vendor Name", &SystemInformation::vendorName},
    {"Vendor ID", &SystemInformation::vendorId},
    {"Machine Name", &SystemInformation::machineName},
    {"Machine ID", &SystemInformation::machineId},
    {"System Version", &SystemInformation::systemVersion},
    {"Software Version", &SystemInformation::softwareVersion},
}};

// What the labels show after the ports were (re)opened and before any reply.
SystemInformation resetSystemInformation();

// F0 7E <device> 06 02 ...: a reply to the Identity Request.
bool isIdentityReply(std::span<const std::uint8_t> message);

// True for every message that takes the identity branch instead of being captured.
bool isIdentityMessage(std::span<const std::uint8_t> message);

// Decodes `message` (F0 at offset 0) at the reply's positions. Nothing beyond its end is read:
// a label whose bytes the message does not hold shows "--", a name whose bytes are missing
// "unknown".
SystemInformation decodeIdentityReply(std::span<const std::uint8_t> message);

}  // namespace pellum
