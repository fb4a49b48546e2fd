#pragma once

#include <QTreeView>
#include <functional>

namespace tonquill {

// The tree view under CFileTreeCtrl: hands keys, context-menu requests and double clicks to its
// owner before the view's own handling. While an in-place editor is open every key is the
// editor's.
class CFileTreeView : public QTreeView {
    Q_OBJECT
public:
    using KeyHandler = std::function<bool(QKeyEvent&)>;
    // Whether a key is the tree's own: the window's shortcuts leave such keys to the tree while
    // it has the focus (Del deletes a folder here, not the list's files).
    using OwnKeyRule = std::function<bool(const QKeyEvent&)>;
    using ContextHandler = std::function<void(const QPoint& viewportPos, bool fromKeyboard)>;
    using DoubleClickHandler = std::function<void(const QModelIndex&)>;

    explicit CFileTreeView(QWidget* parent = nullptr);

    void SetKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
    void SetOwnKeyRule(OwnKeyRule rule) { ownKeyRule_ = std::move(rule); }
    void SetContextHandler(ContextHandler handler) { contextHandler_ = std::move(handler); }
    void SetDoubleClickHandler(DoubleClickHandler handler) {
        doubleClickHandler_ = std::move(handler);
    }
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // Expand buttons changed without rows changing: lay the rows out again before painting.
    void RelayoutSoon() { scheduleDelayedItemsLayout(); }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    KeyHandler keyHandler_;
    OwnKeyRule ownKeyRule_;
    ContextHandler contextHandler_;
    DoubleClickHandler doubleClickHandler_;
};

}  // namespace tonquill
