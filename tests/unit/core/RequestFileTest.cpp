#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages/RequestFile.h"
#include "tests/support/ExampleCfg.h"
#include "tests/support/TempFiles.h"

using namespace pellum;
using namespace pellum::test;

namespace {

using Outcome = RequestFileLoad::Outcome;
using Lines = std::vector<std::string>;
const Lines& kExample = kExampleCfgLines;

Bytes bytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes requestOf(const RequestSet& set, int index, ChannelOverride override = {}) {
    return set.request(index, override).value_or(Bytes{});
}

Lines withLine(Lines lines, std::size_t at, const std::string& line) {
    lines[at] = line;
    return lines;
}

}  // namespace

TEST(RequestFile, TheExampleFile) {
    RequestSet set;
    const RequestFileLoad load = set.load(cfgBytes(kExample));
    EXPECT_EQ(load.outcome, Outcome::Loaded);
    EXPECT_EQ(load.entries, Lines({"1:System", "2:Part 1"}));
    EXPECT_TRUE(load.firstSelected);
    EXPECT_EQ(load.vendorText, "41H Roland");
    EXPECT_EQ(load.typeText, "42H GS");
    EXPECT_EQ(load.error, "");
    EXPECT_EQ(requestOf(set, 0), Bytes({0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F, 0x00, 0x00,
                                        0x01, 0x40, 0xF7}));
    EXPECT_EQ(requestOf(set, 1), Bytes({0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x10, 0x00, 0x00, 0x00,
                                        0x7F, 0x31, 0xF7}));
    EXPECT_EQ(previewText(requestOf(set, 0)), "  F0 41 10 42 11 40 00 7F 00 00 01 40 F7");
    // The override changes byte 2 after the checksum was placed.
    EXPECT_EQ(previewText(requestOf(set, 0, {true, 3})),
              "  F0 41 12 42 11 40 00 7F 00 00 01 40 F7");
    EXPECT_EQ(requestOf(set, 0, {false, 3}), requestOf(set, 0));
    // With a one-byte header, byte 2 is the first body byte.
    set.load(cfgBytes({"t", "NO", "65", "?a", "16", "2"}));
    EXPECT_EQ(requestOf(set, 0, {true, 16}), Bytes({0xF0, 0x41, 0x1F, 0x02, 0xF7}));
    // No entry selected, or one the file does not list: nothing is assembled.
    EXPECT_FALSE(set.request(-1, {}));
    EXPECT_FALSE(set.request(1, {}));
}

TEST(RequestFile, FileFormatRules) {
    struct Case {
        const char* what;
        Bytes file;
        Lines entries;
        std::vector<Bytes> requests;
    };
    Lines threeHundred = {"t", "NO", "1", "?big"};
    for (int i = 0; i < 300; ++i) threeHundred.push_back(i < 254 ? "1" : "2");
    Bytes threeHundredSent{0xF0, 0x01};
    threeHundredSent.insert(threeHundredSent.end(), 254, 0x01);
    threeHundredSent.push_back(0xF7);
    Lines manyRequests = {"t", "x", "1"};
    for (int i = 1; i <= 257; ++i) {
        manyRequests.push_back("?" + std::to_string(i));
        manyRequests.push_back(std::to_string(i));
    }
    const std::string longName(40, 'n');
    const std::string sjisName =
        "?\x83\x65\x83\x58\x83\x67\x83\x65\x83\x58\x83\x67\x83\x65\x83"
        "\x58\x83\x67\x83\x65\x83\x58\x83\x67\x83\x65\x83\x58\x83\x67"
        "\x83\x65\x83\x58";  // 18 double-byte characters
    const Case cases[] = {
        {"NO: no checksum",
         cfgBytes(withLine(kExample, 2, "NO")),
         {"1:System", "2:Part 1"},
         {{0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F, 0x00, 0x00, 0x01, 0xF7}}},
        {"no in lower case",
         cfgBytes(withLine(kExample, 2, "no")),
         {"1:System", "2:Part 1"},
         {{0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F, 0x00, 0x00, 0x01, 0x40, 0xF7}}},
        {"NO and a blank",
         cfgBytes(withLine(kExample, 2, "NO ")),
         {"1:System", "2:Part 1"},
         {{0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F, 0x00, 0x00, 0x01, 0x40, 0xF7}}},
        {"sum a multiple of 128",
         cfgBytes({"t", "y", "65", "?z", "$40", "$40"}),
         {"1:z"},
         {{0xF0, 0x41, 0x40, 0x40, 0x00, 0xF7}}},
        {"comments and empty lines in a body",
         cfgBytes({"#c", "t", "", "y", "#", "65", "?a", "1", "", "# note", "#", "2", "?b", "3"}),
         {"1:a", "2:b"},
         {{0xF0, 0x41, 0x01, 0x02, 0x7D, 0xF7}, {0xF0, 0x41, 0x03, 0x7D, 0xF7}}},
        {"a line of blanks is significant",
         cfgBytes({"t", "   ", "65", "?a", "1"}),
         {"1:a"},
         {{0xF0, 0x41, 0x01, 0x7F, 0xF7}}},
        {"'/' inside a body ends the list",
         cfgBytes({"t", "y", "65", "?a", "1", "2", "/", "3", "?b", "4"}),
         {"1:a"},
         {{0xF0, 0x41, 0x01, 0x02, 0x7D, 0xF7}}},
        {"'/' with more after it",
         cfgBytes({"t", "y", "65", "?a", "1", "/end", "junk"}),
         {"1:a"},
         {{0xF0, 0x41, 0x01, 0x7F, 0xF7}}},
        {"300 body lines: 254 sent, all summed",
         cfgBytes(threeHundred),
         {"1:big"},
         {threeHundredSent}},
        {"long name cut at 33 bytes",
         cfgBytes({"t", "NO", "1", "?" + longName, "2"}),
         {"1:" + longName.substr(0, 33)},
         {{0xF0, 0x01, 0x02, 0xF7}}},
        {"cut inside a double-byte character",
         cfgBytes({"t", "NO", "1", sjisName, "2"}),
         {"1:" + sjisName.substr(1, 33)},
         {{0xF0, 0x01, 0x02, 0xF7}}},
        {"empty name", cfgBytes({"t", "NO", "1", "?", "2"}), {"1:"}, {{0xF0, 0x01, 0x02, 0xF7}}},
        {"low eight bits",
         cfgBytes({"t", "NO", "300", "-1", "0", "?a", "256", "$1FF"}),
         {"1:a"},
         {{0xF0, 0x2C, 0xFF, 0x00, 0x00, 0xFF, 0xF7}}},
        {"CR alone ends a line",
         cfgBytes({"t", "NO", "1", "?a", "2"}, "\r"),
         {"1:a"},
         {{0xF0, 0x01, 0x02, 0xF7}}},
        {"LF alone ends a line", cfgBytes(kExample, "\n"), {"1:System", "2:Part 1"}, {}},
        {"line ends mixed", bytes("t\nNO\r1\r\n?a\n\r2\n"), {"1:a"}, {{0xF0, 0x01, 0x02, 0xF7}}},
        {"no line end after the last line",
         bytes("t\rNO\r1\r?a\r2"),
         {"1:a"},
         {{0xF0, 0x01, 0x02, 0xF7}}},
        {"1A ends the file",
         bytes("t\r\nNO\r\n1\r\n?a\r\n2\r\n\x1A?b\r\n3\r\n"),
         {"1:a"},
         {{0xF0, 0x01, 0x02, 0xF7}}},
        {"CR CR LF: an empty line between",
         bytes("t\r\r\nNO\r\n1\r\n?a\r\n2\r\n"),
         {"1:a"},
         {{0xF0, 0x01, 0x02, 0xF7}}},
    };
    for (const Case& c : cases) {
        RequestSet set;
        const RequestFileLoad load = set.load(c.file);
        EXPECT_EQ(load.outcome, Outcome::Loaded) << c.what << ": " << load.error;
        EXPECT_EQ(load.entries, c.entries) << c.what;
        EXPECT_EQ(set.entryCount(), static_cast<int>(c.entries.size())) << c.what;
        for (std::size_t i = 0; i < c.requests.size(); ++i)
            EXPECT_EQ(requestOf(set, static_cast<int>(i)), c.requests[i]) << c.what << " " << i;
    }

    // 256 requests are read; the 257th and everything after it are not.
    RequestSet set;
    const RequestFileLoad load = set.load(cfgBytes(manyRequests));
    EXPECT_EQ(load.outcome, Outcome::Loaded);
    ASSERT_EQ(load.entries.size(), 256u);
    EXPECT_EQ(load.entries.back(), "256:256");
    EXPECT_EQ(requestOf(set, 255), Bytes({0xF0, 0x01, 0x00, 0x00, 0xF7}));
    EXPECT_FALSE(set.request(256, {}));
    // A checksum over 300 lines: 254 ones and 46 twos make 346, so 64 more reach 384.
    set.load(cfgBytes(withLine(threeHundred, 1, "y")));
    EXPECT_EQ(requestOf(set, 0).rbegin()[1], 38);
}

TEST(RequestFile, NumberForms) {
    // A NUL byte in a line must not cut the message short where it travels as a C string.
    const std::string nul = std::string("6") + '\0' + "5x";
    struct Case {
        std::string line;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"$41", 65},
        {"0x41", 65},
        {"0X41", 65},
        {"x41", 65},
        {"X41", 65},
        {" 65", 65},
        {"   $4a", 74},
        {"+65", 65},
        {"-65", -65},
        {"0065", 65},
        {"$fF", 255},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},
        {"0", 0},
        {"65 ", {}},
        {"-$41", {}},
        {"+x41", {}},
        {"", {}},
        {"   ", {}},
        {"$", {}},
        {"0x", {}},
        {"x", {}},
        {"-", {}},
        {"+", {}},
        {"6 5", {}},
        {"$4G", {}},
        {"00x41", {}},
        {"2147483648", {}},
        {"-2147483649", {}},
        {"$100000000", {}},
        {"\t65", {}},
        {"65\n", {}},
        {"?a", {}},
        {"1.0", {}},
        {"0b1", {}},
        {nul, {}},
    };
    for (const Case& c : cases) {
        if (c.value) {
            EXPECT_EQ(convertNumber(c.line), *c.value) << "'" << c.line << "'";
        } else {
            try {
                convertNumber(c.line);
                ADD_FAILURE() << "'" << c.line << "' was taken as a number";
            } catch (const NotANumberError& e) {
                const std::string shown = c.line == nul ? "6?5x" : c.line;
                EXPECT_EQ(e.what(), "'" + shown + "' は数値ではありません");
                EXPECT_EQ(e.line(), c.line);
            }
        }
    }
    RequestSet set;
    const std::string file = "t\rYES\r" + nul + "\r?a\r1\r";
    const RequestFileLoad load =
        set.load({reinterpret_cast<const std::uint8_t*>(file.data()), file.size()});
    EXPECT_EQ(load.error, "'6?5x' は数値ではありません");
    EXPECT_EQ(load.notANumber, nul);
}

TEST(RequestFile, VendorAndTypeTexts) {
    struct Case {
        const char* vendor;
        const char* type;
        const char* vendorText;
        const char* typeText;
    };
    const Case cases[] = {
        {"65", "66", "41H Roland", "42H GS"},
        {"65", "70", "41H Roland", "46H JV-880"},
        {"65", "106", "41H Roland", "6AH JV-1010"},
        {"65", "99", "41H Roland", "Unknown"},
        {"66", "24", "42H KORG", "19H T2"},
        {"66", "25", "42H KORG", "19H M1 T1"},
        {"66", "40", "42H KORG", "28H Wavestation"},
        {"66", "80", "42H KORG", "50H TRITON"},
        {"66", "99", "42H KORG", "63H unknown"},
        {"67", "66", "43H YAMAHA", "42H unknown"},
        {"68", "66", "44H unknown", "42H unknown"},
        {"321", "5", "141H unknown", "05H unknown"},
        {"-1", "$41", "FFFFFFFFH unknown", "41H unknown"},
    };
    for (const Case& c : cases) {
        RequestSet set;
        const RequestFileLoad load =
            set.load(cfgBytes({"t", "y", c.vendor, "0", c.type, "?a", "1"}));
        EXPECT_EQ(load.vendorText, c.vendorText) << c.vendor << " " << c.type;
        EXPECT_EQ(load.typeText, c.typeText) << c.vendor << " " << c.type;
    }
}

// A stopped load keeps what it read: entries so far, the header, the flag and the requests
// finished before the stop; no entry is selected unless the stop came at the type line.
TEST(RequestFile, AStoppedLoadKeepsWhatItRead) {
    Lines tooLongHeader = {"t", "NO"};
    for (int i = 0; i < 256; ++i) tooLongHeader.push_back("1");
    tooLongHeader.insert(tooLongHeader.end(), {"?a", "1"});
    Lines fullHeader(tooLongHeader.begin(), tooLongHeader.end());
    fullHeader.erase(fullHeader.begin() + 2);

    struct Case {
        const char* what;
        Bytes file;
        std::string error;
        Lines entries;
        bool firstSelected;
        int wholeRequests;
    };
    const Case cases[] = {
        {"header line 3 begins with ?",
         cfgBytes({"t", "NO", "?a", "1"}),
         "'?a' は数値ではありません",
         {},
         false,
         0},
        {"a request without a body",
         cfgBytes({"t", "NO", "65", "?a", "?b", "1"}),
         "'?b' は数値ではありません",
         {"1:a"},
         false,
         0},
        {"the last request without a body",
         cfgBytes({"t", "NO", "65", "?a", "1", "?b"}),
         "'/' は数値ではありません",
         {"1:a", "2:b"},
         false,
         1},
        {"no ? line", cfgBytes({"t", "NO", "65", "16"}), "'/' は数値ではありません", {}, false, 0},
        {"two significant lines", cfgBytes({"t", "NO"}), "'/' は数値ではありません", {}, false, 0},
        {"one significant line", cfgBytes({"t"}), "'' は数値ではありません", {}, false, 0},
        {"an empty file", {}, "'' は数値ではありません", {}, false, 0},
        {"a blank before #",
         cfgBytes({"t", "NO", "65", "?a", "1", " # two", "3"}),
         "' # two' は数値ではありません",
         {"1:a"},
         false,
         0},
        {"a bad line in the second body",
         cfgBytes({"t", "NO", "1", "2", "3", "?a", "1", "?b", "2", "2 "}),
         "'2 ' は数値ではありません",
         {"1:a", "2:b"},
         false,
         1},
        {"type line 5 is the ? line",
         cfgBytes({"t", "NO", "65", "16", "?a", "1"}),
         "'?a' は数値ではありません",
         {"1:a"},
         true,
         1},
        {"a header of 256 bytes",
         cfgBytes(tooLongHeader),
         "ヘッダーが 255 バイトを超えています",
         {},
         false,
         0},
    };
    for (const Case& c : cases) {
        RequestSet set;
        set.load(cfgBytes(kExample));
        const RequestFileLoad load = set.load(c.file);
        EXPECT_EQ(load.outcome, Outcome::Stopped) << c.what;
        EXPECT_EQ(load.error, c.error) << c.what;
        EXPECT_EQ(load.entries, c.entries) << c.what;
        EXPECT_EQ(set.entryCount(), static_cast<int>(c.entries.size())) << c.what;
        EXPECT_EQ(load.firstSelected, c.firstSelected) << c.what;
        EXPECT_EQ(load.vendorText, "") << c.what;
        EXPECT_EQ(load.typeText, "") << c.what;
        // Only requests read to the end assemble; the flag and the header are the new file's.
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(set.request(i, {}).has_value(), i < c.wholeRequests) << c.what << " " << i;
        }
        if (c.wholeRequests > 0) {
            EXPECT_FALSE(set.checksumOn()) << c.what;
        }
    }

    RequestSet set;
    set.load(cfgBytes(kExample));
    RequestFileLoad load =
        set.load(cfgBytes({"t", "NO", "1", "2", "3", "?a", "1", "?b", "2", "bad"}));
    EXPECT_EQ(load.notANumber, "bad");
    EXPECT_EQ(requestOf(set, 0), Bytes({0xF0, 0x01, 0x02, 0x03, 0x01, 0xF7}));

    // 255 header bytes fit.
    load = set.load(cfgBytes(fullHeader));
    EXPECT_EQ(load.outcome, Outcome::Loaded) << load.error;
    EXPECT_EQ(requestOf(set, 0).size(), 255u + 3u);
}

TEST(RequestFile, SignificantLinesBeyondTheTable) {
    // Lines past 65535 are fine while the load never needs them...
    Lines lines = {"t", "NO", "1", "?a", "2", "/"};
    lines.resize(70000, "filler");
    RequestSet set;
    RequestFileLoad load = set.load(cfgBytes(lines));
    EXPECT_EQ(load.outcome, Outcome::Loaded) << load.error;
    // ...and stop the load, rather than end it early, when it does.
    lines = {"t", "NO", "1", "?a"};
    lines.resize(70000, "2");
    load = set.load(cfgBytes(lines));
    EXPECT_EQ(load.outcome, Outcome::Stopped);
    EXPECT_EQ(load.error, "有効な行が 65535 行を超えています");
    EXPECT_EQ(load.entries, Lines{"1:a"});
    EXPECT_FALSE(set.request(0, {}));
    // Exactly 65535 significant lines, comments not counted, still load whole.
    lines.resize(65535);
    lines.insert(lines.begin() + 3, "# not counted");
    load = set.load(cfgBytes(lines));
    EXPECT_EQ(load.outcome, Outcome::Loaded) << load.error;
    EXPECT_EQ(requestOf(set, 0).size(), 254u + 3u);
}

TEST(RequestFile, AFileThatCannotBeReadEmptiesTheListOnly) {
    TempDir dir;
    RequestSet set;
    writeBytes(dir.file("example.cfg"), cfgBytes(kExample));
    // Only a regular file is read: a FIFO is never opened, as it would wait for a writer.
    ASSERT_EQ(::mkfifo(dir.file("fifo.cfg").c_str(), 0600), 0);
    const std::pair<std::string, Outcome> cases[] = {{dir.file("missing.cfg"), Outcome::NotOpened},
                                                     {dir.path().string(), Outcome::Refused},
                                                     {dir.file("fifo.cfg"), Outcome::Refused}};
    for (const auto& [path, outcome] : cases) {
        EXPECT_EQ(set.loadFile(dir.file("example.cfg")).outcome, Outcome::Loaded);
        const RequestFileLoad load = set.loadFile(path);
        EXPECT_EQ(load.outcome, outcome) << path;
        EXPECT_TRUE(load.entries.empty());
        EXPECT_EQ(load.error, "");
        EXPECT_EQ(set.entryCount(), 0);
        EXPECT_FALSE(set.request(0, {}));
    }
}
