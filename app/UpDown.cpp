#include "app/UpDown.h"

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
        b->setStyleSheet("QToolButton { padding: 0; border: 1px outset #a0a0a0; }");
    }
    connect(down_, &QToolButton::clicked, this, [this] { click(Button::Down); });
    connect(up_, &QToolButton::clicked, this, [this] { click(Button::Up); });
}

void UpDown::setRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    setPosition(position_);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, min_, max_);
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

}  // namespace pellum
