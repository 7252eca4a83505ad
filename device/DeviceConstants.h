// Constants of the MIDI device layer: the two notices the driver callback posts, the real-time
// messages it drops, and the input device's defaults.
#pragma once

#include <cstdint>

#include "platform/midi/MidiApi.h"

namespace pellum::device {

// Notices carry no data; the records wait in the event ring. They are window message numbers,
// as the hidden notice window receives them on Windows: winmm's own number for input data, and
// the first number Windows leaves to programs (WM_USER) for an overflow.
inline constexpr std::uint32_t kWindowsUserMessage = 0x0400;
inline constexpr std::uint32_t kEventsWaitingNotice = midi::MIM_DATA;
inline constexpr std::uint32_t kOverflowNotice = kWindowsUserMessage;

inline constexpr std::uintptr_t kActiveSensing = 0xFE;
inline constexpr std::uintptr_t kTimingClock = 0xF8;
inline constexpr std::uint8_t kSysexStatus = 0xF0;

inline constexpr std::uint16_t kDefaultCapacity = 1024;
inline constexpr std::uint16_t kDefaultSysexBufferSize = 4096;
inline constexpr std::uint16_t kDefaultSysexBufferCount = 16;

}  // namespace pellum::device
