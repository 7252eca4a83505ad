// TForm1's Receive tab, which shows who the instrument says it is, and its USER tab, which
// sends the dump requests of a .cfg file.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/FileText.h"
#include "app/Midimonp.h"
#include "app/UpDown.h"
#include "core/IdentityReply.h"
#include "core/UserDump.h"

namespace pellum {

// ---- Receive: System Information ----

void TForm1::showIdentityReply(std::span<const std::uint8_t> message) {
    showSystemInformation(decodeIdentityReply(message));
}

void TForm1::showSystemInformation(const SystemInformation& info) {
    G_CH->setText(QString::fromStdString(info.G_CH));
    N_Vendor->setText(QString::fromStdString(info.N_Vendor));
    G_Vendor->setText(QString::fromStdString(info.G_Vendor));
    N_Machine->setText(QString::fromStdString(info.N_Machine));
    G_Family->setText(QString::fromStdString(info.G_Family));
    G_ROM->setText(QString::fromStdString(info.G_ROM));
    G_SOFT->setText(QString::fromStdString(info.G_SOFT));
    for (QLabel* value : {G_CH, N_Vendor, G_Vendor, N_Machine, G_Family, G_ROM, G_SOFT})
        value->adjustSize();
}

// ---- USER: dump requests ----

void TForm1::SpeedButton2Click() {
    const auto file = dialogs_.openFile(openDialog2_);
    if (!file) return;
    // The dialog offers the file it was last given next time.
    openDialog2_.initialFile = *file;
    loading(fileNameUtf8(*file), false);
}

void TForm1::loading(const std::string& path, bool quietWhenMissing) {
    // Read into a set of its own: a file that fails leaves the tab, the requests that can be
    // sent and the saved path as the last good file left them.
    auto fresh = std::make_unique<UserDumpSet>();
    const UserDumpLoad load = fresh->loadFile(path);
    // The saved file may come back; one the user chose, or one that is there and cannot be a
    // request file, is refused aloud.
    if (load.outcome == UserDumpLoad::Outcome::NotOpened && quietWhenMissing) return;
    if (load.outcome == UserDumpLoad::Outcome::NotOpened ||
        load.outcome == UserDumpLoad::Outcome::Refused)
        throw FileOpenError(path);
    if (load.outcome == UserDumpLoad::Outcome::Stopped) {
        // A refused line is shown as the file's text reads, not as its raw bytes.
        const std::string why =
            load.notANumber ? notANumberText(fileText(*load.notANumber).toStdString()) : load.error;
        throw PellumError(stoppedLoadText(path, load.errorLine, why));
    }

    userDumps_ = std::move(fresh);
    userDumpPath_ = path;
    LsUser->clear();
    for (int i = 0; i < static_cast<int>(load.entries.size()); ++i)
        LsUser->addItem(QString::number(i + 1) + ":" + fileText(userDumps_->name(i)));
    LsUser->setCurrentIndex(0);
    VendorID->setText(QString::fromStdString(load.vendorText));
    TYPE_NAME->setText(QString::fromStdString(load.typeText));
    VendorID->adjustSize();
    TYPE_NAME->adjustSize();
    sendsyx(false);
    INIT(0);
    SendBTN->setEnabled(true);
    LsUser->setEnabled(true);
}

void TForm1::sendsyx(bool send) {
    // No entry selected (after a failed or stopped load): there is no request to assemble.
    const auto message = previewRequest();
    if (!message) return;
    In_chk->setChecked(true);
    if (send) sendOut(*message);
}

std::optional<std::vector<std::uint8_t>> TForm1::previewRequest() {
    auto message = userDumps_->request(LsUser->currentIndex(), channelOverride());
    if (!message) return message;
    ShowSyx->setText(QString::fromStdString(previewText(*message)));
    // A request wider than the field shows its end, the checksum and F7 the user checks; the
    // header it starts with is the file's own.
    ShowSyx->end(false);
    return message;
}

void TForm1::overrideChanged() {
    SysExCHClick();
    // The bar gives the state its room while the override is on.
    const bool on = ForceMIDICH->isChecked();
    OverrideState->setText(tr("Override CH%1").arg(SysExCH->position()));
    OverrideState->setVisible(on);
    Meter->setFixedWidth(on ? 78 : 163);
    // The preview shows the request as the send button would send it now.
    previewRequest();
}

void TForm1::LsUserChange() {
    sendsyx(false);
}

void TForm1::SendBTNClick() {
    sendsyx(true);
}

}  // namespace pellum
