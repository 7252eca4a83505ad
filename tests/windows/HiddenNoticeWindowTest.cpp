// The hidden notice window: notices posted on other threads reach the handler on the window's
// thread, in order, whether this program pumps them or another message loop dispatches them.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/midi/notices/HiddenNoticeWindow.h"

namespace pellum::midi {
namespace {

TEST(HiddenNoticeWindow, DeliversNoticesFromOtherThreadsInOrderOnItsOwnThread) {
    HiddenNoticeWindow window;
    const DWORD windowThread = GetCurrentThreadId();
    std::vector<std::uint32_t> seen;
    window.setHandler([&](std::uint32_t code) {
        EXPECT_EQ(GetCurrentThreadId(), windowThread);
        seen.push_back(code);
    });
    EXPECT_FALSE(window.waitForNotice(0));

    std::thread driver([&] {
        for (int i = 0; i < 500; ++i) window.post(i % 7 == 0 ? 1024 : 963);
        window.post(5);        // a system message number: never a notice
        window.post(0x10000);  // past the private ranges
    });
    driver.join();
    EXPECT_TRUE(window.waitForNotice(1000));
    EXPECT_TRUE(seen.empty()) << "handled before anyone dispatched";

    EXPECT_EQ(window.dispatchPending(), 500u);
    ASSERT_EQ(seen.size(), 500u);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(seen[i], i % 7 == 0 ? 1024u : 963u) << i;
    EXPECT_FALSE(window.waitForNotice(0));
    EXPECT_EQ(window.dispatchPending(), 0u);
}

TEST(HiddenNoticeWindow, AThrowingHandlerLeavesLaterNoticesQueuedAndAClearedOneDropsThem) {
    HiddenNoticeWindow window;
    std::vector<std::uint32_t> seen;
    window.setHandler([&](std::uint32_t code) {
        seen.push_back(code);
        if (code == 964) throw std::runtime_error("handler failed");
    });
    for (std::uint32_t code : {963u, 964u, 1024u, 963u}) window.post(code);
    EXPECT_THROW(window.dispatchPending(), std::runtime_error);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{963, 964}));
    EXPECT_EQ(window.dispatchPending(), 2u);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{963, 964, 1024, 963}));

    window.setHandler({});
    window.post(963);
    EXPECT_EQ(window.dispatchPending(), 1u);
    EXPECT_EQ(seen.size(), 4u);
}

TEST(HiddenNoticeWindow, AnotherMessageLoopReachesTheHandlerThroughTheWindowProcedure) {
    HiddenNoticeWindow window;
    std::vector<std::uint32_t> seen;
    window.setHandler([&](std::uint32_t code) { seen.push_back(code); });
    std::thread driver([&] {
        window.post(963);
        window.post(1024);
    });
    driver.join();
    // A toolkit's loop: every message of the thread, dispatched to whichever window it is for.
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    MSG message;
    int others = 0;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.hwnd == nullptr) ++others;
        DispatchMessageA(&message);
    }
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{963, 1024}));
    EXPECT_EQ(others, 1);
}

TEST(HiddenNoticeWindow, NoticesLeftInAClosedWindowReachNoLaterWindow) {
    {
        HiddenNoticeWindow first;
        first.post(963);
        first.post(963);
    }
    HiddenNoticeWindow second;
    int seen = 0;
    second.setHandler([&](std::uint32_t) { ++seen; });
    EXPECT_EQ(second.dispatchPending(), 0u);
    second.post(1024);
    EXPECT_EQ(second.dispatchPending(), 1u);
    EXPECT_EQ(seen, 1);
}

}  // namespace
}  // namespace pellum::midi
