#include "app/Glyphs.h"

#include <QPixmap>

// The resources live in a static library, whose registration the linker would otherwise drop.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

namespace pellum {

QIcon twoStateGlyph(const QString& name) {
    static const bool registered = (registerResources(), true);
    (void)registered;
    const QPixmap strip(":/glyphs/" + name + ".xpm");
    QIcon icon;
    icon.addPixmap(strip.copy(0, 0, 16, 16), QIcon::Normal);
    icon.addPixmap(strip.copy(16, 0, 16, 16), QIcon::Disabled);
    return icon;
}

}  // namespace pellum
