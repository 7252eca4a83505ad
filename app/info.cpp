#include "app/info.h"

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

TAbout::TAbout(DesktopLinks& links, QWidget* parent) : QDialog(parent), links_(links) {
    buildLayout();
    connect(Label3, &LinkLabel::clicked, this, handler(this, &TAbout::Label3Click));
    connect(Label3, &LinkLabel::mouseDown, this, handler(this, &TAbout::Label3MouseDown));
    connect(Label3, &LinkLabel::mouseUp, this, handler(this, &TAbout::Label3MouseUp));
    connect(Label4, &LinkLabel::clicked, this, handler(this, &TAbout::Label4Click));
    connect(Label4, &LinkLabel::mouseDown, this, handler(this, &TAbout::Label4MouseDown));
    connect(Label4, &LinkLabel::mouseUp, this, handler(this, &TAbout::Label4MouseUp));
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    guarded([this] { FormCreate(); });
}

void TAbout::buildLayout() {
    setWindowTitle(tr("About"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(pGothic(13));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new BevelPanel(this);
    Panel1->setGeometry(0, 0, kClientWidth, 74);

    Image2 = new QLabel(Panel1);
    Image2->setGeometry(5, 5, 40, 40);
    Image2->setScaledContents(true);
    Image2->setPixmap(programEmblem());

    Label5 =
        label(Panel1, QStringLiteral("Pellum"), 55, 7, face(QStringLiteral("Comic Sans MS"), 21));
    // The layout's own text; FormCreate puts the current one in before the box is ever shown.
    vername = label(Panel1, QStringLiteral("version"), 193, 38, face(QStringLiteral("Arial"), 11));
    vername->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    vername->resize(60, vername->height());
    Label2 = label(Panel1, QString::fromLatin1(kCredit), 11, 52,
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
    Label3 = link(QStringLiteral("URL ") + QString::fromLatin1(kWebAddress),
                  tr("The latest version is here"), 74, 159);
    Label4 = link(QStringLiteral("mailto ") + QString::fromLatin1(kShownMailAddress),
                  tr("Mail us!"), 86, 129);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(228, 80, 40, 16);
    OKBtn->setDefault(true);
}

void TAbout::setVersionText(const QString& text) {
    // Sized to its text with the right edge kept, so a longer text grows to the left.
    vername->setText(text);
    vername->adjustSize();
    vername->move(kVersionRightEdge - vername->width(), vername->y());
}

void TAbout::FormCreate() {
    setVersionText(QStringLiteral(PELLUM_VERSION_TEXT));
}

void TAbout::Label3Click() {
    links_.open(QUrl(QString::fromLatin1(kWebAddress)));
}

void TAbout::Label4Click() {
    links_.open(QUrl(QStringLiteral("Mailto:") + QString::fromLatin1(kMailAddress) +
                     tr("?subject=About Pellum&cc=&bcc=")));
}

void TAbout::Label3MouseDown() {
    setTextColour(Label3, kPressedLinkColour);
}

void TAbout::Label3MouseUp() {
    setTextColour(Label3, kLinkColour);
}

void TAbout::Label4MouseDown() {
    setTextColour(Label4, kPressedLinkColour);
}

void TAbout::Label4MouseUp() {
    setTextColour(Label4, kLinkColour);
}

void TAbout::showEvent(QShowEvent* event) {
    // Centred on the desktop, not over the main window.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

}  // namespace pellum
