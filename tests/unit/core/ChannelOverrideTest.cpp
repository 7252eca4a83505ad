// The Device ID override: byte 2's low nibble, and nothing else.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "core/messages/ChannelOverride.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

TEST(ChannelOverride, ReplacesOnlyTheLowNibbleOfByteTwoWhenOn) {
    struct Case {
        bool on;
        int channel;
        std::uint8_t before;
        std::uint8_t after;
    };
    const Case cases[] = {
        {true, 3, 0x10, 0x12},
        {true, 16, 0x7F, 0x7F},
        {true, 1, 0x1F, 0x10},
        {true, 16, 0x00, 0x0F},
        {false, 3, 0x10, 0x10},
        {false, 16, 0x00, 0x00},
        // Status bytes in byte 2 are no channel and stay.
        {true, 3, 0xF7, 0xF7},
        {true, 16, 0xF0, 0xF0},
        {true, 2, 0x80, 0x80},
    };
    for (const Case& c : cases) {
        Bytes m{0xF0, 0x41, c.before, 0x42, 0xF7};
        applyChannelOverride(m, {c.on, c.channel});
        EXPECT_EQ(m, (Bytes{0xF0, 0x41, c.after, 0x42, 0xF7})) << c.channel << " " << c.on;
    }
    // Too short to have a channel byte: nothing changes, and nothing past the end is touched.
    Bytes backing{0xF0, 0xF7, 0x55};
    applyChannelOverride(std::span(backing).first(2), {true, 5});
    EXPECT_EQ(backing, (Bytes{0xF0, 0xF7, 0x55}));
}
