// One output port of our own on the ALSA sequencer, connected to one destination port. A long
// message goes out byte for byte, whatever it holds (a whole SysEx, the tail of one, a message
// without its F7), as consecutive SysEx-type events, the kind the sequencer carries unchanged.
// A receiver that has no room is waited for; bytes that cannot be carried give an error code.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/midi/MidiApi.h"
#include "platform/midi/alsa/AlsaLibrary.h"

namespace pellum::midi {

// The largest piece of a message one event carries.
inline constexpr std::size_t kAlsaEventBytes = 256;

// The events that carry `bytes` unchanged and in order, from `sourcePort` to its subscribers at
// once. They point into `bytes`, which must outlive them.
std::vector<snd_seq_event_t> alsaRawEvents(std::span<const std::uint8_t> bytes, int sourcePort);

// Writes one event; returns what snd_seq_event_output_direct returns.
using AlsaEventWriter = std::function<int(snd_seq_event_t&)>;

// Writes the events one at a time, in order. A receiver that is full (-EAGAIN, -ENOMEM) is
// waited for and the event written again; MIDIERR_NOTREADY when no event got through for
// `stallLimit`, MMSYSERR_ERROR on any other failure. `beforeEach` runs before every event.
MMRESULT alsaDeliver(std::span<snd_seq_event_t> events, const AlsaEventWriter& write,
                     std::chrono::milliseconds stallLimit,
                     const std::function<void(const snd_seq_event_t&)>& beforeEach = {});

// A hardware port drops a SysEx piece silently when its MIDI cable is behind, so bytes for it
// are held to the cable's 3125 bytes a second, with `backlogBytes` allowed ahead of it.
class MidiCablePace {
public:
    using Clock = std::chrono::steady_clock;
    explicit MidiCablePace(std::size_t backlogBytes) : backlog_(backlogBytes) {}
    // How long to wait at `now` before `bytes` more may go; counts them as sent after that.
    Clock::duration waitBefore(std::size_t bytes, Clock::time_point now);

private:
    std::size_t backlog_;
    Clock::time_point cableFreeAt_{};  // when the cable will have sent everything so far
};

class AlsaSeqOut {
public:
    // Returns nullptr and sets `code` when the sequencer, the port or the connection fails.
    static std::unique_ptr<AlsaSeqOut> open(const std::string& clientName, int destClient,
                                            int destPort, MMRESULT& code);
    ~AlsaSeqOut();
    int clientId() const { return snd_seq_client_id(seq_); }
    AlsaSeqOut(const AlsaSeqOut&) = delete;
    AlsaSeqOut& operator=(const AlsaSeqOut&) = delete;

    // Returns once every byte is with the receiver (or, for a hardware port, in its output
    // buffer); an error code when some could not be delivered.
    MMRESULT send(const std::uint8_t* bytes, std::size_t count);

private:
    AlsaSeqOut() = default;

    // Whether our port still feeds the destination.
    bool connected() const;

    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    snd_seq_addr_t destination_{};
    std::unique_ptr<MidiCablePace> pace_;  // for hardware destinations only
};

}  // namespace pellum::midi
