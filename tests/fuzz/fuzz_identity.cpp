// The Identity Reply decoder: any message decodes without reading past its end; a position the
// message holds is shown as decoded, one it lacks as "--" (names "unknown").
#include <cstdint>
#include <span>
#include <string>

#include "core/messages/IdentityReply.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // libFuzzer hands over an exact-size copy, so ASan sees any read past the message's end.
    const std::span<const std::uint8_t> message(data, size);
    const SystemInformation info = decodeIdentityReply(message);
    FUZZ_CHECK(isIdentityMessage(message) == (size >= 2 && data[1] == 0x7E));

    FUZZ_CHECK(info.globalChannel == (size > 2 ? std::to_string(data[2] + 1) : std::string("--")));
    FUZZ_CHECK((info.vendorId == "--") == (size <= 5));
    FUZZ_CHECK((info.machineId == "--") == (size <= 9));
    FUZZ_CHECK((info.systemVersion == "--") == (size <= 11));
    FUZZ_CHECK((info.softwareVersion == "--") == (size <= 13));
    if (size > 11) FUZZ_CHECK(info.systemVersion == std::to_string(data[10] + 128 * data[11]));
    if (size <= 5) FUZZ_CHECK(info.vendorName == "unknown" && info.machineName == "unknown");
    if (size > 6 && data[5] != 0x41 && data[5] != 0x42) FUZZ_CHECK(info.machineName == "unknown");

    // A longer message decodes its first fourteen bytes the same way.
    if (size > 14) FUZZ_CHECK(decodeIdentityReply(message.first(14)) == info);
    for (const auto& row : kSystemInformationRows) FUZZ_CHECK(!(info.*row.text).empty());
    return 0;
}
