#include "ui/ResizeDlg.h"

#include <QMessageBox>
#include <QPainter>
#include <QResizeEvent>
#include <QSettings>
#include <cmath>

#include "ui/SizeGripExt.h"

namespace tonquill {

QRect AnchorEntry::Moved(int dx, int dy, int newWidth) const {
    int l = rect.left();
    int t = rect.top();
    int r = rect.left() + rect.width();
    int b = rect.top() + rect.height();
    switch (horizontalMode) {
        case HorizontalMode::Fixed:
            break;
        case HorizontalMode::Stretch:
            r += dx;
            break;
        case HorizontalMode::Move:
            l += dx;
            r += dx;
            break;
        case HorizontalMode::Centre: {
            const int w = r - l;
            l = static_cast<int>(std::trunc(newWidth * xRatio - w * 0.5));
            r = l + w;
            break;
        }
    }
    switch (verticalMode) {
        case VerticalMode::Fixed:
            break;
        case VerticalMode::Stretch:
            b += dy;
            break;
        case VerticalMode::Move:
            t += dy;
            b += dy;
            break;
    }
    return QRect(l, t, r - l, b - t);
}

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent) {
    // The dialog sets no minimum size of its own.
    setMinimumSize(0, 0);
    setSizeGripEnabled(false);
}

CResizeDlg::~CResizeDlg() {
    if (placementKey_.isEmpty()) {
        return;
    }
    QSettings profile(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
    if (!WindowPlacementStore::SavePlacement(*this, placementKey_, profile)) {
        QMessageBox::warning(parentWidget(), QStringLiteral("Tonquill"),
                             QStringLiteral("Fail to Save!"));
    }
}

void CResizeDlg::InitResizeDlg() {
    previousClient_ = size();
    if (!grip_) {
        grip_ = new CSizeGripExt(this);
    }
    grip_->CreateGrip(this, true, true);
}

void CResizeDlg::AnchorControl(QWidget* control, HorizontalMode h, VerticalMode v,
                               bool clipOnErase) {
    if (!control) {
        return;
    }
    AnchorEntry entry;
    entry.control = control;
    entry.horizontalMode = h;
    entry.verticalMode = v;
    entry.clipOnErase = clipOnErase;
    entry.rect = control->geometry();
    const int clientWidth = previousClient_.isValid() ? previousClient_.width() : width();
    if (h == HorizontalMode::Centre && clientWidth > 0) {
        entry.xRatio =
            (entry.rect.left() + entry.rect.left() + entry.rect.width()) / 2.0 / clientWidth;
    }
    for (AnchorEntry& existing : anchors_) {
        if (existing.control == control) {
            existing = entry;
            return;
        }
    }
    anchors_.push_back(entry);
}

void CResizeDlg::Layout() {
    if (isMinimized() || !previousClient_.isValid()) {
        return;
    }
    if (!anchors_.empty()) {
        const QSize now = size();
        const int dx = now.width() - previousClient_.width();
        const int dy = now.height() - previousClient_.height();
        for (AnchorEntry& entry : anchors_) {
            if (!entry.control) {
                continue;
            }
            const QRect moved = entry.Moved(dx, dy, now.width());
            if (moved != entry.rect) {
                entry.control->setGeometry(moved);
                entry.rect = moved;
            }
        }
        previousClient_ = now;
    }
    if (grip_) {
        grip_->SetShown(!isMaximized() && !isFullScreen());
        grip_->PlaceGrip(this);
    }
}

void CResizeDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void CResizeDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Layout();
    }
}

QRegion CResizeDlg::EraseRegion() const {
    QRegion region(rect());
    for (const AnchorEntry& entry : anchors_) {
        if (entry.clipOnErase && entry.control && entry.control->isVisible()) {
            region -= entry.rect;
        }
    }
    return region;
}

void CResizeDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(EraseRegion() & event->region());
    painter.fillRect(rect(), palette().window());
}

}  // namespace tonquill
