// What the JACK and ALSA outputs share about the wire behind a hardware port and about a server
// that stops answering.
#pragma once

#include <chrono>

namespace pellum::midi {

// MIDI 1.0 runs at 31250 baud, ten bits to a byte.
inline constexpr double kCableBytesPerSecond = 3125;
// How long output waits for a server or sequencer that has stalled before it gives up.
inline constexpr auto kStallLimit = std::chrono::seconds(5);

}  // namespace pellum::midi
