// A notice queue over a non-blocking POSIX pipe: post() is one write() of the code, so the
// driver thread can call it, and the reading side handles the codes in order on whichever
// thread drains it (the notice window's socket notifier, or a test pumping it).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/midi/notices/NoticeSink.h"

namespace pellum::midi {

class NoticePipe final : public NoticeSink {
public:
    NoticePipe();  // throws std::system_error when no pipe can be had
    ~NoticePipe() override;
    NoticePipe(const NoticePipe&) = delete;
    NoticePipe& operator=(const NoticePipe&) = delete;

    void post(std::uint32_t code) noexcept override;
    void setHandler(Handler handler) override;

    // Handles every notice already in the pipe, oldest first, and returns how many. Reads one
    // code at a time so that a handler that throws leaves the later notices in the pipe.
    std::size_t dispatchPending();
    // Waits until a notice is in the pipe or `timeoutMs` has passed; true when one is there.
    bool waitForNotice(int timeoutMs);

    int readFd() const { return readFd_; }

private:
    int readFd_ = -1;
    int writeFd_ = -1;
    Handler handler_;
};

}  // namespace pellum::midi
