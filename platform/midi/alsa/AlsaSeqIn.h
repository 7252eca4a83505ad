// One input port of our own on the ALSA sequencer, subscribed from one source port and read by a
// thread of its own through alsa-lib, as JACK input is read through libjack. The client's input
// pool and buffer hold a 65,535-byte message sent at full speed in flight, every SysEx event goes
// whole into the input pump in order, and an overrun or read error is marked as a gap at its
// place in the stream rather than passed over.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/midi/MidiApi.h"
#include "platform/midi/alsa/AlsaLibrary.h"
#include "platform/midi/input/InputPump.h"

namespace pellum::midi {

class AlsaSeqIn {
public:
    // Returns nullptr and sets `code` when any step fails.
    static std::unique_ptr<AlsaSeqIn> open(const std::string& clientName, int sourceClient,
                                           int sourcePort, InputPump& pump, MMRESULT& code);
    // No more input reaches the pump once this has returned.
    ~AlsaSeqIn();
    AlsaSeqIn(const AlsaSeqIn&) = delete;
    AlsaSeqIn& operator=(const AlsaSeqIn&) = delete;
    int clientId() const { return snd_seq_client_id(seq_); }

private:
    AlsaSeqIn(InputPump& pump, int sourceClient, int sourcePort)
        : pump_(pump), sourceClient_(sourceClient), sourcePort_(sourcePort) {}
    void run() noexcept;
    void take(const snd_seq_event_t& event) noexcept;
    // Subscribes from the source with each event stamped on the real-time clock of a queue of
    // our own; false when the sequencer gives none (input then goes unstamped).
    bool subscribeStamped();
    // When the event arrived: the sequencer's stamp where it has one of ours, else now.
    EmulatedMidiIn::Clock::time_point arrival(const snd_seq_event_t& event) const noexcept;
    // Our subscription from the source went, or the source itself: input has ended.
    bool sourceGone(const snd_seq_event_t& event) const noexcept;

    InputPump& pump_;
    const int sourceClient_;
    const int sourcePort_;
    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    int queue_ = -1;  // stamps what arrives, from queueStart_ on
    EmulatedMidiIn::Clock::time_point queueStart_;
    snd_midi_event_t* decoder_ = nullptr;
    int stop_[2] = {-1, -1};  // a pipe whose write end wakes the reader to end
    std::thread reader_;
    bool ended_ = false;  // reader thread only
};

}  // namespace pellum::midi
