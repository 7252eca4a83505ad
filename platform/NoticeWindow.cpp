// A socket notifier on the notice pipe: the window thread's event loop runs the handler.
#include "platform/NoticeWindow.h"

namespace pellum {

NoticeWindow::NoticeWindow() : notifier_(pipe_.readFd(), QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { pipe_.dispatchPending(); });
}

}  // namespace pellum
