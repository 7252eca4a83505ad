// A horizontal up-down control: two small arrow buttons that step a position within a range,
// without wrapping, and report each click. It takes the focus, and the arrow keys click it.
#pragma once

#include <QWidget>

class QToolButton;

namespace pellum {

class UpDown : public QWidget {
    Q_OBJECT
public:
    enum class Button { Up, Down };

    explicit UpDown(QWidget* parent = nullptr);

    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    void setRange(int min, int max);
    void setPosition(int position);

    // What a click on one of the arrows does: step, clamp, then tell.
    void click(Button button);

signals:
    void clicked(pellum::UpDown::Button button);
    // The position changed, whoever changed it.
    void moved(int position);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showFocus(bool focused);

    QToolButton* down_;
    QToolButton* up_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

}  // namespace pellum
