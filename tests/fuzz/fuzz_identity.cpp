// The Identity Reply decoder: any message decodes without reading past its end; a position the
// message holds is shown as decoded, one it lacks as "--" (names "unknown"), a reply cut inside
// its maker ID as such.
#include <cstdint>
#include <span>
#include <string>

#include "core/messages/IdentityReply.h"
#include "core/text/Texts.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer hands over an exact-size copy, so ASan sees any read past the message's end.
    const std::span<const std::uint8_t> message(data, size);
    const SystemInformation info = decodeIdentityReply(message);
    FUZZ_CHECK(isIdentityMessage(message) == (size >= 2 && data[1] == 0x7E));

    const std::string channel = size <= 2 ? "--" : data[2] == 0x7F ? text(Text::AllDevices)
                                                                    : std::to_string(data[2] + 1);
    FUZZ_CHECK(info.globalChannel == channel);
    // A maker ID of 00H takes three bytes and moves every field after it.
    const std::size_t fields = size > 5 && data[5] == 0x00 ? 8 : 6;
    FUZZ_CHECK((info.vendorId == "--") == (size <= 5));
    FUZZ_CHECK((info.vendorId == text(Text::ReplyCutInItsId)) == (size > 5 && size < fields));
    FUZZ_CHECK((info.machineId == "--") == (size < fields + 4));
    FUZZ_CHECK((info.systemVersion == "--") == (size < fields + 6));
    FUZZ_CHECK((info.softwareVersion == "--") == (size < fields + 8));
    if (size >= fields + 6)
        FUZZ_CHECK(info.systemVersion == std::to_string(data[fields + 4] + 128 * data[fields + 5]));
    if (size < fields) FUZZ_CHECK(info.vendorName == "unknown" && info.machineName == "unknown");
    if (size > 6 && data[5] != 0x41 && data[5] != 0x42) FUZZ_CHECK(info.machineName == "unknown");

    // A longer message decodes its fields' bytes the same way.
    if (size > fields + 8) FUZZ_CHECK(decodeIdentityReply(message.first(fields + 8)) == info);
    for (const auto& row : kSystemInformationRows) FUZZ_CHECK(!(info.*row.text).empty());
    return 0;
}
