// The self-pipe behind the notice window on POSIX systems.
#include "platform/midi/notices/NoticePipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace pellum::midi {

NoticePipe::NoticePipe() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "notice pipe");
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
}

NoticePipe::~NoticePipe() {
    ::close(readFd_);
    ::close(writeFd_);
}

void NoticePipe::post(std::uint32_t code) noexcept {
    // A write this small is atomic. When the pipe is full, thousands of notices are already
    // waiting to be read, and a notice carries no data, so losing this one loses nothing.
    ssize_t written;
    do {
        written = ::write(writeFd_, &code, sizeof code);
    } while (written < 0 && errno == EINTR);
}

void NoticePipe::setHandler(Handler handler) {
    handler_ = std::move(handler);
}

bool NoticePipe::waitForNotice(int timeoutMs) {
    pollfd ready{readFd_, POLLIN, 0};
    return ::poll(&ready, 1, timeoutMs) > 0;
}

std::size_t NoticePipe::dispatchPending() {
    std::size_t handled = 0;
    for (;;) {
        std::uint32_t code;
        const ssize_t got = ::read(readFd_, &code, sizeof code);
        if (got < 0 && errno == EINTR) continue;
        if (got != static_cast<ssize_t>(sizeof code)) return handled;
        ++handled;
        // A copy, so that a handler may replace or clear the handler (or end its owner's use
        // of this pipe) while it runs.
        if (Handler current = handler_) current(code);
    }
}

}  // namespace pellum::midi
