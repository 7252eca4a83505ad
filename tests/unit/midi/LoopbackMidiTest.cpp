// The loopback service behaves like the system's inputs: buffers fill in order on the pump's
// thread, a SysEx waits for a buffer, the result codes follow the winmm rules, outputs record
// and answer.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/loopback/LoopbackMidi.h"
#include "tests/unit/midi/RecordingClient.h"

namespace pellum::midi {
namespace {

using test::Bytes;
using test::Call;
using test::RecordingClient;

class Loopback : public ::testing::Test {
protected:
    void SetUp() override {
        input = service.addInput("Loop In");
        ASSERT_EQ(service.midiInOpen(&handle, input, &RecordingClient::callback,
                                     recorder.instance(), CALLBACK_FUNCTION),
                  MMSYSERR_NOERROR);
    }
    void TearDown() override {
        service.midiInReset(handle);
        for (auto& header : recorder.headers)
            service.midiInUnprepareHeader(handle, &header, sizeof header);
        service.midiInClose(handle);
    }
    void queueBuffers(std::size_t count, std::size_t size) {
        recorder.queueBuffers(count, size, [&](MIDIHDR& header) {
            ASSERT_EQ(service.midiInPrepareHeader(handle, &header, sizeof header), 0u);
            ASSERT_EQ(service.midiInAddBuffer(handle, &header, sizeof header), 0u);
        });
    }
    // Calls that carry data, leaving out MIM_OPEN.
    std::vector<Call> delivered() {
        service.flush(input);
        std::vector<Call> calls = recorder.take();
        std::erase_if(calls, [](const Call& c) { return c.msg == MIM_OPEN; });
        return calls;
    }

    LoopbackMidi service;
    RecordingClient recorder;
    std::uint32_t input = 0;
    HMIDIIN handle = nullptr;
};

TEST_F(Loopback, SplitsTheStreamIntoShortMessagesAndBuffersOnThePumpThread) {
    queueBuffers(2, 4);
    ASSERT_EQ(service.midiInStart(handle), 0u);
    // Note on, running status, a SysEx one buffer and a half long, a program change.
    service.inject(input, {0x90, 0x3C, 0x64, 0x3C, 0x00, 0xF0, 1, 2, 3, 4, 5, 0xF7, 0xC0, 0x05});
    const std::vector<Call> calls = delivered();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].p1, 0x643C90u);
    EXPECT_EQ(calls[1].p1, 0x003C90u);
    EXPECT_EQ(calls[2].msg, MIM_LONGDATA);
    EXPECT_EQ(calls[2].bytes, (Bytes{0xF0, 1, 2, 3}));
    EXPECT_EQ(calls[3].msg, MIM_LONGDATA);
    EXPECT_EQ(calls[3].bytes, (Bytes{4, 5, 0xF7}));
    EXPECT_EQ(calls[4].msg, MIM_DATA);
    EXPECT_EQ(calls[4].p1, 0x05C0u);
    for (const Call& call : calls) EXPECT_NE(call.thread, std::this_thread::get_id());
    EXPECT_EQ(recorder.headers[0].dwFlags, MHDR_PREPARED | MHDR_DONE);
    EXPECT_TRUE(service.queuedBuffers(input).empty());

    // Nothing is queued now: the SysEx waits for a buffer, and what follows waits behind it.
    service.inject(input, {0xF0, 0x7E, 0xF7, 0xC0, 0x06});
    EXPECT_TRUE(delivered().empty());
    queueBuffers(1, 4);
    const std::vector<Call> late = delivered();
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].bytes, (Bytes{0xF0, 0x7E, 0xF7}));
    EXPECT_EQ(late[1].p1, 0x06C0u);
    EXPECT_EQ(service.droppedInputBytes(), 0u);
}

TEST_F(Loopback, RealTimeBytesPassThroughASysexAndAStatusByteBreaksIt) {
    queueBuffers(3, 16);
    service.midiInStart(handle);
    service.inject(input, {0xF0, 0x01, 0xF8, 0x02, 0xF7, 0xF0, 0x03, 0x80, 0x3C, 0x00});
    const std::vector<Call> calls = delivered();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].msg, MIM_DATA);
    EXPECT_EQ(calls[0].p1, 0xF8u);
    EXPECT_EQ(calls[1].bytes, (Bytes{0xF0, 0x01, 0x02, 0xF7}));
    // The broken message comes back empty and its two bytes count as lost: filed, it would
    // pass for a whole one.
    EXPECT_EQ(calls[2].msg, MIM_LONGERROR);
    EXPECT_EQ(calls[2].bytes, Bytes{});
    EXPECT_EQ(service.droppedInputBytes(), 2u);
    EXPECT_EQ(calls[3].p1, 0x3C80u);
    EXPECT_EQ(service.queuedBuffers(input).size(), 1u);
}

TEST_F(Loopback, InputBeforeStartIsDroppedAndResetReturnsEveryBufferEmpty) {
    queueBuffers(3, 8);
    service.inject(input, {0x90, 0x3C, 0x64, 0xF0, 0xF7});
    EXPECT_TRUE(delivered().empty());
    EXPECT_EQ(service.droppedInputBytes(), 5u);

    EXPECT_EQ(service.midiInClose(handle), MIDIERR_STILLPLAYING);
    EXPECT_EQ(service.midiInUnprepareHeader(handle, &recorder.headers[0], sizeof(MIDIHDR)),
              MIDIERR_STILLPLAYING);
    ASSERT_EQ(service.midiInReset(handle), 0u);
    const std::vector<Call> calls = recorder.take();  // reset waits for its callbacks
    ASSERT_EQ(calls.size(), 3u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].msg, MIM_LONGDATA);
        EXPECT_EQ(calls[i].p1, reinterpret_cast<std::uintptr_t>(&recorder.headers[i]));
        EXPECT_TRUE(calls[i].bytes.empty());
    }
    for (auto& header : recorder.headers) {
        EXPECT_EQ(service.midiInUnprepareHeader(handle, &header, sizeof header), 0u);
        EXPECT_EQ(header.dwFlags, MHDR_DONE);
    }
    recorder.headers.clear();
    ASSERT_EQ(service.midiInClose(handle), 0u);
    EXPECT_EQ(recorder.take().back().msg, MIM_CLOSE);
    EXPECT_FALSE(service.isInputOpen(input));
    EXPECT_EQ(service.midiInStart(handle), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(service.midiInOpen(&handle, input, &RecordingClient::callback, recorder.instance(),
                                 CALLBACK_FUNCTION),
              0u);
}

TEST_F(Loopback, EnforcesDeviceRules) {
    HMIDIIN second = nullptr;
    EXPECT_EQ(service.midiInOpen(&second, input, &RecordingClient::callback, 0, CALLBACK_FUNCTION),
              MMSYSERR_ALLOCATED);
    EXPECT_EQ(service.midiInOpen(&second, 5, &RecordingClient::callback, 0, CALLBACK_FUNCTION),
              MMSYSERR_BADDEVICEID);
    EXPECT_EQ(service.midiInOpen(&second, input, &RecordingClient::callback, 0, CALLBACK_WINDOW),
              MMSYSERR_INVALFLAG);

    service.addInput("A name longer than the thirty-one characters a device name may have");
    MIDIINCAPSA caps{};
    ASSERT_EQ(service.midiInGetDevCapsA(1, &caps, sizeof caps), 0u);
    EXPECT_STREQ(caps.szPname, "A name longer than the thirty-o");
    EXPECT_EQ(service.midiInGetDevCapsA(2, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
}

TEST(LoopbackErrorText, GivesTheTextOfKnownCodesWithinTheBuffer) {
    LoopbackMidi service;
    char text[128];
    ASSERT_EQ(service.midiInGetErrorTextA(MMSYSERR_BADDEVICEID, text, sizeof text), 0u);
    EXPECT_STREQ(text, "A device ID has been used that is out of range for your system.");
    char small[8];
    ASSERT_EQ(service.midiInGetErrorTextA(MIDIERR_STILLPLAYING, small, sizeof small), 0u);
    EXPECT_STREQ(small, "Cannot ");
    EXPECT_EQ(service.midiInGetErrorTextA(1234, text, sizeof text), MMSYSERR_BADERRNUM);
    // Every known text fits the 128 characters the input device offers.
    for (MMRESULT code = 0; code < 256; ++code) {
        if (const char* known = mmErrorText(code)) {
            EXPECT_LT(std::strlen(known), 128u) << code;
        }
    }
}

TEST_F(Loopback, OutputsRecordWhatWasSentAndAnswerAnIdentityRequest) {
    const std::uint32_t output = service.addOutput("Synth In");
    const Bytes reply{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x42, 0x00,
                      0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0xF7};
    service.connect(output, input, LoopbackMidi::identityResponder(reply));
    queueBuffers(1, 64);
    service.midiInStart(handle);

    HMIDIOUT out = nullptr;
    ASSERT_EQ(service.midiOutOpen(&out, output, 0, 0, CALLBACK_NULL), 0u);
    MIDIOUTCAPSA caps{};
    ASSERT_EQ(service.midiOutGetDevCapsA(output, &caps, sizeof caps), 0u);
    EXPECT_STREQ(caps.szPname, "Synth In");

    auto send = [&](Bytes bytes) {
        MIDIHDR header{};
        header.lpData = reinterpret_cast<char*>(bytes.data());
        header.dwBufferLength = static_cast<std::uint32_t>(bytes.size());
        EXPECT_EQ(service.midiOutLongMsg(out, &header, sizeof header), MIDIERR_UNPREPARED);
        EXPECT_EQ(service.midiOutPrepareHeader(out, &header, sizeof header), 0u);
        EXPECT_EQ(service.midiOutLongMsg(out, &header, sizeof header), 0u);
        EXPECT_EQ(service.midiOutUnprepareHeader(out, &header, sizeof header), 0u);
    };
    send({0xF0, 0x41, 0x10, 0x42, 0x11, 0xF7});
    send({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    EXPECT_EQ(service.sentMessages(output),
              (std::vector<Bytes>{{0xF0, 0x41, 0x10, 0x42, 0x11, 0xF7},
                                  {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}}));
    const std::vector<Call> calls = delivered();
    ASSERT_EQ(calls.size(), 1u);  // the one reply
    EXPECT_EQ(calls[0].bytes, reply);

    ASSERT_EQ(service.midiOutClose(out), 0u);
    EXPECT_FALSE(service.isOutputOpen(output));
    EXPECT_EQ(service.midiOutClose(out), MMSYSERR_INVALHANDLE);
}

}  // namespace
}  // namespace pellum::midi
