// MainWindow's capture of received messages and the sending of stored ones, by click or paced by
// the timer, with the channel override controls.
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <climits>

#include "app/MainWindow.h"
#include "app/MessageListModel.h"
#include "app/UpDown.h"
#include "core/list/LineTimes.h"
#include "core/messages/Pacing.h"
#include "core/text/Errors.h"
#include "device/InputDevice.h"

namespace pellum {

void MainWindow::takeInput() {
    setWaitCursor(true);
    if (list_.full()) {
        // Nothing is taken: the events wait in the input device.
        showNotice(tr("The list is full"));
    } else if (captureOn->isChecked()) {
        while (inputDevice->pendingCount() > 0 && !list_.full()) {
            const std::unique_ptr<device::ReceivedEvent> event = inputDevice->takeEvent();
            if (!event) break;
            logMessage(*event);
        }
    } else {
        // Capture is paused (a send paused it). Left in the input, what arrives would hold on to
        // the driver's few buffers until input stopped for good; it is held here instead and
        // listed when capture resumes. Beyond the room the list has left it is let go, counted.
        while (inputDevice->pendingCount() > 0) {
            std::unique_ptr<device::ReceivedEvent> event = inputDevice->takeEvent();
            if (!event) break;
            if (static_cast<int>(heldWhilePaused_.size()) < list_.room())
                heldWhilePaused_.push_back(std::move(event));
            else
                ++letGoWhilePaused_;
        }
    }
    setWaitCursor(false);
}

void MainWindow::takeWhatWaits() {
    if (!captureOn->isChecked()) return;
    const int before = list_.count();
    while (!heldWhilePaused_.empty() && !list_.full()) {
        logMessage(*heldWhilePaused_.front());
        heldWhilePaused_.pop_front();
    }
    const int listed = list_.count() - before;
    if (listed > 0 || letGoWhilePaused_ > 0) {
        QString text = tr("%n message(s) that arrived while capture was paused are now in the list",
                          "", listed);
        if (letGoWhilePaused_ > 0)
            text += '\n' +
                    tr("%n more found no room in the list and were let go", "", letGoWhilePaused_);
        letGoWhilePaused_ = 0;
        showNotice(text);
    }
    // What waits in the input gets no notice of its own once the driver's buffers are all held.
    if (inputDevice->pendingCount() > 0) takeInput();
}

void MainWindow::checkInputLoss() {
    if (lossNoticeOpen_) return;
    const std::uint64_t dropped = midi_.droppedInputBytes();
    const std::uint64_t devicesLost = midi_.lostInputDevices();
    const std::uint64_t gaps = midi_.inputGaps();
    const std::uint64_t possibleGaps = midi_.possibleInputGaps();
    const std::uint64_t broken = midi_.brokenInputMessages();
    if (dropped <= lossShown_ && devicesLost <= devicesLostShown_ && gaps <= gapsShown_ &&
        possibleGaps <= possibleGapsShown_ && broken <= brokenShown_)
        return;
    QStringList lines;
    if (const QString gone = untoldInputLoss(); !gone.isEmpty()) lines << gone;
    if (gaps > gapsShown_) {
        // The input fell behind: data went missing, and how much is not known, so a count of
        // the bytes seen lost would say too little.
        lines << tr("Data was lost while receiving");
    } else if (dropped > lossShown_) {
        // The count may pass what an int holds; it only picks the word's form.
        const std::uint64_t lost = dropped - lossShown_;
        lines << tr("%1 byte(s) of data were lost while receiving", "",
                    static_cast<int>(std::min<std::uint64_t>(lost, INT_MAX)))
                     .arg(static_cast<qulonglong>(lost));
    } else if (broken > brokenShown_) {
        // A message left unfinished when input stopped: how much of it never came is unknown.
        lines << tr("Data was lost while receiving");
    } else if (possibleGaps > possibleGapsShown_) {
        // Held up between messages while data was coming: whole ones may have gone, or none.
        lines << tr("Data may have been lost while receiving");
    }
    lossNoticeOpen_ = true;
    dialogs_.message(lines.join('\n'));
    // What was lost while the box was open belongs to the same burst; a device that went
    // meanwhile is news of its own, told at the next look.
    lossShown_ = midi_.droppedInputBytes();
    gapsShown_ = midi_.inputGaps();
    possibleGapsShown_ = midi_.possibleInputGaps();
    brokenShown_ = midi_.brokenInputMessages();
    lossNoticeOpen_ = false;
}

QString MainWindow::untoldInputLoss() {
    const std::uint64_t lost = midi_.lostInputDevices();
    if (lost <= devicesLostShown_) return {};
    devicesLostShown_ = lost;
    return tr("The MIDI input device \"%1\" was disconnected")
        .arg(QString::fromStdString(inputName_));
}

void MainWindow::logMessage(const device::ReceivedEvent& event) {
    const std::span<const std::uint8_t> buffer(
        event.sysexBytes.data(), std::min<std::size_t>(event.sysexSize, event.sysexBytes.size()));
    for (const auto& outcome : assembler_.take(buffer, event.arrivalNs)) {
        switch (outcome.verdict) {
            case SysexAssembler::Verdict::whole:
                fileMessage(outcome.bytes, outcome.arrivalNs);
                break;
            case SysexAssembler::Verdict::tooLong:
                // Left out whole, as a file holding it is refused.
                showNotice(tr("Received a message longer than %1 bytes. It is not recorded")
                               .arg(MessageList::kMaxMessageBytes));
                break;
            case SysexAssembler::Verdict::broken:
                break;  // its bytes were counted as lost, and the loss is told
        }
    }
}

void MainWindow::fileMessage(std::span<const std::uint8_t> message, std::int64_t arrivalNs) {
    if (message.size() >= 2 && message[1] == 0x7E) {
        showIdentityReply(message);
    } else {
        list_.append(message, Origin::capture, arrivalNs);
    }

    // The selector follows the instrument's device number, so that turning the override on
    // retargets to it; the box stays as the user set it, so a capture goes back out and into
    // files as it came. While the override is on, the channel is the user's too.
    if (message.size() < 3 || overrideBox->isChecked()) return;
    channelStepper->setPosition((message[2] & 0x0F) + 1);
}

void MainWindow::showNotice(const QString& text) {
    if (openNotices_.contains(text)) return;
    openNotices_.insert(text);
    dialogs_.message(text);
    openNotices_.remove(text);
}

// ---- Sending ----

void MainWindow::sendStoredMessage(int index) {
    sendMessage(list_.message(index));
}

void MainWindow::sendMessage(std::span<const std::uint8_t> stored) {
    setWaitCursor(true);
    std::vector<std::uint8_t> work(stored.begin(), stored.end());
    applyChannelOverride(work, channelOverride());
    if (sendOn->isChecked() && !work.empty()) {
        captureOn->setChecked(false);
        try {
            sendOut(work);
        } catch (...) {
            setWaitCursor(false);
            // A run would raise the same error at every tick.
            if (sendTimer->isActive()) stopSending();
            throw;
        }
    }
    setWaitCursor(false);
}

void MainWindow::sendOut(std::span<const std::uint8_t> bytes) {
    // Sending into nothing would look like success.
    if (!output_.isOpen())
        throw PellumError(tr("No MIDI output device is open. Nothing was sent").toStdString());
    if (outputLost_) followDevices();
    const midi::MMRESULT code = output_.sendLongMessage(bytes);
    if (code == midi::MMSYSERR_NOERROR) return;
    if (code == midi::kMidiDestinationGone) {
        outputLost_ = true;
        throw PellumError(tr("The MIDI output device \"%1\" went away or was disconnected. "
                             "Not every byte reached it")
                              .arg(QString::fromStdString(outputName_))
                              .toStdString());
    }
    const char* text = midi::mmErrorText(code);
    throw PellumError(text != nullptr ? text : "MIDI error " + std::to_string(code));
}

void MainWindow::sendChosenMessage() {
    if (sendOnSelectAction->isChecked() && messageList->selectedRow() >= 0)
        sendStoredMessage(messageList->selectedRow());
}

void MainWindow::sendActivatedMessage() {
    // With choosing that sends, the click or key that chose the line has sent it already.
    if (!sendOnSelectAction->isChecked() && messageList->selectedRow() >= 0)
        sendStoredMessage(messageList->selectedRow());
}

void MainWindow::resumeCapture() {
    captureOn->setChecked(true);  // what waits is listed through the switch's own handler
}

void MainWindow::armTimer(int milliseconds) {
    timerInterval_ = milliseconds;
    sendTimer->setInterval(milliseconds);
    timerArmed_.start();
}

void MainWindow::startSendingAll() {
    runLines_.clear();
    if (messageList->selectedRow() < 0 || messageList->selectedRow() == messageList->count() - 1)
        messageList->setCurrentRow(0);
    autoSendPosition_ = std::max(messageList->selectedRow(), 0);
    beginRun(messageList->count(), list_.length(autoSendPosition_));
}

void MainWindow::startSendingSelected() {
    const std::vector<int> rows = messageList->selectedRows();
    if (rows.empty()) return;
    // What was chosen goes out, whatever the list does meanwhile.
    runLines_.clear();
    for (const int row : rows) runLines_.push_back(list_.line(row));
    autoSendPosition_ = 0;
    beginRun(static_cast<int>(runLines_.size()), runLength(0));
}

void MainWindow::beginRun(int total, std::size_t firstLength) {
    recordedClock_.invalidate();
    tabs->setCurrentIndex(0);
    stopButton->setEnabled(true);
    sendAllButton->setEnabled(false);
    sendSelectedAction->setEnabled(false);
    // An empty range would turn the bar into a busy indicator; an empty list shows it empty.
    listFill->setMaximum(std::max(total, 1));
    listFill->setTextVisible(true);
    // The first wait is Manual's own, without the length's: a run starts when the user says.
    armTimer(autoSpeed->isChecked() || asRecordedAction->isChecked()
                 ? static_cast<int>(waitBeforeMessage(firstLength))
                 : manualWaitMs());
    sendTimer->start();
}

int MainWindow::runTotal() const {
    return runLines_.empty() ? messageList->count() : static_cast<int>(runLines_.size());
}

const ListLine& MainWindow::runLine(int position) const {
    return runLines_.empty() ? list_.line(position)
                             : runLines_.at(static_cast<std::size_t>(position));
}

std::size_t MainWindow::runLength(int position) const {
    return position < runTotal() ? runLine(position).bytes.size() : 0;
}

void MainWindow::sendNextMessage() {
    const bool recorded = asRecordedAction->isChecked() && autoSendPosition_ > 0;
    if (recorded && recordedClock_.isValid()) {
        // As recorded, each message goes at its time from when the first left: waiting for
        // each to leave would add a server's cycle to every gap.
        if (waitForRecordedTime()) return;
    } else {
        // The wait counts from when the last message left the port: one the port still holds
        // (a server's next cycle, a cable's pace) would otherwise shorten the gap the user chose.
        if (output_.pending() == midi::MIDIERR_STILLPLAYING) {
            timerArmed_.start();
            sendTimer->setInterval(1);
            return;
        }
        if (recorded) {
            recordedClock_.start();
            recordedDueNs_ =
                waitAsRecordedNs(recordedGap(autoSendPosition_), runLength(autoSendPosition_));
            if (waitForRecordedTime()) return;
        }
        // Qt's timers may fire a little early; a wait is never shorter than the one computed.
        const qint64 early = timerInterval_ - timerArmed_.elapsed();
        if (!recorded && early > 0) {
            sendTimer->setInterval(static_cast<int>(early));
            return;
        }
    }
    if (!overrideBox->isChecked()) channelStepper->setEnabled(false);
    if (autoSendPosition_ < runTotal()) {
        // A run of the selected lines leaves the selection as the user made it.
        if (runLines_.empty()) messageList->setCurrentRow(autoSendPosition_);
        sendMessage(runLine(autoSendPosition_).bytes);
        ++autoSendPosition_;
        listFill->setValue(autoSendPosition_);
        if (recorded && autoSendPosition_ < runTotal()) {
            recordedDueNs_ +=
                waitAsRecordedNs(recordedGap(autoSendPosition_), runLength(autoSendPosition_));
            waitForRecordedTime();
        } else {
            // As recorded, the first message's wait ends when it has left the port.
            armTimer(asRecordedAction->isChecked() ? 1 : waitBefore(autoSendPosition_));
        }
    } else {
        stopSending();
    }
}

void MainWindow::stopSending() {
    sendTimer->stop();
    runLines_.clear();
    stopButton->setEnabled(false);
    followList();
    // A bar left full would read as a run still going.
    listFill->setTextVisible(false);
    listFill->setValue(0);
}

int MainWindow::manualWaitMs() const {
    return (sendSpeed->maximum() - sendSpeed->value() + 1) * 100;
}

bool MainWindow::waitForRecordedTime() {
    const qint64 left = recordedDueNs_ - recordedClock_.nsecsElapsed();
    if (left <= 0) return false;
    sendTimer->setInterval(static_cast<int>((left + 999'999) / 1'000'000));
    return true;
}

std::optional<std::int64_t> MainWindow::recordedGap(int position) const {
    if (position <= 0 || position >= runTotal()) return std::nullopt;
    return gapBetween(runLine(position - 1), runLine(position));
}

int MainWindow::waitBefore(int position) const {
    // Past the last message there is no length to read: the closing tick comes after 1 ms.
    if (position >= runTotal()) return static_cast<int>(waitBeforeMessage(0));
    return static_cast<int>(
        waitBeforeMessage(runLength(position), autoSpeed->isChecked() ? 0 : manualWaitMs()));
}

void MainWindow::showPacing() {
    const bool recorded = asRecordedAction->isChecked();
    autoSpeed->setEnabled(!recorded);
    manualSpeed->setEnabled(!recorded);
    const bool manual = manualSpeed->isChecked() && !recorded;
    lowCaption->setEnabled(manual);
    highCaption->setEnabled(manual);
    sendSpeed->setEnabled(manual);
    manualWait->setText(tr("%1 ms").arg(manualWaitMs()));
    manualWait->setEnabled(manual);
}

void MainWindow::speedChanged() {
    showPacing();
    saveSettings();
}

void MainWindow::overrideClicked() {
    channelStepper->setEnabled(overrideBox->isChecked());
}

void MainWindow::channelClicked() {
    overrideChannel->setText(QString::number(channelStepper->position()));
}

void MainWindow::autoSpeedClicked() {
    showPacing();
    saveSettings();
}

void MainWindow::asRecordedClicked() {
    showPacing();
    saveSettings();
}

void MainWindow::timesChosen() {
    showTimes();
    saveSettings();
}

void MainWindow::showTimes() {
    using Times = MessageListModel::Times;
    listModel_->showTimes(sinceStartAction->isChecked() ? Times::sinceStart
                          : gapAction->isChecked()      ? Times::gap
                                                        : Times::none,
                          captureStartNs_);
}

void MainWindow::manualSpeedClicked() {
    showPacing();
    saveSettings();
}

}  // namespace pellum
