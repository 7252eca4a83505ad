// pellum-cli request as a user runs it: the real binary, real .cfg files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/CliRun.h"
#include "tests/support/ExampleCfg.h"
#include "tests/support/TempFiles.h"

using namespace pellum::test;

namespace {

const std::vector<std::string>& kExample = kExampleCfgLines;

const std::string kExampleShown = "1:System\n2:Part 1\nVendor: 41H Roland\nTYPE: 42H GS\n";

}  // namespace

TEST(CliRequest, ShowsTheEntriesAndTheRequestAsTheTabDoes) {
    TempDir dir;
    const std::string example = dir.file("example.cfg");
    writeBytes(example, cfgBytes(kExample));
    std::vector<std::string> korg = kExample;
    korg[3] = "$42";
    korg[5] = "99";
    korg[2] = "NO";
    writeBytes(dir.file("korg.cfg"), cfgBytes(korg));
    // A name cut at 33 bytes inside a double-byte character is printed as the file holds it.
    const std::string sjis(40, '\x83');
    writeBytes(dir.file("sjis.cfg"), cfgBytes({"t", "NO", "1", "?" + sjis, "2"}));

    struct Case {
        std::string args;
        std::string out;
    };
    const Case cases[] = {
        {example, kExampleShown + "Send:  F0 41 10 42 11 40 00 7F 00 00 01 40 F7\n"},
        {example + " --entry 2", kExampleShown + "Send:  F0 41 10 42 11 40 10 00 00 00 7F 31 F7\n"},
        {example + " --channel 3",
         kExampleShown + "Send:  F0 41 12 42 11 40 00 7F 00 00 01 40 F7\n"},
        {example + " --channel 16 --entry 2",
         kExampleShown + "Send:  F0 41 1F 42 11 40 10 00 00 00 7F 31 F7\n"},
        {dir.file("korg.cfg"),
         "1:System\n2:Part 1\nVendor: 42H KORG\nTYPE: 63H unknown\n"
         "Send:  F0 42 10 63 11 40 00 7F 00 00 01 F7\n"},
        {dir.file("sjis.cfg"), "1:" + sjis.substr(0, 33) +
                                   "\nVendor: 01H unknown\n"
                                   "TYPE: 02H unknown\nSend:  F0 01 02 F7\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCliLine("request " + c.args);
        EXPECT_EQ(r.status, 0) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }
}

TEST(CliRequest, FailuresAndUsageErrors) {
    TempDir dir;
    const std::string example = dir.file("example.cfg");
    writeBytes(example, cfgBytes(kExample));
    writeBytes(dir.file("stops.cfg"),
               cfgBytes({"t", "NO", "65", "?a", "1", "?b", "1", "2 ", "?c", "3"}));
    writeBytes(dir.file("type.cfg"), cfgBytes({"t", "NO", "65", "16", "?a", "1"}));
    writeBytes(dir.file("long.cfg"), cfgBytes({"t", "NO", std::string(1'000'000, '6') + "x"}));

    struct Case {
        std::string args;
        int status;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        // A stopped load: the entries read so far, then where it stopped and why.
        {dir.file("stops.cfg"), 1, "1:a\n2:b\n",
         "pellum-cli: " + dir.file("stops.cfg") + " の 8 行目: '2 ' は数値ではありません\n"},
        {dir.file("type.cfg"), 1, "1:a\n",
         "pellum-cli: " + dir.file("type.cfg") + " の 5 行目: '?a' は数値ではありません\n"},
        {dir.file("long.cfg"), 1, "",
         "pellum-cli: " + dir.file("long.cfg") + " の 3 行目: '" + std::string(80, '6') +
             "…' は数値ではありません\n"},
        {dir.file("missing.cfg"), 1, "",
         "pellum-cli: ファイル " + dir.file("missing.cfg") + " は開けません\n"},
        {example + " --entry 3", 1, kExampleShown,
         "pellum-cli: " + example + " lists 2 requests; there is no entry 3\n"},
        {example + " --entry 99999", 1, kExampleShown,
         "pellum-cli: " + example + " lists 2 requests; there is no entry 99999\n"},
        {example + " --send --out no-such-port", 1,
         kExampleShown + "Send:  F0 41 10 42 11 40 00 7F 00 00 01 40 F7\n",
         "pellum-cli: no output device's name contains 'no-such-port' (see 'pellum-cli ports')\n"},
        {"", 2, "", ""},
        {example + " " + example, 2, "", ""},
        {example + " --entry 0", 2, "", ""},
        {example + " --channel 17", 2, "", ""},
        {example + " --channel 0", 2, "", ""},
        {example + " --send", 2, "", ""},
        {example + " --out 1", 2, "", ""},
        {example + " --send --out 1 --in 1", 2, "", ""},
        {example + " --send --out 1 --receive " + dir.file("out.syx"), 2, "", ""},
        {example + " --send --out 1 --timeout 3", 2, "", ""},
        {example + " --bogus", 2, "", ""},
        {example + " --send --out --bogus", 2, "", ""},
    };
    for (const Case& c : cases) {
        const CliRun r = runCliLine("request " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.out, c.out) << c.args;
        if (c.status == 2) {
            EXPECT_NE(r.err.find("(see 'pellum-cli request --help')"), std::string::npos)
                << c.args << ": " << r.err;
        } else {
            EXPECT_EQ(r.err, c.err) << c.args;
        }
    }
    const CliRun help = runCliLine("request --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pellum-cli request FILE.cfg"), std::string::npos);
}
