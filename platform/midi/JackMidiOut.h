// One output port of our own on the JACK server, connected to one destination port. RtMidi's
// JACK output drops what does not fit its ring or the cycle; this one queues whole messages and
// lets the process callback split them into events over as many cycles as they need.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"
#include "platform/midi/SpscByteRing.h"

namespace pellum::midi {

class JackMidiOut {
public:
    // Opens a client, registers one MIDI output port and connects it to `destination` (the
    // full port name). Returns nullptr and sets `code` when any step fails.
    static std::unique_ptr<JackMidiOut> open(const std::string& clientName,
                                             const std::string& destination, MMRESULT& code);
    // Hands on everything queued (as long as the server keeps running) before closing.
    ~JackMidiOut();
    JackMidiOut(const JackMidiOut&) = delete;
    JackMidiOut& operator=(const JackMidiOut&) = delete;

    // Queues the whole message or nothing, waiting while the queue is full. Fails when the
    // message can never fit the queue or when the server stops taking data.
    MMRESULT send(const std::uint8_t* bytes, std::size_t count);
    // Waits until every queued byte has left the port; false when the server stopped first.
    bool flush();

    // The largest message send() accepts.
    std::size_t maxMessage() const { return ring_.capacity() - sizeof(std::uint32_t); }

private:
    JackMidiOut();
    static int process(jack_nframes_t frames, void* self) noexcept;
    static void shutdown(void* self) noexcept;
    void writeEvents(void* buffer) noexcept;
    // Sleeps while `done` is false and cycles keep running; false once they stopped.
    template <typename Done>
    bool waitWhileCycling(Done done);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    SpscByteRing ring_;
    // Process-thread state: what is left of the message being written and whether it is a
    // SysEx, which may be cut into several events (other messages go whole).
    std::size_t remaining_ = 0;
    bool remainingIsSysex_ = false;
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<bool> serverGone_{false};
};

}  // namespace pellum::midi
