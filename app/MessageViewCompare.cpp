// The message view beside another message (Compare With File): the two dumps side by side,
// scrolled together, the bytes where they differ marked in both.
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>

#include "app/MessageView.h"
#include "core/list/MessageDiff.h"

namespace pellum {
namespace {

// Where byte `offset` stands in a dump: its line, and the columns of its hex and its character.
constexpr int kHexColumn = 7;     // after "00000  "
constexpr int kAsciiColumn = 56;  // after 16 bytes of "XX " and a space

QTextEdit::ExtraSelection mark(QPlainTextEdit* dump, int line, int from, int to) {
    QTextEdit::ExtraSelection selection;
    const int start = dump->document()->findBlockByNumber(line).position();
    selection.cursor = QTextCursor(dump->document());
    selection.cursor.setPosition(start + from);
    selection.cursor.setPosition(start + to, QTextCursor::KeepAnchor);
    selection.format.setBackground(QColor(0xFF, 0xC8, 0x70));
    return selection;
}

// The offsets as marks in a dump of a message of `size` bytes: one for each run of them within a
// line in the hex and one in the ASCII, so that a message that differs all through stays quick.
QList<QTextEdit::ExtraSelection> marks(QPlainTextEdit* dump,
                                       const std::vector<std::size_t>& offsets, std::size_t size) {
    QList<QTextEdit::ExtraSelection> out;
    for (std::size_t k = 0; k < offsets.size();) {
        const std::size_t first = offsets[k];
        std::size_t last = first;
        while (++k < offsets.size() && offsets[k] == last + 1 && offsets[k] / 16 == first / 16)
            last = offsets[k];
        if (first >= size) break;
        last = std::min(last, size - 1);
        const int line = static_cast<int>(first / 16);
        const int a = static_cast<int>(first % 16), b = static_cast<int>(last % 16);
        out << mark(dump, line, kHexColumn + 3 * a, kHexColumn + 3 * b + 2)
            << mark(dump, line, kAsciiColumn + a, kAsciiColumn + b + 1);
    }
    return out;
}

}  // namespace

void MessageView::buildComparison(QGridLayout* sides) {
    bytesCaption = new QLabel(tr("This list"), this);
    otherCaption = new QLabel(this);
    other = new QPlainTextEdit(this);
    other->setReadOnly(true);
    other->setLineWrapMode(QPlainTextEdit::NoWrap);
    other->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    sides->addWidget(bytesCaption, 0, 0);
    sides->addWidget(otherCaption, 0, 1);
    sides->addWidget(other, 1, 1);
    // The same offsets side by side, whichever is scrolled.
    for (auto [from, to] : {std::pair{bytes, other}, std::pair{other, bytes}}) {
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, to->verticalScrollBar(),
                &QScrollBar::setValue);
        connect(from->horizontalScrollBar(), &QScrollBar::valueChanged, to->horizontalScrollBar(),
                &QScrollBar::setValue);
    }
    for (QWidget* w : {static_cast<QWidget*>(bytesCaption), static_cast<QWidget*>(otherCaption),
                       static_cast<QWidget*>(other)})
        w->hide();
}

void MessageView::compareWith(const QString& caption, std::span<const std::uint8_t> message) {
    comparing_ = true;
    other_.assign(message.begin(), message.end());
    otherCaption->setText(caption);
    other->setPlainText(hexDump(message));
    for (QWidget* w : {static_cast<QWidget*>(bytesCaption), static_cast<QWidget*>(otherCaption),
                       static_cast<QWidget*>(other)})
        w->show();
    // Room for both dumps whole where the screen has it.
    const int dump = bytes->fontMetrics().horizontalAdvance(QString(73, QChar('0'))) +
                     bytes->verticalScrollBar()->sizeHint().width() + 2 * bytes->frameWidth() + 8;
    int wanted = 2 * dump + 40;
    if (const QScreen* screen = this->screen())
        wanted = std::min(wanted, screen->availableGeometry().width());
    if (width() < wanted) resize(wanted, height());
    markDifferences();
}

void MessageView::endComparison() {
    comparing_ = false;
    other_.clear();
    for (QWidget* w : {static_cast<QWidget*>(bytesCaption), static_cast<QWidget*>(otherCaption),
                       static_cast<QWidget*>(other)})
        w->hide();
    markDifferences();
}

void MessageView::markDifferences() {
    std::vector<std::size_t> offsets;
    // A line the file lacks has nothing to differ from byte by byte: its caption says so.
    if (comparing_ && !other_.empty())
        for (const ByteChange& change : byteChanges(other_, typed_.bytes))
            offsets.push_back(change.offset);
    bytes->setExtraSelections(marks(bytes, offsets, typed_.bytes.size()));
    other->setExtraSelections(marks(other, offsets, other_.size()));
}

}  // namespace pellum
