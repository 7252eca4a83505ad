// TForm1's start-up, the settings it keeps, device selection, and the end of the program.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>

#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "core/CaptureStore.h"
#include "core/IdentityReply.h"
#include "core/UserDump.h"
#include "midi/MidiIn.h"
#include "platform/registry/Registry.h"

namespace pellum {

void TForm1::FormCreate() {
    userDumps_ = std::make_unique<UserDumpSet>();
    store_ = std::make_unique<CaptureStore>();
    autoSendPosition_ = 0;
    setWaitCursor(true);

    cmbInput->clear();
    cmbInput->addItem("(None)");
    for (std::uint16_t d = 0; d < MidiInput1->deviceCount(); ++d) {
        MidiInput1->setDeviceID(d);
        cmbInput->addItem(QString::fromStdString(MidiInput1->ProductName()));
    }
    cmbInput->setCurrentIndex(0);

    cmbOutput->clear();
    for (const std::string& name : output_.buildOutputList())
        cmbOutput->addItem(QString::fromStdString(name));
    cmbOutput->setCurrentIndex(-1);  // filled, nothing chosen yet

    inputPosition_ = 0;
    outputPosition_ = 0;
    INIT(1);

    // Position 1 is chosen by name in OpenDevs; a higher one must exist as a device number.
    if (inputPosition_ >= 2) MidiInput1->setDeviceID(inputPosition_ - 1);

    output_.openOutput(outputPosition_);
    // A saved position beyond today's devices leaves the list without a selection.
    cmbOutput->setCurrentIndex(outputPosition_ < cmbOutput->count() ? outputPosition_ : -1);
    cmbInput->setCurrentIndex(inputPosition_ < cmbInput->count() ? inputPosition_ : -1);

    OpenDevs();
    setWaitCursor(false);
    store_->clear();
}

void TForm1::readPosition(RegistryKey& key, const char* name, std::uint8_t& position) {
    const auto value = key.read(name);
    if (!value || value->data.empty()) return;
    if (value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_DWORD ||
        value->data.size() > 1)
        throw RegistryTypeError(name);
    position = value->data[0];
}

void TForm1::INIT(std::uint8_t mode) {
    const auto key = registry_.openOrCreateKey(kRegistryKey);
    if (mode == 0) {
        key->write("MIDI_IN", RegistryValue::binary({inputPosition_}));
        key->write("MIDI_OUT", RegistryValue::binary({outputPosition_}));
        key->write("CFG_FILE", RegistryValue::string(userDumpPath_));
    } else if (mode == 1) {
        userDumpPath_.clear();
        readPosition(*key, "MIDI_IN", inputPosition_);
        readPosition(*key, "MIDI_OUT", outputPosition_);
        if (const auto cfg = key->read("CFG_FILE"); cfg && !cfg->data.empty()) {
            if (cfg->type != REG_SZ && cfg->type != REG_EXPAND_SZ)
                throw RegistryTypeError("CFG_FILE");
            const std::string text(cfg->data.begin(), cfg->data.end());
            userDumpPath_ = text.substr(0, text.find('\0'));  // nothing is expanded
        }
        openDialog2_.initialFile = QString::fromStdString(userDumpPath_);
        if (!userDumpPath_.empty()) {
            // A request file that fails is told once and start-up goes on with an empty USER
            // tab: no file the setting names may keep the window from coming up, or the user
            // could never choose another.
            bool loaded = false;
            guarded([&] {
                loading(userDumpPath_);
                loaded = true;
            });
            if (!loaded) LsUser->clear();
        }
    }
}

void TForm1::OpenDevs() {
    if (cmbInput->currentIndex() >= 1) {
        MidiInput1->setProductName(cmbInput->currentText().toStdString());
        MidiInput1->OpenDevice();
        MidiInput1->StartDevice();
    }
    showSystemInformation(resetSystemInformation());
    In_chk->setChecked(true);
    Out_chk->setChecked(true);
    // No selection counts as a device: only "(None)" keeps the request back.
    if (cmbInput->currentIndex() != 0) output_.sendLongMessage(kIdentityRequest);
}

void TForm1::CloseDevs() {
    MidiInput1->CloseDevice();
}

void TForm1::cmbInputChange() {
    setWaitCursor(true);
    CloseDevs();
    OpenDevs();
    setWaitCursor(false);
    inputPosition_ = static_cast<std::uint8_t>(cmbInput->currentIndex());
    INIT(0);
}

void TForm1::cmbOutputChange() {
    output_.switchOutput(cmbOutput->currentIndex());
    outputPosition_ = static_cast<std::uint8_t>(cmbOutput->currentIndex());
    INIT(0);
    CloseDevs();
    OpenDevs();
}

void TForm1::mnuExitClick() {
    // A request the loop takes in turn; it ends the loop without closing the window first
    // (quit() would close it), and the input closes when the window is torn down.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void TForm1::SpeedButton7Click() {
    mnuExitClick();
}

void TForm1::closeEvent(QCloseEvent* event) {
    guarded([this] { CloseDevs(); });
    QMainWindow::closeEvent(event);
}

}  // namespace pellum
