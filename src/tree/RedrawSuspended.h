#pragma once

#include <QWidget>

namespace tonquill {

// Painting held back during bulk changes, restored as it was.
class RedrawSuspended {
public:
    RedrawSuspended(QWidget* widget, bool suspend)
        : widget_(suspend && widget->updatesEnabled() ? widget : nullptr) {
        if (widget_ != nullptr) {
            widget_->setUpdatesEnabled(false);
        }
    }
    ~RedrawSuspended() {
        if (widget_ != nullptr) {
            widget_->setUpdatesEnabled(true);
        }
    }
    RedrawSuspended(const RedrawSuspended&) = delete;
    RedrawSuspended& operator=(const RedrawSuspended&) = delete;

private:
    QWidget* widget_;
};

}  // namespace tonquill
