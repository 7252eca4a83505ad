// The JACK half of the device lists: one client of our own, held while a server runs, that
// lists the other programs' MIDI ports. A server that stops says so through the client, and one
// that starts (or starts again) is found by a later listing, so the lists follow the server
// without a restart. RtMidi's probes keep their first client for good, and after the server
// stops they go on listing its old ports.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

namespace pellum::midi {

class JackPortList {
public:
    explicit JackPortList(std::string clientName) : clientName_(std::move(clientName)) {}
    ~JackPortList();
    JackPortList(const JackPortList&) = delete;
    JackPortList& operator=(const JackPortList&) = delete;

    // Full names of the MIDI ports that send (`sources`) or that receive; none while no server
    // runs. Looks for a server first when there is none. Call drop() first once the server
    // stopped: jackd2's library deletes every client of a stopped server when a new client
    // opens, so every other client of ours must be closed before this looks again.
    std::vector<std::string> ports(bool sources);
    // Whether a server answered at the last listing.
    bool up() const { return client_ != nullptr; }
    // The server of our client has stopped since it was opened.
    bool serverStopped() const {
        return client_ != nullptr && gone_.load(std::memory_order_acquire);
    }
    void drop();

private:
    void connect();
    static void serverGone(void* self) noexcept;
    static void shutdown(jack_status_t code, const char* reason, void* self) noexcept;

    const std::string clientName_;
    jack_client_t* client_ = nullptr;
    // Set on JACK's own thread when the server goes.
    std::atomic<bool> gone_{false};
};

}  // namespace pellum::midi
