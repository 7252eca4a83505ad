// Hex text pasted, typed into the message view or given to `send --hex`: any text is read or
// refused, never a fault; what is read is whole SysEx with data bytes only inside, and as Copy
// writes it, it reads back the same.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/messages/HexMessages.h"
#include "core/text/Errors.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // One message as the message view reads it: whole, or refused at a byte it has read.
    const TypedMessage typed = typedMessage(text);
    if (typed.error.empty())
        FUZZ_CHECK(messagesFromHex(messagesAsHex({typed.bytes})) ==
                   std::vector<std::vector<std::uint8_t>>{typed.bytes});
    else
        FUZZ_CHECK(typed.errorByte <= typed.bytes.size());
    std::vector<std::vector<std::uint8_t>> messages;
    try {
        messages = messagesFromHex(text);
    } catch (const PellumError&) {
        return 0;
    }
    FUZZ_CHECK(!messages.empty());
    std::vector<std::span<const std::uint8_t>> spans;
    for (const auto& m : messages) {
        FUZZ_CHECK(m.size() >= 2 && m.front() == 0xF0 && m.back() == 0xF7);
        for (std::size_t i = 1; i + 1 < m.size(); ++i) FUZZ_CHECK(m[i] < 0x80);
        spans.push_back(m);
    }
    FUZZ_CHECK(messagesFromHex(messagesAsHex(spans)) == messages);
    return 0;
}
