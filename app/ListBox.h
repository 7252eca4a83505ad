// The SysEx list's view. Its `chosen` signal is the list's click: the user choosing a line with a
// plain left click (also on the line already selected) or moving the selection with a plain
// arrow key. Focus, activation, other buttons, Ctrl and Shift with a click or a key (which
// select several lines) and the program's own selections choose nothing, so no message goes out
// that the user did not pick. Lines dragged within the list are told by `linesDropped`.
#pragma once

#include <QListView>
#include <vector>

namespace pellum {

class ListBox : public QListView {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    int count() const;
    // The current line, selected or not, or -1; setting it selects it (-1 selects nothing).
    int currentRow() const;
    void setCurrentRow(int row);
    // The selected line, or -1. Qt may keep a current line that is not selected.
    int selectedRow() const;
    // Leaves no line selected and none current.
    void selectNone();
    // Every selected line, in list order; selects exactly `rows`, the last of them current.
    std::vector<int> selectedRows() const;
    void selectRows(const std::vector<int>& rows);
    // Line `row`'s text and place in the viewport.
    QString lineText(int row) const;
    QRect lineRect(int row) const;

signals:
    void chosen();
    // Enter on the selected line, or a double-click on a line: the user asks for that line.
    void lineActivated();
    // Lines dragged within the list, dropped before the line at `before` (count(): at the end).
    void linesDropped(std::vector<int> rows, int before);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool onLine(const QPoint& at) const { return indexAt(at).isValid(); }
    // A left press on a line whose release has not come yet: the release chooses, wherever a
    // drag has taken the selection meanwhile.
    bool leftPressOnLine_ = false;
    // The lines this list is dragging, while it is; a drop elsewhere or from elsewhere moves none.
    std::vector<int> dragged_;
};

}  // namespace pellum
