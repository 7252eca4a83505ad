// TForm1's construction: the input component, the connections of every control to its handler,
// and what the window does as a window (wait cursor, placement, the About box). The handlers
// live by subject in MidimonpFiles, MidimonpStartup, MidimonpCapture and MidimonpUser.
#include "app/Midimonp.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "app/info.h"
#include "core/CaptureStore.h"
#include "core/UserDump.h"
#include "midi/MidiIn.h"

namespace pellum {

TForm1::TForm1(Dialogs& dialogs, midi::MidiService& midi, midi::NoticeSink& notices,
               Registry& registry, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      midi_(midi),
      registry_(registry),
      output_(midi),
      lossShown_(midi.droppedInputBytes()),
      devicesLostShown_(midi.lostInputDevices()) {
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
    // Ports come and go with their programs, servers and cables; a look every second keeps the
    // lists in step without a restart.
    deviceWatch_ = new QTimer(this);
    deviceWatch_->setInterval(1000);
    connect(deviceWatch_, &QTimer::timeout, this, handler(this, &TForm1::followDevices));
    deviceWatch_->start();
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
    // Queued: a request that switches capture on goes out before what waited is listed.
    connect(
        In_chk, &QCheckBox::toggled, this,
        [this](bool on) {
            if (on) guarded([this] { takeWhatWaits(); });
        },
        Qt::QueuedConnection);
    connect(SysExCH, &UpDown::clicked, this, handler(this, &TForm1::SysExCHClick));
    // CH and the request preview follow the override whoever moves it: the channel sync of a
    // received message moves it too, and what is shown must be what goes out.
    connect(SysExCH, &UpDown::moved, this, handler(this, &TForm1::overrideChanged));
    connect(ForceMIDICH, &QCheckBox::toggled, this, handler(this, &TForm1::overrideChanged));
    connect(SpeedButton2, &QToolButton::clicked, this, handler(this, &TForm1::SpeedButton2Click));
    connect(SendBTN, &QPushButton::clicked, this, handler(this, &TForm1::SendBTNClick));
    // The user's pick only; the entries loading adds and selects preview through loading.
    connect(LsUser, &QComboBox::activated, this, handler(this, &TForm1::LsUserChange));
    connect(S_Auto, &QRadioButton::clicked, this, handler(this, &TForm1::S_AutoClick));
    connect(S_Man, &QRadioButton::clicked, this, handler(this, &TForm1::S_ManClick));
}

void TForm1::setWaitCursor(bool waiting) {
    if (waiting)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
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

void TForm1::About1Click() {
    if (About) About->exec();
}

}  // namespace pellum
