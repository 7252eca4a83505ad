// TForm1's SysEx list and its files: clearing and deleting lines, opening and saving .syx
// files, and files dropped onto the window.
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QToolButton>

#include "app/FileText.h"
#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "app/UpDown.h"
#include "core/CaptureStore.h"
#include "core/ListLabel.h"
#include "core/SyxFile.h"

namespace pellum {

ChannelOverride TForm1::channelOverride() const {
    return {ForceMIDICH->isChecked(), SysExCH->position()};
}

void TForm1::New1Click() {
    SysEx->clear();
    store_->clear();
    takeWhatWaits();  // a full list left it in the input
}

void TForm1::InitListExecute() {
    // Before New: what it then lists from the input enables them again.
    BtnStart->setEnabled(false);
    BtnCut->setEnabled(false);
    New1Click();
}

void TForm1::BtnCutClick() {
    // The message goes with its line: sending and saving take line i's message from slot i,
    // so a message left behind would go out under another line's label and back into files.
    // The other lines keep their labels.
    const int row = SysEx->selectedRow();
    if (row >= 0) {
        delete SysEx->takeItem(row);
        store_->erase(row);
        // Qt selects the next line; none stays selected, so a second press deletes nothing.
        SysEx->selectNone();
    }
    if (SysEx->count() == 0) {
        BtnCut->setEnabled(false);
        BtnStart->setEnabled(false);
        store_->clear();
    }
    takeWhatWaits();
}

void TForm1::SysexI1Click() {
    if (const auto file = dialogs_.openFile(OpenDialog1)) openfile(*file);
}

void TForm1::SpeedButton4Click() {
    SysexI1Click();
}

void TForm1::openfile(const QString& fileName) {
    SysEx->clear();
    const LoadResult result = loadSyxFile(fileNameUtf8(fileName), *store_);
    if (result.count > 0) BtnStart->setEnabled(true);
    QStringList lines;
    lines.reserve(result.count);
    for (const std::string& text : loadedLabels(*store_)) lines << QString::fromStdString(text);
    SysEx->addItems(lines);
    if (result.truncated) dialogs_.message(tr("The list is full"));
    // A message the file cut off goes out with an F7 the file never had: the user must know.
    const std::string warning =
        loadWarning(fileNameUtf8(fileName), result.count, result.unfinished);
    if (!warning.empty()) dialogs_.message(QString::fromStdString(warning));
}

void TForm1::FileSaveExecute() {
    if (const auto file = dialogs_.saveFile(SaveDialog1))
        saveSyxFile(fileNameUtf8(*file), *store_, channelOverride());
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

}  // namespace pellum
