#include "app/MessageView.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextCursor>
#include <QLabel>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "core/messages/IdentityReply.h"
#include "core/messages/MessageFacts.h"
#include "core/text/NumberText.h"

namespace pellum {
namespace {

QPlainTextEdit* readOnlyText(QWidget* parent) {
    auto* text = new QPlainTextEdit(parent);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return text;
}

}  // namespace

QString hexDump(std::span<const std::uint8_t> message) {
    QString text;
    text.reserve(static_cast<qsizetype>(message.size() / 16 + 1) * 80);
    for (std::size_t at = 0; at < message.size(); at += 16) {
        const auto row = message.subspan(at, std::min<std::size_t>(16, message.size() - at));
        text += QStringLiteral("%1  ").arg(at, 5, 16, QChar('0')).toUpper();
        QString ascii;
        for (std::size_t i = 0; i < 16; ++i) {
            if (i < row.size()) {
                text += QStringLiteral("%1 ").arg(row[i], 2, 16, QChar('0')).toUpper();
                ascii += row[i] >= 0x20 && row[i] < 0x7F ? QChar(row[i]) : QChar('.');
            } else {
                text += QStringLiteral("   ");
            }
        }
        text += ' ' + ascii + '\n';
    }
    return text;
}

namespace {

// The bytes to edit: sixteen a line, as the dump shows them.
QString hexLines(std::span<const std::uint8_t> message) {
    QString text;
    for (std::size_t at = 0; at < message.size(); at += 16) {
        const auto row = message.subspan(at, std::min<std::size_t>(16, message.size() - at));
        if (at > 0) text += '\n';
        text += QString::fromStdString(messagesAsHex({row})).trimmed();
    }
    return text;
}

}  // namespace

void OverwriteLine::keyPressEvent(QKeyEvent* event) {
    // A character typed takes the place of the one after the cursor; deleting would move every
    // byte after it, so Backspace and Delete only step.
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint()) {
        if (!hasSelectedText()) setSelection(cursorPosition(), typed.size());
        if (selectedText().size() != typed.size()) return;
    } else if (event->key() == Qt::Key_Backspace) {
        cursorBackward(false);
        return;
    } else if (event->key() == Qt::Key_Delete) {
        return;
    }
    QLineEdit::keyPressEvent(event);
}

MessageView::MessageView(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Message"));
    facts = readOnlyText(this);
    bytes = readOnlyText(this);
    hex = new QPlainTextEdit(this);
    hex->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    hex->setFixedHeight(hex->fontMetrics().lineSpacing() * 4 + 12);
    ascii = new OverwriteLine(this);
    ascii->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    problem = new QLabel(this);
    problem->setStyleSheet("color: #c00000;");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    fixButton = buttons->addButton(tr("Fix Checksum"), QDialogButtonBox::ActionRole);
    applyButton = buttons->addButton(tr("Apply"), QDialogButtonBox::ApplyRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, [this] { emit applied(typed_.bytes); });
    connect(fixButton, &QPushButton::clicked, this, &MessageView::fixChecksum);
    connect(hex, &QPlainTextEdit::textChanged, this, &MessageView::hexEdited);
    connect(ascii, &QLineEdit::textEdited, this, &MessageView::asciiEdited);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(facts);
    auto* sides = new QGridLayout;
    sides->addWidget(bytes, 1, 0);
    layout->addLayout(sides, 1);
    buildComparison(sides);
    layout->addWidget(new QLabel(tr("Hex:"), this));
    layout->addWidget(hex);
    layout->addWidget(new QLabel(tr("ASCII:"), this));
    layout->addWidget(ascii);
    layout->addWidget(problem);
    layout->addWidget(buttons);
    resize(640, 560);
}

void MessageView::showMessage(const QString& label, std::span<const std::uint8_t> message,
                              const QString& timing) {
    label_ = label;
    timing_ = timing;
    hex->setPlainText(hexLines(message));
    popUp();
}

void MessageView::showNew() {
    label_ = tr("New message");
    timing_.clear();
    endComparison();  // no line of the list, so no partner in a file
    hex->setPlainText("F0  F7");
    QTextCursor cursor = hex->textCursor();
    cursor.setPosition(3);
    hex->setTextCursor(cursor);
    popUp();
    hex->setFocus();
}

void MessageView::popUp() {
    show();
    raise();
    activateWindow();
}

void MessageView::hexEdited() {
    typed_ = typedMessage(hex->toPlainText().toStdString());
    const bool whole = typed_.error.empty();
    problem->setText(QString::fromStdString(typed_.error));
    applyButton->setEnabled(whole);
    fixButton->setEnabled(whole && checkChecksum(typed_.bytes).verdict == Checksum::Verdict::wrong);
    showFacts();
    // The word the problem is at, marked where the user types.
    QList<QTextEdit::ExtraSelection> marks;
    if (!whole) {
        const QString all = hex->toPlainText();
        static const QRegularExpression word("[^\\s,]+");
        auto words = word.globalMatch(all);
        for (std::size_t n = 0; words.hasNext(); ++n) {
            const auto match = words.next();
            if (n != typed_.errorByte) continue;
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(hex->document());
            mark.cursor.setPosition(static_cast<int>(match.capturedStart()));
            mark.cursor.setPosition(static_cast<int>(match.capturedEnd()), QTextCursor::KeepAnchor);
            mark.format.setBackground(QColor(0xFF, 0xC0, 0xC0));
            marks << mark;
            break;
        }
    }
    hex->setExtraSelections(marks);
    QString text;
    for (const std::uint8_t b : typed_.bytes) text += b >= 0x20 && b < 0x7F ? QChar(b) : QChar('.');
    // Not while its own typing is being taken in: its cursor stays where the user put it.
    if (!ascii->hasFocus() || ascii->text().size() != text.size()) ascii->setText(text);
}

void MessageView::asciiEdited(const QString& text) {
    // A printable character sets its byte; a dot leaves the byte as it was.
    std::vector<std::uint8_t> edited = typed_.bytes;
    for (qsizetype i = 0; i < text.size() && i < static_cast<qsizetype>(edited.size()); ++i) {
        const char16_t c = text[i].unicode();
        if (c != '.' && c >= 0x20 && c < 0x7F) edited[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(c);
    }
    hex->setPlainText(hexLines(edited));
}

void MessageView::fixChecksum() {
    if (const auto fixed = checksumFixed(typed_.bytes)) {
        hex->setPlainText(hexLines(*fixed));
        emit applied(typed_.bytes);
    }
}

void MessageView::showFacts() {
    const std::span<const std::uint8_t> message = typed_.bytes;
    const MessageFacts f = describeMessage(message);
    QString text = label_ + '\n' + timing_;
    const auto row = [&](const QString& caption, const std::string& value) {
        if (!value.empty()) text += caption + ": " + QString::fromStdString(value) + '\n';
    };
    row(tr("Maker"), f.maker.empty() ? f.makerId : f.maker + " (" + f.makerId + ")");
    row(tr("Device"), f.device);
    row(tr("Model"), f.model);
    row(tr("Command"), f.command);
    row(tr("Address"), f.address);
    row(tr("Size"), f.size);
    switch (f.checksum.verdict) {
        case Checksum::Verdict::ok:
            text += tr("Checksum: ok") + '\n';
            break;
        case Checksum::Verdict::wrong:
            text += tr("Checksum: wrong (%1H, want %2H)")
                        .arg(QString::fromStdString(hexText(f.checksum.found)),
                             QString::fromStdString(hexText(f.checksum.want))) +
                    '\n';
            break;
        case Checksum::Verdict::none:
            text += tr("Checksum: none known for this format") + '\n';
            break;
    }
    // A reply to the Identity Request reads as the Receive tab reads it.
    if (isIdentityReply(message)) {
        const SystemInformation info = decodeIdentityReply(message);
        for (const SystemInformationRow& r : kSystemInformationRows)
            text += QCoreApplication::translate("pellum::MainWindow", r.caption) + ": " +
                    QString::fromStdString(info.*r.text) + '\n';
    }
    text.chop(1);  // no empty line after the last fact
    facts->setPlainText(text);
    // Room for every fact without scrolling; the bytes take the rest.
    const int lines = std::max<int>(9, static_cast<int>(text.count('\n')) + 1);
    facts->setFixedHeight(facts->fontMetrics().lineSpacing() * lines + 12);
    bytes->setPlainText(hexDump(message));
    markDifferences();
}

}  // namespace pellum
