// What a SysEx message is: whose (the maker's name from the published ID list), which
// Universal message, and whether its checksum holds where the format is known for sure.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pellum {

struct Checksum {
    enum class Verdict { none, ok, wrong };
    Verdict verdict = Verdict::none;  // none: no known checksum format
    std::uint8_t found = 0;           // the checksum byte the message holds
    std::uint8_t want = 0;            // the byte that makes the sum right
};

struct MessageFacts {
    std::string maker;    // "Roland", "Universal Non-Real Time"; empty when unknown
    std::string makerId;  // "41H", "00 20 32H"; empty when the message holds none
    std::string device;   // "10H", "7FH (all)"; empty when the format has none
    std::string model;    // "42H", "00 00 0AH"
    std::string command;  // "DT1 (12H)", "Identity Reply (06 02H)"
    std::string address;  // "40 00 7FH"
    std::string size;     // "4", in bytes
    Checksum checksum;
};

// The maker of a message (F0 at offset 0) by its ID, 1 byte or 00H and 2 more; nullptr when
// the list has no such ID or the message ends before it.
const char* makerName(std::span<const std::uint8_t> message);

// Roland DT1/RQ1 and YAMAHA bulk dumps; every other message has no verdict.
Checksum checkChecksum(std::span<const std::uint8_t> message);

// The message with its wrong checksum made right: the byte before F7 set to the one the sum
// wants. Nothing for a right checksum or a format without a known one.
std::optional<std::vector<std::uint8_t>> checksumFixed(std::span<const std::uint8_t> message);

// "checksum ok", "checksum wrong (12H, want 34H)"; empty without a verdict.
std::string checksumText(const Checksum& checksum);

MessageFacts describeMessage(std::span<const std::uint8_t> message);

// A Roland DT1 (12H) message's parts: F0 41 dev model... 12 address... data... sum F7. The message
// does not say how long its address is; Roland's manuals give it per model: four bytes for model
// IDs of two bytes or more and for the one-byte models 46H (the JV-880's), 57H and 6AH (the
// JV-1010's), three for the other one-byte models (GS 42H among them).
struct RolandDataSet {
    std::span<const std::uint8_t> model;
    std::span<const std::uint8_t> address;
    std::size_t data = 0;        // offset of the first data byte
    std::size_t dataLength = 0;  // at least one
};
// Nothing for a message that is not a DT1 with an address and a data byte.
std::optional<RolandDataSet> rolandDataSet(std::span<const std::uint8_t> message);

// `address` plus `count` in Roland's arithmetic, seven bits a byte, past the top back to 0.
std::vector<std::uint8_t> rolandAddressPlus(std::span<const std::uint8_t> address,
                                            std::size_t count);

}  // namespace pellum
