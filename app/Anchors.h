// How the window's absolutely placed controls follow it as it grows past its smallest size.
// Each control is placed as at the smallest size; anchor() says which of its edges keep their
// distance to the parent's right or bottom edge instead of its left or top edge.
#pragma once

#include <QFlags>

class QRect;
class QWidget;

namespace pellum {

enum class Follow {
    Width = 0x1,   // the right edge follows: the control widens
    Height = 0x2,  // the bottom edge follows: the control grows taller
    Right = 0x4,   // both side edges follow: the control moves right, keeping its width
    Down = 0x8,    // both top and bottom follow: the control moves down, keeping its height
};
Q_DECLARE_FLAGS(Follows, Follow)
Q_DECLARE_OPERATORS_FOR_FLAGS(Follows)

// Takes `widget`'s geometry now as its geometry at the window's smallest size, and from now on
// adds to it what its parent has grown by, as `follows` says, whenever the parent is resized.
// Call it right after placing the widget, for widgets added at any time.
//
// A parent has grown by its size beyond its smallest: beyond its own anchored geometry when it
// is anchored, beyond its minimum size when it has one (the window's client), and otherwise (a
// page Qt lays out, such as a tab's) by what its own parent has grown by.
void anchor(QWidget* widget, Follows follows);

// Gives an anchored widget a new geometry at the window's smallest size, grown as it follows.
void reanchor(QWidget* widget, const QRect& smallest);

}  // namespace pellum
