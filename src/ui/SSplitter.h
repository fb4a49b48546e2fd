#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tonquill {

// A vertical splitter between two adopted panes. The bar is dragged as an outline and the panes
// move on release; Esc cancels a drag. On resize the left pane keeps its width. The split
// position is remembered in the profile under "splt/init_v<id>".
class CSSplitter : public QWidget {
    Q_OBJECT
public:
    static constexpr int BarWidth = 3;

    explicit CSSplitter(QWidget* parent = nullptr);
    ~CSSplitter() override;

    // Makes left and right children of a splitter placed at rect in parent, and restores the
    // split position (twice the minimum left width when none is saved).
    void CreatePanes(QWidget* parent, QWidget* left, QWidget* right, int id, const QRect& rect,
                     int minLeftWidth, int minRightWidth);

    void ShowLeftPane();
    void HideLeftPane();
    bool IsLeftPaneShown() const { return !leftHidden_; }
    void SetLiveResize(bool live) { liveResize_ = live; }

    int LeftWidth() const { return leftWidth_; }
    QRect LeftPaneRect() const { return leftRect_; }
    QRect RightPaneRect() const { return rightRect_; }
    QRect BarRect() const { return barRect_; }
    bool Dragging() const { return dragging_; }
    // Where the outline is drawn while dragging (empty otherwise).
    QRect OutlineRect() const;
    // The profile section of this splitter, "splt/init_v" and its id.
    QString ProfileSection() const;

    // Puts the bar's centre at x (splitter coordinates) and moves the panes.
    void LayoutAt(int x);
    // x limited to the minimum pane widths.
    int Clamp(int x) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawOutline(int x);
    void EndDrag();

    QPointer<QWidget> left_;
    QPointer<QWidget> right_;
    int id_ = 0;
    int minLeft_ = 100;
    int minRight_ = 150;
    int leftWidth_ = 0;
    QRect leftRect_;
    QRect rightRect_;
    QRect barRect_;
    bool leftHidden_ = false;
    bool liveResize_ = false;
    bool dragging_ = false;
    int dragX_ = 0;
    QPointer<QWidget> focusBeforeDrag_;
    QWidget* outline_ = nullptr;
};

}  // namespace tonquill
