// The day spinner: an up arrow above a down arrow, repeating while held,
// that reports a click only when it moved its position.
#pragma once

#include <QWidget>

#include "ui/day_spinner.h"

class QToolButton;

namespace celestra {

class SpinButtons : public QWidget {
    Q_OBJECT

public:
    explicit SpinButtons(QWidget* parent);

    int Position() const { return position_.position(); }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    // The position moved; `up` tells which arrow moved it.
    void Click(bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(bool up);

    SpinnerPosition position_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace celestra
