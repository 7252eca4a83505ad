// POSIX: a socket notifier on the notice pipe. Windows: the hidden window's procedure, run by
// Qt's event loop, passes each notice on as a queued call, so the handler runs where Qt delivers
// events and its exceptions reach the application's notify(), never the system's dispatch.
#include "platform/NoticeWindow.h"

namespace pellum {

#if defined(_WIN32)

NoticeWindow::NoticeWindow() {
    window_.setHandler([this](std::uint32_t code) {
        QMetaObject::invokeMethod(
            &context_,
            [this, code] {
                if (Handler current = handler_) current(code);
            },
            Qt::QueuedConnection);
    });
}

#else

NoticeWindow::NoticeWindow() : notifier_(pipe_.readFd(), QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { pipe_.dispatchPending(); });
}

#endif

}  // namespace pellum
