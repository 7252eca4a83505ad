#include "app/AboutBox.h"

#include <qdrawutil.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <algorithm>

#include "app/Appearance.h"
#include "app/DesktopLinks.h"
#include "app/PellumApplication.h"
#include "pellum/Version.h"

namespace pellum {
namespace {

constexpr int kClientWidth = 273;
constexpr int kClientHeight = 98;
constexpr int kVersionRightEdge = 253;

// The credit line under the title.
const char* const kCredit = "(C) 2001 The Pellum developers";

const QColor kLinkColour(0, 0, 255);
const QColor kPressedLinkColour(255, 0, 0);

QFont face(const QString& family, int pixels) {
    QFont font;
    font.setFamilies({family});
    font.setPixelSize(pixels);
    return font;
}

QFont pGothic(int pixels) {
    return face(QStringLiteral("ＭＳ Ｐゴシック"), pixels);
}

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, colour);
    w->setPalette(palette);
}

// A white panel with a raised outer and a raised inner bevel, two pixels apart.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        qDrawShadePanel(&painter, rect(), palette(), false, 1);
        qDrawShadePanel(&painter, rect().adjusted(3, 3, -3, -3), palette(), false, 1);
    }
};

}  // namespace

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) leftPressed_ = true;
    emit mouseDown();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // The colour goes back first, then the click runs, as one expects of a link.
    emit mouseUp();
    if (event->button() != Qt::LeftButton || !leftPressed_) return;
    leftPressed_ = false;
    if (rect().contains(event->position().toPoint())) emit clicked();
}

AboutBox::AboutBox(DesktopLinks& links, QWidget* parent) : QDialog(parent), links_(links) {
    buildLayout();
    connect(webLink, &LinkLabel::clicked, this, handler(this, &AboutBox::openWebPage));
    connect(webLink, &LinkLabel::mouseDown, this, handler(this, &AboutBox::webLinkPressed));
    connect(webLink, &LinkLabel::mouseUp, this, handler(this, &AboutBox::webLinkReleased));
    connect(mailLink, &LinkLabel::clicked, this, handler(this, &AboutBox::writeMail));
    connect(mailLink, &LinkLabel::mouseDown, this, handler(this, &AboutBox::mailLinkPressed));
    connect(mailLink, &LinkLabel::mouseUp, this, handler(this, &AboutBox::mailLinkReleased));
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    guarded([this] { showVersion(); });
}

void AboutBox::buildLayout() {
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(pGothic(13));
    setFixedSize(kClientWidth, kClientHeight);

    header = new BevelPanel(this);
    header->setGeometry(0, 0, kClientWidth, 74);

    emblem = new QLabel(header);
    emblem->setGeometry(5, 5, 40, 40);
    emblem->setScaledContents(true);
    emblem->setPixmap(programEmblem());

    productName =
        label(header, QStringLiteral("Pellum"), 55, 7, face(QStringLiteral("Comic Sans MS"), 21));
    // The layout's own text; showVersion puts the current one in before the box is ever shown.
    versionLabel =
        label(header, QStringLiteral("version"), 193, 38, face(QStringLiteral("Arial"), 11));
    versionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    versionLabel->resize(60, versionLabel->height());
    credit = label(header, QString::fromLatin1(kCredit), 11, 52,
                   face(QStringLiteral("Courier New"), 12));

    const auto link = [this](const QString& text, const QString& hint, int top, int width) {
        auto* l = new LinkLabel(text, this);
        l->setFont(pGothic(12));
        // Our addresses are longer than the room the box keeps for them: the link grows to the
        // right, where nothing else lies, rather than cut the address short.
        const QSize fit = l->sizeHint();
        l->setGeometry(2, top, std::max(width, fit.width()), std::max(12, fit.height()));
        setTextColour(l, kLinkColour);
        l->setCursor(Qt::PointingHandCursor);
        l->setToolTip(hint);
        return l;
    };
    webLink = link(QStringLiteral("URL ") + QString::fromLatin1(kWebAddress),
                   tr("The latest version is here"), 74, 159);
    mailLink = link(QStringLiteral("mailto ") + QString::fromLatin1(kShownMailAddress),
                    tr("Mail us!"), 86, 129);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(228, 80, 40, 16);
    okButton->setDefault(true);
}

void AboutBox::setVersionText(const QString& text) {
    // Sized to its text with the right edge kept, so a longer text grows to the left.
    versionLabel->setText(text);
    versionLabel->adjustSize();
    versionLabel->move(kVersionRightEdge - versionLabel->width(), versionLabel->y());
}

void AboutBox::showVersion() {
    setVersionText(QStringLiteral(PELLUM_VERSION_TEXT));
}

void AboutBox::openWebPage() {
    links_.open(QUrl(QString::fromLatin1(kWebAddress)));
}

void AboutBox::writeMail() {
    links_.open(QUrl(QStringLiteral("Mailto:") + QString::fromLatin1(kMailAddress) +
                     tr("?subject=About Pellum&cc=&bcc=")));
}

void AboutBox::webLinkPressed() {
    setTextColour(webLink, kPressedLinkColour);
}

void AboutBox::webLinkReleased() {
    setTextColour(webLink, kLinkColour);
}

void AboutBox::mailLinkPressed() {
    setTextColour(mailLink, kPressedLinkColour);
}

void AboutBox::mailLinkReleased() {
    setTextColour(mailLink, kLinkColour);
}

void AboutBox::showEvent(QShowEvent* event) {
    // Centred on the desktop, not over the main window.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

}  // namespace pellum
