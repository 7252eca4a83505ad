// The message view: what one SysEx message is (maker, device, model, command or Universal
// sub-ID, address and size where its format has them, the checksum's verdict, an Identity
// Reply's System Information) and its bytes in hex with their ASCII beside. The bytes are edited
// as hex, or as ASCII over the text fields; the facts follow while typing, and what is not whole
// SysEx is refused at its byte. While the list is compared with a file, the partner's bytes show
// beside them, the bytes that differ marked in both. Apply hands the bytes to the window; nothing
// is sent from here.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <cstdint>
#include <span>
#include <vector>

#include "core/messages/HexMessages.h"

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pellum {

// Sixteen bytes a line: their offset, hex and ASCII (a dot for what does not print).
QString hexDump(std::span<const std::uint8_t> message);

// A line of ASCII whose typing replaces characters rather than adding them: one a byte.
class OverwriteLine : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class MessageView : public QDialog {
    Q_OBJECT
public:
    explicit MessageView(QWidget* parent = nullptr);

    // Shows `message`, listed as `label`, to look at or edit; `timing` (when it came, lines
    // ending in newlines) under the label.
    void showMessage(const QString& label, std::span<const std::uint8_t> message,
                     const QString& timing = {});
    // An empty editor for a message typed or pasted as hex.
    void showNew();
    // Beside the bytes, `other` with `caption` above it, the bytes where the two differ marked in
    // both as the user types (MessageViewCompare.cpp); with `other` empty, the caption alone (a
    // line the compared file lacks).
    void compareWith(const QString& caption, std::span<const std::uint8_t> other);
    void endComparison();

    QPlainTextEdit* facts;
    QPlainTextEdit* bytes;  // offsets, hex and ASCII, as edited
    QPlainTextEdit* hex;    // the bytes to edit
    OverwriteLine* ascii;   // the same bytes as ASCII, a dot for what does not print
    QLabel* problem;        // where the bytes are not whole SysEx
    QPushButton* fixButton;
    QPushButton* applyButton;
    QLabel* bytesCaption;   // above the bytes while they are compared
    QLabel* otherCaption;
    QPlainTextEdit* other;  // the compared message, as `bytes` shows its own

signals:
    // The user applies the bytes, whole SysEx; with `fixChecksum`, fixed first.
    void applied(const std::vector<std::uint8_t>& bytes);

private:
    void hexEdited();
    void asciiEdited(const QString& text);
    void fixChecksum();
    void showFacts();
    void popUp();
    void buildComparison(QGridLayout* sides);
    void markDifferences();

    QString label_;
    QString timing_;
    TypedMessage typed_;
    bool comparing_ = false;
    std::vector<std::uint8_t> other_;
};

}  // namespace pellum
