#include "app/ComparedListModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QFileInfo>
#include <QStyle>
#include <algorithm>

#include "core/files/SyxFile.h"
#include "core/list/MessageDiff.h"

namespace pellum {

ComparedListModel::ComparedListModel(QAbstractItemModel& lines, const MessageList& list,
                                     QObject* parent)
    : QIdentityProxyModel(parent),
      list_(list),
      differs_(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation)) {
    setSourceModel(&lines);
}

void ComparedListModel::compareWith(const QString& path,
                                    std::shared_ptr<const LoadedMessages> file) {
    file_ = std::move(file);
    path_ = path;
    name_ = QFileInfo(path).fileName();
    update();
}

void ComparedListModel::endComparison() {
    file_.reset();
    path_.clear();
    name_.clear();
    missing_.clear();
    markAll({});
}

void ComparedListModel::forget() {
    // Rows have come, gone or moved: marks by row would stand on other lines now. The views
    // repaint only the rows that changed, so the others keep showing their marks until update().
    marks_.clear();
}

void ComparedListModel::update() {
    if (!file_) return;
    const MessageComparison comparison = compareMessages(messageSpans(*file_), list_.spans());
    std::vector<Mark> marks(static_cast<std::size_t>(list_.count()));
    std::vector<int> missing;
    for (const MessagePair& pair : comparison.pairs) {
        if (pair.b < 0)
            missing.push_back(pair.a + 1);
        else
            marks[static_cast<std::size_t>(pair.b)] = {pair.a, !pair.same};
    }
    std::sort(missing.begin(), missing.end());
    missing_ = std::move(missing);
    markAll(std::move(marks));
}

void ComparedListModel::markAll(std::vector<Mark> marks) {
    marks_ = std::move(marks);
    differing_ = static_cast<int>(
        std::count_if(marks_.begin(), marks_.end(), [](const Mark& m) { return m.differs; }));
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

int ComparedListModel::fileRow(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= marks_.size()) return -1;
    return marks_[static_cast<std::size_t>(row)].fileRow;
}

QVariant ComparedListModel::data(const QModelIndex& index, int role) const {
    const QVariant shown = QIdentityProxyModel::data(index, role);
    const auto row = static_cast<std::size_t>(index.row());
    if (!index.isValid() || row >= marks_.size() || !marks_[row].differs) return shown;
    const Mark& mark = marks_[row];
    switch (role) {
        case Qt::DecorationRole:
            // A wrong checksum keeps its own mark; the tint and the tip still tell this one.
            return shown.isValid() ? shown : QVariant(differs_);
        case Qt::BackgroundRole:
            return QBrush(QColor(0xFF, 0xF0, 0xB0));
        case Qt::ToolTipRole: {
            QString tip;
            if (mark.fileRow < 0) {
                tip = tr("Not in %1").arg(name_);
            } else {
                const auto changes =
                    byteChanges(file_->message(mark.fileRow), list_.message(index.row()));
                tip =
                    tr("%n byte(s) differ from line %1 of %2", "", static_cast<int>(changes.size()))
                        .arg(mark.fileRow + 1)
                        .arg(name_);
            }
            return shown.toString().isEmpty() ? tip : shown.toString() + '\n' + tip;
        }
        default:
            return shown;
    }
}

}  // namespace pellum
