// MainWindow's SysEx list and its files: clearing and deleting lines, opening and saving .syx
// files and Standard MIDI Files, and files dropped onto the window.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QRadioButton>
#include <QToolButton>

#include "app/FileText.h"
#include "app/MainWindow.h"
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
    takeWhatWaits();  // a full list left it in the input
}

void MainWindow::clearList() {
    // Before New: what it then lists from the input enables them again.
    sendAllButton->setEnabled(false);
    deleteButton->setEnabled(false);
    newList();
}

void MainWindow::deleteMessage() {
    // The message goes with its line: sending and saving take line i's message from slot i,
    // so a message left behind would go out under another line's label and back into files.
    // The other lines keep their labels.
    const int row = messageList->selectedRow();
    if (row >= 0) {
        delete messageList->takeItem(row);
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
    if (result.truncated) dialogs_.message(tr("The list is full"));
    // A message the file cut off goes out with an F7 the file never had: the user must know.
    for (const std::string& warning :
         {loadWarning(name, result.count, result.unfinished), escapeWarning(name, result.escapes)})
        if (!warning.empty()) dialogs_.message(QString::fromStdString(warning));
}

void MainWindow::saveList() {
    if (const auto file = dialogs_.saveFile(saveSyxDialog))
        saveMessageFile(fileNameUtf8(*file), *store_, channelOverride(),
                        autoSpeed->isChecked() ? 0 : manualWaitMs());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    // Only the first dropped file is opened, whatever its extension.
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        event->acceptProposedAction();
        guarded([&] { openSyxFile(url.toLocalFile()); });
        return;
    }
}

}  // namespace pellum
