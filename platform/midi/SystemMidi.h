// The MIDI service of the machine the program runs on, for the window and pellum-cli: winmm on
// Windows, the ALSA sequencer and JACK everywhere else.
#pragma once

#include <memory>

#include "platform/midi/MidiService.h"

namespace pellum::midi {

std::unique_ptr<MidiService> createSystemMidiService();

}  // namespace pellum::midi
