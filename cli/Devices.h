// The MIDI devices as pellum-cli shows and picks them: numbered from 1 in device order, as the
// window's lists and the saved settings count them, and picked by number or by part of a name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/OutputDevice.h"
#include "platform/midi/MidiService.h"

namespace pellum::cli {

std::vector<std::string> inputNames(midi::MidiService& service);
std::vector<std::string> outputNames(midi::MidiService& service);

// The 0-based device of `names` that `wanted` means: the first device of exactly that name
// (the window's settings keep these), a position from 1, or else the first name that contains it.
// Throws PellumError (exit status 1) when there is none; `kind` is "input" or "output".
std::uint32_t pickDevice(const std::vector<std::string>& names, const std::string& wanted,
                         const std::string& kind);

// Throws PellumError "`what`: <the code's text>" unless `code` is MMSYSERR_NOERROR.
void throwOnMidiError(const std::string& what, midi::MMRESULT code);

// Opens the output device that `wanted` means on `port` and returns its name; throws
// PellumError when there is none or it cannot be opened.
std::string openOutputDevice(device::OutputDevice& port, const std::string& wanted);

}  // namespace pellum::cli
