// MainWindow's SysEx list and its files: clearing and deleting lines, opening and saving .syx
// files and Standard MIDI Files, and files dropped onto the window.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

#include "app/FileText.h"
#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "app/MessageView.h"
#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "core/CaptureStore.h"
#include "core/ListLabel.h"
#include "core/MidiFile.h"

namespace pellum {

ChannelOverride MainWindow::channelOverride() const {
    return {overrideBox->isChecked(), channelStepper->position()};
}

void MainWindow::newList() {
    messageList->clear();
    store_->clear();
    nextLineNumber_ = 1;
    listFile_.clear();
    saveTarget_.clear();
    setUnsaved(false);
    wrongChecksums_ = 0;
    showChecksumCount();
    takeWhatWaits();  // a full list left it in the input
}

void MainWindow::clearList() {
    // Before New: what it then lists from the input enables them again.
    sendAllButton->setEnabled(false);
    deleteButton->setEnabled(false);
    newList();
}

void MainWindow::newListAsked() {
    if (mayDiscardList()) newList();
}

void MainWindow::clearListAsked() {
    if (mayDiscardList()) clearList();
}

void MainWindow::deleteMessage() {
    // The message goes with its line: sending and saving take line i's message from slot i,
    // so a message left behind would go out under another line's label and back into files.
    // The other lines keep their labels.
    const int row = messageList->selectedRow();
    if (row >= 0) {
        QListWidgetItem* item = messageList->takeItem(row);
        if (!item->toolTip().isEmpty()) --wrongChecksums_;
        setUnsaved(true);
        delete item;
        showChecksumCount();
        store_->erase(row);
        // Qt selects the next line; none stays selected, so a second press deletes nothing.
        messageList->selectNone();
    }
    if (messageList->count() == 0) {
        deleteButton->setEnabled(false);
        sendAllButton->setEnabled(false);
        store_->clear();
    }
    takeWhatWaits();
}

void MainWindow::openSyx() {
    if (!mayDiscardList()) return;
    if (const auto file = dialogs_.openFile(openSyxDialog)) openSyxFile(*file);
}

void MainWindow::openSyxFile(const QString& fileName) {
    messageList->clear();
    const std::string name = fileNameUtf8(fileName);
    const LoadResult result = loadMessageFile(name, *store_);
    if (result.count > 0) sendAllButton->setEnabled(true);
    QStringList lines;
    lines.reserve(result.count);
    for (const std::string& text : loadedLabels(*store_)) lines << QString::fromStdString(text);
    messageList->addItems(lines);
    nextLineNumber_ = store_->count() + 1;
    listFile_ = fileName;
    const bool whole =
        !result.truncated && result.unfinished == 0 && result.escapes == 0 && !isMidiFileName(name);
    saveTarget_ = whole ? fileName : QString();
    setUnsaved(false);
    wrongChecksums_ = 0;
    for (int i = 0; i < store_->count(); ++i)
        checkListedChecksum(messageList->item(i), store_->message(i));
    showChecksumCount();
    if (result.truncated) dialogs_.message(tr("The list is full"));
    // A message the file cut off goes out with an F7 the file never had: the user must know.
    for (const std::string& warning :
         {loadWarning(name, result.count, result.unfinished), escapeWarning(name, result.escapes)})
        if (!warning.empty()) dialogs_.message(QString::fromStdString(warning));
}

void MainWindow::checkListedChecksum(QListWidgetItem* item, std::span<const std::uint8_t> message) {
    if (markChecksum(item, message)) ++wrongChecksums_;
}

void MainWindow::showChecksumCount() {
    checksumState->setText(tr("%n bad sum(s)", "", wrongChecksums_));
    checksumState->setToolTip(tr("Messages whose checksum is wrong: %1").arg(wrongChecksums_));
    checksumState->setVisible(wrongChecksums_ > 0);
}

void MainWindow::viewMessage() {
    // Without a line picked, the first: picking one with a click or the arrows sends it.
    int row = messageList->selectedRow();
    if (row < 0) row = std::max(messageList->currentRow(), 0);
    if (row >= store_->count()) return;
    if (messageView == nullptr) messageView = new MessageView(this);
    messageView->showMessage(messageList->item(row)->text(), store_->message(row));
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
    saveMessageFile(fileNameUtf8(file), *store_, channelOverride(),
                    autoSpeed->isChecked() ? 0 : manualWaitMs());
    listFile_ = file;
    saveTarget_ = file;
    setUnsaved(false);
}

void MainWindow::setUnsaved(bool unsaved) {
    // Every capture marks the list; the title changes only with the mark or the file.
    if (unsaved && unsaved_) return;
    unsaved_ = unsaved;
    showTitle();
    showStatusSoon();
}

void MainWindow::showTitle() {
    if (listFile_.isEmpty() && !unsaved_) {
        setWindowTitle("Pellum");
        return;
    }
    const QString name = listFile_.isEmpty() ? tr("Untitled") : QFileInfo(listFile_).fileName();
    setWindowTitle(name + (unsaved_ ? "*" : "") + " - Pellum");
}

bool MainWindow::mayDiscardList() {
    if (!unsaved_ || store_->count() == 0) return true;
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
