// Whose a message is, which Universal message, and its checksum, as the list, pellum-cli and
// the message view tell them.
#include <gtest/gtest.h>

#include "core/files/SyxFile.h"
#include "core/list/ListLabel.h"
#include "core/messages/MessageFacts.h"
#include "tests/support/TempFiles.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

// Each case: the loaded label's maker part, then device, model, command, address and size.
TEST(MessageFacts, MakersUniversalMessagesAndFormats) {
    const std::pair<Bytes, std::string> cases[] = {
        {{0xF0, 0x01, 0x02, 0xF7}, "Sequential Circuits(01H)|02H||||"},
        {{0xF0, 0x0F, 0xF7}, "Ensoniq(0FH)|||||"},
        {{0xF0, 0x3E, 0x01, 0xF7}, "Waldorf(3EH)|01H||||"},
        {{0xF0, 0x40, 0x00, 0xF7}, "Kawai(40H)|00H||||"},
        {{0xF0, 0x47, 0x00, 0xF7}, "Akai(47H)|00H||||"},
        {{0xF0, 0x00, 0x00, 0x0E, 0x05, 0xF7}, "Alesis(00 00 0EH)|05H||||"},
        {{0xF0, 0x00, 0x20, 0x32, 0x7F, 0xF7}, "Behringer(00 20 32H)|7FH||||"},
        {{0xF0, 0x00, 0x20, 0x6B, 0xF7}, "Arturia(00 20 6BH)|||||"},
        // An ID no one holds, and one the message ends inside, keep the old label.
        {{0xF0, 0x00, 0x7F, 0x7F, 0xF7}, "Unknown(00H)|||||"},
        {{0xF0, 0x00, 0x20, 0xF7}, "Unknown(00H)|||||"},
        {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
         "Universal Non-Real Time(7EH)|7FH (all)||General MIDI System On (09 01H)||"},
        {{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0xF7},
         "Universal Non-Real Time(7EH)|10H||Identity Reply (06 02H)||"},
        {{0xF0, 0x7E, 0x00, 0x7F, 0x03, 0xF7}, "Universal Non-Real Time(7EH)|00H||ACK (7FH)||"},
        {{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x00, 0x40, 0xF7},
         "Universal Real Time(7FH)|7FH (all)||Master Volume (04 01H)||"},
        {{0xF0, 0x7F, 0x7F, 0x01, 0x01, 0x20, 0, 0, 0, 0xF7},
         "Universal Real Time(7FH)|7FH (all)||MIDI Time Code Full Message (01 01H)||"},
        {{0xF0, 0x7D, 0x01, 0xF7}, "Non-Commercial(7DH)|01H||||"},
        {{0xF0, 0x41, 0x10, 0x00, 0x00, 0x0A, 0x11, 0x01, 0x02, 0x00, 0x01, 0x7C, 0xF7},
         "Roland(41H)|10H|00 00 0AH|RQ1 (11H)|01 02H|1"},
        {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
         "Roland(41H)|10H|42H|DT1 (12H)||4 (address and data)"},
        {{0xF0, 0x43, 0x00, 0x09, 0x00, 0x01, 0x05, 0x7B, 0xF7},
         "YAMAHA(43H)|00H||bulk dump (format 09H)||1"},
    };
    for (const auto& [message, want] : cases) {
        const MessageFacts f = describeMessage(message);
        const std::string label = loadedLabel(1, message);
        const std::string maker = label.substr(5, label.rfind(' ') - 5);
        EXPECT_EQ(maker + "|" + f.device + "|" + f.model + "|" + f.command + "|" + f.address + "|" +
                      f.size,
                  want);
    }
}

TEST(MessageFacts, ChecksumsOfKnownFormatsOnly) {
    const Bytes dt1{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    EXPECT_EQ(checksumText(checkChecksum(dt1)), "checksum ok");
    Bytes flipped = dt1;
    flipped[7] = 0x7E;  // one data byte off on a bad cable
    EXPECT_EQ(checksumText(checkChecksum(flipped)), "checksum wrong (41H, want 42H)");
    // A sum that is already a multiple of 128 wants 0, never 128.
    EXPECT_EQ(checksumText(checkChecksum(
                  Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x40, 0x00, 0x00, 0xF7})),
              "checksum ok");
    // No verdict with a status byte inside or without F7 (other formats: checksum_check.py).
    for (const Bytes& m : {Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x90, 0x7F, 0x00, 0x41, 0xF7},
                           Bytes{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41}})
        EXPECT_EQ(checkChecksum(m).verdict, Checksum::Verdict::none) << hexBytes(m);
}

TEST(MessageFacts, AStreamedListingNamesAMakerWhoseIdCrossesAPiece) {
    // The listing reads 128 KiB pieces: a 3-byte ID may start in one and end in the next.
    test::TempDir dir;
    for (std::size_t split = 1; split <= 3; ++split) {
        Bytes file(128 * 1024 - split, 0x00);
        file.insert(file.end(), {0xF0, 0x00, 0x20, 0x32, 0x10, 0xF7});
        test::writeBytes(dir.file("x.syx"), file);
        EXPECT_EQ(listSyxFile(dir.file("x.syx")).lines, "0001 Behringer(00 20 32H) 6Byte\n")
            << split;
    }
}
