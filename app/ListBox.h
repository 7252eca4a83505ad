// The SysEx list's view. Its `chosen` signal is the list's click: the user choosing a line with a
// left click (also on the line already selected) or moving the selection with the keyboard.
// Focus, activation, other buttons and the program's own selections choose nothing, so no
// message goes out that the user did not pick.
#pragma once

#include <QListView>

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
    // Line `row`'s text and place in the viewport.
    QString lineText(int row) const;
    QRect lineRect(int row) const;

signals:
    void chosen();
    // Enter on the selected line, or a double-click on a line: the user asks for that line.
    void lineActivated();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool onLine(const QPoint& at) const { return indexAt(at).isValid(); }
    // A left press on a line whose release has not come yet: the release chooses, wherever a
    // drag has taken the selection meanwhile.
    bool leftPressOnLine_ = false;
};

}  // namespace pellum
