// How Pellum looks on a desktop that lacks the faces its windows name: each named face is mapped
// to a free one that a Debian package installs (scripts/install-deps), and the program's icon and
// desktop entry are made known to the desktop.
#pragma once

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>

namespace pellum {

// The desktop entry's name without ".desktop", also the icon's name in the icon theme.
inline constexpr const char* kDesktopId = "example.pellum.Pellum";

// Maps the faces and sets the application's icon and desktop entry. Call once, before the first
// window is built.
void installAppearance();

// The window icon in its 16-colour sizes.
QIcon programIcon();

// The About box's emblem, 76 x 76 in true colour.
QPixmap programEmblem();

// A label of `text` in `font` at a fixed place in `parent`, sized to its text, as the windows'
// fixed layouts place them.
QLabel* label(QWidget* parent, const QString& text, int left, int top, const QFont& font);

}  // namespace pellum
