// The notice window delivers notices posted on other threads to its own (window) thread, and so
// raises the input device's onInput there.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "device/InputDevice.h"
#include "platform/NoticeWindow.h"
#include "tests/support/loopback/LoopbackMidi.h"

namespace pellum {
namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "notice_window_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// Runs the event loop until `done` holds, for at most ten seconds.
bool processUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

TEST(NoticeWindow, PostsFromAnotherThreadAreHandledInOrderOnTheWindowThread) {
    ensureApplication();
    NoticeWindow window;
    std::vector<std::uint32_t> codes;
    std::vector<std::thread::id> threads;
    window.setHandler([&](std::uint32_t code) {
        codes.push_back(code);
        threads.push_back(std::this_thread::get_id());
    });
    std::thread driver([&] {
        window.post(device::kEventsWaitingNotice);
        window.post(device::kOverflowNotice);
        window.post(device::kEventsWaitingNotice);
    });
    driver.join();
    ASSERT_TRUE(processUntil([&] { return codes.size() == 3; }));
    EXPECT_EQ(codes,
              (std::vector<std::uint32_t>{device::kEventsWaitingNotice, device::kOverflowNotice,
                                          device::kEventsWaitingNotice}));
    for (const auto& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(NoticeWindow, RaisesOnMidiInputOnTheWindowThreadForLoopbackInput) {
    ensureApplication();
    midi::LoopbackMidi service;
    const std::uint32_t synth = service.addInput("Synth");
    NoticeWindow window;
    device::InputDevice input(service, window);
    std::vector<std::vector<std::uint8_t>> received;
    std::thread::id raisedOn;
    input.onInput = [&](device::InputDevice& sender) {
        raisedOn = std::this_thread::get_id();
        while (sender.pendingCount() > 0) received.push_back(sender.takeEvent()->sysexBytes);
    };
    input.setSysexOnly(true);
    input.open();
    input.start();
    service.inject(synth, {0xF0, 0x7E, 0x10, 0x06, 0x02, 0xF7});
    ASSERT_TRUE(processUntil([&] { return !received.empty(); }));
    EXPECT_EQ(received[0], (std::vector<std::uint8_t>{0xF0, 0x7E, 0x10, 0x06, 0x02, 0xF7}));
    EXPECT_EQ(raisedOn, std::this_thread::get_id());
    input.close();
}

}  // namespace
}  // namespace pellum
