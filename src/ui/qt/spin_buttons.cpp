#include "ui/qt/spin_buttons.h"

#include <QToolButton>

namespace celestra {

SpinButtons::SpinButtons(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    setFocusPolicy(Qt::NoFocus);
    for (QToolButton* button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);  // one step per repeat, no acceleration
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(false); });
}

void SpinButtons::resizeEvent(QResizeEvent*) {
    const int upHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight, width(), height() - upHeight);
}

void SpinButtons::Step(bool up) {
    if (position_.Step(up)) emit Click(up);
}

}  // namespace celestra
