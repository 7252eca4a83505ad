#include "app/MessageListModel.h"

#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QMimeData>
#include <QStyle>
#include <algorithm>

#include "core/list/LineTimes.h"
#include "core/messages/HexMessages.h"

namespace pellum {

MessageListModel::MessageListModel(MessageList& list, QObject* parent)
    : QAbstractListModel(parent),
      list_(list),
      wrongChecksum_(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning)) {
    list_.addObserver(this);
}

MessageListModel::~MessageListModel() {
    list_.removeObserver(this);
}

void MessageListModel::showTimes(Times times, std::int64_t captureStartNs) {
    if (times == times_ && captureStartNs == captureStartNs_) return;
    times_ = times;
    captureStartNs_ = captureStartNs;
    if (list_.count() > 0) emit dataChanged(index(0), index(list_.count() - 1), {Qt::DisplayRole});
}

QString MessageListModel::timeText(int row) const {
    if (row < 0 || row >= list_.count()) return {};
    const auto time = timeSinceStart(list_.line(row), captureStartNs_);
    return time ? tr("%1 s").arg(QString::fromStdString(secondsText(*time))) : QString();
}

QString MessageListModel::gapText(int row) const {
    if (row <= 0 || row >= list_.count()) return {};
    const auto gap = gapBetween(list_.line(row - 1), list_.line(row));
    return gap ? tr("+%1 s").arg(QString::fromStdString(secondsText(*gap))) : QString();
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.count();
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.count()) return {};
    const ListLine& line = list_.line(index.row());
    const bool wrong = line.checksum.verdict == Checksum::Verdict::wrong;
    switch (role) {
        case Qt::DisplayRole: {
            const QString label = QString::fromStdString(line.label);
            const QString time = times_ == Times::sinceStart ? timeText(index.row())
                                 : times_ == Times::gap     ? gapText(index.row())
                                                            : QString();
            return time.isEmpty() ? label : time + "  " + label;
        }
        case Qt::DecorationRole:
            return wrong ? QVariant(wrongChecksum_) : QVariant();
        case Qt::ForegroundRole:
            return wrong ? QVariant(QBrush(QColor(0xC0, 0x00, 0x00))) : QVariant();
        case Qt::ToolTipRole:
            return wrong ? QVariant(QString::fromStdString(checksumText(line.checksum)))
                         : QVariant();
        default:
            return {};
    }
}

Qt::ItemFlags MessageListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled;
}

QMimeData* MessageListModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<int> rows;
    for (const QModelIndex& index : indexes) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<std::span<const std::uint8_t>> messages;
    for (const int row : rows) messages.push_back(list_.message(row));
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(messagesAsHex(messages)));
    return data;
}

void MessageListModel::listChanging(const ListChange& change) {
    const int last = change.first + change.count - 1;
    switch (change.kind) {
        case ListChange::Kind::insert:
            beginInsertRows({}, change.first, last);
            break;
        case ListChange::Kind::erase:
            beginRemoveRows({}, change.first, last);
            break;
        case ListChange::Kind::move:
            // Qt names the row the lines go before, counted before the move.
            beginMoveRows({}, change.first, last, {},
                          change.to > change.first ? change.to + change.count : change.to);
            break;
        case ListChange::Kind::reset:
            beginResetModel();
            break;
        case ListChange::Kind::replace:
            break;
    }
}

void MessageListModel::listChanged(const ListChange& change) {
    switch (change.kind) {
        case ListChange::Kind::insert:
            endInsertRows();
            break;
        case ListChange::Kind::erase:
            endRemoveRows();
            break;
        case ListChange::Kind::move:
            endMoveRows();
            break;
        case ListChange::Kind::reset:
            endResetModel();
            break;
        case ListChange::Kind::replace:
            emit dataChanged(index(change.first), index(change.first + change.count - 1));
            break;
    }
    // A gap belongs to two lines: the one after a step may have a new neighbour.
    if (times_ == Times::gap && change.kind != ListChange::Kind::reset && list_.count() > 0)
        emit dataChanged(index(0), index(list_.count() - 1), {Qt::DisplayRole});
    emit changed();
}

}  // namespace pellum
