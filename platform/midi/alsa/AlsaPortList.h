// The ALSA sequencer's MIDI ports of other programs, read through one client kept open for it:
// a list costs a query, not a client.
#pragma once

#include <string>
#include <vector>

#include "platform/midi/alsa/AlsaLibrary.h"

namespace pellum::midi {

class AlsaPortList {
public:
    // Opens the listing client under `clientName`; without a sequencer the lists are empty.
    explicit AlsaPortList(const std::string& clientName);
    ~AlsaPortList();
    AlsaPortList(const AlsaPortList&) = delete;
    AlsaPortList& operator=(const AlsaPortList&) = delete;

    bool available() const { return seq_ != nullptr; }
    // The MIDI ports we can read from (`inputs`) or write to, named in the form earlier saved
    // settings and scripts hold: "client:port client-number:port-number".
    std::vector<std::string> ports(bool inputs) const;

private:
    snd_seq_t* seq_ = nullptr;
};

// The address a port's listed name ends with, "client-number:port-number".
bool alsaAddress(const std::string& name, int& client, int& port);

}  // namespace pellum::midi
