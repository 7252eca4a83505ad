// MainWindow's start-up, the settings it keeps, device selection, and the end of the program.
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStringList>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/PellumApplication.h"
#include "core/messages/IdentityReply.h"
#include "core/messages/RequestFile.h"
#include "device/InputDevice.h"
#include "platform/registry/Registry.h"

namespace pellum {

void MainWindow::startUp() {
    requests_ = std::make_unique<RequestSet>();
    autoSendPosition_ = 0;
    setWaitCursor(true);

    inputList->clear();
    inputList->addItem(tr("(None)"));
    for (std::uint16_t d = 0; d < inputDevice->deviceCount(); ++d) {
        inputDevice->setDeviceId(d);
        inputList->addItem(QString::fromStdString(inputDevice->productName()));
    }
    inputList->setCurrentIndex(0);

    outputList->clear();
    outputList->addItems(outputEntries());
    outputList->setCurrentIndex(-1);  // filled, nothing chosen yet

    inputPosition_ = 0;
    outputPosition_ = 0;
    loadSettings();

    // A saved device is found by its name wherever it is listed now: ports are listed in the
    // order their programs started, so a position alone may name another instrument. One that
    // is not there is not replaced by whatever took its place.
    const bool inputMissing = !findSavedDevice(inputList, inputName_, inputPosition_);
    const bool outputMissing = !findSavedDevice(outputList, outputName_, outputPosition_);

    // Position 1 is chosen by name in openDevices; a higher one must exist as a device number.
    if (!inputMissing && inputPosition_ >= 2) inputDevice->setDeviceId(inputPosition_ - 1);

    if (!outputMissing) output_.openOutput(outputPosition_);
    // A saved position beyond today's devices leaves the list without a selection.
    outputList->setCurrentIndex(outputPosition_ < outputList->count() ? outputPosition_ : -1);
    inputList->setCurrentIndex(inputPosition_ < inputList->count() ? inputPosition_ : -1);
    if (outputMissing) showUnopened(outputList, outputName_, false);
    if (inputMissing) showUnopened(inputList, inputName_, false);

    openDevices();
    setWaitCursor(false);
    list_.clear();
    list_.markSaved();
    history_.clear();
    followHistory();
    followList();
    tellMissing(inputMissing, outputMissing);
}

void MainWindow::tellMissing(bool inputMissing, bool outputMissing) {
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

bool MainWindow::findSavedDevice(QComboBox* list, const std::string& name, std::uint8_t& position) {
    if (name.empty()) return true;  // none saved: the position alone decides, as it always has
    const int found = list->findText(QString::fromStdString(name));
    if (found < 1) return false;
    position = static_cast<std::uint8_t>(found);
    return true;
}

void MainWindow::showUnopened(QComboBox* list, const std::string& name, bool listed) {
    list->setCurrentIndex(-1);
    list->setPlaceholderText(
        (listed ? tr("(not open) %1") : tr("(missing) %1")).arg(QString::fromStdString(name)));
}

QStringList MainWindow::outputEntries() {
    QStringList entries{tr("(None)")};
    const std::vector<std::string> list = output_.buildOutputList();  // entry 0 opens nothing
    for (std::size_t i = 1; i < list.size(); ++i) entries << QString::fromStdString(list[i]);
    return entries;
}

void MainWindow::followDevices() {
    // Never under the user's hand: an open list would change while it is being read.
    if (inputList->view()->isVisible() || outputList->view()->isVisible()) return;
    QStringList inputs{tr("(None)")};
    const std::uint32_t count = midi_.midiInGetNumDevs();
    for (std::uint32_t d = 0; d < count; ++d)
        inputs << QString::fromStdString(midi_.midiInDeviceName(d));
    const QStringList outputs = outputEntries();
    relist(inputList, inputs, inputName_, inputPosition_);
    relist(outputList, outputs, outputName_, outputPosition_);
    // The chosen devices, gone from the lists or missing at start-up, are opened again by their
    // names as soon as they are listed, as start-up opens them: sends meanwhile fail aloud, and
    // afterwards reach the instrument without the user's help, and its identity is asked again.
    // The output also when a send found it gone, even if back before this look. An input whose
    // connection a patchbay cut stays listed, and cut. "(None)" saves no name, so a device the
    // user closed stays closed.
    const auto back = [](const QComboBox* list, const QStringList& entries, const std::string& name,
                         bool lost) {
        if (name.empty() || (list->currentIndex() >= 0 && !lost)) return -1;
        return static_cast<int>(entries.indexOf(QString::fromStdString(name)));
    };
    const int outputBack = back(outputList, outputs, outputName_, outputLost_);
    const int inputBack = back(inputList, inputs, inputName_, false);
    QStringList told;
    if (outputBack >= 1) {
        outputList->setCurrentIndex(outputBack);
        outputPosition_ = static_cast<std::uint8_t>(outputBack);
        output_.switchOutput(outputBack);
        outputLost_ = false;
        told << tr("The MIDI output device \"%1\" is back and open again")
                    .arg(QString::fromStdString(outputName_));
    }
    if (inputBack >= 1) {
        inputList->setCurrentIndex(inputBack);
        inputPosition_ = static_cast<std::uint8_t>(inputBack);
        closeDevices();
        openDevices();
        // Its going, untold while another box was open, is told first: in the order it happened.
        if (const QString gone = untoldInputLoss(); !gone.isEmpty()) told.prepend(gone);
        told << tr("The MIDI input device \"%1\" is back and open again")
                    .arg(QString::fromStdString(inputName_));
    } else if (outputBack >= 1 && inputList->currentIndex() >= 1) {
        output_.sendLongMessage(kIdentityRequest);
    }
    // Told after the handler that looked, which may be a send.
    if (!told.isEmpty()) QTimer::singleShot(0, this, [this, told] { showNotice(told.join('\n')); });
}

void MainWindow::relist(QComboBox* list, const QStringList& entries, const std::string& saved,
                        std::uint8_t& position) {
    QStringList shown;
    for (int i = 0; i < list->count(); ++i) shown << list->itemText(i);
    if (shown == entries) return;
    const bool chosen = list->currentIndex() >= 0;
    const std::string name = chosen ? list->currentText().toStdString() : saved;
    list->clear();
    list->addItems(entries);
    // The chosen device stays chosen wherever it now is; the position follows it, so the next
    // save stores where it is. One that went, or was missing at start-up, is shown unopened
    // until followDevices opens it again.
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

std::string MainWindow::readText(RegistryKey& key, const char* name) {
    const auto value = key.read(name);
    if (!value || value->data.empty()) return {};
    if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) throw RegistryTypeError(name);
    const std::string text(value->data.begin(), value->data.end());
    return text.substr(0, text.find('\0'));  // nothing is expanded
}

void MainWindow::readPacing(RegistryKey& key) {
    const auto byte = [&key](const char* name) -> std::optional<std::uint8_t> {
        const auto value = key.read(name);
        if (!value || value->type != REG_BINARY || value->data.size() != 1) return std::nullopt;
        return value->data[0];
    };
    const auto automatic = byte("SEND_AUTO");
    const auto speed = byte("SEND_SPEED");
    const auto onSelect = byte("SEND_ON_SELECT");
    if (onSelect && *onSelect <= 1) {
        const QSignalBlocker quietChoice(sendOnSelectAction);
        sendOnSelectAction->setChecked(*onSelect == 1);
    }
    const QSignalBlocker quiet(sendSpeed);  // loading is not a change to save
    if (speed && *speed >= sendSpeed->minimum() && *speed <= sendSpeed->maximum())
        sendSpeed->setValue(*speed);
    if (automatic && *automatic <= 1) (*automatic ? autoSpeed : manualSpeed)->setChecked(true);
    if (const auto recorded = byte("SEND_AS_RECORDED"); recorded && *recorded <= 1)
        asRecordedAction->setChecked(*recorded == 1);
    if (const auto times = byte("LIST_TIMES"); times && *times <= 2)
        (*times == 1 ? sinceStartAction : *times == 2 ? gapAction : noTimesAction)->setChecked(true);
    showPacing();
    showTimes();
}

void MainWindow::readPosition(RegistryKey& key, const char* name, std::uint8_t& position) {
    const auto value = key.read(name);
    if (!value || value->data.empty()) return;
    if (value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_DWORD ||
        value->data.size() > 1)
        throw RegistryTypeError(name);
    position = value->data[0];
}

void MainWindow::saveSettings() {
    const auto key = registry_.openOrCreateKey(kRegistryKey);
    key->write("MIDI_IN", RegistryValue::binary({inputPosition_}));
    key->write("MIDI_OUT", RegistryValue::binary({outputPosition_}));
    key->write("CFG_FILE", RegistryValue::string(requestFilePath_));
    key->write("MIDI_IN_NAME", RegistryValue::string(inputName_));
    key->write("MIDI_OUT_NAME", RegistryValue::string(outputName_));
    key->write("SEND_AUTO",
               RegistryValue::binary({autoSpeed->isChecked() ? std::uint8_t{1} : std::uint8_t{0}}));
    key->write("SEND_SPEED",
               RegistryValue::binary({static_cast<std::uint8_t>(sendSpeed->value())}));
    key->write("SEND_AS_RECORDED",
               RegistryValue::binary({asRecordedAction->isChecked() ? std::uint8_t{1} : std::uint8_t{0}}));
    key->write("LIST_TIMES",
               RegistryValue::binary({static_cast<std::uint8_t>(
                   sinceStartAction->isChecked() ? 1 : gapAction->isChecked() ? 2 : 0)}));
    key->write("SEND_ON_SELECT",
               RegistryValue::binary(
                   {sendOnSelectAction->isChecked() ? std::uint8_t{1} : std::uint8_t{0}}));
}

void MainWindow::loadSettings() {
    const auto key = registry_.openOrCreateKey(kRegistryKey);
    readWindowPlace(*key);  // first: it never throws
    requestFilePath_.clear();
    readPosition(*key, "MIDI_IN", inputPosition_);
    readPosition(*key, "MIDI_OUT", outputPosition_);
    // Before the request file, whose load saves them all again.
    inputName_ = readText(*key, "MIDI_IN_NAME");
    outputName_ = readText(*key, "MIDI_OUT_NAME");
    requestFilePath_ = readText(*key, "CFG_FILE");
    readPacing(*key);
    requestDialog_.initialFile = QString::fromStdString(requestFilePath_);
    if (!requestFilePath_.empty()) {
        // A request file that fails is told once and start-up goes on with an empty USER
        // tab: no file the setting names may keep the window from coming up, or the user
        // could never choose another.
        guarded([&] { loadRequestFile(requestFilePath_, true); });
    }
}

void MainWindow::openDevices() {
    if (inputList->currentIndex() >= 1) {
        inputDevice->setProductName(inputList->currentText().toStdString());
        inputDevice->open();
        inputDevice->start();
        // Times count from the first start that brought the list's captures.
        bool captured = false;
        for (int row = 0; row < list_.count() && !captured; ++row)
            captured = list_.line(row).origin == Origin::capture;
        if (!captured) captureStartNs_ = inputDevice->startedAtNs();
        showTimes();
    }
    showSystemInformation(resetSystemInformation());
    captureOn->setChecked(true);
    sendOn->setChecked(true);
    // No selection counts as a device: only "(None)" keeps the request back.
    if (inputList->currentIndex() != 0) output_.sendLongMessage(kIdentityRequest);
}

std::string MainWindow::chosenName(const QComboBox* list) {
    return list->currentIndex() >= 1 ? list->currentText().toStdString() : std::string();
}

void MainWindow::closeDevices() {
    inputDevice->close();
    assembler_.finish();  // a message still unfinished never will be
    // Reopening the ports discards what waited, in the input and here alike.
    heldWhilePaused_.clear();
    letGoWhilePaused_ = 0;
}

void MainWindow::inputChosen() {
    setWaitCursor(true);
    closeDevices();
    openDevices();
    setWaitCursor(false);
    inputPosition_ = static_cast<std::uint8_t>(inputList->currentIndex());
    inputName_ = chosenName(inputList);
    saveSettings();
}

void MainWindow::outputChosen() {
    output_.switchOutput(outputList->currentIndex());
    outputPosition_ = static_cast<std::uint8_t>(outputList->currentIndex());
    outputName_ = chosenName(outputList);
    saveSettings();
    closeDevices();
    openDevices();
}

void MainWindow::exitProgram() {
    if (!mayDiscardList()) return;
    guarded([this] { saveWindowPlace(); });
    // A request the loop takes in turn; it ends the loop without closing the window first
    // (quit() would close it), and the input closes when the window is torn down.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    bool close = false;
    guarded([&] { close = mayDiscardList(); });
    if (!close) {
        event->ignore();
        return;
    }
    guarded([this] { saveWindowPlace(); });
    guarded([this] { closeDevices(); });
    QMainWindow::closeEvent(event);
}

}  // namespace pellum
