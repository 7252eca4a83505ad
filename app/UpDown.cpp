#include "app/UpDown.h"

#include <QKeyEvent>
#include <QToolButton>
#include <algorithm>

namespace pellum {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), down_(new QToolButton(this)), up_(new QToolButton(this)) {
    down_->setArrowType(Qt::LeftArrow);
    up_->setArrowType(Qt::RightArrow);
    for (QToolButton* b : {down_, up_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    // The control itself takes the focus, so the keyboard reaches the channel too.
    setFocusPolicy(Qt::StrongFocus);
    showFocus(false);
    connect(down_, &QToolButton::clicked, this, [this] { click(Button::Down); });
    connect(up_, &QToolButton::clicked, this, [this] { click(Button::Up); });
}

void UpDown::setRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    setPosition(position_);
}

void UpDown::setPosition(int position) {
    const int before = position_;
    position_ = std::clamp(position, min_, max_);
    if (position_ != before) emit moved(position_);
}

void UpDown::click(Button button) {
    setPosition(position_ + (button == Button::Up ? 1 : -1));
    emit clicked(button);
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = width() / 2;
    down_->setGeometry(0, 0, half, height());
    up_->setGeometry(half, 0, width() - half, height());
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            click(Button::Down);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            click(Button::Up);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void UpDown::focusInEvent(QFocusEvent* event) {
    showFocus(true);
    QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent* event) {
    showFocus(false);
    QWidget::focusOutEvent(event);
}

// The arrows cover the whole control, so its focus shows on their borders.
void UpDown::showFocus(bool focused) {
    const QString border = focused ? "1px solid palette(highlight)" : "1px outset #a0a0a0";
    for (QToolButton* b : {down_, up_})
        b->setStyleSheet("QToolButton { padding: 0; border: " + border + "; }");
}

}  // namespace pellum
