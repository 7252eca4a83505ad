// The hidden notice window: carries the driver callback's notices to the window thread and hands
// each to the handler there. Create it on the window thread; post() may be called from any.
#pragma once

#include <utility>

#include "platform/midi/notices/NoticeSink.h"

#if defined(_WIN32)
#include <QObject>

#include "platform/midi/notices/HiddenNoticeWindow.h"
#else
#include <QSocketNotifier>

#include "platform/midi/notices/NoticePipe.h"
#endif

namespace pellum {

#if defined(_WIN32)

// A real hidden window that the driver posts to; Qt's event loop dispatches its messages.
class NoticeWindow final : public midi::NoticeSink {
public:
    NoticeWindow();

    void post(std::uint32_t code) noexcept override { window_.post(code); }
    void setHandler(Handler handler) override { handler_ = std::move(handler); }

private:
    midi::HiddenNoticeWindow window_;
    QObject context_;
    Handler handler_;
};

#else

class NoticeWindow final : public midi::NoticeSink {
public:
    NoticeWindow();

    void post(std::uint32_t code) noexcept override { pipe_.post(code); }
    void setHandler(Handler handler) override { pipe_.setHandler(std::move(handler)); }

private:
    midi::NoticePipe pipe_;
    QSocketNotifier notifier_;
};

#endif

}  // namespace pellum
