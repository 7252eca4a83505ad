// The system's MIDI service, InputDevice and the output port against a peer instrument over a
// real JACK server: device lists, the Identity Request and Reply, bursts and the largest messages.
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "device/InputDevice.h"
#include "device/OutputDevice.h"
#include "platform/midi/AlsaJackService.h"
#include "platform/midi/notices/NoticePipe.h"
#include "tests/integration/JackFixture.h"
#include "tests/support/Sanitized.h"

namespace pellum {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;
using test::patternMessage;

const Bytes kIdentityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

// InputDevice on the peer's output, drained the way the window drains it.
class Capture {
public:
    Capture(midi::AlsaJackService& service, const std::string& source, std::uint16_t bufferSize,
            std::uint16_t bufferCount)
        : input_(service, notices_) {
        input_.setProductName(source);
        input_.setSysexBufferSize(bufferSize);
        input_.setSysexBufferCount(bufferCount);
        input_.setSysexOnly(true);
        input_.onInput = [this](device::InputDevice& input) {
            while (input.pendingCount() > 0) {
                auto event = input.takeEvent();
                if (!event) break;
                EXPECT_EQ(event->statusByte, 0xF0);
                events.push_back(event->sysexBytes);
            }
        };
        input_.open();
        EXPECT_TRUE(input_.isOpen()) << "open failed with code " << input_.error();
        input_.start();
    }
    ~Capture() { input_.close(); }

    // Pumps the notices until `count` events arrived or `limit` passed without any.
    bool waitForEvents(std::size_t count, std::chrono::milliseconds limit) {
        auto quietUntil = std::chrono::steady_clock::now() + limit;
        while (events.size() < count) {
            if (std::chrono::steady_clock::now() > quietUntil) return false;
            pollfd ready{notices_.readFd(), POLLIN, 0};
            if (::poll(&ready, 1, 10) > 0) {
                const std::size_t before = events.size();
                notices_.dispatchPending();
                if (events.size() != before) quietUntil = std::chrono::steady_clock::now() + limit;
            }
        }
        return true;
    }

    std::vector<Bytes> events;

private:
    midi::NoticePipe notices_;
    device::InputDevice input_;
};

class JackMidiTest : public ::testing::Test {
protected:
    test::ServerWatch watch;
    test::JackPeer peer;
    // Made after the peer is up, so its ports are in the device lists.
    midi::AlsaJackService service;

    void TearDown() override {
        test::receiverHeldUp(service.inputGaps() + service.possibleInputGaps());
    }

    // Our ports as the peer sees them: those connected to its own.
    std::vector<std::string> ourPorts() {
        auto ports = test::jackConnections(peer.outPort());
        for (std::string& port : test::jackConnections(peer.inPort())) ports.push_back(port);
        return ports;
    }

    int outputIndexOf(device::OutputDevice& port, const std::string& name) {
        const auto list = port.buildOutputList();
        const auto found = std::find(list.begin(), list.end(), name);
        return found == list.end() ? -1 : static_cast<int>(found - list.begin());
    }
};

TEST_F(JackMidiTest, ListsThePeersPortsInFullAndNeverItsOwn) {
    ASSERT_TRUE(service.jackAvailable());
    device::OutputDevice port(service);
    Capture capture(service, peer.outPort(), 4096, 4);
    ASSERT_GT(outputIndexOf(port, peer.inPort()), 0);
    ASSERT_EQ(port.openOutput(outputIndexOf(port, peer.inPort())), midi::MMSYSERR_NOERROR);

    // With a port of each kind open, the lists are read again: ours must not be in them.
    std::vector<std::string> names;
    for (std::uint32_t i = 0, n = service.midiInGetNumDevs(); i < n; ++i) {
        names.push_back(service.midiInDeviceName(i));
    }
    for (std::uint32_t i = 0, n = service.midiOutGetNumDevs(); i < n; ++i) {
        names.push_back(service.midiOutDeviceName(i));
    }
    EXPECT_NE(std::find(names.begin(), names.end(), peer.outPort()), names.end());
    const auto ours = ourPorts();
    ASSERT_EQ(ours.size(), 2u);
    for (const std::string& name : names) {
        EXPECT_EQ(std::count(ours.begin(), ours.end(), name), 0) << name << " is one of our own";
    }
    // The capability record is cut to 31 characters; the full name is the device name.
    midi::MIDIOUTCAPSA caps{};
    const auto device = static_cast<std::uint32_t>(outputIndexOf(port, peer.inPort()) - 1);
    ASSERT_EQ(service.midiOutGetDevCapsA(device, &caps, sizeof caps), midi::MMSYSERR_NOERROR);
    EXPECT_EQ(std::string(caps.szPname), peer.inPort().substr(0, 31));
}

// A patchbay finds our ports under the same names at every start; a second program beside the
// first gets the server's suffix, lists the first one's ports and receives as well.
TEST_F(JackMidiTest, OurPortsKeepTheirNamesFromStartToStartAndASecondProgramWorks) {
    std::vector<std::vector<std::string>> seen;
    for (int start = 0; start < 2; ++start) {
        midi::AlsaJackService program;
        device::OutputDevice port(program);
        ASSERT_EQ(port.openOutput(outputIndexOf(port, peer.inPort())), midi::MMSYSERR_NOERROR);
        Capture capture(program, peer.outPort(), 4096, 4);
        seen.push_back(ourPorts());
    }
    EXPECT_EQ(seen[0], (std::vector<std::string>{"Pellum in:in", "Pellum out:out"}));
    EXPECT_EQ(seen[1], seen[0]);

    Capture first(service, peer.outPort(), 4096, 4);
    midi::AlsaJackService second;
    std::vector<std::string> listed;
    for (std::uint32_t i = 0, n = second.midiOutGetNumDevs(); i < n; ++i)
        listed.push_back(second.midiOutDeviceName(i));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "Pellum in:in"), 1);
    Capture other(second, peer.outPort(), 4096, 4);
    const auto both = ourPorts();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_NE(both[0], both[1]);
    peer.process().writeLine("emit 3 64");
    EXPECT_TRUE(other.waitForEvents(3, 10s));
    EXPECT_TRUE(first.waitForEvents(3, 10s));
}

TEST_F(JackMidiTest, IdentityRequestReachesThePeerAndItsReplyArrivesAsOneEvent) {
    Capture capture(service, peer.outPort(), 65535, 16);  // the window's buffer set-up
    device::OutputDevice port(service);
    ASSERT_EQ(port.openOutput(outputIndexOf(port, peer.inPort())), midi::MMSYSERR_NOERROR);
    ASSERT_EQ(port.sendLongMessage(kIdentityRequest), midi::MMSYSERR_NOERROR);

    EXPECT_EQ(peer.nextReceived(10s), kIdentityRequest);
    ASSERT_TRUE(capture.waitForEvents(1, 10s));
    ASSERT_EQ(capture.events.size(), 1u);
    EXPECT_EQ(capture.events[0], test::JackPeer::kIdentityReply);
}

TEST_F(JackMidiTest, BurstFromThePeerArrivesCompleteAndInOrder) {
    constexpr std::size_t kCount = 1000;
    constexpr std::size_t kSize = 1024;
    // A busy machine can make the server drop a whole cycle between the peer and us: we must
    // say so (the run is then played again), and what we kept must still be real messages.
    Capture capture(service, peer.outPort(), 4096, 256);
    const std::uint64_t droppedBefore = service.droppedInputBytes();
    const std::uint64_t toldBefore = service.inputGaps() + droppedBefore;
    const auto start = std::chrono::steady_clock::now();
    peer.process().writeLine("emit " + std::to_string(kCount) + " " + std::to_string(kSize));
    const bool whole = capture.waitForEvents(kCount, 10s);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::size_t k = 0;
    for (const Bytes& event : capture.events) {
        while (k < kCount && event != patternMessage(k, kSize)) ++k;
        ASSERT_LT(k++, kCount) << "a message that was never sent arrived";
    }
    if (!whole) {
        const std::uint64_t told = service.inputGaps() + service.droppedInputBytes();
        ASSERT_GT(told, toldBefore) << capture.events.size() << " arrived, loss not told";
        // Under a sanitizer the reader runs several times slower, and on a busy host it can fall
        // behind a full-rate peer (seen once under ASan on PipeWire: 968 of 1000, told): such a
        // run proves nothing and is played again. A plain build must keep up.
        if (test::kSanitized && service.droppedInputBytes() > droppedBefore) test::receiverHeldUp(1);
    }
    ASSERT_EQ(capture.events.size(), kCount);
    EXPECT_EQ(service.droppedInputBytes(), droppedBefore);
    // Figures for the record, never a verdict.
    std::printf("burst: %zu messages of %zu bytes in %.3f s: %.0f messages/s, %.0f bytes/s\n",
                kCount, kSize, seconds, kCount / seconds, kCount * kSize / seconds);
}

TEST_F(JackMidiTest, MessagesOfEverySizeReachThePeerWholeAndInOrder) {
    device::OutputDevice port(service);
    ASSERT_EQ(port.openOutput(outputIndexOf(port, peer.inPort())), midi::MMSYSERR_NOERROR);
    // Around the largest JACK event, the largest message the program sends, and a tight loop
    // of small messages, more than one cycle carries.
    std::vector<Bytes> sent;
    for (std::size_t size : {6, 32720, 32721, 65535}) sent.push_back(patternMessage(0, size));
    for (std::size_t k = 0; k < 300; ++k) sent.push_back(patternMessage(k, 1024));
    for (const Bytes& message : sent) {
        ASSERT_EQ(port.sendLongMessage(message), midi::MMSYSERR_NOERROR);
    }
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto received = peer.nextReceived(10s);
        ASSERT_TRUE(received) << "message " << i << " of " << sent[i].size() << " bytes is missing";
        ASSERT_EQ(*received, sent[i]) << "message " << i;
    }
}

TEST_F(JackMidiTest, MessageTooLargeToCarryIsRefusedNotCut) {
    device::OutputDevice port(service);
    ASSERT_EQ(port.openOutput(outputIndexOf(port, peer.inPort())), midi::MMSYSERR_NOERROR);
    EXPECT_NE(port.sendLongMessage(patternMessage(1, 1 << 20)), midi::MMSYSERR_NOERROR);
    const Bytes after = patternMessage(2, 100);
    ASSERT_EQ(port.sendLongMessage(after), midi::MMSYSERR_NOERROR);
    EXPECT_EQ(peer.nextReceived(10s), after);  // nothing of the refused one went out first
}

TEST_F(JackMidiTest, LargestMessageFromThePeerArrivesWholeInBuffers) {
    struct Case {
        std::uint16_t bufferSize;
        std::size_t events;
    };
    // The window's 65535-byte buffers take it in one; small buffers carry it on in order.
    for (const Case c : {Case{65535, 1}, Case{4096, 16}}) {
        SCOPED_TRACE(c.bufferSize);
        Capture capture(service, peer.outPort(), c.bufferSize, 32);
        // A message written before the new connection carries anything is lost whole.
        ASSERT_TRUE(test::waitForConnection(peer.outPort(), 10s));
        peer.process().writeLine("emit 1 65535");
        ASSERT_TRUE(capture.waitForEvents(c.events, 10s)) << capture.events.size() << " arrived";
        EXPECT_FALSE(capture.waitForEvents(c.events + 1, 300ms));
        Bytes joined;
        for (std::size_t i = 0; i < capture.events.size(); ++i) {
            const Bytes& event = capture.events[i];
            EXPECT_EQ(event.size(), i + 1 < c.events ? c.bufferSize : 65535 - joined.size());
            joined.insert(joined.end(), event.begin(), event.end());
        }
        EXPECT_EQ(joined, patternMessage(0, 65535));
    }
}

}  // namespace
}  // namespace pellum
