// pellum-cli identity as a user runs it: the real binary, a reply given in hexadecimal.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/CliRun.h"

using namespace pellum::test;

namespace {

const std::string kSc88Rows =
    "Global Channel: 17\nVendor Name: Roland\nVendor ID: 41H\nMachine Name: SC-88\n"
    "Machine ID: 42H 100H\nSystem Version: 1\nSoftware Version: 2\n";

}  // namespace

TEST(CliIdentity, PrintsTheSevenRowsOfTheReceiveTab) {
    struct Case {
        std::string args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"F0 7E 10 06 02 41 42 00 00 02 01 00 02 00 F7", 0, kSc88Rows},
        {"F07E100602414200000201000200F7", 0, kSc88Rows},
        {"'f0 7e 10 06 02' 41 42 00 00 02 01 00 02 00 f7", 0, kSc88Rows},
        // Shorter than a reply: what it holds, and "--" for the rest.
        {"F0 7E 7F 06 01 F7", 0,
         "Global Channel: 全機器\nVendor Name: unknown\nVendor ID: F7H\nMachine Name: unknown\n"
         "Machine ID: --\nSystem Version: --\nSoftware Version: --\n"},
        // A 3-byte maker ID: every field after it two bytes on.
        {"F0 7E 10 06 02 00 20 33 01 00 0A 00 01 02 03 04 F7", 0,
         "Global Channel: 17\nVendor Name: Access Music Electronics\nVendor ID: 00 20 33H\n"
         "Machine Name: unknown\nMachine ID: 01H 0AH\nSystem Version: 257\nSoftware Version: "
         "515\n"},
        {"F0 7E", 0,
         "Global Channel: --\nVendor Name: unknown\nVendor ID: --\nMachine Name: unknown\n"
         "Machine ID: --\nSystem Version: --\nSoftware Version: --\n"},
        {"F0 7E 10 06 02 42 58 00 01 00 00 00 00 00 F7", 0,
         "Global Channel: 17\nVendor Name: KORG\nVendor ID: 42H\nMachine Name: MS2000\n"
         "Machine ID: 58H 01H\nSystem Version: 0\nSoftware Version: 0\n"},
        {"F0 41 10 F7", 2, ""},
        {"F0", 2, ""},
        {"", 2, ""},
        {"F0 7E 1G", 2, ""},
        {"F07E1", 2, ""},
        {"F0 7E 1", 2, ""},  // whole bytes only, spaced or run together
        {"F0 7E 100", 2, ""},
        {"--hex F0 7E", 2, ""},
    };
    for (const Case& c : cases) {
        const CliRun r = runCliLine("identity " + c.args);
        EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args;
        EXPECT_EQ(r.err.empty(), c.status == 0) << c.args << ": " << r.err;
    }
    const CliRun help = runCliLine("identity --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: pellum-cli identity HEX..."), std::string::npos);
}
