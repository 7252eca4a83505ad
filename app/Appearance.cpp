#include "app/Appearance.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

// The resources live in a static library, whose registration the linker would otherwise drop.
static void registerAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace pellum {

void installAppearance() {
    // The Japanese faces have close counterparts in the IPA fonts, monospaced and proportional
    // as named; Liberation Sans and Mono keep Arial's and Courier New's widths, so captions fit
    // the places the layout gives them.
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    // Comic Neue (fonts-comic-neue, SIL Open Font License) was drawn after Comic Sans MS: the
    // same rounded, hand-lettered shapes at about the same width, so the title keeps its look
    // and its room. The other free comic faces are capitals only.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));

    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
}

namespace {

void ensureResources() {
    static const bool registered = (registerAboutResources(), true);
    (void)registered;
}

}  // namespace

QIcon programIcon() {
    ensureResources();
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/pellum-16c-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap programEmblem() {
    ensureResources();
    return QPixmap(QStringLiteral(":/icons/emblem.png"));
}

QLabel* label(QWidget* parent, const QString& text, int left, int top, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    l->move(left, top);
    l->adjustSize();
    return l;
}

}  // namespace pellum
