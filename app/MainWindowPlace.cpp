// The window's size, place and maximized state, kept in the settings from one run to the next.
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cstdint>
#include <optional>

#include "app/MainWindow.h"
#include "platform/registry/Registry.h"

namespace pellum {

namespace {

// How much of the window's top edge must lie on a screen for the user to take hold of it.
constexpr int kGrip = 48;

// A saved number; nothing when it is missing, unreadable or not a DWORD. The place is only a
// convenience: a bad value falls back to the first size and the centre, without a word.
std::optional<std::int32_t> readNumber(RegistryKey& key, const char* name) {
    std::optional<RegistryValue> value;
    try {
        value = key.read(name);
    } catch (const RegistryReadError&) {
        return std::nullopt;
    }
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    const auto& d = value->data;
    return static_cast<std::int32_t>(std::uint32_t{d[0]} | std::uint32_t{d[1]} << 8 |
                                     std::uint32_t{d[2]} << 16 | std::uint32_t{d[3]} << 24);
}

void writeNumber(RegistryKey& key, const char* name, int number) {
    key.write(name, RegistryValue::dword(static_cast<std::uint32_t>(number)));
}

bool reachable(const QRect& place) {
    const QRect topEdge(place.left(), place.top(), place.width(), kGrip);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = screen->availableGeometry().intersected(topEdge);
        if (shown.width() >= kGrip && shown.height() >= kGrip) return true;
    }
    return false;
}

}  // namespace

void MainWindow::readWindowPlace(RegistryKey& key) {
    const auto width = readNumber(key, "WINDOW_WIDTH");
    const auto height = readNumber(key, "WINDOW_HEIGHT");
    if (width && height) {
        // No larger than the desktop: a huge value would cost a huge backing store.
        QSize size(*width, *height);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            size = size.boundedTo(screen->availableVirtualGeometry().size());
        resize(size.expandedTo(minimumSize()));
    }
    const auto left = readNumber(key, "WINDOW_LEFT");
    const auto top = readNumber(key, "WINDOW_TOP");
    if (const QRect place(QPoint(left.value_or(0), top.value_or(0)), size());
        left && top && reachable(place)) {
        setGeometry(place);  // as saved: the client area's, not the frame's
        centred_ = true;     // placed where the user left it
    }
    if (readNumber(key, "WINDOW_MAXIMIZED") == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::saveWindowPlace() {
    // The size and place it goes back to when no longer maximized.
    const QRect place = normalGeometry();
    if (!place.isValid()) return;
    const auto key = registry_.openOrCreateKey(kRegistryKey);
    writeNumber(*key, "WINDOW_LEFT", place.left());
    writeNumber(*key, "WINDOW_TOP", place.top());
    writeNumber(*key, "WINDOW_WIDTH", place.width());
    writeNumber(*key, "WINDOW_HEIGHT", place.height());
    writeNumber(*key, "WINDOW_MAXIMIZED", isMaximized() ? 1 : 0);
}

}  // namespace pellum
