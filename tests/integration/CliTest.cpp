// pellum-cli's MIDI commands as a user runs them, against the peer over the JACK server.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/integration/JackFixture.h"
#include "tests/support/TempFiles.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::ChildProcess;
using test::patternMessage;

struct CliRun {
    int status;
    std::string out;
};

CliRun runCli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{PELLUM_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess cli(argv);
    CliRun run;
    run.out = cli.readAll(60s);
    run.status = cli.wait(60s);
    return run;
}

class CliTest : public ::testing::Test {
protected:
    test::JackPeer peer;
    test::TempDir dir;
};

TEST_F(CliTest, PortsListsThePeerNumberedFromOne) {
    const CliRun run = runCli({"ports"});
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(" " + peer.outPort() + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" " + peer.inPort() + "\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.rfind("in 1 ", 0), 0u) << run.out;
}

TEST_F(CliTest, IdentifyPrintsThePeersReply) {
    const CliRun run = runCli({"identify", "--in", peer.outPort(), "--out", peer.inPort()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "F0 7E 7F 06 02 7D 12 34 56 01 02 03 04 05 F7\n"
              "Global Channel: 128\nVendor Name: unknown\nVendor ID: 7DH\nMachine Name: unknown\n"
              "Machine ID: 1A12H D6H\nSystem Version: 386\nSoftware Version: 644\n");
}

TEST_F(CliTest, SendThenReceiveRoundTripsAFileByteForByte) {
    peer.process().writeLine("report off");
    peer.process().writeLine("echo on");
    Bytes file;
    std::size_t count = 0;
    for (std::size_t size : {6, 300, 65535, 20, 4097, 1024, 1024, 7}) {
        const Bytes message = patternMessage(count++, size);
        file.insert(file.end(), message.begin(), message.end());
    }
    test::writeBytes(dir.file("in.syx"), file);

    ChildProcess receive({PELLUM_CLI, "receive", dir.file("out.syx"), "--in", peer.outPort(),
                          "--count", std::to_string(count), "--timeout", "20"});
    // Sending before the receiver listens would lose the echo.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (test::jackConnections(peer.outPort()).empty()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the receiver never connected";
        std::this_thread::sleep_for(20ms);
    }
    const CliRun send = runCli({"send", dir.file("in.syx"), "--out", peer.name() + ":in"});
    EXPECT_EQ(send.status, 0);
    EXPECT_EQ(receive.wait(30s), 0);
    EXPECT_EQ(test::readBytes(dir.file("out.syx")), file);
}

// A sender that fills every cycle of its port, in events that cut the messages anywhere: every
// message arrives whole and in order, and nothing is reported lost.
TEST_F(CliTest, ReceiveKeepsAFullRateDumpWholeHoweverTheEventsCutIt) {
    struct Case {
        std::string cut;
        Bytes stream;
        std::size_t messages;
    };
    Bytes bigFirst = patternMessage(0, 65535);
    const Bytes kibs = test::patternStream(1000, 1024, 1);
    bigFirst.insert(bigFirst.end(), kibs.begin(), kibs.end());
    const Case cases[] = {
        {"1024", test::patternStream(1000, 1024), 1000},
        {"random:1:4096:7", test::patternStream(1000, 1024), 1000},
        {"random:1:32720:11", bigFirst, 1001},
        {"1000", test::patternStream(9999, 100), 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("events of " + c.cut + " bytes");
        test::writeBytes(dir.file("in.syx"), c.stream);
        std::filesystem::remove(dir.file("out.syx"));
        ChildProcess receive({PELLUM_CLI, "receive", dir.file("out.syx"), "--in", peer.outPort(),
                              "--count", std::to_string(c.messages), "--timeout", "20"});
        ASSERT_TRUE(test::waitForConnection(peer.outPort(), 20s)) << "the receiver never connected";
        peer.play(dir.file("in.syx"), c.cut, 100);
        EXPECT_EQ(peer.waitPlayed(60s), c.stream.size());
        EXPECT_EQ(receive.wait(60s), 0);
        EXPECT_TRUE(test::readBytes(dir.file("out.syx")) == c.stream);
    }
}

TEST_F(CliTest, FailuresExitWithStatusOneAndUsageErrorsWithTwo) {
    test::writeBytes(dir.file("in.syx"), patternMessage(0, 10));
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{"send", dir.file("in.syx"), "--out", "no-such-port"}, 1},
        {{"send", dir.file("in.syx"), "--out", "999"}, 1},
        {{"send", dir.file("missing.syx"), "--out", peer.inPort()}, 1},
        {{"receive", dir.file("nofolder/out.syx"), "--in", peer.outPort()}, 1},
        {{"receive", dir.file("out.syx"), "--in", peer.outPort(), "--timeout", "0.3"}, 1},
        {{"identify", "--in", peer.outPort(), "--out", "no-such-port"}, 1},
        {{"send", dir.file("in.syx")}, 2},
        {{"send", dir.file("in.syx"), "--out", "1", "--interval", "soon"}, 2},
        {{"receive", dir.file("out.syx"), "--in", "1", "--count", "0"}, 2},
        {{"ports", "extra"}, 2},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& arg : c.args) line += arg + " ";
        EXPECT_EQ(runCli(c.args).status, c.status) << line;
    }
    // The receive that timed out wrote nothing.
    EXPECT_TRUE(test::readBytes(dir.file("out.syx")).empty());
}

}  // namespace
}  // namespace pellum
