// ALSA sequencer output through alsa-lib directly.
#include "platform/midi/AlsaSeqOut.h"

namespace pellum::midi {

namespace {

// The encoder cuts a SysEx into events of this many bytes; receivers join them until F7.
constexpr std::size_t kEventBytes = 256;

}  // namespace

std::unique_ptr<AlsaSeqOut> AlsaSeqOut::open(const std::string& clientName, int destClient,
                                             int destPort, MMRESULT& code) {
    std::unique_ptr<AlsaSeqOut> out(new AlsaSeqOut());
    // Blocking mode: a full pool makes the write wait rather than fail.
    if (snd_seq_open(&out->seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        out->seq_ = nullptr;
        code = MMSYSERR_NODRIVER;
        return nullptr;
    }
    snd_seq_set_client_name(out->seq_, clientName.c_str());
    out->port_ = snd_seq_create_simple_port(
        out->seq_, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (out->port_ < 0 || snd_midi_event_new(kEventBytes, &out->encoder_) < 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    if (snd_seq_connect_to(out->seq_, out->port_, destClient, destPort) < 0) {
        code = MIDIERR_NODEVICE;
        return nullptr;
    }
    code = MMSYSERR_NOERROR;
    return out;
}

AlsaSeqOut::~AlsaSeqOut() {
    if (encoder_ != nullptr) snd_midi_event_free(encoder_);
    if (seq_ != nullptr) {
        snd_seq_drain_output(seq_);
        snd_seq_close(seq_);
    }
}

MMRESULT AlsaSeqOut::send(const std::uint8_t* bytes, std::size_t count) {
    snd_midi_event_reset_encode(encoder_);
    std::size_t offset = 0;
    while (offset < count) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        const long used = snd_midi_event_encode(encoder_, bytes + offset,
                                                static_cast<long>(count - offset), &event);
        if (used <= 0) return MMSYSERR_ERROR;
        offset += static_cast<std::size_t>(used);
        if (event.type == SND_SEQ_EVENT_NONE) continue;  // an incomplete message at the end
        snd_seq_ev_set_source(&event, port_);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        if (snd_seq_event_output(seq_, &event) < 0) return MMSYSERR_ERROR;
    }
    return snd_seq_drain_output(seq_) < 0 ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

}  // namespace pellum::midi
