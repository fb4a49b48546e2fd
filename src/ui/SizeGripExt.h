#pragma once

#include <QSizeGrip>

namespace tonquill {

// The size grip in the bottom-right corner of a resizable dialog: as wide as a vertical scroll
// bar and as high as a horizontal one, optionally cut to the triangle below its diagonal.
// Dragging it resizes the window it belongs to.
class CSizeGripExt : public QSizeGrip {
    Q_OBJECT
public:
    explicit CSizeGripExt(QWidget* parent);

    // Sizes the grip from the style's metrics, sets its shape and places it.
    void CreateGrip(QWidget* parent, bool shown, bool triangular);
    // Moves the grip's bottom-right corner onto the parent's client corner, below its siblings,
    // shown or hidden by the shown flag.
    void PlaceGrip(QWidget* parent);

    void SetShown(bool shown) { shown_ = shown; }
    bool Shown() const { return shown_; }
    bool Triangular() const { return triangular_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void UpdateShape();

    bool shown_ = true;
    bool triangular_ = false;
};

}  // namespace tonquill
