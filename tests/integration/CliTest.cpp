// pellum-cli's MIDI commands as a user runs them, against the peer over the JACK server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/text/Texts.h"
#include "tests/integration/JackFixture.h"
#include "tests/support/CliRun.h"
#include "tests/support/Sanitized.h"
#include "tests/support/TempFiles.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::ChildProcess;
using test::CliRun;
using test::patternMessage;
using test::runCli;

class CliTest : public ::testing::Test {
protected:
    test::ServerWatch watch;
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

// "synth" with synthA and synthB picks neither: the first may be another instrument.
TEST_F(CliTest, APartOfNamesOfSeveralPortsIsRefusedWithThemListedAndAWholeNameWins) {
    test::JackPeer a({}, "synthA"), b({}, "synthB");
    test::writeBytes(dir.file("one.syx"), {0xF0, 0x7D, 0x01, 0xF7});
    const CliRun vague = runCli({"send", dir.file("one.syx"), "--out", "synth"});
    EXPECT_EQ(vague.status, 1);
    for (const std::string& port : {a.inPort(), b.inPort()})
        EXPECT_NE(vague.err.find(" " + port + "\n"), std::string::npos) << vague.err;
    const CliRun whole = runCli({"send", dir.file("one.syx"), "--out", b.inPort()});
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(b.nextReceived(5s), (Bytes{0xF0, 0x7D, 0x01, 0xF7}));
}

// --lines sends those messages only, in the file's order, and --hex the messages typed; a wrong
// part of LINES or of the hex is refused before anything goes out.
TEST_F(CliTest, SendLinesAndTypedHexSendOnlyThoseMessages) {
    test::writeBytes(dir.file("ten.syx"), test::patternStream(10, 50));
    const CliRun run =
        runCli({"send", dir.file("ten.syx"), "--out", peer.inPort(), "--lines", "9,2-3,3"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const int k : {1, 2, 8}) EXPECT_EQ(peer.nextReceived(5s), patternMessage(k, 50));
    const CliRun wrong =
        runCli({"send", dir.file("ten.syx"), "--out", peer.inPort(), "--lines", "2,4-x"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("'4-x'"), std::string::npos) << wrong.err;
    EXPECT_FALSE(peer.nextReceived(500ms));

    // Typed messages are checked whole before any goes out.
    const CliRun typed = runCli({"send", "--hex", "F0 7D 01 F7", "--hex", "f0,7d,2,f7 F0 7D 03 F7",
                                 "--out", peer.inPort()});
    ASSERT_EQ(typed.status, 0) << typed.err;
    for (const std::uint8_t k : {1, 2, 3}) EXPECT_EQ(peer.nextReceived(5s), (Bytes{0xF0, 0x7D, k, 0xF7}));
    const CliRun cut = runCli({"send", "--hex", "F0 7D 01 F7", "--hex", "F0 7D 02", "--out", peer.inPort()});
    EXPECT_EQ(cut.status, 2);
    EXPECT_FALSE(peer.nextReceived(500ms));
}

TEST(CliPorts, ARunningServerIsNeverSaidToBeMissing) {  // no peer: maybe no port at all
    const CliRun run = runCli({"ports"});
    EXPECT_EQ(run.status, 0);
    const std::string out = run.out + run.err;
    EXPECT_EQ(out.find("no JACK server"), std::string::npos) << out;
    if (out.find("in 1 ") == std::string::npos && out.find("out 1 ") == std::string::npos) {
        EXPECT_NE(out.find("none on the running JACK server"), std::string::npos) << out;
    }
}

TEST_F(CliTest, IdentifyPrintsThePeersReply) {
    const CliRun run = runCli({"identify", "--in", peer.outPort(), "--out", peer.inPort()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "F0 7E 7F 06 02 7D 12 34 56 01 02 03 04 05 F7\nGlobal Channel: " +
                  pellum::text(pellum::Text::AllDevices) +  // in the language both programs chose
                  "\nVendor Name: Non-Commercial\nVendor ID: 7DH\nMachine Name: unknown\n"
                  "Machine ID: 1A12H D6H\nSystem Version: 386\nSoftware Version: 644\n");
}

TEST_F(CliTest, SendThenReceiveRoundTripsAFileByteForByte) {
    peer.process().writeLine("report off");
    peer.process().writeLine("echo on");
    const Bytes file = test::patternStream({6, 300, 65535, 20, 4097, 1024, 1024, 7});
    // Status bytes inside messages end them as a cable would, and the sender says so.
    const Bytes cut{0xF0, 0x41, 0x10, 0x90, 0x3C, 0xF0, 0x43, 0xC0};
    const Bytes cutSent{0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x43, 0xF7};
    const std::string told = "in.syx: 2 messages end without F7 (1-2)";
    for (const auto& [in, count, sent, warning] :
         {std::tuple{file, "8", file, std::string()}, {cut, "2", cutSent, told}}) {
        test::writeBytes(dir.file("in.syx"), in);
        ChildProcess receive({PELLUM_CLI, "receive", dir.file("out.syx"), "--in", peer.outPort(),
                              "--count", count, "--timeout", "20"});
        // Sending before the receiver listens would lose the echo.
        ASSERT_TRUE(test::waitForConnection(peer.outPort(), 20s)) << "the receiver never connected";
        const CliRun send = runCli({"send", dir.file("in.syx"), "--out", peer.name() + ":in"});
        EXPECT_EQ(send.status, 0);
        EXPECT_EQ(send.err.find("without F7") != std::string::npos, !warning.empty());
        EXPECT_NE(send.err.find(warning), std::string::npos) << send.err;
        EXPECT_EQ(receive.wait(30s), 0);
        EXPECT_EQ(test::readBytes(dir.file("out.syx")), sent);
    }
}

// A sender that fills every cycle of its port, in events that cut the messages anywhere: every
// message arrives whole and in order, and nothing is reported lost.
TEST_F(CliTest, ReceiveKeepsAFullRateDumpWholeHoweverTheEventsCutIt) {
    struct Case {
        std::string cut;
        Bytes stream;
        std::size_t messages;
    };
    std::vector<std::size_t> bigFirst(1001, 1024);
    bigFirst.front() = 65535;
    const Case cases[] = {
        {"1024", test::patternStream(1000, 1024), 1000},
        {"random:1:4096:7", test::patternStream(1000, 1024), 1000},
        {"random:1:32720:11", test::patternStream(bigFirst), 1001},
        {"1000", test::patternStream(9999, 100), 9999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("events of " + c.cut + " bytes");
        test::writeBytes(dir.file("in.syx"), c.stream);
        std::filesystem::remove(dir.file("out.syx"));
        ChildProcess receive({PELLUM_CLI, "receive", dir.file("out.syx"), "--in", peer.outPort(),
                              "--count", std::to_string(c.messages), "--timeout", "20"},
                             dir.file("receive"));
        ASSERT_TRUE(test::waitForConnection(peer.outPort(), 20s)) << "the receiver never connected";
        peer.play(dir.file("in.syx"), c.cut, 100);
        EXPECT_EQ(peer.waitPlayed(60s), c.stream.size());
        const int status = receive.wait(60s);
        const std::string said = test::receiverSaid(dir.file("receive.err"));
        EXPECT_EQ(status, 0) << said;
        EXPECT_TRUE(test::readBytes(dir.file("out.syx")) == c.stream);
    }
}

// Messages at known frames, 0 to 1.5 s apart: receive keeps each one's time (as --times prints it,
// and in a .mid file an independent reader reads), and send --as-recorded plays the gaps back.
TEST_F(CliTest, ReceiveKeepsWhenEachMessageCameAndSendAsRecordedPlaysTheGapsBack) {
    const std::vector<double> gapsMs{0, 3, 40, 250, 1500};
    const std::size_t count = gapsMs.size() + 1;
    ChildProcess receive({PELLUM_CLI, "receive", dir.file("timed.mid"), "--in", peer.outPort(),
                          "--count", std::to_string(count), "--timeout", "20", "--times"},
                         dir.file("receive"));
    ASSERT_TRUE(test::waitForConnection(peer.outPort(), 20s)) << "the receiver never connected";
    const auto sent = peer.spaced(12, gapsMs);
    ASSERT_TRUE(sent);
    ASSERT_EQ(receive.wait(30s), 0) << test::receiverSaid(dir.file("receive.err"));
    // The times are stamped to the millisecond; the frames are exact.
    // Lines "number seconds length", from --times and from an independent reader of the file.
    const auto seconds = [](const std::string& lines) {
        std::vector<double> all;
        std::istringstream in(lines);
        for (std::string number, time, size; in >> number >> time >> size && size == "12";)
            all.push_back(std::stod(time));
        return all;
    };
    test::expectSameGaps(seconds(test::readText(dir.file("receive"))), *sent, 0.002, "--times");
    const char* mido =
        "import mido, sys\nt = 0\nfor m in mido.MidiFile(sys.argv[1]):\n"
        "    t += m.time\n    if m.type == 'sysex': print(0, t, len(m.bytes()))";
    test::expectSameGaps(
        seconds(test::runToEnd({"/usr/bin/python3", "-c", mido, dir.file("timed.mid")}, 60s).out),
        *sent, 0.002, "the .mid file");

    const CliRun send =
        runCli({"send", dir.file("timed.mid"), "--out", peer.inPort(), "--as-recorded"});
    ASSERT_EQ(send.status, 0) << send.err;
    const std::vector<double> arrived = test::arrivalSeconds(peer, {0, 1, 2, 3, 4, 5}, 12);
    // A message leaves at the next cycle's start: a gap may be off by one period.
    test::expectSameGaps(arrived, *sent, test::periodSeconds(peer) + 0.002, "as recorded");
}

// Every message the peer received, joined, until `bytes` have come or `limit` passed quietly.
Bytes receivedStream(test::JackPeer& peer, std::size_t bytes, std::chrono::milliseconds limit) {
    Bytes stream;
    while (stream.size() < bytes) {
        const auto message = peer.nextReceived(limit);
        if (!message) break;
        stream.insert(stream.end(), message->begin(), message->end());
    }
    return stream;
}

// Sizes each server handles differently (PipeWire's largest event is 32,735 bytes and it drops a
// cycle it cannot pack) and a tight loop: the peer gets every byte, in order, and nothing more.
TEST_F(CliTest, SendDeliversEveryMessageWholeAtAnySizeAndPace) {
    std::vector<std::size_t> fortyAndBig(40, 1024);
    fortyAndBig.push_back(65535);
    struct Case {
        const char* what;
        std::vector<std::size_t> sizes;
        std::vector<std::string> pace;
        const char* file = "in.syx";  // a .mid is converted from it
    };
    const Case cases[] = {
        {"40 messages and one of 65535 bytes", fortyAndBig, {}},
        {"one each at the servers' event limits", {32735, 32736, 40000, 65535}, {}},
        {"1000 x 1 KiB with no pause", std::vector<std::size_t>(1000, 1024), {"--interval", "0"}},
        {"the same in a .mid file", {32735, 32736, 40000, 65535, 5}, {}, "in.mid"},
    };
    peer.process().writeLine("report on");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " on " + test::serverKind());
        const Bytes file = test::patternStream(c.sizes);
        test::writeBytes(dir.file("in.syx"), file);
        runCli({"convert", dir.file("in.syx"), dir.file("in.mid")});
        std::vector<std::string> args{"send", dir.file(c.file), "--out", peer.inPort()};
        args.insert(args.end(), c.pace.begin(), c.pace.end());
        const CliRun send = runCli(args);
        EXPECT_EQ(send.status, 0);
        EXPECT_TRUE(receivedStream(peer, file.size(), 5s) == file);
        EXPECT_FALSE(peer.nextReceived(200ms)) << "more arrived than was sent";
    }
    // A fresh connection carries the first message too, every time.
    const Bytes five = test::patternStream(5, 1024);
    test::writeBytes(dir.file("five.syx"), five);
    for (int run = 0; run < (test::kSanitized ? 10 : 30); ++run) {
        ASSERT_EQ(runCli({"send", dir.file("five.syx"), "--out", peer.inPort()}).status, 0);
        const int missed = peer.missedCycles();
        const Bytes got = receivedStream(peer, five.size(), 5s);
        ASSERT_TRUE(got == five || peer.missedCycles() > missed)
            << "run " << run << ": " << got.size() << " of " << five.size() << " bytes";
    }
}

// A port with a MIDI cable behind it is fed no faster than the cable carries (3125 bytes a
// second): at 48 kHz and 1024 frames that is 67 bytes a cycle, after a start of at most 256.
TEST(CliPacing, APhysicalPortIsFedAtTheCablesRate) {
    test::JackPeer cable("physical");
    test::TempDir dir;
    const Bytes message = patternMessage(0, 1500);
    test::writeBytes(dir.file("in.syx"), message);
    EXPECT_EQ(runCli({"send", dir.file("in.syx"), "--out", cable.inPort()}).status, 0);
    EXPECT_EQ(cable.nextReceived(10s), message);
    const auto busiest = cable.busiestCycle();
    ASSERT_TRUE(busiest);
    EXPECT_GT(busiest->bytes, 0u);
    EXPECT_LE(busiest->bytes, 256u + 67u);
}

// Each gap holds at the receiver, the first included: the wait counts from when a message left
// the port, which a fresh connection holds for its first cycles.
TEST_F(CliTest, EveryGapOfAPacedSendHoldsTheFirstIncluded) {
    test::writeBytes(dir.file("five.syx"), test::patternStream(5, 100));
    for (const int interval : {50, 200}) {
        ASSERT_EQ(runCli({"send", dir.file("five.syx"), "--out", peer.inPort(), "--interval",
                          std::to_string(interval)})
                      .status,
                  0);
        test::expectPacedArrivals(peer, 5, 100, interval);
    }
}

// JACK clients write a message as one event, and many receivers take an event as a message: a
// message one cycle holds goes whole, a longer one in pieces.
TEST_F(CliTest, AMessageACycleHoldsGoesAsOneEventAndALongerOneInPieces) {
    for (const std::size_t size : {8000, 32000, 40000}) {
        test::writeBytes(dir.file("one.syx"), patternMessage(0, size));
        EXPECT_EQ(runCli({"send", dir.file("one.syx"), "--out", peer.inPort()}).status, 0);
        EXPECT_TRUE(receivedStream(peer, size, 5s) == patternMessage(0, size)) << size;
        const auto busiest = peer.busiestCycle();
        ASSERT_TRUE(busiest);
        EXPECT_EQ(busiest->events == 1, size < 32720) << size;
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
