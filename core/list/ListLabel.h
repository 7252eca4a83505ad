// The lines of the SysEx list: "0001 Roland(41H) 11Byte". A maker is named from the published ID
// list ("Behringer(00 20 32H)"); an ID no one holds is Unknown(XXH) in a loaded line and left
// out of a captured one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pellum {

class LoadedMessages;

// `number` is the 1-based list number (1..9999).
std::string capturedLabel(int number, std::span<const std::uint8_t> message);
std::string loadedLabel(int number, std::span<const std::uint8_t> message);
// The same from a loaded message's first bytes (F0 and up to three more: a maker ID may be
// three bytes long) and its length.
std::string loadedLabel(int number, std::span<const std::uint8_t> head, std::size_t length);
// Appends that label and a line end to `out`, for a listing of many.
void appendLoadedLine(std::string& out, int number, std::span<const std::uint8_t> head,
                      std::size_t length);

// The labels of every stored message as a file load shows them, in store order.
std::vector<std::string> loadedLabels(const LoadedMessages& store);

// Upper-case hex, two digits a byte, separated by single spaces ("F0 41 10 F7").
std::string hexBytes(std::span<const std::uint8_t> bytes);

}  // namespace pellum
