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
    QIcon icon;
    // Drawn for each scale: at twice the size Qt would only blow the small strip up.
    for (const int scale : {1, 2}) {
        const int side = 16 * scale;
        const QPixmap strip(":/glyphs/" + name + (scale == 1 ? "" : "@2x") + ".xpm");
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
            QPixmap image = strip.copy(mode == QIcon::Normal ? 0 : side, 0, side, side);
            image.setDevicePixelRatio(scale);
            icon.addPixmap(image, mode);
        }
    }
    return icon;
}

}  // namespace pellum
