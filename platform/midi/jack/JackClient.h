// What JACK input and output share: a client of our own with one MIDI port, opened without ever
// starting a server, and connected to the instrument's port once its callbacks are set.
#pragma once

#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"
#include "platform/midi/jack/JackLibrary.h"

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

// A client whose server stopped (or shut it out) is not closed. jack_client_close cancels
// libjack's threads wherever they are, and jackd2's notification thread holds a lock of libjack's
// while it takes in another client's coming or going, as happens while a server shuts down:
// cancelled there, it leaves that close, and every open after it, waiting for ever. libjack
// closes such clients itself when this process next opens one, when their threads have ended;
// the object their callbacks point to is kept from then on.
void keepAfterServerStopped(const void* callbackTarget);

// Deletes a JACK port object, or keeps it (and its client) when its server stopped.
template <typename Port>
struct JackPortDeleter {
    void operator()(Port* port) const noexcept {
        if (port->serverStopped()) {
            port->quietCallbacks();
            keepAfterServerStopped(port);
        } else {
            delete port;
        }
    }
};

// Activates `client` and connects `from` to `to`. MIDIERR_NODEVICE: the instrument's port went
// away since the list was made; the client is then inactive again.
MMRESULT activateAndConnect(jack_client_t* client, const char* from, const char* to);

}  // namespace pellum::midi
