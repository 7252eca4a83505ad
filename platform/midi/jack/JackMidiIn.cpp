// JACK input through libjack directly: the process callback copies events into the pump.
#include "platform/midi/jack/JackMidiIn.h"

#include <chrono>

#include "platform/midi/jack/JackClient.h"
#include "platform/midi/jack/JackLibrary.h"

namespace pellum::midi {

JackMidiInHandle JackMidiIn::open(const std::string& clientName, const std::string& source,
                                  InputPump& pump, MMRESULT& code) {
    JackMidiInHandle in(new JackMidiIn(pump, source));
    JackClientPort opened = openJackClientPort(clientName, "in", JackPortIsInput);
    jack_client_t* client = opened.client.get();
    if (client == nullptr) {
        code = MMSYSERR_NODRIVER;
        return nullptr;
    }
    in->notifying_.store(client, std::memory_order_release);
    in->port_ = opened.port;
    if (in->port_ == nullptr ||
        jack_set_process_callback(client, &JackMidiIn::process, in.get()) != 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    // Both: a server may call only one of them (PipeWire's libjack the plain one).
    jack_on_shutdown(client, &JackMidiIn::serverGone, in.get());
    jack_on_info_shutdown(client, &JackMidiIn::shutdown, in.get());
    jack_set_port_connect_callback(client, &JackMidiIn::connection, in.get());
    in->openedAt_ = jack_frame_time(client);
    code = activateAndConnect(client, source.c_str(), jack_port_name(in->port_));
    if (code != MMSYSERR_NOERROR) return nullptr;
    in->client_ = opened.client.release();
    return in;
}

JackMidiIn::~JackMidiIn() {
    if (client_ == nullptr) return;
    closing_.store(true, std::memory_order_release);
    jack_deactivate(client_);
    jack_client_close(client_);
}

int JackMidiIn::process(jack_nframes_t frames, void* self) noexcept {
    auto& in = *static_cast<JackMidiIn*>(self);
    if (in.quiet_.load(std::memory_order_acquire)) return 0;
    // Cycles that went by without us (the process was stopped, or the machine too busy for the
    // server to wait) took their events with them: the stream has a hole of unknown size here.
    const jack_nframes_t start =
        jack_last_frame_time(in.notifying_.load(std::memory_order_relaxed));
    // A source that died stalls the cycles of every client it feeds as well, but had nothing
    // more to give: by the time we run again the server has taken it away. Cycles missed while
    // nothing came in the one before or the first one after are a pause (a suspended machine,
    // a stopped process) in which the source was most likely quiet too: only a message it cut
    // is news then.
    void* buffer = jack_port_get_buffer(in.port_, frames);
    const std::uint32_t events = jack_midi_get_event_count(buffer);
    if (in.cycled_.load(std::memory_order_relaxed) && start != in.nextFrame_ &&
        jack_port_connected(in.port_) > 0)
        in.pump_.gap(!in.hadEvents_ && events == 0 ? EmulatedMidiIn::Gap::Quiet
                                                   : EmulatedMidiIn::Gap::Possible);
    in.hadEvents_ = events > 0;
    in.nextFrame_ = start + frames;
    in.cycled_.store(true, std::memory_order_relaxed);
    // Each event arrived at its frame of the cycle: the server's clock tells when that was, and
    // the difference to its clock now places it on ours, whatever either counts from.
    jack_client_t* client = in.notifying_.load(std::memory_order_relaxed);
    const auto now = EmulatedMidiIn::Clock::now();
    const jack_time_t serverNow = events > 0 ? jack_get_time() : 0;
    for (std::uint32_t i = 0; i < events; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
            const jack_time_t at = jack_frames_to_time(client, start + event.time);
            const auto before = std::chrono::microseconds(static_cast<std::int64_t>(serverNow) -
                                                          static_cast<std::int64_t>(at));
            in.pump_.put(event.buffer, event.size, now - before);
        }
    }
    const bool marked = in.pump_.markLoss();
    if (events > 0 || !marked) in.pump_.wake();
    return 0;
}

bool JackMidiIn::neverServed() const noexcept {
    jack_client_t* client = notifying_.load(std::memory_order_acquire);
    return !cycled_.load(std::memory_order_relaxed) &&
           jack_frame_time(client) - openedAt_ > jack_get_sample_rate(client) / 2;
}

void JackMidiIn::end() noexcept {
    if (!gone_.exchange(true, std::memory_order_acq_rel)) pump_.transportBroke(neverServed());
}

void JackMidiIn::serverGone(void* self) noexcept {
    // The server's clock went with it: nothing more to compare.
    auto& in = *static_cast<JackMidiIn*>(self);
    in.stopped_.store(true, std::memory_order_release);
    if (!in.gone_.exchange(true, std::memory_order_acq_rel)) in.pump_.transportBroke();
}

void JackMidiIn::shutdown(jack_status_t code, const char* /*reason*/, void* self) noexcept {
    auto& in = *static_cast<JackMidiIn*>(self);
    in.stopped_.store(true, std::memory_order_release);
    // Shut out for not keeping up: what came meanwhile is gone, not merely over.
    if (!in.gone_.exchange(true, std::memory_order_acq_rel)) {
        in.pump_.transportBroke((code & JackClientZombie) != 0);
    }
}

// JACK's notification thread, for every connection made or cut on the server.
void JackMidiIn::connection(jack_port_id_t a, jack_port_id_t b, int connected,
                            void* self) noexcept {
    auto& in = *static_cast<JackMidiIn*>(self);
    jack_client_t* client = in.notifying_.load(std::memory_order_acquire);
    if (connected || client == nullptr || in.closing_.load(std::memory_order_acquire)) return;
    jack_port_t* ours = in.port_;
    jack_port_t* from = jack_port_by_id(client, a);
    jack_port_t* to = jack_port_by_id(client, b);
    jack_port_t* other = to == ours ? from : from == ours ? to : nullptr;
    // A port that is already gone has no name left to compare; its connection to us was ours
    // only if no connection from the source remains.
    if (other == nullptr && to != ours && from != ours) return;
    if (other != nullptr && in.source_ != jack_port_name(other)) return;
    if (other == nullptr && jack_port_connected_to(ours, in.source_.c_str()) != 0) return;
    in.end();
}

}  // namespace pellum::midi
