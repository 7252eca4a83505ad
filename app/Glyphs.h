// The two-state glyphs of the speed buttons: each resource is one 32 x 16 strip, the normal
// image on the left and the disabled one on the right, and beside it a 64 x 32 strip drawn for
// twice the scale ("save@2x.xpm").
#pragma once

#include <QIcon>
#include <QString>

namespace pellum {

// `name` is a resource under :/glyphs, without its extension ("save").
QIcon twoStateGlyph(const QString& name);

}  // namespace pellum
