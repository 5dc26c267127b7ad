#pragma once

#include <QPushButton>

namespace tq37r {

// A push button whose caption wraps onto several lines when it is wider than the button.
class WrappingPushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace tq37r
