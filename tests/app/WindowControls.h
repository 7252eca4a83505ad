// The main window's controls, for tests that drive the window as a user does: clicks, keys and
// what the controls then show.
#pragma once

#include "app/MainWindow.h"

namespace pellum {

struct WindowControlsAccess {
    static const MainWindowControls& of(const MainWindow& window) { return window; }
};

inline const MainWindowControls& ui(const MainWindow& window) {
    return WindowControlsAccess::of(window);
}

}  // namespace pellum
