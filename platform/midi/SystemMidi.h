// The MIDI service of the machine the program runs on, for the window and pellum-cli: winmm on
// Windows, the ALSA sequencer and JACK everywhere else.
#pragma once

#include <memory>

#include "platform/midi/MidiService.h"

namespace pellum::midi {

std::unique_ptr<MidiService> createSystemMidiService();
// The same for a command that lists, sends or receives and then ends (pellum-cli): it reads the
// device lists when asked and keeps no client running to hear a server come or go, which costs
// a server cycle to start and another to stop.
std::unique_ptr<MidiService> createCommandMidiService();

}  // namespace pellum::midi
