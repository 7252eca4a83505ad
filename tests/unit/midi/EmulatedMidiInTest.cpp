// The emulated driver's accounting of short messages: every byte of the stream reaches the
// client or is counted in droppedBytes(), including the bytes of a short message that a status
// byte, a loss or a reset cuts off before it is complete.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/midi/input/EmulatedMidiIn.h"

namespace pellum::midi {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Received {
    std::vector<std::uintptr_t> shortMessages;
    std::uint64_t sysexBytes = 0;

    static void callback(HMIDIIN, std::uint32_t msg, std::uintptr_t instance, std::uintptr_t p1,
                         std::uintptr_t) noexcept {
        auto& self = *reinterpret_cast<Received*>(instance);
        if (msg == MIM_DATA) self.shortMessages.push_back(p1);
        if (msg == MIM_LONGDATA || msg == MIM_LONGERROR)
            self.sysexBytes += reinterpret_cast<MIDIHDR*>(p1)->dwBytesRecorded;
    }
};

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
        Received received;
        EmulatedMidiIn driver(&Received::callback, reinterpret_cast<std::uintptr_t>(&received));
        Bytes data(64);
        MIDIHDR header{};
        header.lpData = reinterpret_cast<char*>(data.data());
        header.dwBufferLength = static_cast<std::uint32_t>(data.size());
        ASSERT_EQ(driver.prepareHeader(&header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(driver.addBuffer(&header, sizeof header), MMSYSERR_NOERROR);
        driver.start();
        driver.receive(c.stream.data(), c.stream.size());
        if (c.then) c.then(driver);
        EXPECT_EQ(received.shortMessages, c.messages);
        EXPECT_EQ(received.sysexBytes, c.sysex);
        EXPECT_EQ(driver.droppedBytes(), c.dropped);
        driver.reset();
    }
}

}  // namespace
}  // namespace pellum::midi
