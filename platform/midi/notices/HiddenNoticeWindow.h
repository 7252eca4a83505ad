// The notice window on Windows: a hidden, message-only window on the thread that creates it.
// post() is one PostMessageA of the notice as the window's message, so the driver callback may call
// it; the notices are handled on the window's thread, in the order they were posted.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/midi/notices/NoticeSink.h"

struct HWND__;

namespace pellum::midi {

class HiddenNoticeWindow final : public NoticeSink {
public:
    // Notices travel as window messages numbered by their code: the multimedia range (963 is
    // MM_MIM_DATA) up to the end of the private ranges. The system sends none of these on its own,
    // so nothing else is taken for a notice. post() drops a code outside the range.
    static constexpr std::uint32_t kFirstCode = 0x3C0;
    static constexpr std::uint32_t kLastCode = 0xBFFF;

    HiddenNoticeWindow();  // throws std::system_error when no window can be had
    ~HiddenNoticeWindow() override;
    HiddenNoticeWindow(const HiddenNoticeWindow&) = delete;
    HiddenNoticeWindow& operator=(const HiddenNoticeWindow&) = delete;

    void post(std::uint32_t code) noexcept override;
    void setHandler(Handler handler) override;

    // The creating thread: handles every notice already posted, oldest first, and returns how many.
    // One at a time, so that a handler that throws leaves the later notices queued. The handler
    // runs here, outside the window procedure, so its exceptions reach the caller.
    std::size_t dispatchPending();
    // The creating thread: waits until a notice is queued or `timeoutMs` has passed; true when one
    // is queued.
    bool waitForNotice(int timeoutMs);

    HWND__* handle() const { return window_; }

private:
    friend struct NoticeWindowProcedure;
    void deliver(std::uint32_t code);

    HWND__* window_ = nullptr;
    Handler handler_;
};

}  // namespace pellum::midi
