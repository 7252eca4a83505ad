// TForm1's handlers: the SysEx list and its files, start-up and device selection, capture of
// received messages, and sending them back.
#include "app/Midimonp.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "app/info.h"
#include "core/CaptureStore.h"
#include "core/ListLabel.h"
#include "core/SyxFile.h"
#include "midi/MidiIn.h"
#include "platform/registry/Registry.h"

namespace pellum {
namespace {

const std::uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

// Wait before the message of `length` bytes in a running auto-send.
int lengthInterval(std::int32_t length) {
    return length / 256 + 1;
}

}  // namespace

TForm1::TForm1(Dialogs& dialogs, midi::MidiService& midi, midi::NoticeSink& notices,
               Registry& registry, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      midi_(midi),
      registry_(registry),
      output_(midi),
      lossShown_(midi.droppedInputBytes()) {
    buildLayout();
    MidiInput1 = std::make_unique<TMidiInput>(midi, notices);
    MidiInput1->setSysexBufferSize(65535);
    MidiInput1->setSysexOnly(true);
    // A JACK port hands over a period's worth of messages at once (about 31 of 1 KiB). The
    // driver holds what finds no buffer until one comes back, so fewer would lose nothing, but
    // sixty-four let a fast dump flow without waiting on every drain; they cost 4 MiB.
    MidiInput1->setSysexBufferCount(64);
    MidiInput1->OnMidiInput = [this](TMidiInput&) { guarded([this] { MIDIInput1MidiInput(); }); };
    // A loss at the end of a burst brings no input event with it, so it is looked for apart.
    lossCheck_ = new QTimer(this);
    lossCheck_->setInterval(500);
    connect(lossCheck_, &QTimer::timeout, this, [this] { guarded([this] { checkInputLoss(); }); });
    lossCheck_->start();
    connectHandlers();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::connectHandlers() {
    connect(FileSave, &QAction::triggered, this, handler(this, &TForm1::FileSaveExecute));
    connect(InitList, &QAction::triggered, this, handler(this, &TForm1::InitListExecute));
    connect(New1, &QAction::triggered, this, handler(this, &TForm1::New1Click));
    connect(SysexI1, &QAction::triggered, this, handler(this, &TForm1::SysexI1Click));
    connect(SysexE1, &QAction::triggered, FileSave, &QAction::trigger);
    connect(mnuExit, &QAction::triggered, this, handler(this, &TForm1::mnuExitClick));
    connect(About1, &QAction::triggered, this, handler(this, &TForm1::About1Click));

    connect(SpeedButton4, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton4Click));
    connect(BtnCut, &QToolButton::clicked, this, handler(this, &TForm1::BtnCutClick));
    connect(BtnStart, &QToolButton::clicked, this, handler(this, &TForm1::BtnStartClick));
    connect(BtnStop, &QToolButton::clicked, this, handler(this, &TForm1::BtnStopClick));
    connect(SpeedButton7, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton7Click));

    // The user picking an entry, the same one included; the program's own selections are silent.
    connect(cmbInput, &QComboBox::activated, this, handler(this, &TForm1::cmbInputChange));
    connect(cmbOutput, &QComboBox::activated, this, handler(this, &TForm1::cmbOutputChange));

    // Only the user's choice of a line sends it, never a selection Qt or the program makes.
    connect(SysEx, &ListBox::chosen, this, handler(this, &TForm1::SysExClick));

    connect(Timer1, &QTimer::timeout, this, handler(this, &TForm1::Timer1Timer));
    // The box runs its handler whenever its state changes, also when the program sets it.
    connect(ForceMIDICH, &QCheckBox::toggled, this, handler(this, &TForm1::ForceMIDICHClick));
    connect(SysExCH, &UpDown::clicked, this, handler(this, &TForm1::SysExCHClick));
    connect(S_Auto, &QRadioButton::clicked, this, handler(this, &TForm1::S_AutoClick));
    connect(S_Man, &QRadioButton::clicked, this, handler(this, &TForm1::S_ManClick));
}

void TForm1::setWaitCursor(bool waiting) {
    if (waiting)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

// ---- The SysEx list and its files ----

ChannelOverride TForm1::channelOverride() const {
    return {ForceMIDICH->isChecked(), SysExCH->position()};
}

void TForm1::New1Click() {
    SysEx->clear();
    store_->clear();
}

void TForm1::InitListExecute() {
    New1Click();
    BtnStart->setEnabled(false);
    BtnCut->setEnabled(false);
}

void TForm1::BtnCutClick() {
    // Only the line goes: the slots stay, so later lines no longer show the slot of their
    // index. Sending and saving rely on the slots, not the lines.
    const int row = SysEx->selectedRow();
    if (row >= 0) {
        delete SysEx->takeItem(row);
        // Qt selects the next line; none stays selected, so a second press deletes nothing.
        SysEx->selectNone();
    }
    if (SysEx->count() == 0) {
        BtnCut->setEnabled(false);
        BtnStart->setEnabled(false);
        store_->clear();
    }
}

void TForm1::SysexI1Click() {
    if (const auto file = dialogs_.openFile(OpenDialog1)) openfile(*file);
}

void TForm1::SpeedButton4Click() {
    SysexI1Click();
}

void TForm1::openfile(const QString& fileName) {
    SysEx->clear();
    const LoadResult result = loadSyxFile(QFile::encodeName(fileName).toStdString(), *store_);
    if (result.count > 0) BtnStart->setEnabled(true);
    QStringList lines;
    lines.reserve(result.count);
    for (const std::string& text : loadedLabels(*store_)) lines << QString::fromStdString(text);
    SysEx->addItems(lines);
    if (result.truncated) dialogs_.message(QStringLiteral("これ以上記録できません"));
}

void TForm1::FileSaveExecute() {
    if (const auto file = dialogs_.saveFile(SaveDialog1))
        saveSyxFile(QFile::encodeName(*file).toStdString(), *store_, channelOverride());
}

void TForm1::showEvent(QShowEvent* event) {
    setAcceptDrops(true);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QMainWindow::showEvent(event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    // Only the first dropped file is opened, whatever its extension.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        guarded([&] { openfile(url.toLocalFile()); });
        return;
    }
}

// ---- Start-up, settings, devices and the end ----

void TForm1::FormCreate() {
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
        // Reading the saved request file comes with the dump request files; until then the path
        // is kept and written back as it was.
    }
}

void TForm1::OpenDevs() {
    if (cmbInput->currentIndex() >= 1) {
        MidiInput1->setProductName(cmbInput->currentText().toStdString());
        MidiInput1->OpenDevice();
        MidiInput1->StartDevice();
    }
    G_CH->setText("--");
    N_Vendor->setText("unknown");
    G_Vendor->setText("--");
    N_Machine->setText("unknown");
    G_Family->setText("--");
    G_ROM->setText("--");
    G_SOFT->setText("--");
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

// ---- Capture ----

void TForm1::MIDIInput1MidiInput() {
    setWaitCursor(true);
    if (store_->full()) {
        // Nothing is taken: the events wait in the input component.
        showNotice(QStringLiteral("これ以上記録できません"));
    } else if (In_chk->isChecked()) {
        while (MidiInput1->PendingCount() > 0 && !store_->full()) {
            const std::unique_ptr<TMyMidiEvent> event = MidiInput1->TakeEvent();
            if (!event) break;
            LogMessage(*event);
        }
    }
    setWaitCursor(false);
}

void TForm1::checkInputLoss() {
    const std::uint64_t dropped = midi_.droppedInputBytes();
    if (dropped <= lossShown_ || lossNoticeOpen_) return;
    lossNoticeOpen_ = true;
    dialogs_.message(QStringLiteral("受信中に %1 バイトのデータが失われました")
                         .arg(static_cast<qulonglong>(dropped - lossShown_)));
    // What was lost while the box was open belongs to the same burst.
    lossShown_ = midi_.droppedInputBytes();
    lossNoticeOpen_ = false;
}

void TForm1::LogMessage(const TMyMidiEvent& event) {
    const std::span<const std::uint8_t> message(
        event.sysexBytes.data(), std::min<std::size_t>(event.sysexSize, event.sysexBytes.size()));
    if (message.empty()) return;  // nothing arrived: nothing to file

    if (message.size() >= 2 && message[1] == 0x7E) {
        showIdentityReply(message);
    } else {
        BtnStart->setEnabled(true);
        BtnCut->setEnabled(true);
        const int number = store_->count() + 1;
        store_->append(message);
        SysEx->addItem(QString::fromStdString(capturedLabel(number, message)));
    }

    // Channel sync from byte 2, when the message has one. The box is set through all three
    // states for channel 1 so that its handler runs whatever it showed before; the selector
    // moves without a word, so CH keeps its number.
    if (message.size() < 3) return;
    const int n = message[2] & 0x0F;
    if (n != 0) {
        ForceMIDICH->setChecked(true);
        SysExCH->setPosition(n + 1);
    } else {
        ForceMIDICH->setChecked(false);
        ForceMIDICH->setChecked(true);
        ForceMIDICH->setChecked(false);
        SysExCH->setPosition(1);
    }
}

void TForm1::showIdentityReply(std::span<const std::uint8_t>) {
    // The reply decoder fills the System Information labels; it comes with the identity work.
}

void TForm1::showNotice(const QString& text) {
    if (openNotices_.contains(text)) return;
    openNotices_.insert(text);
    dialogs_.message(text);
    openNotices_.remove(text);
}

// ---- Sending ----

void TForm1::sendStoredMessage(int index) {
    setWaitCursor(true);
    // A line index at or beyond the count (after "List Delete" and a capture) reaches no slot.
    const auto stored = store_->message(index);
    std::vector<std::uint8_t> work(stored.begin(), stored.end());
    applyChannelOverride(work, channelOverride());
    if (Out_chk->isChecked() && !work.empty()) {
        In_chk->setChecked(false);
        output_.sendLongMessage(work);
    }
    setWaitCursor(false);
}

void TForm1::SysExClick() {
    if (SysEx->selectedRow() >= 0) sendStoredMessage(SysEx->selectedRow());
}

void TForm1::armTimer(int milliseconds) {
    timerInterval_ = milliseconds;
    Timer1->setInterval(milliseconds);
    timerArmed_.start();
}

void TForm1::BtnStartClick() {
    TabMenu->setCurrentIndex(0);
    BtnStop->setEnabled(true);
    BtnStart->setEnabled(false);
    // An empty range would turn the bar into a busy indicator; an empty list shows it empty.
    Meter->setMaximum(std::max(SysEx->count(), 1));
    if (SysEx->selectedRow() < 0 || SysEx->selectedRow() == SysEx->count() - 1)
        SysEx->setCurrentRow(0);
    autoSendPosition_ = std::max(SysEx->selectedRow(), 0);
    const int first = S_Auto->isChecked() ? lengthInterval(store_->length(autoSendPosition_))
                                          : (SendSpeed->maximum() - SendSpeed->value() + 1) * 100;
    armTimer(first);
    Timer1->start();
}

void TForm1::Timer1Timer() {
    // Qt's timers may fire a little early; a wait is never shorter than the one computed.
    const qint64 early = timerInterval_ - timerArmed_.elapsed();
    if (early > 0) {
        Timer1->setInterval(static_cast<int>(early));
        return;
    }
    if (!ForceMIDICH->isChecked()) SysExCH->setEnabled(false);
    if (autoSendPosition_ < SysEx->count()) {
        SysEx->setCurrentRow(autoSendPosition_);
        sendStoredMessage(autoSendPosition_);
        ++autoSendPosition_;
        Meter->setValue(autoSendPosition_);
        // Past the last message there is no length to read: the closing tick comes after 1 ms.
        armTimer(lengthInterval(store_->length(autoSendPosition_)));
    } else {
        Timer1->stop();
        BtnStart->setEnabled(true);
        BtnStop->setEnabled(false);
        BtnCut->setEnabled(true);
    }
}

void TForm1::BtnStopClick() {
    Timer1->stop();
    BtnStop->setEnabled(false);
    BtnStart->setEnabled(true);
}

void TForm1::ForceMIDICHClick() {
    SysExCH->setEnabled(ForceMIDICH->isChecked());
}

void TForm1::SysExCHClick() {
    CH->setText(QString::number(SysExCH->position()));
}

void TForm1::S_AutoClick() {
    L_Low->setEnabled(false);
    L_High->setEnabled(false);
    SendSpeed->setEnabled(false);
}

void TForm1::S_ManClick() {
    L_Low->setEnabled(true);
    L_High->setEnabled(true);
    SendSpeed->setEnabled(true);
}

void TForm1::About1Click() {
    if (About) About->exec();
}

}  // namespace pellum
