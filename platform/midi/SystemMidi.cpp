// Picks the backend at build time; there is one service per platform.
#include "platform/midi/SystemMidi.h"

#if defined(_WIN32)
#include "platform/midi/winmm/WinMmService.h"
#else
#include "platform/midi/AlsaJackService.h"
#endif

namespace pellum::midi {

std::unique_ptr<MidiService> createSystemMidiService() {
#if defined(_WIN32)
    return std::make_unique<WinMmService>();
#else
    return std::make_unique<AlsaJackService>();
#endif
}

std::unique_ptr<MidiService> createCommandMidiService() {
#if defined(_WIN32)
    return std::make_unique<WinMmService>();
#else
    return std::make_unique<AlsaJackService>(false);
#endif
}

}  // namespace pellum::midi
