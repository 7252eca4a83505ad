// The JACK device listing through libjack, quiet while asking: no server is an answer, not an
// error to print.
#include "platform/midi/jack/JackPortList.h"

#include <utility>

namespace pellum::midi {

namespace {

void quietJack(const char*) {}

}  // namespace

JackPortList::JackPortList(std::string clientName, bool followServer)
    : clientName_(std::move(clientName)), followServer_(followServer) {}

JackPortList::~JackPortList() {
    close();
}

jack_client_t* JackPortList::client() {
    if (serverStopped()) close();
    if (jack_ == nullptr) {
        if (jackLibrary() == nullptr) return nullptr;  // no libjack: no JACK
        jack_set_error_function(&quietJack);
        jack_set_info_function(&quietJack);
        jack_status_t status{};
        jack_ = jack_client_open(clientName_.c_str(), JackNoStartServer, &status);
        jack_set_error_function(nullptr);
        jack_set_info_function(nullptr);
        gone_.store(false, std::memory_order_release);
        if (jack_ != nullptr && followServer_) {
            jack_on_shutdown(jack_, &JackPortList::serverGone, this);
            if (jack_activate(jack_) != 0) {
                jack_client_close(jack_);
                jack_ = nullptr;
            }
        }
    }
    return jack_;
}

std::vector<std::string> JackPortList::ports(bool inputs, bool& serverUp) {
    std::vector<std::string> list;
    jack_client_t* jack = client();
    serverUp = jack != nullptr;
    if (jack == nullptr) return list;
    const char** ports = jack_get_ports(jack, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                        inputs ? JackPortIsOutput : JackPortIsInput);
    for (const char** name = ports; name != nullptr && *name != nullptr; ++name) {
        list.emplace_back(*name);
    }
    jack_free(ports);
    return list;
}

void JackPortList::serverGone(void* self) noexcept {
    static_cast<JackPortList*>(self)->gone_.store(true, std::memory_order_release);
}

bool JackPortList::serverStopped() const {
    return jack_ != nullptr && gone_.load(std::memory_order_acquire);
}

void JackPortList::close() {
    if (jack_ == nullptr) return;
    if (!serverStopped()) jack_client_close(jack_);
    jack_ = nullptr;
}

}  // namespace pellum::midi
