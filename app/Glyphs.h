// The two-state glyphs of the speed buttons: each resource is one 32 x 16 strip, the normal
// image on the left and the disabled one on the right.
#pragma once

#include <QIcon>
#include <QString>

namespace pellum {

// `name` is a resource under :/glyphs, without its extension ("save").
QIcon twoStateGlyph(const QString& name);

}  // namespace pellum
