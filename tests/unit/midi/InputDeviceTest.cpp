// InputDevice over the loopback service: selection, the open/closed rules with their messages,
// events taken on this (window) thread from records the driver thread produced, and recovery
// from failed driver calls.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "device/InputDevice.h"
#include "platform/midi/notices/NoticeQueue.h"
#include "tests/support/Thrown.h"
#include "tests/support/loopback/LoopbackMidi.h"

namespace pellum {
namespace {

using Bytes = std::vector<std::uint8_t>;
using midi::LoopbackMidi;

// The message of the EMidiInputError that `action` raises, or "" when it raises none.
std::string raised(const std::function<void()>& action) {
    return test::thrownText<device::EMidiInputError>(action);
}

class InputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        synth = service.addInput("Synth");
        input = std::make_unique<device::InputDevice>(service, notices);
        input->onInput = [this](device::InputDevice& sender) {
            ++raises;
            EXPECT_EQ(&sender, input.get());
            while (sender.pendingCount() > 0) events.push_back(*sender.takeEvent());
        };
    }
    void openAndStart() {
        input->open();
        ASSERT_TRUE(input->isOpen());
        input->start();
    }
    // Waits for the driver thread, then handles its notices here, as the window thread would.
    void pump() {
        service.flush(synth);
        notices.dispatchPending();
    }

    LoopbackMidi service;
    midi::NoticeQueue notices;
    std::uint32_t synth = 0;
    std::unique_ptr<device::InputDevice> input;
    std::vector<device::ReceivedEvent> events;
    int raises = 0;
};

TEST_F(InputDeviceTest, StartsClosedOnDeviceZeroWithItsDefaults) {
    EXPECT_EQ(input->deviceCount(), 1);
    EXPECT_EQ(input->deviceId(), 0);
    EXPECT_EQ(input->productName(), "Synth");
    EXPECT_EQ(input->sysexBufferSize(), 4096);
    EXPECT_EQ(input->sysexBufferCount(), 16);
    EXPECT_FALSE(input->sysexOnly());
    EXPECT_EQ(input->error(), 0);
    EXPECT_FALSE(input->isOpen());
    EXPECT_EQ(input->pendingCount(), 0);
    EXPECT_EQ(input->takeEvent(), nullptr);
    // Neither raises nor opens anything while closed.
    EXPECT_EQ(raised([&] { input->start(); }), "");
    EXPECT_EQ(raised([&] { input->close(); }), "");
    EXPECT_FALSE(service.isInputOpen(synth));
}

TEST(InputDeviceWithoutDevices, IsConstructibleAndRefusesEveryDeviceNumber) {
    LoopbackMidi service;
    midi::NoticeQueue notices;
    device::InputDevice input(service, notices);
    EXPECT_EQ(input.deviceCount(), 0);
    EXPECT_EQ(input.productName(), "");
    EXPECT_EQ(raised([&] { input.setDeviceId(0); }), "Invalid device ID");
    EXPECT_EQ(raised([&] { input.setProductName("Synth"); }),
              "MIDI Input Device Synth not installed ");
    input.open();
    EXPECT_FALSE(input.isOpen());
    EXPECT_EQ(input.error(), midi::MMSYSERR_BADDEVICEID);
    EXPECT_EQ(raised([&] { input.start(); }), "");
}

TEST_F(InputDeviceTest, SelectsTheFirstDeviceOfAnExactNameAndChecksNumbersAnew) {
    service.addInput("Twin");
    service.addInput("Twin");
    input->setProductName("Twin");
    EXPECT_EQ(input->deviceId(), 1);
    input->setDeviceId(2);
    EXPECT_EQ(input->productName(), "Twin");
    EXPECT_EQ(raised([&] { input->setProductName("twin"); }),
              "MIDI Input Device twin not installed ");
    EXPECT_EQ(raised([&] { input->setDeviceId(3); }), "Invalid device ID");
    EXPECT_EQ(input->deviceId(), 2);
    // Devices that appeared after construction are found: the count is asked every time.
    service.addInput("Late");
    input->setProductName("Late");
    EXPECT_EQ(input->deviceId(), 3);
}

TEST_F(InputDeviceTest, SettersOfTheDeviceAndBuffersRaiseWhileOpen) {
    service.addInput("Other");
    openAndStart();
    const struct {
        std::function<void()> set;
        const char* message;
    } cases[] = {
        {[&] { input->setDeviceId(1); }, "Change to DeviceID while device was open"},
        {[&] { input->setProductName("Other"); }, "Change to ProductName while device was open"},
        {[&] { input->setSysexBufferSize(8); }, "Change to SysexBufferSize while device was open"},
        {[&] { input->setSysexBufferCount(2); },
         "Change to SysexBuffercount while device was open"},
    };
    for (const auto& c : cases) EXPECT_EQ(raised(c.set), c.message);
    EXPECT_EQ(input->deviceId(), 0);
    EXPECT_EQ(input->productName(), "Synth");
    EXPECT_EQ(input->sysexBufferSize(), 4096);
    EXPECT_EQ(input->sysexBufferCount(), 16);
    input->setSysexOnly(true);

    input->close();
    for (const auto& c : cases) EXPECT_EQ(raised(c.set), "");
    EXPECT_EQ(input->productName(), "Other");
    EXPECT_EQ(input->sysexBufferCount(), 2);
}

TEST_F(InputDeviceTest, TakesShortAndSysexEventsAndRequeuesTheBuffer) {
    openAndStart();
    const std::vector<const midi::MIDIHDR*> queued = service.queuedBuffers(synth);
    ASSERT_EQ(queued.size(), 16u);
    service.inject(synth, {0x90, 0x3C, 0x64, 0xF0, 0x43, 0x10, 0x4C, 0xF7});
    service.flush(synth);
    ASSERT_EQ(input->pendingCount(), 2);
    EXPECT_EQ(service.queuedBuffers(synth).size(), 15u);  // the filled one waits with its record

    using Fields = std::tuple<int, int, int, int, Bytes>;
    const auto fields = [](const device::ReceivedEvent& e) {
        return Fields{e.statusByte, e.firstData, e.secondData, e.sysexSize, e.sysexBytes};
    };
    for (const Fields& expected : {Fields{0x90, 0x3C, 0x64, 0, {}},
                                   Fields{0xF0, 0, 0, 5, {0xF0, 0x43, 0x10, 0x4C, 0xF7}}}) {
        const std::unique_ptr<device::ReceivedEvent> event = input->takeEvent();
        ASSERT_NE(event, nullptr);
        EXPECT_EQ(fields(*event), expected);
    }
    const std::vector<const midi::MIDIHDR*> after = service.queuedBuffers(synth);
    ASSERT_EQ(after.size(), 16u);
    EXPECT_EQ(after.back(), queued.front());
    EXPECT_EQ(input->pendingCount(), 0);
    EXPECT_EQ(input->takeEvent(), nullptr);

    // Two notices wait; the first finds nothing left, so neither raises onInput.
    EXPECT_EQ(notices.dispatchPending(), 2u);
    EXPECT_EQ(raises, 0);
    service.inject(synth, {0xB0, 0x07, 0x7F});
    pump();
    EXPECT_EQ(raises, 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].statusByte, 0xB0);
}

TEST_F(InputDeviceTest, SysexLongerThanOneBufferArrivesAsSeveralEvents) {
    input->setSysexBufferSize(4);
    input->setSysexBufferCount(4);
    openAndStart();
    const Bytes message{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x41, 0xF7};
    for (int round = 0; round < 3; ++round) {  // the buffers come back for the next message
        events.clear();
        service.inject(synth, message);
        pump();
        ASSERT_EQ(events.size(), 3u);
        EXPECT_EQ(events[0].sysexSize, 4);
        EXPECT_EQ(events[1].sysexSize, 4);
        EXPECT_EQ(events[2].sysexSize, 2);
        Bytes joined;
        for (const auto& e : events)
            joined.insert(joined.end(), e.sysexBytes.begin(), e.sysexBytes.end());
        EXPECT_EQ(joined, message);
    }
    EXPECT_EQ(service.droppedInputBytes(), 0u);
}

TEST_F(InputDeviceTest, SysexOnlyDropsShortMessagesFromTheNextMessageOn) {
    input->setSysexOnly(true);
    openAndStart();
    service.inject(synth, {0x90, 0x3C, 0x64, 0xF0, 0x7E, 0xF7});
    pump();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].statusByte, 0xF0);
    input->setSysexOnly(false);
    service.inject(synth, {0x80, 0x3C, 0x00});
    pump();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].statusByte, 0x80);
}

TEST_F(InputDeviceTest, WithoutBuffersOnlyShortMessagesBeforeASysexArrive) {
    for (const auto& [size, count] : {std::pair{0, 16}, std::pair{4096, 0}}) {
        events.clear();
        input->setSysexBufferSize(static_cast<std::uint16_t>(size));
        input->setSysexBufferCount(static_cast<std::uint16_t>(count));
        openAndStart();
        EXPECT_TRUE(service.queuedBuffers(synth).empty());
        // The SysEx waits for a buffer that never comes, until the close lets it go.
        service.inject(synth, {0xC0, 0x05, 0xF0, 0x7E, 0xF7, 0xC0, 0x06});
        pump();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].statusByte, 0xC0);
        EXPECT_EQ(events[0].firstData, 0x05);
        input->close();
    }
}

TEST_F(InputDeviceTest, AfterCloseNothingIsPendingEvenWhileLateNoticesArrive) {
    openAndStart();
    service.inject(synth, {0x90, 0x3C, 0x64, 0xF0, 0x7E, 0xF7, 0x80, 0x3C, 0x00});
    service.flush(synth);
    EXPECT_EQ(input->pendingCount(), 3);
    input->close();
    EXPECT_FALSE(input->isOpen());
    EXPECT_FALSE(service.isInputOpen(synth));
    EXPECT_EQ(input->pendingCount(), 0);
    EXPECT_EQ(input->takeEvent(), nullptr);
    // Three from the input, fifteen from the buffers the reset returned.
    EXPECT_EQ(notices.dispatchPending(), 18u);
    EXPECT_EQ(raises, 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(InputDeviceTest, AComponentGoingAwayLeavesALaterOneOnTheSameSinkListening) {
    auto later = std::make_unique<device::InputDevice>(service, notices);
    int heard = 0;
    later->onInput = [&](device::InputDevice& sender) {
        while (sender.pendingCount() > 0) heard += sender.takeEvent() != nullptr;
    };
    input.reset();
    later->open();
    ASSERT_TRUE(later->isOpen());
    later->start();
    service.inject(synth, {0xF0, 0x43, 0x10, 0xF7});
    pump();
    EXPECT_EQ(heard, 1);

    // With both gone, a late notice reaches neither.
    later.reset();
    notices.post(device::kEventsWaitingNotice);
    notices.dispatchPending();
    EXPECT_EQ(heard, 1);
}

TEST_F(InputDeviceTest, FullRingKeepsWhatItHasAndTheOverflowNoticesRaiseNothing) {
    openAndStart();
    const int capacity = device::kDefaultCapacity;
    Bytes notes;
    for (int i = 0; i < capacity + 2; ++i) notes.insert(notes.end(), {0x90, 0x3C, 0x64});
    service.inject(synth, notes);
    service.flush(synth);
    EXPECT_EQ(input->pendingCount(), capacity);
    int raisedNow = 0;
    input->onInput = [&](device::InputDevice&) { ++raisedNow; };
    notices.dispatchPending();
    EXPECT_EQ(raisedNow, capacity);  // one per record stored, none for the two refused
    EXPECT_EQ(input->takeEvent()->firstData, 0x3C);
}

TEST_F(InputDeviceTest, FailedOpenClosesTheDeviceBeforeReleasingWhatTheDriverUses) {
    const struct {
        LoopbackMidi::Call call;
        unsigned skip;
    } cases[] = {
        {LoopbackMidi::Call::midiInOpen, 0},
        {LoopbackMidi::Call::midiInPrepareHeader, 3},
        {LoopbackMidi::Call::midiInAddBuffer, 5},
    };
    for (const auto& c : cases) {
        service.failNextCall(c.call, midi::MMSYSERR_NOMEM, c.skip);
        input->open();
        EXPECT_FALSE(input->isOpen());
        EXPECT_EQ(input->error(), midi::MMSYSERR_NOMEM);
        EXPECT_FALSE(service.isInputOpen(synth));
        input->start();  // does nothing
    }

    openAndStart();
    service.inject(synth, {0xF0, 0x7E, 0xF7});
    pump();
    EXPECT_EQ(events.size(), 1u);
    input.reset();  // destroying an open component closes the device
    EXPECT_FALSE(service.isInputOpen(synth));
}

TEST_F(InputDeviceTest, DriverFailuresRaiseTheDriverTextAndLeaveThingsRecoverable) {
    openAndStart();
    service.failNextCall(LoopbackMidi::Call::midiInStart, midi::MMSYSERR_NOMEM);
    EXPECT_EQ(raised([&] { input->start(); }), midi::mmErrorText(midi::MMSYSERR_NOMEM));
    EXPECT_EQ(input->error(), midi::MMSYSERR_NOMEM);
    service.failNextCall(LoopbackMidi::Call::midiInStart, 1234);
    EXPECT_EQ(raised([&] { input->start(); }), "Specified error number is out of range");
    EXPECT_EQ(input->error(), 1234);
    input->start();
    EXPECT_EQ(input->error(), 0);

    // A buffer that can't be queued again keeps its record for the next try.
    service.inject(synth, {0xF0, 0x01, 0xF7});
    service.flush(synth);
    service.failNextCall(LoopbackMidi::Call::midiInAddBuffer, midi::MIDIERR_NOTREADY);
    EXPECT_EQ(raised([&] { input->takeEvent(); }), midi::mmErrorText(midi::MIDIERR_NOTREADY));
    EXPECT_EQ(input->pendingCount(), 1);
    const auto retried = input->takeEvent();
    ASSERT_NE(retried, nullptr);
    EXPECT_EQ(retried->sysexBytes, (Bytes{0xF0, 0x01, 0xF7}));
    EXPECT_EQ(service.queuedBuffers(synth).size(), 16u);

    // A close whose reset failed is closed for the application, and finishable.
    service.failNextCall(LoopbackMidi::Call::midiInReset, midi::MMSYSERR_ERROR);
    EXPECT_EQ(raised([&] { input->close(); }), midi::mmErrorText(midi::MMSYSERR_ERROR));
    EXPECT_FALSE(input->isOpen());
    EXPECT_EQ(input->pendingCount(), 0);
    EXPECT_TRUE(service.isInputOpen(synth));
    input->close();
    EXPECT_FALSE(service.isInputOpen(synth));
    openAndStart();
}

// The pump's thread fills and returns buffers, waiting for them when all are out, while this
// thread takes events and queues the buffers again: the real hand-over.
TEST_F(InputDeviceTest, DumpArrivesWhileTheWindowThreadDrains) {
    constexpr int kMessages = 300;
    input->setSysexBufferSize(64);
    input->setSysexBufferCount(4);
    openAndStart();
    auto messageFor = [](int n) {
        Bytes message{0xF0, 0x41, static_cast<std::uint8_t>(n & 0x7F)};
        message.resize(3 + n % 58, static_cast<std::uint8_t>(n % 128));
        message.push_back(0xF7);
        return message;
    };
    std::thread instrument([&] {
        for (int n = 0; n < kMessages; ++n) service.inject(synth, messageFor(n));
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (static_cast<int>(events.size()) < kMessages &&
           std::chrono::steady_clock::now() < deadline) {
        notices.waitForNotice(50);
        notices.dispatchPending();
    }
    instrument.join();
    ASSERT_EQ(events.size(), static_cast<std::size_t>(kMessages));
    for (int n = 0; n < kMessages; ++n) EXPECT_EQ(events[n].sysexBytes, messageFor(n)) << n;
    EXPECT_EQ(service.droppedInputBytes(), 0u);
}

}  // namespace
}  // namespace pellum
