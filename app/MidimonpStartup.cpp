// TForm1's start-up, the settings it keeps, device selection, and the end of the program.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QStringList>
#include <QTimer>

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

    // A saved device is found by its name wherever it is listed now: ports are listed in the
    // order their programs started, so a position alone may name another instrument. One that
    // is not there is not replaced by whatever took its place.
    const bool inputMissing = !findSavedDevice(cmbInput, inputName_, inputPosition_);
    const bool outputMissing = !findSavedDevice(cmbOutput, outputName_, outputPosition_);

    // Position 1 is chosen by name in OpenDevs; a higher one must exist as a device number.
    if (!inputMissing && inputPosition_ >= 2) MidiInput1->setDeviceID(inputPosition_ - 1);

    if (!outputMissing) output_.openOutput(outputPosition_);
    // A saved position beyond today's devices leaves the list without a selection.
    cmbOutput->setCurrentIndex(outputPosition_ < cmbOutput->count() ? outputPosition_ : -1);
    cmbInput->setCurrentIndex(inputPosition_ < cmbInput->count() ? inputPosition_ : -1);
    if (outputMissing) showUnopened(cmbOutput, outputName_, false);
    if (inputMissing) showUnopened(cmbInput, inputName_, false);

    OpenDevs();
    setWaitCursor(false);
    store_->clear();
    tellMissing(inputMissing, outputMissing);
}

void TForm1::tellMissing(bool inputMissing, bool outputMissing) {
    QStringList notes;
    if (!midi_.systemAvailable()) {
        notes << tr(
            "No MIDI devices: found no JACK server and no ALSA sequencer. Start a "
            "JACK server or PipeWire, or load the ALSA driver, and the devices appear "
            "in the lists on the Config tab");
    }
    if (inputMissing)
        notes << tr("The last MIDI input device \"%1\" is missing. The input is not open")
                     .arg(QString::fromStdString(inputName_));
    if (outputMissing)
        notes << tr("The last MIDI output device \"%1\" is missing. The output is not open")
                     .arg(QString::fromStdString(outputName_));
    if (inputMissing || outputMissing)
        notes << tr(
            "Once connected, it appears in the lists on the Config tab. Choose it there "
            "again");
    // Told once the window is up, so the box stands over what it talks about.
    if (!notes.isEmpty())
        QTimer::singleShot(0, this, [this, text = notes.join('\n')] { showNotice(text); });
}

bool TForm1::findSavedDevice(QComboBox* list, const std::string& name, std::uint8_t& position) {
    if (name.empty()) return true;  // none saved: the position alone decides, as it always has
    const int found = list->findText(QString::fromStdString(name));
    if (found < 1) return false;
    position = static_cast<std::uint8_t>(found);
    return true;
}

void TForm1::showUnopened(QComboBox* list, const std::string& name, bool listed) {
    list->setCurrentIndex(-1);
    list->setPlaceholderText((listed ? "(not open) " : "(missing) ") +
                             QString::fromStdString(name));
}

void TForm1::followDevices() {
    // Never under the user's hand: an open list would change while it is being read.
    if (cmbInput->view()->isVisible() || cmbOutput->view()->isVisible()) return;
    QStringList inputs{OutputPort::kNone};
    const std::uint32_t count = midi_.midiInGetNumDevs();
    for (std::uint32_t d = 0; d < count; ++d)
        inputs << QString::fromStdString(midi_.midiInDeviceName(d));
    QStringList outputs;
    for (const std::string& name : output_.buildOutputList())
        outputs << QString::fromStdString(name);
    relist(cmbInput, inputs, inputName_, inputPosition_);
    relist(cmbOutput, outputs, outputName_, outputPosition_);
    // The chosen output, gone (even if back before this look) or missing at start-up, is opened
    // again by its name as soon as it is listed: sends meanwhile fail aloud, and afterwards
    // reach it without the user's help. Opening an output asks nothing of the instrument.
    const int back = outputName_.empty() || (cmbOutput->currentIndex() >= 0 && !outputLost_)
                         ? -1
                         : static_cast<int>(outputs.indexOf(QString::fromStdString(outputName_)));
    if (back >= 1) {
        cmbOutput->setCurrentIndex(back);
        outputPosition_ = static_cast<std::uint8_t>(back);
        output_.switchOutput(back);
        outputLost_ = false;
    }
}

void TForm1::relist(QComboBox* list, const QStringList& entries, const std::string& saved,
                    std::uint8_t& position) {
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
    if (shown == entries) return;
    const bool chosen = list->currentIndex() >= 0;
    const std::string name = chosen ? list->currentText().toStdString() : saved;
    list->clear();
    list->addItems(entries);
    // The chosen device stays chosen wherever it now is; the position follows it, so the next
    // save stores where it is. One that went, or was missing at start-up, stays unopened until
    // the user picks it: opening it would also send it the Identity Request unasked.
    const int now = chosen ? static_cast<int>(entries.indexOf(QString::fromStdString(name))) : -1;
    if (now >= 0) {
        list->setCurrentIndex(now);
        position = static_cast<std::uint8_t>(now);
    } else if (!name.empty()) {
        showUnopened(list, name, entries.contains(QString::fromStdString(name)));
    } else {
        list->setCurrentIndex(-1);
    }
}

std::string TForm1::readText(RegistryKey& key, const char* name) {
    const auto value = key.read(name);
    if (!value || value->data.empty()) return {};
    if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) throw RegistryTypeError(name);
    const std::string text(value->data.begin(), value->data.end());
    return text.substr(0, text.find('\0'));  // nothing is expanded
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
        key->write("MIDI_IN_NAME", RegistryValue::string(inputName_));
        key->write("MIDI_OUT_NAME", RegistryValue::string(outputName_));
    } else if (mode == 1) {
        userDumpPath_.clear();
        readPosition(*key, "MIDI_IN", inputPosition_);
        readPosition(*key, "MIDI_OUT", outputPosition_);
        // Before the request file, whose load saves them all again.
        inputName_ = readText(*key, "MIDI_IN_NAME");
        outputName_ = readText(*key, "MIDI_OUT_NAME");
        userDumpPath_ = readText(*key, "CFG_FILE");
        openDialog2_.initialFile = QString::fromStdString(userDumpPath_);
        if (!userDumpPath_.empty()) {
            // A request file that fails is told once and start-up goes on with an empty USER
            // tab: no file the setting names may keep the window from coming up, or the user
            // could never choose another.
            guarded([&] { loading(userDumpPath_, true); });
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

std::string TForm1::chosenName(const QComboBox* list) {
    return list->currentIndex() >= 1 ? list->currentText().toStdString() : std::string();
}

void TForm1::CloseDevs() {
    MidiInput1->CloseDevice();
    // Reopening the ports discards what waited, in the input and here alike.
    heldWhilePaused_.clear();
    letGoWhilePaused_ = 0;
}

void TForm1::cmbInputChange() {
    setWaitCursor(true);
    CloseDevs();
    OpenDevs();
    setWaitCursor(false);
    inputPosition_ = static_cast<std::uint8_t>(cmbInput->currentIndex());
    inputName_ = chosenName(cmbInput);
    INIT(0);
}

void TForm1::cmbOutputChange() {
    output_.switchOutput(cmbOutput->currentIndex());
    outputPosition_ = static_cast<std::uint8_t>(cmbOutput->currentIndex());
    outputName_ = chosenName(cmbOutput);
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
