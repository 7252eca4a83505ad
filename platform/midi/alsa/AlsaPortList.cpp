// The ALSA device listing: the sequencer's clients and their MIDI ports, one query each.
#include "platform/midi/alsa/AlsaPortList.h"

#include <unistd.h>

#include <cstdio>

namespace pellum::midi {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

std::string portName(snd_seq_client_info_t* client, snd_seq_port_info_t* port) {
    return std::string(snd_seq_client_info_get_name(client)) + ":" +
           snd_seq_port_info_get_name(port) + " " +
           std::to_string(snd_seq_port_info_get_client(port)) + ":" +
           std::to_string(snd_seq_port_info_get_port(port));
}

}  // namespace

AlsaPortList::AlsaPortList(const std::string& clientName) {
    // Without the sequencer's device there is nothing to open, and alsa-lib would be loaded and
    // read its whole configuration to find that out.
    if (::access("/dev/snd/seq", F_OK) != 0 || alsaLibrary() == nullptr) return;
    snd_lib_error_set_handler(&quietAlsa);
    if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        seq_ = nullptr;
    } else {
        snd_seq_set_client_name(seq_, clientName.c_str());
    }
    snd_lib_error_set_handler(nullptr);
}

AlsaPortList::~AlsaPortList() {
    if (seq_ != nullptr) snd_seq_close(seq_);
}

std::vector<std::string> AlsaPortList::ports(bool inputs) const {
    std::vector<std::string> list;
    if (seq_ == nullptr) return list;
    // Ports we can read from are inputs to us, ports we can write to outputs.
    const unsigned wanted = inputs ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                   : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
    snd_seq_client_info_t* client = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq_, client) >= 0) {
        snd_seq_port_info_set_client(port, snd_seq_client_info_get_client(client));
        snd_seq_port_info_set_port(port, -1);
        while (snd_seq_query_next_port(seq_, port) >= 0) {
            // MIDI ports only: the system's timer and announcements are none.
            const unsigned type = snd_seq_port_info_get_type(port);
            const unsigned caps = snd_seq_port_info_get_capability(port);
            if ((type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                         SND_SEQ_PORT_TYPE_APPLICATION)) == 0 ||
                (caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0) {
                continue;
            }
            list.push_back(portName(client, port));
        }
    }
    return list;
}

bool alsaAddress(const std::string& name, int& client, int& port) {
    const std::size_t space = name.rfind(' ');
    return space != std::string::npos &&
           std::sscanf(name.c_str() + space + 1, "%d:%d", &client, &port) == 2;
}

}  // namespace pellum::midi
