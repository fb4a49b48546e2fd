#include "app/StatusPanes.h"

#include <QFrame>

namespace tonquill {

StatusPanes::StatusPanes(QWidget* parent) : QWidget(parent) {
    setFixedHeight(Height);
    for (int i = 0; i < PaneCount; ++i) {
        auto* pane = new QLabel(this);
        pane->setFrameShape(QFrame::StyledPanel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setTextFormat(Qt::PlainText);
        pane->setContentsMargins(4, 0, 4, 0);
        panes_[static_cast<size_t>(i)] = pane;
    }
    Layout();
}

void StatusPanes::SetText(int pane, const QString& text) {
    if (QLabel* label = Pane(pane)) {
        label->setText(text);
    }
}

void StatusPanes::SetTooltip(int pane, const QString& tooltip) {
    if (QLabel* label = Pane(pane)) {
        label->setToolTip(tooltip);
    }
}

QLabel* StatusPanes::Pane(int pane) const {
    return pane >= 0 && pane < PaneCount ? panes_[static_cast<size_t>(pane)] : nullptr;
}

std::array<int, 2> StatusPanes::PaneEdges(int width) {
    return {width / 4, width / 2};
}

void StatusPanes::resizeEvent(QResizeEvent*) {
    Layout();
}

void StatusPanes::Layout() {
    const auto edges = PaneEdges(width());
    panes_[0]->setGeometry(0, 0, edges[0], height());
    panes_[1]->setGeometry(edges[0], 0, edges[1] - edges[0], height());
    // The window's size grip sits in the corner: the last pane leaves it room.
    panes_[2]->setGeometry(edges[1], 0, width() - edges[1], height());
}

}  // namespace tonquill
