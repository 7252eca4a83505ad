// The hidden notice window: carries the driver callback's notices to the window thread and hands
// each to the handler there. Create it on the window thread; post() may be called from any.
#pragma once

#include <QSocketNotifier>
#include <utility>

#include "platform/midi/NoticePipe.h"
#include "platform/midi/NoticeSink.h"

namespace pellum {

class NoticeWindow final : public midi::NoticeSink {
public:
    NoticeWindow();

    void post(std::uint32_t code) noexcept override { pipe_.post(code); }
    void setHandler(Handler handler) override { pipe_.setHandler(std::move(handler)); }

private:
    midi::NoticePipe pipe_;
    QSocketNotifier notifier_;
};

}  // namespace pellum
