#include "platform/midi/JackPortList.h"

#include <utility>

namespace pellum::midi {

namespace {

void quietJack(const char*) {}

}  // namespace

JackPortList::~JackPortList() {
    drop();
}

std::vector<std::string> JackPortList::ports(bool sources) {
    if (client_ == nullptr) connect();
    std::vector<std::string> names;
    if (client_ == nullptr) return names;
    const char** found = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        sources ? JackPortIsOutput : JackPortIsInput);
    if (found == nullptr) return names;
    for (const char** name = found; *name != nullptr; ++name) names.emplace_back(*name);
    jack_free(found);
    return names;
}

void JackPortList::connect() {
    // Looked for at every listing while there is none: the libraries' complaints about a
    // missing server would fill the terminal.
    jack_set_error_function(&quietJack);
    jack_set_info_function(&quietJack);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    if (client == nullptr) return;
    gone_.store(false, std::memory_order_release);
    // Both: a server may call only one of them (PipeWire's libjack the plain one, and only to
    // an active client, so it is activated though it has no ports to process).
    jack_on_shutdown(client, &JackPortList::serverGone, this);
    jack_on_info_shutdown(client, &JackPortList::shutdown, this);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return;
    }
    client_ = client;
}

void JackPortList::drop() {
    if (client_ != nullptr) jack_client_close(std::exchange(client_, nullptr));
}

void JackPortList::serverGone(void* self) noexcept {
    static_cast<JackPortList*>(self)->gone_.store(true, std::memory_order_release);
}

void JackPortList::shutdown(jack_status_t, const char*, void* self) noexcept {
    serverGone(self);
}

}  // namespace pellum::midi
