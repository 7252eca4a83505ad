#include "core/messages/MessageFacts.h"

#include <algorithm>

#include "core/list/ListLabel.h"
#include "core/messages/MakerTable.h"
#include "core/text/NumberText.h"

namespace pellum {
namespace {

constexpr std::uint8_t kRoland = 0x41;
constexpr std::uint8_t kYamaha = 0x43;
constexpr std::uint8_t kUniversalNonRealTime = 0x7E;
constexpr std::uint8_t kUniversalRealTime = 0x7F;

bool allData(std::span<const std::uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; });
}

// The bytes as "40 00 7FH".
std::string hexH(std::span<const std::uint8_t> bytes) {
    return hexBytes(bytes) + "H";
}

// Sum + checksum must be 0 in the low seven bits: the checksum is the sum's complement, and a
// sum already at 0 wants 0 (never 128, which is no data byte).
Checksum verdictOf(std::span<const std::uint8_t> summed, std::uint8_t found) {
    unsigned sum = 0;
    for (std::uint8_t b : summed) sum += b;
    const auto want = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    return {want == found ? Checksum::Verdict::ok : Checksum::Verdict::wrong, found, want};
}

// Roland: F0 41 dev model... cmd payload... sum F7. A model ID is any number of 00H and one
// byte more; 11H (RQ1, address and size) and 12H (DT1, address and data) are summed over the
// whole payload, whatever the address length.
struct RolandLayout {
    std::size_t command = 0;  // index of the command byte; 0 when not this format
};

RolandLayout rolandLayout(std::span<const std::uint8_t> m) {
    if (m.size() < 8 || m[1] != kRoland || m.back() != 0xF7) return {};
    std::size_t i = 3;
    while (i + 1 < m.size() && m[i] == 0x00) ++i;
    const std::size_t command = i + 1;
    // At least one payload byte before the checksum and F7.
    if (command + 3 > m.size() || (m[command] != 0x11 && m[command] != 0x12)) return {};
    if (!allData(m.subspan(2, m.size() - 3))) return {};
    return {command};
}

// YAMAHA bulk dump: F0 43 0n ff bh bl data... sum F7 with bh bl (seven bits each) the number of
// data bytes. The checksum covers the data alone: "the lowest 7 bits of the two's complement
// sum of all data bytes" (DX21 owner's manual; the DX7s manual's bulk formats 0, 5, 6, 9 have
// the same layout). Format 7EH (universal bulk dump) is left out: its manuals disagree on whether
// the byte count is summed.
bool isYamahaBulk(std::span<const std::uint8_t> m) {
    if (m.size() < 9 || m[1] != kYamaha || (m[2] & 0xF0) != 0x00 || m[3] == 0x7E) return false;
    if (m.back() != 0xF7 || !allData(m.subspan(2, m.size() - 3))) return false;
    const std::size_t count = std::size_t{m[4]} * 128 + m[5];
    return m.size() == count + 8;
}

struct SubId {
    std::uint8_t id1;
    int id2;  // -1: any
    const char* name;
};

constexpr SubId kNonRealTime[] = {
    {0x01, -1, "Sample Dump Header"},
    {0x02, -1, "Sample Data Packet"},
    {0x03, -1, "Sample Dump Request"},
    {0x04, -1, "MIDI Time Code Cueing"},
    {0x05, -1, "Sample Dump Extensions"},
    {0x06, 0x01, "Identity Request"},
    {0x06, 0x02, "Identity Reply"},
    {0x07, 0x01, "File Dump Header"},
    {0x07, 0x02, "File Dump Data Packet"},
    {0x07, 0x03, "File Dump Request"},
    {0x08, 0x00, "MIDI Tuning Bulk Dump Request"},
    {0x08, 0x01, "MIDI Tuning Bulk Dump"},
    {0x08, -1, "MIDI Tuning"},
    {0x09, 0x01, "General MIDI System On"},
    {0x09, 0x02, "General MIDI System Off"},
    {0x09, 0x03, "General MIDI 2 System On"},
    {0x0A, -1, "Downloadable Sounds"},
    {0x0B, -1, "File Reference"},
    {0x0C, -1, "MIDI Visual Control"},
    {0x0D, -1, "MIDI Capability Inquiry"},
    {0x7B, -1, "End of File"},
    {0x7C, -1, "Wait"},
    {0x7D, -1, "Cancel"},
    {0x7E, -1, "NAK"},
    {0x7F, -1, "ACK"},
};

constexpr SubId kRealTime[] = {
    {0x01, 0x01, "MIDI Time Code Full Message"},
    {0x01, 0x02, "MIDI Time Code User Bits"},
    {0x02, -1, "MIDI Show Control"},
    {0x03, -1, "Notation Information"},
    {0x04, 0x01, "Master Volume"},
    {0x04, 0x02, "Master Balance"},
    {0x04, 0x03, "Master Fine Tuning"},
    {0x04, 0x04, "Master Coarse Tuning"},
    {0x04, 0x05, "Global Parameter Control"},
    {0x04, -1, "Device Control"},
    {0x05, -1, "Real Time MIDI Time Code Cueing"},
    {0x06, -1, "MIDI Machine Control Command"},
    {0x07, -1, "MIDI Machine Control Response"},
    {0x08, -1, "MIDI Tuning (Real Time)"},
    {0x09, -1, "Controller Destination Setting"},
    {0x0A, -1, "Key-based Instrument Control"},
    {0x0B, -1, "Scalable Polyphony MIDI MIP Message"},
    {0x0C, -1, "Mobile Phone Control"},
};

// "Identity Reply (06 02H)": the sub-IDs named, with both bytes shown when the second counts.
std::string universalCommand(std::span<const std::uint8_t> m) {
    if (m.size() < 5 || m[3] >= 0x80) return {};
    const bool realTime = m[1] == kUniversalRealTime;
    const std::span<const SubId> table =
        realTime ? std::span<const SubId>(kRealTime) : std::span<const SubId>(kNonRealTime);
    const int id2 = m.size() > 5 && m[4] < 0x80 ? m[4] : -2;
    for (const SubId& s : table) {
        if (s.id1 != m[3] || (s.id2 != -1 && s.id2 != id2)) continue;
        return std::string(s.name) + " (" +
               (s.id2 == -1 ? hexH(m.subspan(3, 1)) : hexH(m.subspan(3, 2))) + ")";
    }
    return "(" + hexH(m.subspan(3, 1)) + ")";
}

// The verdict for a message already known to be of one of the two formats, or of neither.
Checksum checksumOf(std::span<const std::uint8_t> m, RolandLayout roland, bool yamahaBulk) {
    if (roland.command != 0) {
        const std::size_t from = roland.command + 1;
        return verdictOf(m.subspan(from, m.size() - 2 - from), m[m.size() - 2]);
    }
    if (yamahaBulk) return verdictOf(m.subspan(6, m.size() - 8), m[m.size() - 2]);
    return {};
}

std::size_t makerIdLength(std::span<const std::uint8_t> message) {
    if (message.size() < 2) return 0;
    if (message[1] != 0x00) return 1;
    return message.size() >= 4 ? 3 : 0;
}

}  // namespace

std::optional<RolandDataSet> rolandDataSet(std::span<const std::uint8_t> m) {
    const RolandLayout layout = rolandLayout(m);
    if (layout.command == 0 || m[layout.command] != 0x12) return std::nullopt;
    const auto model = m.subspan(3, layout.command - 3);
    const bool fourBytes =
        model.size() > 1 || model[0] == 0x46 || model[0] == 0x57 || model[0] == 0x6A;
    const std::size_t address = layout.command + 1;
    const std::size_t data = address + (fourBytes ? 4 : 3);
    // The data ends before the checksum and F7.
    if (data + 2 >= m.size()) return std::nullopt;
    return RolandDataSet{model, m.subspan(address, data - address), data, m.size() - 2 - data};
}

std::vector<std::uint8_t> rolandAddressPlus(std::span<const std::uint8_t> address,
                                            std::size_t count) {
    std::vector<std::uint8_t> sum(address.begin(), address.end());
    for (std::size_t i = sum.size(); i-- > 0 && count > 0;) {
        count += sum[i];
        sum[i] = static_cast<std::uint8_t>(count % 128);
        count /= 128;
    }
    return sum;
}

const char* makerName(std::span<const std::uint8_t> message) {
    const std::size_t length = makerIdLength(message);
    if (length == 0) return nullptr;
    const std::uint32_t key =
        length == 1 ? message[1] : 0x10000u | (std::uint32_t{message[2]} << 8) | message[3];
    const MakerRow* end = kMakerRows + kMakerRowCount;
    const MakerRow* row = std::lower_bound(
        kMakerRows, end, key, [](const MakerRow& r, std::uint32_t k) { return r.key < k; });
    return row != end && row->key == key ? row->name : nullptr;
}

Checksum checkChecksum(std::span<const std::uint8_t> m) {
    return checksumOf(m, rolandLayout(m), isYamahaBulk(m));
}

std::optional<std::vector<std::uint8_t>> checksumFixed(std::span<const std::uint8_t> message) {
    const Checksum checksum = checkChecksum(message);
    if (checksum.verdict != Checksum::Verdict::wrong) return std::nullopt;
    std::vector<std::uint8_t> fixed(message.begin(), message.end());
    fixed[fixed.size() - 2] = checksum.want;
    return fixed;
}

std::string checksumText(const Checksum& checksum) {
    switch (checksum.verdict) {
        case Checksum::Verdict::ok:
            return "checksum ok";
        case Checksum::Verdict::wrong:
            return "checksum wrong (" + hexText(checksum.found) + "H, want " +
                   hexText(checksum.want) + "H)";
        case Checksum::Verdict::none:
            break;
    }
    return {};
}

MessageFacts describeMessage(std::span<const std::uint8_t> m) {
    MessageFacts facts;
    if (const char* name = makerName(m)) facts.maker = name;
    const std::size_t idLength = makerIdLength(m);
    if (idLength != 0) facts.makerId = hexH(m.subspan(1, idLength));
    const RolandLayout roland = rolandLayout(m);
    const bool yamahaBulk = isYamahaBulk(m);
    facts.checksum = checksumOf(m, roland, yamahaBulk);
    const std::size_t afterId = 1 + idLength;
    if (m.size() < 2 || afterId >= m.size() || m[afterId] >= 0x80) return facts;

    const std::uint8_t device = m[afterId];
    facts.device = hexText(device) + "H";
    if (m[1] == kUniversalNonRealTime || m[1] == kUniversalRealTime) {
        if (device == 0x7F) facts.device += " (all)";
        facts.command = universalCommand(m);
    } else if (roland.command != 0) {
        facts.model = hexH(m.subspan(3, roland.command - 3));
        facts.command =
            (m[roland.command] == 0x11 ? "RQ1 (" : "DT1 (") + hexText(m[roland.command]) + "H)";
        const std::size_t payload = m.size() - 3 - roland.command;
        // RQ1's payload is an address and a size of the same length; DT1's address length
        // depends on the model, so only its byte count is told.
        if (m[roland.command] == 0x11 && payload % 2 == 0) {
            const auto half = m.subspan(roland.command + 1, payload / 2);
            facts.address = hexH(half);
            unsigned long size = 0;
            for (std::uint8_t b : m.subspan(roland.command + 1 + payload / 2, payload / 2))
                size = size * 128 + b;
            facts.size = std::to_string(size);
        } else {
            facts.size = std::to_string(payload) + " (address and data)";
        }
    } else if (yamahaBulk) {
        facts.command = "bulk dump (format " + hexText(m[3]) + "H)";
        facts.size = std::to_string(m.size() - 8);
    }
    return facts;
}

}  // namespace pellum
