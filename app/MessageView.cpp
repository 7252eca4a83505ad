#include "app/MessageView.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
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

// Sixteen bytes a line: their offset, hex and ASCII (a dot for what does not print).
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

}  // namespace

MessageView::MessageView(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Message"));
    facts = readOnlyText(this);
    bytes = readOnlyText(this);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(facts);
    layout->addWidget(bytes, 1);
    layout->addWidget(close);
    resize(640, 480);
}

void MessageView::showMessage(const QString& label, std::span<const std::uint8_t> message) {
    const MessageFacts f = describeMessage(message);
    QString text = label + '\n';
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
    show();
    raise();
    activateWindow();
}

}  // namespace pellum
