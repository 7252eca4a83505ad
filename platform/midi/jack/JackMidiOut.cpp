// JACK output through libjack directly: the window thread queues, the process callback writes.
#include "platform/midi/jack/JackMidiOut.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/midi/MidiCable.h"
#include "platform/midi/jack/JackClient.h"
#include "platform/midi/jack/JackLibrary.h"

namespace pellum::midi {

namespace {

// Enough for several of the largest messages the program sends (65535 bytes) at once.
constexpr std::size_t kQueueBytes = 256 * 1024;
constexpr auto kPollInterval = std::chrono::milliseconds(1);
// How long a new connection may take to show, and how many cycles it is given after that.
constexpr auto kConnectLimit = std::chrono::seconds(2);
constexpr std::uint64_t kSettleCycles = 2;
// An interface buffers a little beyond the cable's rate.
constexpr double kInterfaceBacklog = 256;

}  // namespace

JackMidiOut::JackMidiOut() : ring_(kQueueBytes) {}

JackMidiOutHandle JackMidiOut::open(const std::string& clientName, const std::string& destination,
                                    MMRESULT& code) {
    JackMidiOutHandle out(new JackMidiOut());
    JackClientPort opened = openJackClientPort(clientName, "out", JackPortIsOutput);
    jack_client_t* client = opened.client.get();
    if (client == nullptr) {
        code = kMidiServerStopped;
        return nullptr;
    }
    out->port_ = opened.port;
    if (out->port_ == nullptr ||
        jack_set_process_callback(client, &JackMidiOut::process, out.get()) != 0) {
        code = MMSYSERR_ERROR;
        return nullptr;
    }
    if (jack_port_t* target = jack_port_by_name(client, destination.c_str());
        target != nullptr && (jack_port_flags(target) & JackPortIsPhysical) != 0) {
        out->paced_ = true;
        out->cableBytesPerFrame_ = kCableBytesPerSecond / jack_get_sample_rate(client);
    }
    jack_on_shutdown(client, &JackMidiOut::shutdown, out.get());
    code = activateAndConnect(client, jack_port_name(out->port_), destination.c_str());
    if (code != MMSYSERR_NOERROR) return nullptr;
    out->client_ = opened.client.release();
    out->destination_ = destination;
    out->settleConnection(destination);
    return out;
}

void JackMidiOut::settleConnection(const std::string& destination) {
    const auto deadline = std::chrono::steady_clock::now() + kConnectLimit;
    while (jack_port_connected_to(port_, destination.c_str()) == 0 &&
           std::chrono::steady_clock::now() < deadline &&
           !serverGone_.load(std::memory_order_acquire)) {
        std::this_thread::sleep_for(kPollInterval);
    }
    // Sends need not wait for this: their bytes stay queued until the cycle comes.
    writeFromCycle_.store(cycles_.load(std::memory_order_acquire) + kSettleCycles,
                          std::memory_order_release);
}

JackMidiOut::~JackMidiOut() {
    if (client_ == nullptr) return;  // a failed open; its client is already closed
    flush();
    jack_deactivate(client_);
    jack_client_close(client_);
}

MMRESULT JackMidiOut::send(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return MMSYSERR_NOERROR;
    if (count > maxMessage()) return MMSYSERR_INVALPARAM;
    if (failure_ == MMSYSERR_NOERROR && serverGone_.load(std::memory_order_acquire))
        failure_ = kMidiServerStopped;
    // Asked before each message: bytes queued for a port nobody reads are lost without a trace.
    if (failure_ == MMSYSERR_NOERROR && !destinationConnected()) failure_ = kMidiDestinationGone;
    if (failure_ != MMSYSERR_NOERROR) return failure_;
    const auto length = static_cast<std::uint32_t>(count);
    failure_ =
        waitWhileCycling([&] { return ring_.write(&length, sizeof length, bytes, count); }, true);
    return failure_;
}

MMRESULT JackMidiOut::flush() {
    if (failure_ == MMSYSERR_NOERROR)
        failure_ = waitWhileCycling([&] { return ring_.empty(); }, true);
    if (failure_ != MMSYSERR_NOERROR) return failure_;
    // The last events sit in this cycle's port buffer until the reading side has had its turn;
    // a destination that leaves now may well have had them.
    const std::uint64_t emptiedAt = cycles_.load(std::memory_order_acquire);
    failure_ = waitWhileCycling(
        [&] { return cycles_.load(std::memory_order_acquire) >= emptiedAt + 2; }, false);
    return failure_;
}

MMRESULT JackMidiOut::pending() {
    if (failure_ != MMSYSERR_NOERROR || ring_.empty()) return failure_;
    failure_ = stillCycling(true);
    return failure_ != MMSYSERR_NOERROR ? failure_ : MIDIERR_STILLPLAYING;
}

bool JackMidiOut::destinationConnected() const {
    return jack_port_connected_to(port_, destination_.c_str()) != 0;
}

template <typename Done>
MMRESULT JackMidiOut::waitWhileCycling(Done done, bool watchDestination) {
    lastCycle_ = cycles_.load(std::memory_order_acquire);
    lastProgress_ = std::chrono::steady_clock::now();
    while (!done()) {
        if (const MMRESULT code = stillCycling(watchDestination)) return code;
        std::this_thread::sleep_for(kPollInterval);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT JackMidiOut::stillCycling(bool watchDestination) {
    if (serverGone_.load(std::memory_order_acquire)) return kMidiServerStopped;
    if (watchDestination && !destinationConnected()) return kMidiDestinationGone;
    const std::uint64_t cycle = cycles_.load(std::memory_order_acquire);
    const auto now = std::chrono::steady_clock::now();
    if (cycle != lastCycle_) {
        lastCycle_ = cycle;
        lastProgress_ = now;
    } else if (now - lastProgress_ > kStallLimit) {
        return kMidiServerStopped;
    }
    return MMSYSERR_NOERROR;
}

int JackMidiOut::process(jack_nframes_t frames, void* self) noexcept {
    auto& out = *static_cast<JackMidiOut*>(self);
    void* buffer = jack_port_get_buffer(out.port_, frames);
    jack_midi_clear_buffer(buffer);
    const std::uint64_t cycle = out.cycles_.load(std::memory_order_relaxed);
    if (cycle >= out.writeFromCycle_.load(std::memory_order_acquire)) {
        out.writeEvents(buffer, frames);
    }
    out.cycles_.store(cycle + 1, std::memory_order_release);
    return 0;
}

void JackMidiOut::writeEvents(void* buffer, jack_nframes_t frames) noexcept {
    budget_.reset();
    std::size_t cable = SIZE_MAX;
    if (paced_) {
        const double perCycle = cableBytesPerFrame_ * frames;
        cableCredit_ = std::min(cableCredit_ + perCycle, std::max(perCycle, kInterfaceBacklog));
        cable = static_cast<std::size_t>(cableCredit_);
    }
    const std::size_t serverMax = jack_midi_max_event_size(buffer);
    // What one event may hold in a cycle of its own: a message that fits goes whole, as JACK
    // clients write and many receivers read them; a longer one goes in pieces.
    const std::size_t whole = std::min(
        JackCycleBudget().room(serverMax, JackCycleBudget::kLargestWholeEvent),
        paced_ ? static_cast<std::size_t>(std::max(cableBytesPerFrame_ * frames, 1.0)) : SIZE_MAX);
    for (;;) {
        if (remaining_ == 0) {
            std::uint32_t length = 0;
            // The producer publishes a length and its message together, so both are readable.
            if (ring_.readable() < sizeof length + 1) return;
            ring_.peek(&length, sizeof length);
            ring_.consume(sizeof length);
            remaining_ = length;
            remainingWhole_ = length <= whole;
        }
        const std::size_t room =
            std::min(budget_.room(serverMax, remainingWhole_ ? JackCycleBudget::kLargestWholeEvent
                                                             : JackCycleBudget::kEventBytes),
                     cable);
        if (room == 0) return;
        // A message that goes whole waits for a cycle with room for it.
        if (remainingWhole_ && room < remaining_) return;
        const std::size_t size = std::min(room, remaining_);
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
        if (event == nullptr) return;
        ring_.peek(event, size);
        ring_.consume(size);
        remaining_ -= size;
        budget_.take(size);
        if (paced_) {
            cableCredit_ -= static_cast<double>(size);
            cable -= size;
        }
    }
}

void JackMidiOut::shutdown(void* self) noexcept {
    static_cast<JackMidiOut*>(self)->serverGone_.store(true, std::memory_order_release);
}

}  // namespace pellum::midi
