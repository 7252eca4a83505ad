// pellum-cli request over the JACK server: the dump request goes to the peer instrument, and the
// dump it answers with is captured into a .syx file by the same command.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/integration/JackFixture.h"
#include "tests/support/CliRun.h"
#include "tests/support/ExampleCfg.h"
#include "tests/support/TempFiles.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;

class RequestCliTest : public ::testing::Test {
protected:
    test::JackPeer peer;
    test::TempDir dir;
};

TEST_F(RequestCliTest, SendsTheRequestAndCapturesTheDumpItAsksFor) {
    const std::string cfg = dir.file("sc88.cfg");
    test::writeBytes(cfg, test::cfgBytes(test::kExampleCfgLines));
    // A dump larger than one port cycle, so the capture runs over several.
    peer.process().writeLine("answer 40 1024");

    const test::CliRun run =
        test::runCli({"request", cfg, "--entry", "2", "--channel", "3", "--send", "--out",
                      peer.inPort(), "--in", peer.outPort(), "--receive", dir.file("dump.syx")});
    EXPECT_EQ(run.out,
              "1:System\n2:Part 1\nVendor: 41H Roland\nTYPE: 42H GS\n"
              "Send:  F0 41 12 42 11 40 10 00 00 00 7F 31 F7\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(peer.nextReceived(10s), test::Bytes({0xF0, 0x41, 0x12, 0x42, 0x11, 0x40, 0x10, 0x00,
                                                   0x00, 0x00, 0x7F, 0x31, 0xF7}));
    EXPECT_TRUE(test::readBytes(dir.file("dump.syx")) == test::patternStream(40, 1024));

    // Without --in, the request only goes out.
    EXPECT_EQ(test::runCli({"request", cfg, "--send", "--out", peer.inPort()}).status, 0);
    EXPECT_EQ(peer.nextReceived(10s), test::Bytes({0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F,
                                                   0x00, 0x00, 0x01, 0x40, 0xF7}));
}

TEST_F(RequestCliTest, NoAnswerIsAFailureAndWritesNothing) {
    const std::string cfg = dir.file("one.cfg");
    test::writeBytes(cfg, {'t', '\r', 'N', 'O', '\r', '6', '5', '\r', '?', 'a', '\r', '1', '\r'});
    const test::CliRun run =
        test::runCli({"request", cfg, "--send", "--out", peer.inPort(), "--in", peer.outPort(),
                      "--receive", dir.file("dump.syx"), "--timeout", "0.5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(peer.nextReceived(10s), test::Bytes({0xF0, 0x41, 0x01, 0xF7}));
    EXPECT_TRUE(test::readBytes(dir.file("dump.syx")).empty());
}

}  // namespace
}  // namespace pellum
