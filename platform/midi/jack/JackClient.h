// What JACK input and output share: a client of our own with one MIDI port, opened without ever
// starting a server, and connected to the instrument's port once its callbacks are set.
#pragma once

#include <jack/jack.h>

#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"

namespace pellum::midi {

struct JackClientCloser {
    void operator()(jack_client_t* client) const noexcept { jack_client_close(client); }
};
using JackClientHandle = std::unique_ptr<jack_client_t, JackClientCloser>;

struct JackClientPort {
    JackClientHandle client;  // null: no server runs
    jack_port_t* port = nullptr;  // null: the server refused the port
};

// A client named `clientName` with one MIDI port `portName`; `flags` says its direction.
JackClientPort openJackClientPort(const std::string& clientName, const char* portName,
                                  unsigned long flags);

// Activates `client` and connects `from` to `to`. MIDIERR_NODEVICE: the instrument's port went
// away since the list was made; the client is then inactive again.
MMRESULT activateAndConnect(jack_client_t* client, const char* from, const char* to);

}  // namespace pellum::midi
