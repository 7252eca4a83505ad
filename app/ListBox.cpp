#include "app/ListBox.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

namespace pellum {

ListBox::ListBox(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every line is as high as the first, so a full list is laid out at once.
    setUniformItemSizes(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

namespace {

bool extends(Qt::KeyboardModifiers modifiers) {
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
}

}  // namespace

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

std::vector<int> ListBox::selectedRows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ListBox::selectRows(const std::vector<int>& rows) {
    selectNone();
    if (rows.empty()) return;
    QItemSelection selection;
    for (const int row : rows) {
        if (row < 0 || row >= count()) continue;
        const QModelIndex index = model()->index(row, 0);
        selection.select(index, index);
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    selectionModel()->setCurrentIndex(model()->index(rows.back(), 0), QItemSelectionModel::NoUpdate);
    scrollTo(currentIndex());
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
    if (!extends(event->modifiers()) && selectedRow() >= 0 && selectedRow() != before)
        emit chosen();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Other buttons choose nothing, so they leave the selection alone too.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = onLine(event->position().toPoint()) && !extends(event->modifiers());
    QListView::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a click of its own.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = onLine(event->position().toPoint()) && !extends(event->modifiers());
    QListView::mouseDoubleClickEvent(event);
    if (leftPressOnLine_ && selectedRow() >= 0) emit lineActivated();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(leftPressOnLine_, false) &&
        selectedRow() >= 0)
        emit chosen();
}

void ListBox::startDrag(Qt::DropActions supportedActions) {
    // A drag chooses nothing: the release that ends it is no click.
    leftPressOnLine_ = false;
    dragged_ = selectedRows();
    QListView::startDrag(supportedActions);
    dragged_.clear();
}

void ListBox::dragEnterEvent(QDragEnterEvent* event) {
    // Files and text from elsewhere go on to the window, which opens a dropped file.
    if (dragged_.empty() || event->source() != this) {
        event->ignore();
        return;
    }
    QListView::dragEnterEvent(event);
}

void ListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (dragged_.empty() || event->source() != this) {
        event->ignore();
        return;
    }
    QListView::dragMoveEvent(event);
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void ListBox::dropEvent(QDropEvent* event) {
    if (dragged_.empty() || event->source() != this) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    int before = count();
    if (index.isValid()) before = index.row() + (at.y() > visualRect(index).center().y() ? 1 : 0);
    // The lines move through the list's own step; Qt is told nothing moved, so it takes none out.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    emit linesDropped(dragged_, before);
}

}  // namespace pellum
