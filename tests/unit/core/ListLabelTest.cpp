// The list's line for a message: its number, vendor and length, captured or loaded.
#include <gtest/gtest.h>

#include <vector>

#include "core/list/ListLabel.h"
#include "tests/support/VendorMessage.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

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
        {12, 0x44, 9, "0012 Casio(44H) 9Byte", "0012 Casio(44H) 9Byte"},
        {13, 0x43, 65535, "0013 YAMAHA(43H) 65535Byte", "0013 YAMAHA(43H) 65535Byte"},
        {300, 0x7F, 8, "0300 Universal Real Time(7FH) 8Byte",
         "0300 Universal Real Time(7FH) 8Byte"},
        {302, 0x7C, 8, "0302 8Byte", "0302 Unknown(7CH) 8Byte"},
        {9999, 0x00, 12, "9999 12Byte", "9999 Unknown(00H) 12Byte"},
        {3, 0x7E, 6, "0003 Universal Non-Real Time(7EH) 6Byte",
         "0003 Universal Non-Real Time(7EH) 6Byte"},
        {4, 0xF7, 2, "0004 2Byte", "0004 Unknown(F7H) 2Byte"},
    };
    for (const Case& c : cases) {
        const Bytes m = test::vendorMessage(c.vendor, c.length);
        EXPECT_EQ(capturedLabel(c.number, m), c.captured);
        EXPECT_EQ(loadedLabel(c.number, m), c.loaded);
    }
    // A captured event too short to have a vendor byte still gets a number and a length.
    EXPECT_EQ(capturedLabel(5, Bytes{0xF0}), "0005 1Byte");
    const Bytes behringer{0xF0, 0x00, 0x20, 0x32, 0x7F, 0xF7};
    EXPECT_EQ(capturedLabel(6, behringer), "0006 Behringer(00 20 32H) 6Byte");
}
