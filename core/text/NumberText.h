// Numbers as the program shows them: hex in upper case with at least two digits and as many
// more as the value needs ("05", "41", "100"); decimal with no leading zeros.
#pragma once

#include <cstdint>
#include <string>

namespace pellum {

std::string hexText(std::uint32_t value);
// "1 message", "2 messages": the count with the word's form for it (the CLI's English).
std::string counted(std::uint64_t count, const char* one, const char* many);

}  // namespace pellum
