#include "app/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

namespace pellum {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int ListBox::selectedRow() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr && item->isSelected() ? currentRow() : -1;
}

void ListBox::selectNone() {
    setCurrentRow(-1);
    clearSelection();
}

void ListBox::focusInEvent(QFocusEvent* event) {
    // Qt makes the first line current when the list gets the focus without one; it stays
    // unchosen, so that the first arrow key chooses line 0 rather than line 1.
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid()) selectionModel()->clearCurrentIndex();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && selectedRow() >= 0) {
        emit lineActivated();
        return;
    }
    const int before = selectedRow();
    QListWidget::keyPressEvent(event);
    if (selectedRow() >= 0 && selectedRow() != before) emit chosen();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    // Other buttons choose nothing, so they leave the selection alone too.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = itemAt(event->position().toPoint()) != nullptr;
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a click of its own.
    if (event->button() != Qt::LeftButton) return;
    leftPressOnLine_ = itemAt(event->position().toPoint()) != nullptr;
    QListWidget::mouseDoubleClickEvent(event);
    if (leftPressOnLine_ && selectedRow() >= 0) emit lineActivated();
}

void ListBox::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(leftPressOnLine_, false) &&
        selectedRow() >= 0)
        emit chosen();
}

}  // namespace pellum
