// A winmm input driver emulated over a plain MIDI byte stream, for backends whose transport has
// no buffer queue of its own (ALSA, JACK, and the tests' loopback). It keeps the queue of SysEx
// buffers, splits the stream into short messages and buffers, and calls the client's callback in
// stream order.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/midi/MidiApi.h"

namespace pellum::midi {

class EmulatedMidiIn : public MidiInPort {
public:
    // What the transport knows of a place where input may be missing, how much it cannot say:
    // nothing came around it (Quiet), data was coming (Possible), or input was dropped there
    // for certain (Certain).
    enum class Gap { None, Quiet, Possible, Certain };
    // The clock of arrival times; a message's time stamp counts milliseconds on it from start().
    using Clock = std::chrono::steady_clock;

    EmulatedMidiIn(MidiInProc callback, std::uintptr_t instance);

    // The client's operations, from any thread.
    MMRESULT prepareHeader(MIDIHDR* header, std::uint32_t headerSize);
    MMRESULT unprepareHeader(MIDIHDR* header, std::uint32_t headerSize);
    MMRESULT addBuffer(MIDIHDR* header, std::uint32_t headerSize);
    MMRESULT start();
    // Stops input and hands every queued buffer back through the callback, on the calling thread
    // but never alongside another callback call.
    MMRESULT reset();
    bool hasQueuedBuffers() const;

    // The transport's side: bytes as they arrived at `at`, in any fragments. A buffer goes back
    // to the client when it is full or when F7 ends the SysEx in it, stamped with the arrival of
    // its first byte; the next SysEx starts in the next buffer. Bytes that arrive before start,
    // or find no queued buffer, are dropped and counted.
    void receive(const std::uint8_t* bytes, std::size_t count, Clock::time_point at = Clock::now());
    // As receive(), but stops before a SysEx byte that finds no queued buffer instead of
    // dropping it: returns how many bytes were taken. The rest waits with the caller.
    std::size_t receiveWhileBuffered(const std::uint8_t* bytes, std::size_t count,
                                     Clock::time_point at = Clock::now());
    // Waits up to `limit` for a buffer to be queued (or input to stop); true when one is queued.
    bool waitForBuffer(std::chrono::milliseconds limit);
    // `count` bytes of the stream were lost before they got here: they are counted, and a SysEx
    // they broke comes back marked as broken (and empty) rather than joined to what follows.
    // `gap`: besides, an unknown amount may be missing here. It is counted as a gap when it is
    // certain or broke a SysEx in flight, else as a possible gap unless it was quiet.
    void lose(std::uint64_t count, Gap gap = Gap::None);
    // Calls the callback with a message that carries no data (MIM_OPEN, MIM_CLOSE).
    void announce(std::uint32_t msg);

    std::uint64_t droppedBytes() const;
    // SysEx messages that were started but never finished: broken off by a status byte, a loss
    // or a gap, or left unfinished when input was reset. Each is counted once.
    std::uint64_t brokenMessages() const;
    // Places in the stream where an unknown amount is missing: a SysEx was broken there.
    std::uint64_t gaps() const;
    // Places between messages where an unknown amount may be missing, or nothing.
    std::uint64_t possibleGaps() const;
    std::vector<const MIDIHDR*> queuedBuffers() const;

private:
    struct Delivery {
        std::uint32_t msg;
        std::uintptr_t param1;
        std::uintptr_t param2;
    };

    std::size_t receiveLocked(const std::uint8_t* bytes, std::size_t count, bool wait,
                              Clock::time_point at);
    // False, with nothing changed, when `wait` is set and the byte needs a buffer none is queued.
    bool take(std::uint8_t byte, std::uint32_t stamp, bool wait);
    void breakSysex(std::uint32_t stamp);
    void cutShortMessage();
    void appendSysex(std::uint8_t byte, std::uint32_t stamp);
    void returnHead(std::uint32_t msg, std::uint32_t stamp);
    void deliverPending() noexcept;
    std::uint32_t stampAt(Clock::time_point at) const;
    std::uint32_t stampNow() const { return stampAt(Clock::now()); }

    const MidiInProc callback_;
    const std::uintptr_t instance_;

    // Held while the callback runs, so callback calls never overlap and keep stream order even
    // when reset() runs on another thread than receive(). Guards pending_.
    std::mutex deliveryMutex_;
    std::vector<Delivery> pending_;

    // Guards everything below; never held while the callback runs, so the callback may queue
    // buffers again.
    mutable std::mutex stateMutex_;
    std::condition_variable bufferQueued_;
    std::deque<MIDIHDR*> queue_;
    bool started_ = false;
    Clock::time_point startTime_;
    std::uint32_t headStamp_ = 0;  // when the first byte in the head buffer came
    bool inSysex_ = false;
    std::uint8_t status_ = 0;  // status of the short message being collected, or running status
    std::uint8_t data_[2] = {0, 0};
    int have_ = 0;
    int need_ = 0;
    int unsent_ = 0;  // bytes of the short message being collected (its status unless running)
    std::uint64_t dropped_ = 0;
    std::uint64_t broken_ = 0;
    std::uint64_t gaps_ = 0;
    std::uint64_t possibleGaps_ = 0;
};

}  // namespace pellum::midi
