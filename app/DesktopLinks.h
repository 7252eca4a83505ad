// Opening a web or mail address with the desktop's own handler (browser, mail program). The About
// box goes through this interface so tests can record the addresses instead of opening them.
#pragma once

#include <QUrl>

namespace pellum {

class DesktopLinks {
public:
    virtual ~DesktopLinks() = default;
    // What the desktop answers is not looked at: with no handler for the address, nothing
    // happens and the caller goes on.
    virtual void open(const QUrl& address) = 0;
};

// The desktop's handler, through QDesktopServices.
class DesktopServicesLinks : public DesktopLinks {
public:
    void open(const QUrl& address) override;
};

}  // namespace pellum
