// ALSA sequencer output without a sequencer: the events a message becomes, and how they are
// handed over when the receiver is full or gone.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "platform/midi/alsa/AlsaSeqOut.h"

using namespace pellum::midi;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes payload(const snd_seq_event_t& event) {
    const auto* data = static_cast<const std::uint8_t*>(event.data.ext.ptr);
    return Bytes(data, data + event.data.ext.len);
}

}  // namespace

TEST(AlsaSeqOut, EveryByteGoesOutAsItIs) {
    std::mt19937 random(3);
    Bytes longSysex{0xF0, 0x41};
    while (longSysex.size() < 70000 - 1) longSysex.push_back(random() & 0x7F);
    longSysex.push_back(0xF7);
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"a whole SysEx", {0xF0, 0x41, 0x10, 0x42, 0xF7}},
        {"the tail of a long message, without F0", {0x10, 0x20, 0x30, 0xF7}},
        {"a message without its F7", {0xF0, 0x43, 0x10}},
        {"a short message", {0x90, 0x3C, 0x40}},
        {"a lone F7", {0xF7}},
        {"one event's worth", Bytes(kAlsaEventBytes, 0x55)},
        {"one byte more", Bytes(kAlsaEventBytes + 1, 0x55)},
        {"longer than 64 KiB", longSysex},
        {"nothing", {}},
    };
    for (const auto& c : cases) {
        const std::vector<snd_seq_event_t> events = alsaRawEvents(c.bytes, 7);
        Bytes carried;
        for (const snd_seq_event_t& event : events) {
            EXPECT_EQ(event.type, SND_SEQ_EVENT_SYSEX) << c.what;
            EXPECT_TRUE(snd_seq_ev_is_variable(&event)) << c.what;
            EXPECT_GT(event.data.ext.len, 0u) << c.what;
            EXPECT_LE(event.data.ext.len, kAlsaEventBytes) << c.what;
            EXPECT_EQ(event.source.port, 7) << c.what;
            EXPECT_EQ(event.dest.client, SND_SEQ_ADDRESS_SUBSCRIBERS) << c.what;
            EXPECT_TRUE(snd_seq_ev_is_direct(&event)) << c.what;
            const Bytes piece = payload(event);
            carried.insert(carried.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(carried, c.bytes) << c.what;
    }
}

TEST(AlsaSeqOut, AFullReceiverIsWaitedForAndALossIsReported) {
    Bytes message(1000);
    for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<std::uint8_t>(i);
    std::vector<snd_seq_event_t> events = alsaRawEvents(message, 0);

    // The receiver's queue is full now and then: every event arrives once, in order.
    Bytes received;
    int calls = 0;
    int paced = 0;
    const auto sometimesFull = [&](snd_seq_event_t& event) {
        if (++calls % 3 != 0) return calls % 2 ? -EAGAIN : -ENOMEM;
        const Bytes piece = payload(event);
        received.insert(received.end(), piece.begin(), piece.end());
        return static_cast<int>(sizeof event + piece.size());
    };
    EXPECT_EQ(alsaDeliver(events, sometimesFull, std::chrono::seconds(60),
                          [&](const snd_seq_event_t&) { ++paced; }),
              MMSYSERR_NOERROR);
    EXPECT_EQ(received, message);
    EXPECT_EQ(paced, static_cast<int>(events.size()));

    // A receiver that never makes room, and one that went away: an error, not success.
    const auto alwaysFull = [](snd_seq_event_t&) { return -ENOMEM; };
    EXPECT_EQ(alsaDeliver(events, alwaysFull, std::chrono::milliseconds(5)), MIDIERR_NOTREADY);
    int written = 0;
    const auto gone = [&](snd_seq_event_t&) { return ++written == 2 ? -ENXIO : 0; };
    EXPECT_EQ(alsaDeliver(events, gone, std::chrono::seconds(60)), kMidiDestinationGone);
    EXPECT_EQ(written, 2);  // nothing after the failed event
}

TEST(AlsaSeqOut, AHardwarePortIsFedAtTheCablesRate) {
    // 65536 bytes at once: only the backlog may go ahead of the cable's 3125 bytes a second.
    MidiCablePace pace(2048);
    const auto start = MidiCablePace::Clock::time_point{} + std::chrono::hours(1);
    auto now = start;
    for (int i = 0; i < 256; ++i) now += pace.waitBefore(256, now);
    const double seconds = std::chrono::duration<double>(now - start).count();
    EXPECT_NEAR(seconds, (65536.0 - 2048) / 3125, 0.01);  // when the last piece may go
    // After a pause the cable is idle again, and a small message goes at once.
    EXPECT_EQ(pace.waitBefore(100, now + std::chrono::minutes(1)),
              MidiCablePace::Clock::duration::zero());
}
