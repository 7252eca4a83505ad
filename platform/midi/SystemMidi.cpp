// Picks the backend at build time; there is one service per platform.
#include "platform/midi/SystemMidi.h"

#if defined(_WIN32)
#error "The winmm pass-through backend is not written yet: create it here."
#else
#include "platform/midi/RtMidiService.h"
#endif

namespace pellum::midi {

std::unique_ptr<MidiService> createSystemMidiService() {
    return std::make_unique<RtMidiService>();
}

}  // namespace pellum::midi
