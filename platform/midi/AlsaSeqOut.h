// One output port of our own on the ALSA sequencer, connected to one destination port. A
// SysEx goes out as consecutive sequencer events of a few hundred bytes, written in blocking
// mode, so a message of any length waits for room in the kernel's pool instead of failing.
#pragma once

#include <alsa/asoundlib.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"

namespace pellum::midi {

class AlsaSeqOut {
public:
    // Returns nullptr and sets `code` when the sequencer, the port or the connection fails.
    static std::unique_ptr<AlsaSeqOut> open(const std::string& clientName, int destClient,
                                            int destPort, MMRESULT& code);
    ~AlsaSeqOut();
    AlsaSeqOut(const AlsaSeqOut&) = delete;
    AlsaSeqOut& operator=(const AlsaSeqOut&) = delete;

    // Returns once every event is in the kernel's hands; an error code when one could not be.
    MMRESULT send(const std::uint8_t* bytes, std::size_t count);

private:
    AlsaSeqOut() = default;

    snd_seq_t* seq_ = nullptr;
    snd_midi_event_t* encoder_ = nullptr;
    int port_ = -1;
};

}  // namespace pellum::midi
