// JACK input through libjack directly: the process callback copies events into the pump.
#include "platform/midi/JackMidiIn.h"

#include <jack/midiport.h>

namespace pellum::midi {

namespace {

struct ClientCloser {
    void operator()(jack_client_t* client) const noexcept { jack_client_close(client); }
};

}  // namespace

std::unique_ptr<JackMidiIn> JackMidiIn::open(const std::string& clientName,
                                             const std::string& source, InputPump& pump,
                                             MMRESULT& code) {
    std::unique_ptr<JackMidiIn> in(new JackMidiIn(pump));
    jack_status_t status{};
    std::unique_ptr<jack_client_t, ClientCloser> client(
        jack_client_open(clientName.c_str(), JackNoStartServer, &status));
    if (!client) {
        code = MMSYSERR_NODRIVER;
        return nullptr;
    }
    in->notifying_.store(client.get(), std::memory_order_release);
    in->port_ = jack_port_register(client.get(), "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (in->port_ == nullptr ||
        jack_set_process_callback(client.get(), &JackMidiIn::process, in.get()) != 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    jack_on_shutdown(client.get(), &JackMidiIn::shutdown, in.get());
    jack_set_port_connect_callback(client.get(), &JackMidiIn::connection, in.get());
    if (jack_activate(client.get()) != 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    if (jack_connect(client.get(), source.c_str(), jack_port_name(in->port_)) != 0) {
        jack_deactivate(client.get());
        code = MIDIERR_NODEVICE;  // the source went away since the list was made
        return nullptr;
    }
    in->client_ = client.release();
    code = MMSYSERR_NOERROR;
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
    void* buffer = jack_port_get_buffer(in.port_, frames);
    const std::uint32_t events = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < events; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) == 0 && event.size > 0) {
            in.pump_.put(event.buffer, event.size);
        }
    }
    in.pump_.markLoss();  // the pump also looks on its own now and then
    if (events > 0) in.pump_.wake();
    return 0;
}

void JackMidiIn::end() noexcept {
    if (!gone_.exchange(true, std::memory_order_acq_rel)) pump_.transportBroke();
}

void JackMidiIn::shutdown(void* self) noexcept {
    static_cast<JackMidiIn*>(self)->end();
}

// JACK's notification thread, for every connection made or cut on the server.
void JackMidiIn::connection(jack_port_id_t a, jack_port_id_t b, int connected,
                            void* self) noexcept {
    auto& in = *static_cast<JackMidiIn*>(self);
    jack_client_t* client = in.notifying_.load(std::memory_order_acquire);
    if (connected || client == nullptr || in.closing_.load(std::memory_order_acquire)) return;
    jack_port_t* ours = in.port_;
    if (jack_port_by_id(client, a) == ours || jack_port_by_id(client, b) == ours) {
        in.end();
    }
}

}  // namespace pellum::midi
