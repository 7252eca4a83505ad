// JACK's MIDI ports of other programs, read through one client kept for it: a list costs a
// query, not a client. The client is opened again when its server went away and another came.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/midi/jack/JackLibrary.h"

namespace pellum::midi {

class JackPortList {
public:
    // `followServer`: the client is kept active, so that its server stopping is heard and the
    // next list asks anew.
    JackPortList(std::string clientName, bool followServer);
    ~JackPortList();
    JackPortList(const JackPortList&) = delete;
    JackPortList& operator=(const JackPortList&) = delete;

    // The full names of the MIDI ports we can read from (`inputs`) or write to; `serverUp` says
    // whether a server answered. Opens the client when there is none.
    std::vector<std::string> ports(bool inputs, bool& serverUp);
    // The server of the open client stopped.
    bool serverStopped() const;
    // Closes the client; one of a stopped server is left to libjack (see
    // keepAfterServerStopped), which has called its shutdown callback, the only one it has.
    void close();

private:
    jack_client_t* client();
    static void serverGone(void* self) noexcept;

    const std::string clientName_;
    const bool followServer_;
    jack_client_t* jack_ = nullptr;
    std::atomic<bool> gone_{false};
};

}  // namespace pellum::midi
