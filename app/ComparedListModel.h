// The SysEx list as the list view shows it while it is compared with a file: MessageListModel's
// lines, and on those that differ from the file (or that the file lacks) a mark as the wrong
// checksum's is made: an icon before the label, which stays whole, a tint and the difference as
// the tip. It holds the file and the pairing (core/list/MessageDiff, the file as A and the list
// as B), never the list's lines: the list is only read.
#pragma once

#include <QIcon>
#include <QIdentityProxyModel>
#include <memory>
#include <span>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/list/MessageList.h"

namespace pellum {

class ComparedListModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    // `lines` shows `list`; both must outlive the model.
    ComparedListModel(QAbstractItemModel& lines, const MessageList& list,
                      QObject* parent = nullptr);

    // From now on the list is compared with `file`, read from `path`, and marked.
    void compareWith(const QString& path, std::shared_ptr<const LoadedMessages> file);
    void endComparison();
    bool comparing() const { return file_ != nullptr; }
    const QString& path() const { return path_; }
    const QString& fileName() const { return name_; }

    // The list changed: the marks go until update() pairs the lines again, so that no mark
    // stands on a line it was not made for.
    void forget();
    void update();

    int differing() const { return differing_; }  // lines marked
    // The numbers (from 1) of the file's messages the list lacks.
    const std::vector<int>& missing() const { return missing_; }
    // The row in the file of line `row`'s partner; -1 when it has none or the marks are gone.
    int fileRow(int row) const;
    std::span<const std::uint8_t> fileMessage(int fileRow) const { return file_->message(fileRow); }

    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Mark {
        int fileRow = -1;
        bool differs = false;
    };
    void markAll(std::vector<Mark> marks);

    const MessageList& list_;
    std::shared_ptr<const LoadedMessages> file_;
    QString path_;
    QString name_;
    std::vector<Mark> marks_;  // one a line, or none
    int differing_ = 0;
    std::vector<int> missing_;
    QIcon differs_;
};

}  // namespace pellum
