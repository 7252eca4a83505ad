#include "platform/midi/jack/JackClient.h"

#include <mutex>
#include <vector>

namespace pellum::midi {

JackClientPort openJackClientPort(const std::string& clientName, const char* portName,
                                  unsigned long flags) {
    JackClientPort opened;
    if (jackLibrary() == nullptr) return opened;
    jack_status_t status{};
    opened.client.reset(jack_client_open(clientName.c_str(), JackNoStartServer, &status));
    if (opened.client) {
        opened.port =
            jack_port_register(opened.client.get(), portName, JACK_DEFAULT_MIDI_TYPE, flags, 0);
    }
    return opened;
}

void keepAfterServerStopped(const void* callbackTarget) {
    static std::mutex mutex;
    // Never freed, so that leak checkers see what it holds as still in use, which it may be.
    static auto* kept = new std::vector<const void*>();
    std::lock_guard lock(mutex);
    kept->push_back(callbackTarget);
}

MMRESULT activateAndConnect(jack_client_t* client, const char* from, const char* to) {
    if (jack_activate(client) != 0) return MMSYSERR_ERROR;
    if (jack_connect(client, from, to) != 0) {
        jack_deactivate(client);
        return MIDIERR_NODEVICE;
    }
    return MMSYSERR_NOERROR;
}

}  // namespace pellum::midi
