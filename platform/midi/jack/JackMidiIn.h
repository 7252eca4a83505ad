// One input port of our own on the JACK server, connected from one source port. Every event of
// every cycle goes whole into the input pump, whatever its size and wherever it cuts the
// messages: nothing is held back waiting for an F7, so a fast sender whose events do not line up
// with its messages never piles a whole dump up in one place.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"
#include "platform/midi/input/InputPump.h"
#include "platform/midi/jack/JackClient.h"
#include "platform/midi/jack/JackLibrary.h"

namespace pellum::midi {

class JackMidiIn;
using JackMidiInHandle = std::unique_ptr<JackMidiIn, JackPortDeleter<JackMidiIn>>;

class JackMidiIn {
public:
    // Opens a client, registers one MIDI input port and connects `source` (the full port name)
    // to it. Returns nullptr and sets `code` when any step fails.
    static JackMidiInHandle open(const std::string& clientName, const std::string& source,
                                 InputPump& pump, MMRESULT& code);
    // No process callback runs once this has returned.
    ~JackMidiIn();
    JackMidiIn(const JackMidiIn&) = delete;
    JackMidiIn& operator=(const JackMidiIn&) = delete;

    // The source port was disconnected from ours (its client vanished, its port went, or
    // someone cut that connection), the server stopped, or it shut us out: no more input will
    // come. Other connections to our port coming and going change nothing.
    bool gone() const { return gone_.load(std::memory_order_acquire); }
    // The name the server gave our client: the one asked for, or that with a suffix.
    std::string clientName() const { return jack_get_client_name(client_); }

    // Whether half a second went by on the server without it running us once: jackd2 can leave
    // a client triggered but never woken (seen when other clients open and close quickly around
    // ours), and what the source sent meanwhile is gone. Not once the server has stopped.
    bool neverServed() const noexcept;

    // For JackPortDeleter: the server stopped or shut us out; once quiet, no callback of ours
    // touches the pump, which goes with its owner.
    bool serverStopped() const { return stopped_.load(std::memory_order_acquire); }
    void quietCallbacks() noexcept {
        closing_.store(true, std::memory_order_release);
        quiet_.store(true, std::memory_order_release);
    }

private:
    explicit JackMidiIn(InputPump& pump, const std::string& source)
        : pump_(pump), source_(source) {}
    static int process(jack_nframes_t frames, void* self) noexcept;
    static void shutdown(jack_status_t code, const char* reason, void* self) noexcept;
    static void serverGone(void* self) noexcept;
    static void connection(jack_port_id_t a, jack_port_id_t b, int connected, void* self) noexcept;
    void end() noexcept;  // the source was cut from our port

    InputPump& pump_;
    const std::string source_;
    jack_client_t* client_ = nullptr;
    // The same client for the notification thread, set before any callback can run.
    std::atomic<jack_client_t*> notifying_{nullptr};
    jack_port_t* port_ = nullptr;
    std::atomic<bool> gone_{false};
    std::atomic<bool> closing_{false};  // our own disconnection on the way out is no loss
    std::atomic<bool> stopped_{false};  // the server went away or shut us out
    std::atomic<bool> quiet_{false};    // kept after that: the pump is no longer ours
    // Process thread: the frame time the next cycle starts at, when no cycle is skipped.
    jack_nframes_t nextFrame_ = 0;
    bool hadEvents_ = false;           // the last cycle we ran carried events
    std::atomic<bool> cycled_{false};  // read at the end, from the notification thread
    jack_nframes_t openedAt_ = 0;      // the server's frame time before we were activated
};

}  // namespace pellum::midi
