#include "ui/SizeGripExt.h"

#include <QEvent>
#include <QPolygon>
#include <QRegion>
#include <QStyle>

namespace tonquill {

CSizeGripExt::CSizeGripExt(QWidget* parent) : QSizeGrip(parent) {
    // Never a tab stop: dialog navigation passes over it like a static control.
    setFocusPolicy(Qt::NoFocus);
}

void CSizeGripExt::CreateGrip(QWidget* parent, bool shown, bool triangular) {
    if (parent && parentWidget() != parent) {
        setParent(parent);
    }
    shown_ = shown;
    triangular_ = triangular;
    UpdateShape();
    PlaceGrip(parent);
}

void CSizeGripExt::UpdateShape() {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setFixedSize(extent, extent);
    if (triangular_) {
        const bool rtl = layoutDirection() == Qt::RightToLeft;
        QPolygon triangle;
        if (rtl) {
            triangle << QPoint(0, 0) << QPoint(0, extent) << QPoint(extent, extent);
        } else {
            triangle << QPoint(0, extent) << QPoint(extent, extent) << QPoint(extent, 0);
        }
        setMask(QRegion(triangle));
    } else {
        clearMask();
    }
}

void CSizeGripExt::PlaceGrip(QWidget* parent) {
    if (!parent) {
        parent = parentWidget();
    }
    if (!parent) {
        return;
    }
    const QRect client = parent->rect();
    if (layoutDirection() == Qt::RightToLeft) {
        move(client.left(), client.bottom() + 1 - height());
    } else {
        move(client.right() + 1 - width(), client.bottom() + 1 - height());
    }
    lower();
    setVisible(shown_);
}

void CSizeGripExt::changeEvent(QEvent* event) {
    QSizeGrip::changeEvent(event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::LayoutDirectionChange) {
        // The metrics may have changed: keep the bottom-right corner where it is.
        const QPoint corner = geometry().bottomRight();
        UpdateShape();
        move(corner.x() + 1 - width(), corner.y() + 1 - height());
    }
}

}  // namespace tonquill
