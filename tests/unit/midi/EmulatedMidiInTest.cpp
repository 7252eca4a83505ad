// The emulated driver's accounting of short messages: every byte of the stream reaches the
// client or is counted in droppedBytes(), including the bytes of a short message that a status
// byte, a loss or a reset cuts off before it is complete.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/midi/input/EmulatedMidiIn.h"
#include "tests/unit/midi/RecordingClient.h"

namespace pellum::midi {
namespace {

using test::Bytes;
using test::RecordingClient;

TEST(EmulatedMidiIn, BytesOfACutOffShortMessageAreCountedAsLost) {
    struct Case {
        const char* what;
        Bytes stream;
        std::function<void(EmulatedMidiIn&)> then;  // after the stream, before the count
        std::vector<std::uintptr_t> messages;
        std::uint64_t sysex;
        std::uint64_t dropped;
    };
    const Case cases[] = {
        {"a Note On cut by a SysEx", {0x90, 0x40, 0xF0, 0x41, 0xF7}, {}, {}, 3, 2},
        {"running status cut after one data byte",
         {0x90, 0x40, 0x41, 0x42, 0x80, 0x40, 0x00},
         {},
         {0x414090, 0x004080},
         0,
         1},
        {"a program change cut by a loss", {0xC0}, [](EmulatedMidiIn& d) { d.lose(5); }, {}, 0, 6},
        {"a pitch bend cut by a reset",
         {0xE0, 0x01},
         [](EmulatedMidiIn& d) { d.reset(); },
         {},
         0,
         2},
        {"complete messages lose nothing",
         {0x90, 0x40, 0x41, 0xF8, 0x42, 0x43, 0xF1, 0x10},
         {},
         {0x414090, 0xF8, 0x434290, 0x10F1},
         0,
         0},
        {"stray bytes count at once, an unfinished message only once cut",
         {0x10, 0xF7, 0xF2, 0x01},
         {},
         {},
         0,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingClient client;
        EmulatedMidiIn driver(&RecordingClient::callback, client.instance());
        client.queueBuffers(1, 64, [&](MIDIHDR& header) {
            ASSERT_EQ(driver.prepareHeader(&header, sizeof header), MMSYSERR_NOERROR);
            ASSERT_EQ(driver.addBuffer(&header, sizeof header), MMSYSERR_NOERROR);
        });
        driver.start();
        driver.receive(c.stream.data(), c.stream.size());
        if (c.then) c.then(driver);
        std::vector<std::uintptr_t> messages;
        std::uint64_t sysex = 0;
        for (const auto& call : client.take()) {
            if (call.msg == MIM_DATA) messages.push_back(call.p1);
            sysex += call.bytes.size();
        }
        EXPECT_EQ(messages, c.messages);
        EXPECT_EQ(sysex, c.sysex);
        EXPECT_EQ(driver.droppedBytes(), c.dropped);
        driver.reset();
    }
}

}  // namespace
}  // namespace pellum::midi
