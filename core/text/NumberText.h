// Numbers as the program shows them: hex in upper case with at least two digits and as many
// more as the value needs ("05", "41", "100"); decimal with no leading zeros.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellum {

std::string hexText(std::uint32_t value);
// "1 message", "2 messages": the count with the word's form for it (the CLI's English).
std::string counted(std::uint64_t count, const char* one, const char* many);
// Ascending numbers as runs: "1-3, 7, 9". After `runs` runs, "..." stands for the rest.
std::string numberRanges(const std::vector<int>& numbers, int runs);

}  // namespace pellum
