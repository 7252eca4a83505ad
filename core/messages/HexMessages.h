// SysEx messages as hex text. Copy writes one message a line ("F0 41 10 ... F7") for a text
// editor; Paste and `pellum-cli send --hex` read such text back, from a manual or a forum too,
// and refuse whatever is not whole SysEx.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellum {

std::string messagesAsHex(const std::vector<std::span<const std::uint8_t>>& messages);

// The messages of `text`: hex bytes ("F0", "f0", "0xF0", "F0H", "$F0") apart by blanks or
// commas. A message may run over several lines and a line may hold several. Throws PellumError
// naming the line and what is wrong there: no F0, no F7, a byte of 80H or more inside, a word
// that is not hex, a message over 65535 bytes, or no message at all.
std::vector<std::vector<std::uint8_t>> messagesFromHex(std::string_view text);

// One message as it is typed or edited: its bytes, and where it is not whole SysEx.
struct TypedMessage {
    std::vector<std::uint8_t> bytes;
    std::string error;          // empty when `bytes` is whole SysEx; else names the offset
    std::size_t errorByte = 0;  // the byte the error concerns, from 0
};
TypedMessage typedMessage(std::string_view hex);

}  // namespace pellum
