// MainWindow's SysEx list and its files: clearing and deleting lines, opening and saving .syx
// files and Standard MIDI Files, and files dropped onto the window.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/FileText.h"
#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "app/MessageListModel.h"
#include "app/MessageView.h"
#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"

namespace pellum {

ChannelOverride MainWindow::channelOverride() const {
    return {overrideBox->isChecked(), channelStepper->position()};
}

void MainWindow::newList() {
    history_.replaceAll({}, StepKind::clear, listFile(), {});
    listFile_.clear();
    saveTarget_.clear();
    followHistory();
    followList();
    takeWhatWaits();  // a full list left it in the input
}

void MainWindow::clearList() {
    newList();
}

void MainWindow::newListAsked() {
    if (mayDiscardList()) newList();
}

void MainWindow::clearListAsked() {
    if (mayDiscardList()) clearList();
}

void MainWindow::openSyx() {
    if (!mayDiscardList()) return;
    if (const auto file = dialogs_.openFile(openSyxDialog)) openSyxFile(*file);
}

void MainWindow::openSyxFile(const QString& fileName) {
    // Read whole before anything changes: a file that is refused leaves the list, its file and
    // its mark as they were.
    const std::string name = fileNameUtf8(fileName);
    auto loaded = std::make_shared<LoadedMessages>();
    const LoadResult result = loadMessageFile(name, *loaded);
    const bool whole =
        !result.truncated && result.unfinished.empty() && result.escapes == 0 && !isMidiFileName(name);
    history_.replaceAll(MessageList::fileLines(std::move(loaded)), StepKind::open, listFile(),
                        {fileName.toStdString(), whole ? fileName.toStdString() : std::string()});
    listFile_ = fileName;
    saveTarget_ = whole ? fileName : QString();
    followHistory();
    followList();
    if (result.truncated) dialogs_.message(tr("The list is full"));
    // A message the file cut off goes out with an F7 the file never had: the user must know.
    for (const std::string& warning :
         {loadWarning(name, result.count, result.unfinished), escapeWarning(name, result.escapes)})
        if (!warning.empty()) dialogs_.message(QString::fromStdString(warning));
}

void MainWindow::followList() {
    const bool running = sendTimer->isActive();
    const bool lines = list_.count() > 0;
    sendAllButton->setEnabled(lines && !running);
    sendSelectedAction->setEnabled(lines && !running);
    deleteButton->setEnabled(lines);
    const int wrong = list_.wrongChecksums();
    checksumState->setText(tr("%n bad sum(s)", "", wrong));
    checksumState->setToolTip(tr("Messages whose checksum is wrong: %1").arg(wrong));
    checksumState->setVisible(wrong > 0);
    // A burst of captures changes the mark once.
    if (list_.unsaved() != titleUnsaved_) showTitle();
    showStatusSoon();
}

void MainWindow::viewMessage() {
    // Without a line picked, the first: picking one with a click or the arrows sends it.
    int row = messageList->selectedRow();
    if (row < 0) row = std::max(messageList->currentRow(), 0);
    if (row >= list_.count()) return;
    const ListLine& line = list_.line(row);
    viewedOwner_ = line.owner;
    viewedBytes_ = line.bytes.data();
    QString timing;
    if (const QString time = listModel_->timeText(row); !time.isEmpty())
        timing += tr("Time") + ": " + time + '\n';
    if (const QString gap = listModel_->gapText(row); !gap.isEmpty())
        timing += tr("Gap") + ": " + gap + '\n';
    messageViewOf()->showMessage(QString::fromStdString(line.label), line.bytes, timing);
    showViewedComparison();
}

void MainWindow::saveList() {
    if (saveTarget_.isEmpty())
        saveToChosenFile();
    else
        writeList(saveTarget_);
}

void MainWindow::saveListAs() {
    saveToChosenFile();
}

bool MainWindow::saveToChosenFile() {
    FileDialogSpec dialog = saveSyxDialog;
    if (dialog.initialFile.isEmpty()) dialog.initialFile = listFile_;
    const auto file = dialogs_.saveFile(dialog);
    if (!file) return false;
    writeList(*file);
    return true;
}

void MainWindow::writeList(const QString& file) {
    const ChannelOverride override = channelOverride();
    std::vector<int> rows(static_cast<std::size_t>(list_.count()));
    for (int row = 0; row < list_.count(); ++row) rows[static_cast<std::size_t>(row)] = row;
    writeMessageFile(fileNameUtf8(file), list_.spans(), override,
                     autoSpeed->isChecked() ? 0 : manualWaitMs(), fileTimes(rows));
    // The list keeps what the file got.
    list_.keepOverride(override);
    list_.markSaved();
    listFile_ = file;
    saveTarget_ = file;
    showTitle();
}

void MainWindow::showTitle() {
    titleUnsaved_ = list_.unsaved();
    if (listFile_.isEmpty() && !titleUnsaved_) {
        setWindowTitle("Pellum");
        return;
    }
    const QString name = listFile_.isEmpty() ? tr("Untitled") : QFileInfo(listFile_).fileName();
    setWindowTitle(name + (titleUnsaved_ ? "*" : "") + " - Pellum");
}

bool MainWindow::mayDiscardList() {
    if (!list_.unsaved() || list_.count() == 0) return true;
    switch (dialogs_.askUnsaved(tr("The SysEx list has changes that are not saved. Save them?"))) {
        case Dialogs::Unsaved::save:
            return saveToChosenFile();  // a failed save throws: the command stops there too
        case Dialogs::Unsaved::discard:
            return true;
        case Dialogs::Unsaved::cancel:
            break;
    }
    return false;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    // Only the first dropped file is opened, whatever its extension.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        guarded([&] {
            if (mayDiscardList()) openSyxFile(url.toLocalFile());
        });
        return;
    }
}

}  // namespace pellum
