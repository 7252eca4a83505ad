// Carries received bytes from a transport's real-time thread to the emulated input driver. The
// transport thread only copies into a lock-free ring; a thread of the pump's own feeds the
// driver, and when every buffer is out with the client it waits for one to come back instead of
// dropping bytes. Only a ring that fills up loses data, and then the loss is counted and marked
// at its place in the stream.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>

#include "platform/midi/SpscByteRing.h"
#include "platform/midi/input/EmulatedMidiIn.h"

namespace pellum::midi {

class InputPump {
public:
    // About 5 s of a JACK port at its full rate (32 KiB a period at 48 kHz and 1024 frames).
    static constexpr std::size_t kDefaultRingBytes = 8u << 20;

    explicit InputPump(EmulatedMidiIn& driver, std::size_t ringBytes = kDefaultRingBytes);
    ~InputPump();
    InputPump(const InputPump&) = delete;
    InputPump& operator=(const InputPump&) = delete;

    void start();
    // Call once the transport has stopped calling put(): ends the thread; bytes still queued
    // are discarded, since input has been stopped by then.
    void stop();

    // The transport's thread: never locks, allocates or waits. `at`: when the bytes arrived, on
    // the steady clock (the transport knows it best: a JACK event's frame); now by default.
    void put(const std::uint8_t* bytes, std::size_t count,
             EmulatedMidiIn::Clock::time_point at = EmulatedMidiIn::Clock::now()) noexcept;
    // The transport has ended (its source vanished, its server stopped): a message left
    // unfinished is broken off once what was put before has been handed on. Any thread.
    // `inputLost`: it ended because it fell behind, so input may be missing before the end.
    void transportBroke(bool inputLost = false) noexcept;
    // True once everything put before transportBroke() has been handed on and the break made.
    bool transportEnded() const noexcept { return ended_.load(std::memory_order_acquire); }
    // Wakes the pump; once per batch of put() calls is enough.
    void wake() noexcept;
    // Marks a loss not yet marked, once the ring has room for the mark; true when none is left.
    // Called every cycle, so a loss at the end of a burst is known without waiting for more.
    bool markLoss() noexcept;
    // The transport's thread: input may be missing here, how much is unknown (see
    // EmulatedMidiIn::Gap). Marked in the stream like a loss.
    void gap(EmulatedMidiIn::Gap kind = EmulatedMidiIn::Gap::Certain) noexcept;

    // Any thread, for one that must know input has come to rest. Everything put so far has been
    // handed on to the driver:
    bool idle() const noexcept;
    // The pump holds bytes that wait for the client to queue a buffer, and none is queued.
    bool waitingForBuffer() const noexcept;

private:
    static constexpr std::uint32_t kGapFlag = 0x80000000u;
    // With kGapFlag, bits 28 and 29 hold the EmulatedMidiIn::Gap.
    static constexpr int kGapShift = 28;
    static constexpr std::uint32_t kLostMask = 0x0FFFFFFFu;
    static constexpr std::size_t kMaxRecord = 32768;

    void run();
    // A record's head: the header, then when its bytes arrived (steady clock, nanoseconds).
    struct RecordHead {
        std::uint32_t header;
        std::uint32_t unused;
        std::int64_t arrivalNs;
    };
    bool putRecord(std::uint32_t header, const std::uint8_t* bytes, std::size_t count,
                   std::int64_t arrivalNs = 0) noexcept;

    EmulatedMidiIn& driver_;
    SpscByteRing ring_;
    sem_t wakeup_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> broke_{false};
    std::atomic<bool> brokeLosing_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> holding_{false};  // a record taken from the ring is not yet handed on
    std::atomic<bool> waiting_{false};  // the thread waits for a buffer
    std::thread thread_;
    // Transport thread only: bytes lost since the last gap record could be written.
    std::uint64_t unmarkedLoss_ = 0;
    EmulatedMidiIn::Gap unmarkedGap_ = EmulatedMidiIn::Gap::None;  // the surest since then
};

}  // namespace pellum::midi
