// The message view: what one SysEx message is (maker, device, model, command or Universal
// sub-ID, address and size where its format has them, the checksum's verdict, an Identity
// Reply's System Information) and its bytes in hex with their ASCII beside. It only shows:
// nothing is sent from it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <span>

class QPlainTextEdit;

namespace pellum {

class MessageView : public QDialog {
    Q_OBJECT
public:
    explicit MessageView(QWidget* parent = nullptr);

    // Shows `message`, listed as `label`.
    void showMessage(const QString& label, std::span<const std::uint8_t> message);

    QPlainTextEdit* facts;
    QPlainTextEdit* bytes;
};

}  // namespace pellum
