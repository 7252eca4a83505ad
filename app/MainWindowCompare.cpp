// MainWindow's Compare With File: the list beside a .syx or Standard MIDI File, the lines that
// differ from it marked in the list (ComparedListModel) and counted in the status line, and the
// viewed line beside its partner in the message view. The list itself never changes here.
#include <QAction>
#include <QLabel>
#include <QTimer>
#include <utility>

#include "app/ComparedListModel.h"
#include "app/FileText.h"
#include "app/MainWindow.h"
#include "app/MessageListModel.h"
#include "app/MessageView.h"
#include "app/PellumApplication.h"
#include "core/files/MidiFile.h"
#include "core/list/MessageDiff.h"
#include "core/text/NumberText.h"

namespace pellum {

void MainWindow::connectComparison() {
    connect(compareAction, &QAction::triggered, this,
            handler(this, &MainWindow::compareWithChosenFile));
    connect(endCompareAction, &QAction::triggered, this, handler(this, &MainWindow::endComparison));
    connect(listModel_.get(), &MessageListModel::changed, this, &MainWindow::compareSoon);
}

void MainWindow::compareWithChosenFile() {
    FileDialogSpec dialog = openSyxDialog;
    dialog.title = tr("Compare With File");
    if (const auto file = dialogs_.openFile(dialog)) compareWithFile(*file);
}

void MainWindow::compareWithFile(const QString& fileName) {
    // Read whole first: a file that is refused leaves any comparison as it was.
    const std::string name = fileNameUtf8(fileName);
    auto loaded = std::make_shared<LoadedMessages>();
    const LoadResult result = loadMessageFile(name, *loaded);
    comparedModel_->compareWith(fileName, std::move(loaded));
    showComparison();
    for (const std::string& warning :
         {loadWarning(name, result.count, result.unfinished), escapeWarning(name, result.escapes)})
        if (!warning.empty()) dialogs_.message(QString::fromStdString(warning));
}

void MainWindow::endComparison() {
    comparedModel_->endComparison();
    showComparison();
}

void MainWindow::compareSoon() {
    if (!comparedModel_->comparing()) return;
    comparedModel_->forget();
    // A burst of captures pairs the lines once.
    if (std::exchange(comparePending_, true)) return;
    QTimer::singleShot(0, this, [this] {
        comparePending_ = false;
        comparedModel_->update();
        showComparison();
    });
}

void MainWindow::showComparison() {
    const bool comparing = comparedModel_->comparing();
    endCompareAction->setEnabled(comparing);
    compareState->setVisible(comparing);
    const int differing = comparedModel_->differing();
    const std::vector<int>& missing = comparedModel_->missing();
    QString text = differing == 0 && missing.empty()
                       ? tr("Same as %1").arg(comparedModel_->fileName())
                       : tr("%n differ(s)", "", differing);
    QString tip = tr("Compared with %1").arg(comparedModel_->path());
    if (!missing.empty()) {
        text += tr(", %n missing", "", static_cast<int>(missing.size()));
        tip += '\n' + tr("Lines of the file the list lacks: %1")
                          .arg(QString::fromStdString(numberRanges(missing, 8)));
    }
    compareState->setText(text);
    compareState->setToolTip(tip);
    showViewedComparison();
}

void MainWindow::showViewedComparison() {
    // While the lines wait to be paired again, the pairing to come will show it.
    if (messageView == nullptr || viewedBytes_ == nullptr || comparePending_) return;
    if (!comparedModel_->comparing()) {
        messageView->endComparison();
        return;
    }
    int row = -1;
    for (int r = 0; r < list_.count() && row < 0; ++r)
        if (list_.line(r).bytes.data() == viewedBytes_) row = r;
    const int fileRow = comparedModel_->fileRow(row);
    const QString& name = comparedModel_->fileName();
    if (fileRow < 0)
        messageView->compareWith(tr("Not in %1").arg(name), {});
    else
        messageView->compareWith(tr("%1, line %2").arg(name).arg(fileRow + 1),
                                 comparedModel_->fileMessage(fileRow));
}

}  // namespace pellum
