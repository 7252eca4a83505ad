// ALSA sequencer output through alsa-lib directly.
#include "platform/midi/alsa/AlsaSeqOut.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/midi/MidiCable.h"

namespace pellum::midi {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(1);
// Half of the kernel's usual output buffer for a MIDI port (one page).
constexpr std::size_t kKernelBacklog = 2048;

}  // namespace

std::vector<snd_seq_event_t> alsaRawEvents(std::span<const std::uint8_t> bytes, int sourcePort) {
    std::vector<snd_seq_event_t> events;
    events.reserve((bytes.size() + kAlsaEventBytes - 1) / kAlsaEventBytes);
    for (std::size_t at = 0; at < bytes.size(); at += kAlsaEventBytes) {
        const std::size_t size = std::min(kAlsaEventBytes, bytes.size() - at);
        snd_seq_event_t& event = events.emplace_back();
        snd_seq_ev_clear(&event);
        // Only SysEx-type events reach a port as the bytes they hold; the encoder would parse
        // them instead and drop what is not a complete message.
        snd_seq_ev_set_sysex(&event, static_cast<unsigned>(size),
                             const_cast<std::uint8_t*>(bytes.data() + at));
        snd_seq_ev_set_source(&event, sourcePort);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
    }
    return events;
}

MMRESULT alsaDeliver(std::span<snd_seq_event_t> events, const AlsaEventWriter& write,
                     std::chrono::milliseconds stallLimit,
                     const std::function<void(const snd_seq_event_t&)>& beforeEach) {
    for (snd_seq_event_t& event : events) {
        if (beforeEach) beforeEach(event);
        const auto since = std::chrono::steady_clock::now();
        for (;;) {
            const int result = write(event);
            if (result >= 0) break;
            // The receiving client or its port is gone: what follows would reach nobody.
            if (result == -ENOENT || result == -ENXIO) return kMidiDestinationGone;
            // A direct event finds the receiver's queue full: nothing of it was taken.
            if (result != -EAGAIN && result != -ENOMEM) return MMSYSERR_ERROR;
            if (std::chrono::steady_clock::now() - since > stallLimit) return MIDIERR_NOTREADY;
            std::this_thread::sleep_for(kRetryInterval);
        }
    }
    return MMSYSERR_NOERROR;
}

MidiCablePace::Clock::duration MidiCablePace::waitBefore(std::size_t bytes, Clock::time_point now) {
    const auto perByte = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / kCableBytesPerSecond));
    const auto length = perByte * static_cast<Clock::rep>(bytes);
    if (cableFreeAt_ < now) cableFreeAt_ = now;
    // Ready when what is still ahead of the cable, these bytes included, fits the backlog.
    Clock::time_point readyAt = cableFreeAt_ + length - perByte * static_cast<Clock::rep>(backlog_);
    if (readyAt < now) readyAt = now;
    cableFreeAt_ = std::max(cableFreeAt_, readyAt) + length;
    return readyAt - now;
}

std::unique_ptr<AlsaSeqOut> AlsaSeqOut::open(const std::string& clientName, int destClient,
                                             int destPort, MMRESULT& code) {
    std::unique_ptr<AlsaSeqOut> out(new AlsaSeqOut());
    if (alsaLibrary() == nullptr ||
        snd_seq_open(&out->seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
        out->seq_ = nullptr;
        code = MMSYSERR_NODRIVER;
        return nullptr;
    }
    snd_seq_set_client_name(out->seq_, clientName.c_str());
    out->port_ = snd_seq_create_simple_port(
        out->seq_, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (out->port_ < 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    if (snd_seq_connect_to(out->seq_, out->port_, destClient, destPort) < 0) {
        code = MIDIERR_NODEVICE;
        return nullptr;
    }
    out->destination_ = {static_cast<unsigned char>(destClient),
                         static_cast<unsigned char>(destPort)};
    // A raw MIDI device behind the port (a card's client: an interface with a cable, or a
    // virtual raw MIDI device read by a program) takes what its driver buffers and drops the
    // rest, so it is fed at the cable's rate. Every other port says when it is full and is fed
    // as fast as it takes: a program's, or a kernel client of the sequencer's own such as
    // "Midi Through" (both show the same port type as a virtual raw MIDI device; the card tells).
    snd_seq_client_info_t* client = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_t* port = nullptr;
    snd_seq_port_info_alloca(&port);
    const bool known = snd_seq_get_any_client_info(out->seq_, destClient, client) >= 0 &&
                       snd_seq_get_any_port_info(out->seq_, destClient, destPort, port) >= 0;
    if (!known || snd_seq_client_info_get_card(client) >= 0 ||
        (snd_seq_port_info_get_type(port) & SND_SEQ_PORT_TYPE_HARDWARE) != 0) {
        out->pace_ = std::make_unique<MidiCablePace>(kKernelBacklog);
    }
    code = MMSYSERR_NOERROR;
    return out;
}

bool AlsaSeqOut::connected() const {
    snd_seq_port_subscribe_t* subscription = nullptr;
    snd_seq_port_subscribe_alloca(&subscription);
    const snd_seq_addr_t sender{static_cast<unsigned char>(snd_seq_client_id(seq_)),
                                static_cast<unsigned char>(port_)};
    snd_seq_port_subscribe_set_sender(subscription, &sender);
    snd_seq_port_subscribe_set_dest(subscription, &destination_);
    return snd_seq_get_port_subscription(seq_, subscription) == 0;
}

AlsaSeqOut::~AlsaSeqOut() {
    if (seq_ != nullptr) snd_seq_close(seq_);
}

MMRESULT AlsaSeqOut::send(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return MMSYSERR_NOERROR;
    std::vector<snd_seq_event_t> events = alsaRawEvents({bytes, count}, port_);
    const auto write = [this](snd_seq_event_t& event) {
        // Events go to our subscribers: with the destination gone (or unplugged by a patchbay)
        // there are none, and the sequencer takes them without a word.
        if (!connected()) return -ENOENT;
        return snd_seq_event_output_direct(seq_, &event);
    };
    std::function<void(const snd_seq_event_t&)> pace;
    if (pace_) {
        pace = [this](const snd_seq_event_t& event) {
            std::this_thread::sleep_for(
                pace_->waitBefore(event.data.ext.len, MidiCablePace::Clock::now()));
        };
    }
    return alsaDeliver(events, write, kStallLimit, pace);
}

}  // namespace pellum::midi
