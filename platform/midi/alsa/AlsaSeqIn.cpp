// ALSA sequencer input through alsa-lib directly: a reader thread hands the events to the pump.
#include "platform/midi/alsa/AlsaSeqIn.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

namespace pellum::midi {

namespace {

// The most events the kernel keeps for one client's input (its own limit), and room in our read
// buffer for many of them: a 65,535-byte message arriving at full speed stays in flight whole.
constexpr long kInputPoolEvents = 2000;
constexpr std::size_t kInputBufferBytes = 1 << 20;
// A short message never needs more than three bytes; real-time ones one.
constexpr long kDecoderBytes = 16;
// How soon a loss the ring had no room to mark is tried again, when no more input comes.
constexpr int kMarkRetryMs = 5;

}  // namespace

std::unique_ptr<AlsaSeqIn> AlsaSeqIn::open(const std::string& clientName, int sourceClient,
                                           int sourcePort, InputPump& pump, MMRESULT& code) {
    std::unique_ptr<AlsaSeqIn> in(new AlsaSeqIn(pump, sourceClient, sourcePort));
    if (alsaLibrary() == nullptr ||
        // Duplex: starting the queue that stamps input is an event we send.
        snd_seq_open(&in->seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
        in->seq_ = nullptr;
        code = MMSYSERR_NODRIVER;
        return nullptr;
    }
    snd_seq_set_client_name(in->seq_, clientName.c_str());
    snd_seq_set_client_pool_input(in->seq_, kInputPoolEvents);
    snd_seq_set_input_buffer_size(in->seq_, kInputBufferBytes);
    in->port_ = snd_seq_create_simple_port(
        in->seq_, "in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
        SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (in->port_ < 0 || snd_midi_event_new(kDecoderBytes, &in->decoder_) < 0 ||
        ::pipe2(in->stop_, O_CLOEXEC) != 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    snd_midi_event_no_status(in->decoder_, 1);  // every short message whole, status included
    // The system's announcements tell when the source's port or client goes away.
    snd_seq_connect_from(in->seq_, in->port_, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
    if (!in->subscribeStamped() &&
        snd_seq_connect_from(in->seq_, in->port_, sourceClient, sourcePort) < 0) {
        code = MIDIERR_NODEVICE;  // the source went away since the list was made
        return nullptr;
    }
    in->reader_ = std::thread([raw = in.get()] { raw->run(); });
    code = MMSYSERR_NOERROR;
    return in;
}

bool AlsaSeqIn::subscribeStamped() {
    queue_ = snd_seq_alloc_named_queue(seq_, "Pellum in");
    if (queue_ < 0) return false;
    if (snd_seq_start_queue(seq_, queue_, nullptr) < 0 || snd_seq_drain_output(seq_) < 0) {
        queue_ = -1;  // it goes with the client
        return false;
    }
    queueStart_ = EmulatedMidiIn::Clock::now();
    snd_seq_port_subscribe_t* subscription = nullptr;
    snd_seq_port_subscribe_alloca(&subscription);
    const snd_seq_addr_t sender{static_cast<unsigned char>(sourceClient_),
                                static_cast<unsigned char>(sourcePort_)};
    const snd_seq_addr_t dest{static_cast<unsigned char>(snd_seq_client_id(seq_)),
                              static_cast<unsigned char>(port_)};
    snd_seq_port_subscribe_set_sender(subscription, &sender);
    snd_seq_port_subscribe_set_dest(subscription, &dest);
    snd_seq_port_subscribe_set_queue(subscription, queue_);
    snd_seq_port_subscribe_set_time_update(subscription, 1);
    snd_seq_port_subscribe_set_time_real(subscription, 1);
    if (snd_seq_subscribe_port(seq_, subscription) == 0) return true;
    queue_ = -1;
    return false;
}

EmulatedMidiIn::Clock::time_point AlsaSeqIn::arrival(const snd_seq_event_t& event) const noexcept {
    const auto now = EmulatedMidiIn::Clock::now();
    if (queue_ < 0 || event.queue != queue_ ||
        (event.flags & SND_SEQ_TIME_STAMP_MASK) != SND_SEQ_TIME_STAMP_REAL)
        return now;
    const auto at = queueStart_ + std::chrono::seconds(event.time.time.tv_sec) +
                    std::chrono::nanoseconds(event.time.time.tv_nsec);
    // The queue started a little after queueStart_ was read: never later than now.
    return std::min(at, now);
}

AlsaSeqIn::~AlsaSeqIn() {
    if (reader_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const ssize_t written = ::write(stop_[1], &stop, 1);
        reader_.join();
    }
    for (int fd : stop_) {
        if (fd >= 0) ::close(fd);
    }
    if (decoder_ != nullptr) snd_midi_event_free(decoder_);
    if (seq_ != nullptr) snd_seq_close(seq_);
}

void AlsaSeqIn::run() noexcept {
    const int count = snd_seq_poll_descriptors_count(seq_, POLLIN);
    std::vector<pollfd> fds(static_cast<std::size_t>(count) + 1);
    snd_seq_poll_descriptors(seq_, fds.data(), static_cast<unsigned>(count), POLLIN);
    fds.back() = {stop_[0], POLLIN, 0};
    int timeout = -1;
    for (;;) {
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
        if (fds.back().revents != 0) break;
        for (;;) {
            snd_seq_event_t* event = nullptr;
            const int result = snd_seq_event_input(seq_, &event);
            if (result == -EAGAIN) break;
            if (result < 0) {
                // -ENOSPC: the kernel's queue for us overflowed and dropped events here. Any
                // other error loses what it held as well.
                pump_.gap();
                if (result != -ENOSPC) break;
                continue;
            }
            if (event != nullptr) take(*event);
        }
        // A loss at the end of a burst is marked as soon as the ring has room, not whenever
        // the next input happens to come.
        timeout = pump_.markLoss() ? -1 : kMarkRetryMs;
        pump_.wake();
    }
}

void AlsaSeqIn::take(const snd_seq_event_t& event) noexcept {
    if (event.dest.port != port_ || ended_) return;
    if (sourceGone(event)) {
        ended_ = true;
        pump_.transportBroke();
        return;
    }
    if (event.source.client != sourceClient_ || event.source.port != sourcePort_) return;
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        pump_.put(static_cast<const std::uint8_t*>(event.data.ext.ptr), event.data.ext.len,
                  arrival(event));
        return;
    }
    unsigned char bytes[kDecoderBytes];
    const long length =
        snd_midi_event_decode(decoder_, bytes, sizeof bytes, const_cast<snd_seq_event_t*>(&event));
    if (length > 0) pump_.put(bytes, static_cast<std::size_t>(length), arrival(event));
}

bool AlsaSeqIn::sourceGone(const snd_seq_event_t& event) const noexcept {
    if (event.source.client != SND_SEQ_CLIENT_SYSTEM) return false;
    switch (event.type) {
        case SND_SEQ_EVENT_CLIENT_EXIT:
            return event.data.addr.client == sourceClient_;
        case SND_SEQ_EVENT_PORT_EXIT:
            return event.data.addr.client == sourceClient_ && event.data.addr.port == sourcePort_;
        case SND_SEQ_EVENT_PORT_UNSUBSCRIBED:
            return event.data.connect.sender.client == sourceClient_ &&
                   event.data.connect.sender.port == sourcePort_ &&
                   event.data.connect.dest.client == snd_seq_client_id(seq_) &&
                   event.data.connect.dest.port == port_;
        default:
            return false;
    }
}

}  // namespace pellum::midi
