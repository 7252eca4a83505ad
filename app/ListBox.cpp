#include "app/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

namespace pellum {

ListBox::ListBox(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Every line is as high as the first, so a full list is laid out at once.
    setUniformItemSizes(true);
}

int ListBox::count() const {
    return model() != nullptr ? model()->rowCount() : 0;
}

int ListBox::currentRow() const {
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void ListBox::setCurrentRow(int row) {
    if (row < 0 || row >= count()) {
        selectNone();
        return;
    }
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

int ListBox::selectedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

void ListBox::selectNone() {
    if (selectionModel() == nullptr) return;
    selectionModel()->clear();
}

QString ListBox::lineText(int row) const {
    return model()->index(row, 0).data().toString();
}

QRect ListBox::lineRect(int row) const {
    return visualRect(model()->index(row, 0));
}

void ListBox::focusInEvent(QFocusEvent* event) {
    // Qt makes the first line current when the list gets the focus without one; it stays
    // unchosen, so that the first arrow key chooses line 0 rather than line 1.
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) selectionModel()->clearCurrentIndex();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && selectedRow() >= 0) {
        emit lineActivated();
        return;
    }
    const int before = selectedRow();
    QListView::keyPressEvent(event);
    if (selectedRow() >= 0 && selectedRow() != before) emit chosen();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Other buttons choose nothing, so they leave the selection alone too.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = onLine(event->position().toPoint());
    QListView::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a click of its own.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = onLine(event->position().toPoint());
    QListView::mouseDoubleClickEvent(event);
    if (leftPressOnLine_ && selectedRow() >= 0) emit lineActivated();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(leftPressOnLine_, false) &&
        selectedRow() >= 0)
        emit chosen();
}

}  // namespace pellum
