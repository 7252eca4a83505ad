// One input port of our own on the JACK server, connected from one source port. Every event of
// every cycle goes whole into the input pump, whatever its size and wherever it cuts the
// messages: RtMidi's JACK input holds events back until one ends with F7, which lets a fast
// sender whose events do not line up with its messages pile up a whole dump into one call.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/midi/InputPump.h"
#include "platform/midi/MidiApi.h"

namespace pellum::midi {

class JackMidiIn {
public:
    // Opens a client, registers one MIDI input port and connects `source` (the full port name)
    // to it. Returns nullptr and sets `code` when any step fails.
    static std::unique_ptr<JackMidiIn> open(const std::string& clientName,
                                            const std::string& source, InputPump& pump,
                                            MMRESULT& code);
    // No process callback runs once this has returned.
    ~JackMidiIn();
    JackMidiIn(const JackMidiIn&) = delete;
    JackMidiIn& operator=(const JackMidiIn&) = delete;

    bool serverGone() const { return serverGone_.load(std::memory_order_acquire); }

private:
    explicit JackMidiIn(InputPump& pump) : pump_(pump) {}
    static int process(jack_nframes_t frames, void* self) noexcept;
    static void shutdown(void* self) noexcept;

    InputPump& pump_;
    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::atomic<bool> serverGone_{false};
};

}  // namespace pellum::midi
