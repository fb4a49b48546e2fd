#include "FileTreeView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tonquill {

CFileTreeView::CFileTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

bool CFileTreeView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !IsEditing() && ownKeyRule_ &&
        ownKeyRule_(static_cast<const QKeyEvent&>(*event))) {
        event->accept();
        return true;
    }
    return QTreeView::event(event);
}

void CFileTreeView::keyPressEvent(QKeyEvent* event) {
    if (!IsEditing() && keyHandler_ && keyHandler_(*event)) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CFileTreeView::contextMenuEvent(QContextMenuEvent* event) {
    if (contextHandler_) {
        contextHandler_(event->pos(), event->reason() == QContextMenuEvent::Keyboard);
        event->accept();
        return;
    }
    QTreeView::contextMenuEvent(event);
}

void CFileTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // The view's own handling first (it may expand the node); the owner decides about opening.
    const QModelIndex wasCurrent = currentIndex();
    QTreeView::mouseDoubleClickEvent(event);
    if (doubleClickHandler_ && index.isValid() && index == wasCurrent) {
        doubleClickHandler_(index);
    }
}

}  // namespace tonquill
