// The SysEx list as Qt's views see it: one row per line of the MessageList, its label, and the
// wrong-checksum mark (an icon before the label, which stays whole, red text and the verdict as
// the tip). It holds nothing of its own; every change comes from the list.
#pragma once

#include <QAbstractListModel>
#include <QIcon>
#include <cstdint>

#include "core/list/MessageList.h"

namespace pellum {

class MessageListModel : public QAbstractListModel, private ListObserver {
    Q_OBJECT
public:
    // What each line shows before its label: nothing, its time since its recording started
    // (capture's start, or the song's), or the gap since the line before.
    enum class Times { none, sinceStart, gap };
    // `list` must outlive the model.
    explicit MessageListModel(MessageList& list, QObject* parent = nullptr);
    ~MessageListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Lines are dragged between lines, and carry their messages as hex text wherever they go.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override { return {QStringLiteral("text/plain")}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    void showTimes(Times times, std::int64_t captureStartNs);
    Times times() const { return times_; }
    // Line `row`'s time and gap as the message view shows them; empty where it has none.
    QString timeText(int row) const;
    QString gapText(int row) const;

signals:
    // After every step of the list, once the views know of it.
    void changed();

private:
    void listChanging(const ListChange& change) override;
    void listChanged(const ListChange& change) override;

    MessageList& list_;
    QIcon wrongChecksum_;
    Times times_ = Times::none;
    std::int64_t captureStartNs_ = 0;
};

}  // namespace pellum
