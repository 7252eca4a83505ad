#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/messages/IdentityReply.h"

using namespace pellum;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The SC-88's reply; cases change single bytes of it.
Bytes reply(std::initializer_list<std::pair<std::size_t, std::uint8_t>> changes = {}) {
    Bytes b{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x42, 0x00,
            0x00, 0x02, 0x01, 0x00, 0x02, 0x00, 0xF7};
    for (const auto& [at, value] : changes) b[at] = value;
    return b;
}

}  // namespace

TEST(IdentityReply, DecodesEveryLabelOfAReply) {
    struct Case {
        const char* what;
        Bytes message;
        SystemInformation shown;
    };
    const Case cases[] = {
        {"SC-88", reply(), {"17", "Roland", "41H", "SC-88", "42H 100H", "1", "2"}},
        {"SC-88Pro",
         reply({{8, 0x00}, {9, 0x04}}),
         {"17", "Roland", "41H", "SC-88Pro", "42H 200H", "1", "2"}},
        {"GS family, unlisted member",
         reply({{8, 0x01}, {9, 0x00}}),
         {"17", "Roland", "41H", "GS", "42H 01H", "1", "2"}},
        {"JV-1010", reply({{6, 0x6A}}), {"17", "Roland", "41H", "JV-1010", "6AH 100H", "1", "2"}},
        {"Roland, other family",
         reply({{6, 0x10}}),
         {"17", "Roland", "41H", "unknown", "10H 100H", "1", "2"}},
        {"device 7F",
         reply({{2, 0x7F}}),
         {"全機器", "Roland", "41H", "SC-88", "42H 100H", "1", "2"}},
        // A 3-byte maker ID moves every field after it two bytes on.
        {"3-byte ID",
         Bytes{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x20, 0x33, 0x01, 0x00, 0x0A, 0x00, 0x01, 0x02,
               0x03, 0x04, 0xF7},
         {"17", "Access Music Electronics", "00 20 33H", "unknown", "01H 0AH", "257", "515"}},
        {"revision pairs 00 01",
         reply({{10, 0x00}, {11, 0x01}, {12, 0x00}, {13, 0x01}}),
         {"17", "Roland", "41H", "SC-88", "42H 100H", "128", "128"}},
        {"family high byte",
         reply({{7, 0x01}}),
         {"17", "Roland", "41H", "SC-88", "C2H 100H", "1", "2"}},
        {"X5DR",
         reply({{5, 0x42}, {6, 0x36}, {8, 0x14}, {9, 0x00}}),
         {"17", "KORG", "42H", "X5DR", "36H 14H", "1", "2"}},
        {"KORG 36, byte 8 = 05",
         reply({{5, 0x42}, {6, 0x36}, {8, 0x05}, {9, 0x00}}),
         {"17", "KORG", "42H", "unknown", "36H 05H", "1", "2"}},
        {"05R/W",
         reply({{5, 0x42}, {6, 0x36}, {9, 0x00}}),
         {"17", "KORG", "42H", "05R/W", "36H 00H", "1", "2"}},
        {"NX5R by byte 12",
         reply({{5, 0x42}, {12, 0x02}}),
         {"17", "KORG", "42H", "NX5R", "42H 100H", "1", "2"}},
        {"KORG 42, other byte 12",
         reply({{5, 0x42}, {12, 0x03}}),
         {"17", "KORG", "42H", "unknown", "42H 100H", "1", "3"}},
        {"N1",
         reply({{5, 0x42}, {6, 0x4C}, {8, 0x0F}}),
         {"17", "KORG", "42H", "N1", "4CH 10FH", "1", "2"}},
        {"MS2000R",
         reply({{5, 0x42}, {6, 0x58}, {8, 0x08}}),
         {"17", "KORG", "42H", "MS2000R", "58H 108H", "1", "2"}},
        {"MS2000 fallback",
         reply({{5, 0x42}, {6, 0x58}, {8, 0x01}}),
         {"17", "KORG", "42H", "MS2000", "58H 101H", "1", "2"}},
        {"KORG, other family",
         reply({{5, 0x42}, {6, 0x01}}),
         {"17", "KORG", "42H", "unknown", "01H 100H", "1", "2"}},
        {"YAMAHA, GS-like family",
         reply({{5, 0x43}}),
         {"17", "YAMAHA", "43H", "unknown", "42H 100H", "1", "2"}},
        {"44H", reply({{5, 0x44}}), {"17", "Casio", "44H", "unknown", "42H 100H", "1", "2"}},
        // Bytes are taken whole, even where a status byte stands.
        {"14 bytes, F7 at 13",
         Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x7D, 0x12, 0x34, 0x56, 0x01, 0x02, 0x03, 0x04, 0xF7},
         {"全機器", "Non-Commercial", "7DH", "unknown", "1A12H D6H", "386", "31620"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeIdentityReply(c.message), c.shown) << c.what;
    }
}

// Short messages reach the decoder too (the program's own request, echoed back by a thru
// connection): what they hold is shown, the rest stays at the reset texts.
TEST(IdentityReply, ShortMessagesShowOnlyWhatTheyHold) {
    struct Case {
        Bytes message;
        SystemInformation shown;
    };
    const Case cases[] = {
        {{}, {"--", "unknown", "--", "unknown", "--", "--", "--"}},
        {{0xF0}, {"--", "unknown", "--", "unknown", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},
         {"全機器", "unknown", "F7H", "unknown", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x20},
         {"17", "unknown", "メーカー ID の途中で切れています", "unknown", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x20, 0x33, 0x01, 0x00, 0x0A, 0x00, 0x01},
         {"17", "Access Music Electronics", "00 20 33H", "unknown", "01H 0AH", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x42},
         {"17", "Roland", "41H", "unknown", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x42, 0x26, 0x00},
         {"17", "KORG", "42H", "T3", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x42, 0x58, 0x00, 0x08},
         {"17", "KORG", "42H", "MS2000R", "--", "--", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x42, 0x00, 0x00, 0x02, 0x05, 0x00, 0x02},
         {"17", "Roland", "41H", "SC-88", "42H 100H", "5", "--"}},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x42, 0x42, 0x00, 0x00, 0x00, 0x05, 0x00},
         {"17", "KORG", "42H", "unknown", "42H 00H", "5", "--"}},
    };
    for (const Case& c : cases) {
        // Exactly as long as the message: a read past it is caught by the sanitizer build.
        const auto exact = std::make_unique<std::uint8_t[]>(c.message.size());
        std::copy(c.message.begin(), c.message.end(), exact.get());
        EXPECT_EQ(decodeIdentityReply({exact.get(), c.message.size()}), c.shown)
            << c.message.size() << " bytes";
    }
    EXPECT_EQ(resetSystemInformation(), decodeIdentityReply({}));
    EXPECT_FALSE(isIdentityMessage(Bytes{0xF0}));
    EXPECT_FALSE(isIdentityMessage(Bytes{0xF0, 0x41, 0x7E}));
    EXPECT_TRUE(isIdentityMessage(Bytes{0xF0, 0x7E}));
}
