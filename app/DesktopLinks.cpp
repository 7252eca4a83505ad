#include "app/DesktopLinks.h"

#include <QDesktopServices>

namespace pellum {

void DesktopServicesLinks::open(const QUrl& address) {
    QDesktopServices::openUrl(address);
}

}  // namespace pellum
