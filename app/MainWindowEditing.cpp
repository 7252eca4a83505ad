// MainWindow's editing of the SysEx list: the commands on the selected lines (delete, cut, copy,
// paste as hex text, move, save a part) and Undo and Redo of the user's steps.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QRadioButton>

#include "app/FileText.h"
#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "app/PellumApplication.h"
#include "app/MessageView.h"
#include "core/files/MidiFile.h"
#include "core/list/LineTimes.h"
#include "core/messages/HexMessages.h"
#include "core/messages/MessageFacts.h"
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

MessageView* MainWindow::messageViewOf() {
    if (messageView == nullptr) {
        messageView = new MessageView(this);
        connect(messageView, &MessageView::applied, this, [this](const std::vector<std::uint8_t>& bytes) {
            guarded([&] { messageApplied(bytes); });
        });
    }
    return messageView;
}

void MainWindow::newMessage() {
    viewedOwner_.reset();
    viewedBytes_ = nullptr;
    messageViewOf()->showNew();
}

int MainWindow::rowAfterSelection() const {
    const std::vector<int> selected = messageList->selectedRows();
    if (!selected.empty()) return selected.back() + 1;
    if (messageList->currentRow() >= 0) return messageList->currentRow() + 1;
    return list_.count();
}

void MainWindow::messageApplied(const std::vector<std::uint8_t>& bytes) {
    ListLine line;
    int row = -1;
    if (viewedBytes_ == nullptr) {
        if (list_.full()) throw PellumError(tr("The list is full").toStdString());
        row = rowAfterSelection();
        line = MessageList::makeLine(bytes, list_.nextNumber(), Origin::typed);
        viewedOwner_ = line.owner;
        viewedBytes_ = line.bytes.data();
        history_.insert(row, {line}, StepKind::typed);
    } else {
        for (int r = 0; r < list_.count() && row < 0; ++r)
            if (list_.line(r).bytes.data() == viewedBytes_) row = r;
        if (row < 0)
            throw PellumError(tr("The message's line is no longer in the list").toStdString());
        line = MessageList::withBytes(list_.line(row), bytes);
        viewedOwner_ = line.owner;
        viewedBytes_ = line.bytes.data();
        history_.replace(row, std::move(line), StepKind::edit);
    }
    messageList->selectRows({row});
    followHistory();
}

void MainWindow::fixChecksums() {
    std::vector<int> rows = messageList->selectedRows();
    if (rows.empty())
        for (int row = 0; row < list_.count(); ++row) rows.push_back(row);
    std::vector<std::pair<int, ListLine>> fixed;
    int unknown = 0;
    for (const int row : rows) {
        const ListLine& old = list_.line(row);
        if (old.checksum.verdict == Checksum::Verdict::none) ++unknown;
        if (const auto bytes = checksumFixed(old.bytes))
            fixed.emplace_back(row, MessageList::withBytes(old, *bytes));
    }
    const int count = static_cast<int>(fixed.size());
    history_.replace(std::move(fixed), StepKind::fixChecksum);
    followHistory();
    QString text = tr("%n checksum(s) fixed", "", count);
    if (unknown > 0)
        text += "; " + tr("%n message(s) of formats without a known checksum left as they were", "", unknown);
    dialogs_.message(text);
}

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

MessageTimes MainWindow::fileTimes(const std::vector<int>& rows) const {
    std::vector<const ListLine*> lines;
    for (const int row : rows) lines.push_back(&list_.line(row));
    return timesForFile(lines);
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
    messageList->selectRows(history_.insert(rowAfterSelection(), std::move(lines), StepKind::paste));
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
                     autoSpeed->isChecked() ? 0 : manualWaitMs(),
                     fileTimes(messageList->selectedRows()));
}

}  // namespace pellum
