#include <gtest/gtest.h>

#include <vector>

#include "core/CaptureStore.h"
#include "core/ChannelOverride.h"
#include "core/ErrorText.h"
#include "core/Errors.h"
#include "core/ListLabel.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes message(std::uint8_t vendor, std::size_t length) {
    Bytes m(length, 0x10);
    m.front() = 0xF0;
    if (length > 1) m[1] = vendor;
    m.back() = 0xF7;
    return m;
}
}  // namespace

TEST(ListLabel, CapturedAndLoadedVendorRulesDiffer) {
    struct Case {
        int number;
        std::uint8_t vendor;
        std::size_t length;
        const char* captured;
        const char* loaded;
    };
    const Case cases[] = {
        {1, 0x41, 11, "0001 Roland(41H) 11Byte", "0001 Roland(41H) 11Byte"},
        {2, 0x42, 9, "0002 KORG(42H) 9Byte", "0002 KORG(42H) 9Byte"},
        {12, 0x44, 9, "0012 Casio(44H) 9Byte", "0012 Unknown(44H) 9Byte"},
        {13, 0x43, 65535, "0013 YAMAHA(43H) 65535Byte", "0013 YAMAHA(43H) 65535Byte"},
        {300, 0x7F, 8, "0300 8Byte", "0300 Unknown(7FH) 8Byte"},
        {9999, 0x00, 12, "9999 12Byte", "9999 Unknown(00H) 12Byte"},
        {3, 0x7E, 6, "0003 6Byte", "0003 Unknown(7EH) 6Byte"},
        {4, 0xF7, 2, "0004 2Byte", "0004 Unknown(F7H) 2Byte"},
    };
    for (const Case& c : cases) {
        const Bytes m = message(c.vendor, c.length);
        EXPECT_EQ(capturedLabel(c.number, m), c.captured);
        EXPECT_EQ(loadedLabel(c.number, m), c.loaded);
    }
    // A captured event too short to have a vendor byte still gets a number and a length.
    EXPECT_EQ(capturedLabel(5, Bytes{0xF0}), "0005 1Byte");
}

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

TEST(CaptureStore, CountsToCapacityAndNeverExposesStaleSlots) {
    CaptureStore store;
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(store.message(0).empty());
    for (int i = 0; i < CaptureStore::kCapacity; ++i)
        ASSERT_EQ(store.append(message(0x41, 4 + i % 7)), i);
    EXPECT_TRUE(store.full());
    EXPECT_EQ(store.append(message(0x41, 4)), -1);
    EXPECT_EQ(store.count(), 9999);
    EXPECT_EQ(store.length(9998), 4 + 9998 % 7);

    store.clear();
    EXPECT_EQ(store.count(), 0);
    // The old bytes are still in the slot, but no index reaches them any more.
    EXPECT_TRUE(store.message(0).empty());
    EXPECT_EQ(store.length(0), 0);
    store.append(Bytes{0xF0, 0x43, 0xF7});
    EXPECT_EQ(store.message(0).size(), 3u);
    EXPECT_TRUE(store.message(1).empty());
    EXPECT_TRUE(store.message(-1).empty());
    // The longest message is kept whole; one byte more is refused, never cut short.
    EXPECT_EQ(store.append(message(0x43, 65535)), 1);
    EXPECT_THROW(store.append(message(0x43, 65536)), MessageTooLongError);
    EXPECT_EQ(store.count(), 2);
}

// Blocks the kernel reads files into are 64-byte aligned, and page-aligned when large, however
// they were sized and resized; what they held stays.
TEST(ByteBlock, IsAlignedForTheKernelsCopyAndKeepsItsBytes) {
    ByteBlock block;
    for (const std::size_t size : {1u, 17u, 65535u, 65536u, 131072u, 70001u, 3u}) {
        block.resize(size);
        block.data()[0] = static_cast<std::uint8_t>(size);
        const auto at = reinterpret_cast<std::uintptr_t>(block.data());
        EXPECT_EQ(at % (size >= ByteBlock::kPageAlignedFrom ? 4096 : 64), 0u) << size;
    }
    block.resize(5);
    EXPECT_EQ(block.data()[0], 3);
}

TEST(ErrorText, FullStopRuleAndFileTexts) {
    EXPECT_EQ(withFullStop("Invalid device ID"), "Invalid device ID.");
    EXPECT_EQ(withFullStop("Done."), "Done.");
    EXPECT_EQ(withFullStop("Why?"), "Why?.");  // '?' sorts after '.'
    EXPECT_EQ(withFullStop("a-"), "a-");       // '-' sorts before '.'
    EXPECT_EQ(withFullStop("a b "), "a b ");
    EXPECT_EQ(withFullStop(""), "");
    EXPECT_EQ(FileOpenError("/tmp/a.syx").what(), std::string("ファイル /tmp/a.syx は開けません"));
    EXPECT_EQ(FileCreateError("b.syx").what(), std::string("ファイル b.syx を作成できません"));
    EXPECT_EQ(withFullStop(FileCreateError("b.syx").what()), "ファイル b.syx を作成できません.");
    // Long texts are cut between characters, never inside one.
    EXPECT_EQ(excerpt("abc", 3), "abc");
    EXPECT_EQ(excerpt("abcd", 3), "abc…");
    EXPECT_EQ(excerpt("日本語です", 3), "日本語…");
}
