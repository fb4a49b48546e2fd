#pragma once

#include <QDialog>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <vector>

#include "ui/WindowPlacementStore.h"

namespace tonquill {

class CSizeGripExt;

enum class HorizontalMode : int { Fixed = 0, Stretch = 1, Move = 2, Centre = 3 };
enum class VerticalMode : int { Fixed = 0, Stretch = 1, Move = 2 };

// One anchored child: how it follows the dialog's size changes.
struct AnchorEntry {
    QPointer<QWidget> control;
    HorizontalMode horizontalMode = HorizontalMode::Fixed;
    VerticalMode verticalMode = VerticalMode::Fixed;
    bool clipOnErase = false;
    QRect rect;           // in dialog client coordinates, as laid out last
    double xRatio = 0.0;  // centre mode: the child's centre over the client width when anchored

    // The child's rectangle after the client grew by dx, dy to newWidth wide.
    QRect Moved(int dx, int dy, int newWidth) const;
};

// A dialog whose anchored children follow its size, with a size grip in the corner and its
// placement remembered in the profile.
class CResizeDlg : public QDialog {
    Q_OBJECT
public:
    explicit CResizeDlg(QWidget* parent = nullptr);
    ~CResizeDlg() override;

    // Registers (or replaces) the anchor of a child, taking its current rectangle.
    void AnchorControl(QWidget* control, HorizontalMode h, VerticalMode v,
                       bool clipOnErase = false);
    const std::vector<AnchorEntry>& Anchors() const { return anchors_; }

    // The profile entry under which the placement is saved when the dialog goes; empty: none.
    void SetPlacementKey(const QString& key) { placementKey_ = key; }
    const QString& PlacementKey() const { return placementKey_; }
    WindowPlacementStore& PlacementStore() { return placementStore_; }
    CSizeGripExt* SizeGrip() const { return grip_; }

    // The area the background is painted in: the client area less the rectangles of visible
    // children marked clip-on-erase.
    QRegion EraseRegion() const;

protected:
    // Called by the derived dialog once its children sit at their initial places and the
    // dialog has its initial size: the layout measures every later size change from here.
    void InitResizeDlg();

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();

    std::vector<AnchorEntry> anchors_;
    QSize previousClient_;
    QString placementKey_;
    WindowPlacementStore placementStore_;
    CSizeGripExt* grip_ = nullptr;
};

}  // namespace tonquill
