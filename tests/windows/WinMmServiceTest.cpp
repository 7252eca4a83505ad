// The winmm backend against winmm itself (Wine's, with no MIDI devices here): what it passes
// through must be exactly what winmm answers, and handles it did not make are refused.
#include <gtest/gtest.h>

#include <string>

#include "device/InputDevice.h"
#include "platform/midi/notices/HiddenNoticeWindow.h"
#include "platform/midi/winmm/WinMmService.h"
#include "tests/support/Thrown.h"
#include "tests/support/loopback/LoopbackMidi.h"

// After the service's own vocabulary: winmm names the same things as macros.
#include <windows.h>
// winmm after the types it is written in.
#include <mmsystem.h>

namespace pellum::midi {
namespace {

struct NativeText {
    MMRESULT result;
    std::string text;
};

template <typename Get>
NativeText textOf(Get get, MMRESULT code, UINT size) {
    std::string buffer(size, '#');
    const MMRESULT result = get(code, buffer.data(), size);
    if (result != MMSYSERR_NOERROR) return {result, {}};
    return {result, buffer.substr(0, buffer.find('\0'))};
}

TEST(WinMmService, ErrorTextsAreWinmmsOwnForEveryCode) {
    WinMmService service;
    const MMRESULT codes[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,  15,
                              16, 17, 18, 19, 20, 21, 64, 65, 66, 67, 68, 69, 70, 71, 200, 0xFFFF};
    int known = 0;
    for (MMRESULT code : codes) {
        for (UINT size : {UINT{MAXERRORLENGTH}, UINT{16}}) {
            const NativeText in = textOf(::midiInGetErrorTextA, code, size);
            const NativeText out = textOf(::midiOutGetErrorTextA, code, size);
            const NativeText ourIn = textOf(
                [&](MMRESULT c, char* t, UINT s) { return service.midiInGetErrorTextA(c, t, s); },
                code, size);
            const NativeText ourOut = textOf(
                [&](MMRESULT c, char* t, UINT s) { return service.midiOutGetErrorTextA(c, t, s); },
                code, size);
            EXPECT_EQ(ourIn.result, in.result) << code;
            EXPECT_EQ(ourIn.text, in.text) << code;
            EXPECT_EQ(ourOut.result, out.result) << code;
            EXPECT_EQ(ourOut.text, out.text) << code;
            EXPECT_LT(ourIn.text.size(), size) << code;
            if (size == MAXERRORLENGTH && in.result == MMSYSERR_NOERROR) ++known;
        }
    }
    EXPECT_GE(known, 15) << "winmm knows the common codes";
}

TEST(WinMmService, DeviceListsAndOpeningFollowWinmm) {
    WinMmService service;
    EXPECT_EQ(service.midiInGetNumDevs(), ::midiInGetNumDevs());
    EXPECT_EQ(service.midiOutGetNumDevs(), ::midiOutGetNumDevs());
    const std::uint32_t inputs = service.midiInGetNumDevs();
    const std::uint32_t outputs = service.midiOutGetNumDevs();
    for (std::uint32_t id = 0; id < inputs; ++id) {
        MIDIINCAPSA ours{};
        ::MIDIINCAPSA theirs{};
        ASSERT_EQ(service.midiInGetDevCapsA(id, &ours, sizeof ours),
                  ::midiInGetDevCapsA(id, &theirs, sizeof theirs));
        EXPECT_EQ(std::string(ours.szPname), std::string(theirs.szPname));
        EXPECT_FALSE(service.midiInDeviceName(id).empty());
    }
    for (std::uint32_t id = 0; id < outputs; ++id) {
        EXPECT_FALSE(service.midiOutDeviceName(id).empty());
    }
    // Past the last device: winmm's code, nothing opened, no name.
    HMIDIIN in = nullptr;
    EXPECT_EQ(service.midiInOpen(&in, inputs, nullptr, 0, CALLBACK_FUNCTION), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(in, nullptr);
    HMIDIOUT out = nullptr;
    EXPECT_EQ(service.midiOutOpen(&out, outputs, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(service.midiInDeviceName(inputs), "");
    EXPECT_EQ(service.midiOutDeviceName(outputs), "");
    MIDIOUTCAPSA caps{};
    EXPECT_EQ(service.midiOutGetDevCapsA(outputs, &caps, sizeof caps),
              ::midiOutGetDevCapsA(outputs, reinterpret_cast<::MIDIOUTCAPSA*>(&caps), sizeof caps));

    // Only a callback function (or none) is offered.
    EXPECT_EQ(service.midiInOpen(&in, 0, nullptr, 0, CALLBACK_WINDOW), MMSYSERR_INVALFLAG);
    EXPECT_EQ(service.midiOutOpen(&out, 0, 0, 0, CALLBACK_EVENT), MMSYSERR_INVALFLAG);
    EXPECT_EQ(service.midiInOpen(nullptr, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);

    // The input device over winmm: a device number that does not exist is refused with its
    // message, and the component stays closed.
    HiddenNoticeWindow notices;
    device::InputDevice input(service, notices);
    if (inputs == 0) {
        EXPECT_EQ(pellum::test::thrownText<device::EMidiInputError>([&] { input.setDeviceId(0); }),
                  "Invalid device ID");
        input.open();
        EXPECT_FALSE(input.isOpen());
    }
}

TEST(WinMmService, RefusesHandlesItDidNotMake) {
    WinMmService service;
    LoopbackMidi loopback;
    loopback.addInput("Synth");
    loopback.addOutput("Synth");
    HMIDIIN foreignIn = nullptr;
    HMIDIOUT foreignOut = nullptr;
    ASSERT_EQ(loopback.midiInOpen(&foreignIn, 0, nullptr, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    ASSERT_EQ(loopback.midiOutOpen(&foreignOut, 0, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    MIDIHDR header{};
    char data[4] = {};
    header.lpData = data;
    header.dwBufferLength = sizeof data;
    for (HMIDIIN handle : {foreignIn, static_cast<HMIDIIN>(nullptr)}) {
        EXPECT_EQ(service.midiInPrepareHeader(handle, &header, sizeof header),
                  MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiInAddBuffer(handle, &header, sizeof header), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiInStart(handle), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiInReset(handle), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiInUnprepareHeader(handle, &header, sizeof header),
                  MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiInClose(handle), MMSYSERR_INVALHANDLE);
    }
    for (HMIDIOUT handle : {foreignOut, static_cast<HMIDIOUT>(nullptr)}) {
        EXPECT_EQ(service.midiOutPrepareHeader(handle, &header, sizeof header),
                  MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiOutLongMsg(handle, &header, sizeof header), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiOutUnprepareHeader(handle, &header, sizeof header),
                  MMSYSERR_INVALHANDLE);
        EXPECT_EQ(service.midiOutClose(handle), MMSYSERR_INVALHANDLE);
    }
    EXPECT_EQ(loopback.midiInClose(foreignIn), MMSYSERR_NOERROR);
    EXPECT_EQ(loopback.midiOutClose(foreignOut), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace pellum::midi
