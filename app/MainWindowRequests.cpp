// MainWindow's Receive tab, which shows who the instrument says it is, and its USER tab, which
// sends the dump requests of a .cfg file.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/Anchors.h"
#include "app/ElidedLabel.h"
#include "app/FileText.h"
#include "app/MainWindow.h"
#include "app/UpDown.h"
#include "core/messages/IdentityReply.h"
#include "core/messages/RequestFile.h"

namespace pellum {

// ---- Receive: System Information ----

void MainWindow::showIdentityReply(std::span<const std::uint8_t> message) {
    showSystemInformation(decodeIdentityReply(message));
}

void MainWindow::showSystemInformation(const SystemInformation& info) {
    globalChannel->setText(QString::fromStdString(info.globalChannel));
    vendorName->setText(QString::fromStdString(info.vendorName));
    vendorId->setText(QString::fromStdString(info.vendorId));
    machineName->setText(QString::fromStdString(info.machineName));
    machineId->setText(QString::fromStdString(info.machineId));
    systemVersion->setText(QString::fromStdString(info.systemVersion));
    softwareVersion->setText(QString::fromStdString(info.softwareVersion));
    for (QLabel* value : {globalChannel, vendorName, vendorId, machineName, machineId,
                          systemVersion, softwareVersion})
        value->adjustSize();
}

// ---- USER: dump requests ----

void MainWindow::openRequestFile() {
    const auto file = dialogs_.openFile(requestDialog_);
    if (!file) return;
    // The dialog offers the file it was last given next time.
    requestDialog_.initialFile = *file;
    loadRequestFile(fileNameUtf8(*file), false);
}

void MainWindow::loadRequestFile(const std::string& path, bool quietWhenMissing) {
    // Read into a set of its own: a file that fails leaves the tab, the requests that can be
    // sent and the saved path as the last good file left them.
    auto fresh = std::make_unique<RequestSet>();
    const RequestFileLoad load = fresh->loadFile(path);
    // The saved file may come back; one the user chose, or one that is there and cannot be a
    // request file, is refused aloud.
    if (load.outcome == RequestFileLoad::Outcome::NotOpened && quietWhenMissing) return;
    if (load.outcome == RequestFileLoad::Outcome::NotOpened ||
        load.outcome == RequestFileLoad::Outcome::Refused)
        throw FileOpenError(path);
    if (load.outcome == RequestFileLoad::Outcome::Stopped) {
        // A refused line is shown as the file's text reads, not as its raw bytes.
        const std::string why =
            load.notANumber ? notANumberText(fileText(*load.notANumber).toStdString()) : load.error;
        throw PellumError(stoppedLoadText(path, load.errorLine, why));
    }

    requests_ = std::move(fresh);
    requestFilePath_ = path;
    requestList->clear();
    for (int i = 0; i < static_cast<int>(load.entries.size()); ++i)
        requestList->addItem(QString::number(i + 1) + ":" + fileText(requests_->name(i)));
    requestList->setCurrentIndex(0);
    requestVendor->setText(QString::fromStdString(load.vendorText));
    requestType->setText(QString::fromStdString(load.typeText));
    requestTitle->setFullText(fileText(load.title));
    requestVendor->adjustSize();
    requestType->adjustSize();
    prepareRequest(false);
    saveSettings();
    sendRequestButton->setEnabled(true);
    requestList->setEnabled(true);
}

void MainWindow::prepareRequest(bool send) {
    // No entry selected (after a failed or stopped load): there is no request to assemble.
    const auto message = previewRequest();
    if (!message) return;
    captureOn->setChecked(true);
    if (send) sendOut(*message);
}

std::optional<std::vector<std::uint8_t>> MainWindow::previewRequest() {
    auto message = requests_->request(requestList->currentIndex(), channelOverride());
    if (!message) return message;
    requestBytes->setText(QString::fromStdString(previewText(*message)));
    // A request wider than the field shows its end, the checksum and F7 the user checks; the
    // header it starts with is the file's own.
    requestBytes->end(false);
    return message;
}

void MainWindow::overrideChanged() {
    channelClicked();
    // The bar gives the state its room while the override is on.
    const bool on = overrideBox->isChecked();
    overrideState->setText(tr("Override CH%1").arg(channelStepper->position()));
    overrideState->setVisible(on);
    reanchor(listFill, QRect(70, 0, on ? 78 : 163, 17));
    showStatusSoon();
    // The preview shows the request as the send button would send it now.
    previewRequest();
}

void MainWindow::requestChosen() {
    prepareRequest(false);
}

void MainWindow::sendRequest() {
    prepareRequest(true);
}

}  // namespace pellum
