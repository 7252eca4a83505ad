// MainWindow's editing of the SysEx list: the commands on the selected lines (delete, cut, copy,
// paste as hex text, move, save a part) and Undo and Redo of the user's steps.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QRadioButton>

#include "app/FileText.h"
#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "core/files/MidiFile.h"
#include "core/messages/HexMessages.h"
#include "core/text/Errors.h"

namespace pellum {
namespace {

QString stepName(StepKind kind) {
    switch (kind) {
        case StepKind::remove:
            return MainWindow::tr("Delete");
        case StepKind::cut:
            return MainWindow::tr("Cut");
        case StepKind::paste:
            return MainWindow::tr("Paste");
        case StepKind::move:
            return MainWindow::tr("Move");
        case StepKind::clear:
            return MainWindow::tr("Clear List");
        case StepKind::open:
            return MainWindow::tr("Open");
        case StepKind::typed:
            return MainWindow::tr("New Message");
        case StepKind::edit:
            return MainWindow::tr("Edit");
        case StepKind::fixChecksum:
            return MainWindow::tr("Fix Checksum");
    }
    return {};
}

}  // namespace

void MainWindow::deleteLines() {
    // The messages go with their lines; the other lines keep their labels.
    const std::vector<int> rows = messageList->selectedRows();
    if (!rows.empty()) {
        history_.erase(rows, StepKind::remove);
        // Qt would select the next line; none stays selected, so a second press deletes nothing.
        messageList->selectNone();
        followHistory();
    }
    takeWhatWaits();
}

std::vector<std::span<const std::uint8_t>> MainWindow::selectedMessages() const {
    std::vector<std::span<const std::uint8_t>> messages;
    for (const int row : messageList->selectedRows()) messages.push_back(list_.message(row));
    return messages;
}

void MainWindow::copyLines() {
    const auto messages = selectedMessages();
    if (!messages.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(messagesAsHex(messages)));
}

void MainWindow::cutLines() {
    const std::vector<int> rows = messageList->selectedRows();
    if (rows.empty()) return;
    copyLines();
    history_.erase(rows, StepKind::cut);
    messageList->selectNone();
    followHistory();
    takeWhatWaits();
}

void MainWindow::pasteLines() {
    const auto messages =
        messagesFromHex(QGuiApplication::clipboard()->text().toStdString());
    if (messages.size() > static_cast<std::size_t>(list_.room())) {
        throw PellumError(tr("The list has room for %n more message(s)", "", list_.room())
                              .toStdString());
    }
    std::vector<ListLine> lines;
    for (const auto& message : messages) {
        lines.push_back(MessageList::makeLine(
            message, list_.nextNumber() + static_cast<int>(lines.size()), Origin::typed));
    }
    const std::vector<int> selected = messageList->selectedRows();
    int row = list_.count();
    if (!selected.empty())
        row = selected.back() + 1;
    else if (messageList->currentRow() >= 0)
        row = messageList->currentRow() + 1;
    const int count = static_cast<int>(lines.size());
    history_.insert(row, std::move(lines), StepKind::paste);
    std::vector<int> pasted;
    for (int k = 0; k < count; ++k) pasted.push_back(row + k);
    messageList->selectRows(pasted);
    followHistory();
}

void MainWindow::moveLines(int by) {
    const std::vector<int> rows = messageList->selectedRows();
    if (rows.empty()) return;
    messageList->selectRows(history_.shift(rows, by));
    followHistory();
}

void MainWindow::dropLines(const std::vector<int>& rows, int before) {
    if (rows.empty()) return;
    messageList->selectRows(history_.moveBefore(rows, before));
    followHistory();
}

void MainWindow::undoStep() {
    if (history_.canUndo()) takeOutcome(history_.undo());
}

void MainWindow::redoStep() {
    if (history_.canRedo()) takeOutcome(history_.redo());
}

void MainWindow::takeOutcome(const ListHistory::Outcome& outcome) {
    if (outcome.file) {
        listFile_ = QString::fromStdString(outcome.file->name);
        saveTarget_ = QString::fromStdString(outcome.file->saveTarget);
    }
    messageList->selectRows(outcome.rows);
    followHistory();
    // Back at the saved revision the mark goes, though no line changed in this last move.
    showTitle();
    followList();
    takeWhatWaits();
}

ListFile MainWindow::listFile() const {
    return {listFile_.toStdString(), saveTarget_.toStdString()};
}

void MainWindow::followHistory() {
    undoAction->setEnabled(history_.canUndo());
    undoAction->setText(history_.canUndo() ? tr("&Undo %1").arg(stepName(history_.undoKind()))
                                           : tr("&Undo"));
    redoAction->setEnabled(history_.canRedo());
    redoAction->setText(history_.canRedo() ? tr("&Redo %1").arg(stepName(history_.redoKind()))
                                           : tr("&Redo"));
}

void MainWindow::saveSelectedAs() {
    const auto messages = selectedMessages();
    if (messages.empty()) return;
    FileDialogSpec dialog = saveSyxDialog;
    dialog.initialFile.clear();
    const auto file = dialogs_.saveFile(dialog);
    if (!file) return;
    writeMessageFile(fileNameUtf8(*file), messages, channelOverride(),
                     autoSpeed->isChecked() ? 0 : manualWaitMs());
}

}  // namespace pellum
