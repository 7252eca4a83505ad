// MainWindow's construction: the input device, the connections of every control to its handler,
// and what the window does as a window (wait cursor, placement, the About box). The handlers
// live by subject in MainWindowFiles, MainWindowStartup, MainWindowCapture and
// MainWindowRequests.
#include "app/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <utility>

#include "app/AboutBox.h"
#include "app/ComparedListModel.h"
#include "app/ElidedLabel.h"
#include "app/MessageListModel.h"
#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "core/messages/RequestFile.h"
#include "device/InputDevice.h"

namespace pellum {

MainWindow::MainWindow(Dialogs& dialogs, midi::MidiService& midi, midi::NoticeSink& notices,
                       Registry& registry, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      midi_(midi),
      registry_(registry),
      output_(midi),
      lossShown_(midi.droppedInputBytes()),
      devicesLostShown_(midi.lostInputDevices()) {
    buildLayout();
    inputDevice = std::make_unique<device::InputDevice>(midi, notices);
    inputDevice->setSysexBufferSize(65535);
    inputDevice->setSysexOnly(true);
    // A JACK port hands over a period's worth of messages at once (about 31 of 1 KiB). The
    // driver holds what finds no buffer until one comes back, so fewer would lose nothing, but
    // sixty-four let a fast dump flow without waiting on every drain; they cost 4 MiB.
    inputDevice->setSysexBufferCount(64);
    inputDevice->onInput = [this](device::InputDevice&) { guarded([this] { takeInput(); }); };
    // A loss at the end of a burst brings no input event with it, so it is looked for apart.
    lossCheck_ = new QTimer(this);
    lossCheck_->setInterval(500);
    connect(lossCheck_, &QTimer::timeout, this, [this] { guarded([this] { checkInputLoss(); }); });
    lossCheck_->start();
    connectHandlers();
    followHistory();
    guarded([this] { startUp(); });
    // Ports come and go with their programs, servers and cables; a look every second keeps the
    // lists in step without a restart.
    deviceWatch_ = new QTimer(this);
    deviceWatch_->setInterval(1000);
    connect(deviceWatch_, &QTimer::timeout, this, handler(this, &MainWindow::followDevices));
    deviceWatch_->start();
    showStatusSoon();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectHandlers() {
    connect(saveAction, &QAction::triggered, this, handler(this, &MainWindow::saveList));
    connect(clearListAction, &QAction::triggered, this, handler(this, &MainWindow::clearListAsked));
    connect(newAction, &QAction::triggered, this, handler(this, &MainWindow::newListAsked));
    connect(openAction, &QAction::triggered, this, handler(this, &MainWindow::openSyx));
    connect(saveMenuItem, &QAction::triggered, saveAction, &QAction::trigger);
    connect(saveAsAction, &QAction::triggered, this, handler(this, &MainWindow::saveListAs));
    connect(resumeCaptureAction, &QAction::triggered, this,
            handler(this, &MainWindow::resumeCapture));
    connect(sendOnSelectAction, &QAction::toggled, this, handler(this, &MainWindow::saveSettings));
    connect(asRecordedAction, &QAction::triggered, this,
            handler(this, &MainWindow::asRecordedClicked));
    for (QAction* choice : {noTimesAction, sinceStartAction, gapAction})
        connect(choice, &QAction::triggered, this, handler(this, &MainWindow::timesChosen));
    connect(exitAction, &QAction::triggered, this, handler(this, &MainWindow::exitProgram));
    connect(aboutAction, &QAction::triggered, this, handler(this, &MainWindow::showAbout));
    connect(viewAction, &QAction::triggered, this, handler(this, &MainWindow::viewMessage));

    connect(openButton, &QToolButton::clicked, this, handler(this, &MainWindow::openSyx));
    connect(deleteButton, &QToolButton::clicked, this, handler(this, &MainWindow::deleteLines));
    connect(cutAction, &QAction::triggered, this, handler(this, &MainWindow::cutLines));
    connect(copyAction, &QAction::triggered, this, handler(this, &MainWindow::copyLines));
    connect(pasteAction, &QAction::triggered, this, handler(this, &MainWindow::pasteLines));
    connect(selectAllAction, &QAction::triggered, messageList, &ListBox::selectAll);
    connect(undoAction, &QAction::triggered, this, handler(this, &MainWindow::undoStep));
    connect(redoAction, &QAction::triggered, this, handler(this, &MainWindow::redoStep));
    connect(moveUpAction, &QAction::triggered, this, [this] { guarded([this] { moveLines(-1); }); });
    connect(moveDownAction, &QAction::triggered, this,
            [this] { guarded([this] { moveLines(1); }); });
    connect(messageList, &ListBox::linesDropped, this, [this](std::vector<int> rows, int before) {
        guarded([&] { dropLines(rows, before); });
    });
    connect(newMessageAction, &QAction::triggered, this, handler(this, &MainWindow::newMessage));
    connect(fixChecksumAction, &QAction::triggered, this,
            handler(this, &MainWindow::fixChecksums));
    connectComparison();
    connect(sendSelectedAction, &QAction::triggered, this,
            handler(this, &MainWindow::startSendingSelected));
    connect(saveSelectedAction, &QAction::triggered, this,
            handler(this, &MainWindow::saveSelectedAs));
    connect(sendAllButton, &QToolButton::clicked, this,
            handler(this, &MainWindow::startSendingAll));
    connect(stopButton, &QToolButton::clicked, this, handler(this, &MainWindow::stopSending));
    connect(exitButton, &QToolButton::clicked, this, handler(this, &MainWindow::exitProgram));

    // The user picking an entry, the same one included; the program's own selections are silent.
    connect(inputList, &QComboBox::activated, this, handler(this, &MainWindow::inputChosen));
    connect(outputList, &QComboBox::activated, this, handler(this, &MainWindow::outputChosen));

    // Only the user's choice of a line sends it, never a selection Qt or the program makes.
    connect(messageList, &ListBox::chosen, this, handler(this, &MainWindow::sendChosenMessage));
    connect(messageList, &ListBox::lineActivated, this,
            handler(this, &MainWindow::sendActivatedMessage));
    for (QComboBox* list : {inputList, outputList})
        connect(list, &QComboBox::currentIndexChanged, this, &MainWindow::showStatusSoon);
    // The buttons, the counts and the title follow the list, whatever changed it.
    connect(listModel_.get(), &MessageListModel::changed, this, &MainWindow::followList);

    connect(sendTimer, &QTimer::timeout, this, handler(this, &MainWindow::sendNextMessage));
    // The box runs its handler whenever its state changes, also when the program sets it.
    connect(overrideBox, &QCheckBox::toggled, this, handler(this, &MainWindow::overrideClicked));
    // Queued: a request that switches capture on goes out before what waited is listed.
    connect(
        captureOn, &QCheckBox::toggled, this,
        [this](bool on) {
            if (on) guarded([this] { takeWhatWaits(); });
        },
        Qt::QueuedConnection);
    connect(captureOn, &QCheckBox::toggled, this, [this](bool on) {
        resumeCaptureAction->setEnabled(!on);
        showStatusSoon();
    });
    connect(channelStepper, &UpDown::clicked, this, handler(this, &MainWindow::channelClicked));
    // CH and the request preview follow the override whoever moves it: the channel sync of a
    // received message moves it too, and what is shown must be what goes out.
    connect(channelStepper, &UpDown::moved, this, handler(this, &MainWindow::overrideChanged));
    connect(overrideBox, &QCheckBox::toggled, this, handler(this, &MainWindow::overrideChanged));
    connect(openRequestButton, &QToolButton::clicked, this,
            handler(this, &MainWindow::openRequestFile));
    connect(sendRequestButton, &QPushButton::clicked, this,
            handler(this, &MainWindow::sendRequest));
    // The user's pick only; the entries loading adds and selects preview through loading.
    connect(requestList, &QComboBox::activated, this, handler(this, &MainWindow::requestChosen));
    connect(autoSpeed, &QRadioButton::clicked, this, handler(this, &MainWindow::autoSpeedClicked));
    connect(sendSpeed, &QSlider::valueChanged, this, handler(this, &MainWindow::speedChanged));
    connect(manualSpeed, &QRadioButton::clicked, this,
            handler(this, &MainWindow::manualSpeedClicked));
}

void MainWindow::showStatusSoon() {
    if (std::exchange(statusPending_, true)) return;
    QTimer::singleShot(0, this, &MainWindow::showStatus);
}

void MainWindow::showStatus() {
    statusPending_ = false;
    const QLocale locale;
    listStatus->setText(tr("Messages: %1  Bytes: %2")
                            .arg(locale.toString(list_.count()),
                                 locale.toString(static_cast<qulonglong>(list_.totalBytes()))));
    const auto device = [](const QComboBox* list) {
        return list->currentIndex() >= 1 ? list->currentText() : tr("(None)");
    };
    deviceStatus->setFullText(tr("In: %1  Out: %2").arg(device(inputList), device(outputList)));
    const bool capturing = captureOn->isChecked();
    captureStatus->setText(capturing ? tr("Capture on") : tr("Capture paused"));
    captureStatus->setStyleSheet(capturing ? QString() : "color: #c00000;");
    resumeButton->setVisible(!capturing);
    overrideStatus->setText(overrideBox->isChecked()
                                ? tr("Override CH%1").arg(channelStepper->position())
                                : tr("Override off"));
}

void MainWindow::setWaitCursor(bool waiting) {
    if (waiting)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void MainWindow::showEvent(QShowEvent* event) {
    setAcceptDrops(true);
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QMainWindow::showEvent(event);
}

void MainWindow::showAbout() {
    if (aboutBox) aboutBox->exec();
}

}  // namespace pellum
