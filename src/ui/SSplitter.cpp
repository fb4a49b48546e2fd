#include "ui/SSplitter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QSettings>

namespace tonquill {

namespace {

constexpr auto VertSplitPos = "VertSplitPos";

QSettings Profile() {
    return QSettings(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
}

// Rectangles here are kept with exclusive right and bottom edges.
QRect Span(int left, int top, int right, int bottom) {
    return QRect(left, top, qMax(0, right - left), qMax(0, bottom - top));
}

int RightOf(const QRect& r) {
    return r.x() + r.width();
}

}  // namespace

CSSplitter::CSSplitter(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    // The splitter takes the focus only while a drag runs, so it knows whom to give it back to.
    setFocusPolicy(Qt::NoFocus);
}

CSSplitter::~CSSplitter() {
    if (!leftRect_.isEmpty()) {
        QSettings profile = Profile();
        profile.setValue(ProfileSection() + QLatin1Char('/') + QLatin1String(VertSplitPos),
                         RightOf(leftRect_));
    }
}

QString CSSplitter::ProfileSection() const {
    return QStringLiteral("splt/init_v%1").arg(id_);
}

void CSSplitter::CreatePanes(QWidget* parent, QWidget* left, QWidget* right, int id,
                             const QRect& rect, int minLeftWidth, int minRightWidth) {
    setParent(parent);
    id_ = id;
    minLeft_ = minLeftWidth;
    minRight_ = minRightWidth;
    left_ = left;
    right_ = right;
    // The panes become the splitter's children; their signals still go wherever they were
    // connected, so the dialog keeps receiving their notifications.
    if (left_) {
        left_->setParent(this);
        left_->show();
    }
    if (right_) {
        right_->setParent(this);
        right_->show();
    }
    setGeometry(rect);
    QSettings profile = Profile();
    bool ok = false;
    int value =
        profile
            .value(ProfileSection() + QLatin1Char('/') + QLatin1String(VertSplitPos), 2 * minLeft_)
            .toInt(&ok);
    if (!ok) {
        value = 2 * minLeft_;
    }
    leftRect_ = Span(0, 0, value, height());
    LayoutAt(value + BarWidth / 2);
    leftWidth_ = leftRect_.width();
    show();
}

int CSSplitter::Clamp(int x) const {
    return qMax(minLeft_, qMin(x, width() - minRight_));
}

void CSSplitter::LayoutAt(int x) {
    const int h = height();
    barRect_ = Span(x - BarWidth, 0, x + BarWidth, h);
    leftRect_ = Span(0, 0, x - BarWidth / 2, h);
    rightRect_ = Span(RightOf(leftRect_) + BarWidth, 0, width(), h);
    if (left_) {
        left_->setGeometry(leftRect_);
    }
    if (right_) {
        right_->setGeometry(rightRect_);
    }
}

QRect CSSplitter::OutlineRect() const {
    if (!dragging_) {
        return {};
    }
    return QRect(dragX_ - BarWidth / 2, 0, BarWidth, height());
}

void CSSplitter::DrawOutline(int x) {
    dragX_ = x;
    if (!outline_) {
        // The outline is an overlay above the panes in the button-face colour; taking it away
        // leaves the picture as it was.
        outline_ = new QWidget(this);
        outline_->setAttribute(Qt::WA_TransparentForMouseEvents);
        outline_->setAutoFillBackground(true);
        QPalette pal = outline_->palette();
        pal.setColor(QPalette::Window, palette().color(QPalette::Button).darker(150));
        outline_->setPalette(pal);
    }
    outline_->setGeometry(OutlineRect());
    outline_->raise();
    outline_->show();
}

void CSSplitter::EndDrag() {
    dragging_ = false;
    if (outline_) {
        outline_->hide();
    }
    unsetCursor();
}

void CSSplitter::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || leftHidden_ || !barRect_.contains(pos)) {
        QWidget::mousePressEvent(event);
        return;
    }
    focusBeforeDrag_ = QApplication::focusWidget();
    dragging_ = true;
    DrawOutline(Clamp(pos.x()));
    // The press grabs the mouse until the release, wherever the pointer goes.
    setCursor(Qt::SizeHorCursor);
    setFocus(Qt::MouseFocusReason);
}

void CSSplitter::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (!dragging_) {
        if (barRect_.contains(pos) && !leftHidden_) {
            setCursor(Qt::SizeHorCursor);
        } else {
            unsetCursor();
        }
        return;
    }
    const int x = Clamp(pos.x());
    if (liveResize_) {
        LayoutAt(x);
        dragX_ = x;
    } else {
        DrawOutline(x);
    }
}

void CSSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int x = Clamp(event->position().toPoint().x());
    EndDrag();
    LayoutAt(x);
    leftWidth_ = leftRect_.width();
}

void CSSplitter::keyPressEvent(QKeyEvent* event) {
    if (dragging_ && event->key() == Qt::Key_Escape) {
        // The panes stay where they were and the focus goes back where it came from.
        EndDrag();
        if (focusBeforeDrag_) {
            focusBeforeDrag_->setFocus(Qt::OtherFocusReason);
        }
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CSSplitter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!left_ && !right_) {
        return;
    }
    if (!leftHidden_) {
        LayoutAt(Clamp(leftWidth_ + BarWidth / 2));
    } else if (right_) {
        rightRect_ = rect();
        right_->setGeometry(rightRect_);
    }
}

void CSSplitter::HideLeftPane() {
    if (leftHidden_ || !right_) {
        return;
    }
    leftHidden_ = true;
    barRect_ = QRect();
    if (left_) {
        left_->hide();
    }
    rightRect_ = rect();
    right_->setGeometry(rightRect_);
}

void CSSplitter::ShowLeftPane() {
    leftHidden_ = false;
    leftWidth_ = leftRect_.width();
    LayoutAt(RightOf(leftRect_) + BarWidth / 2);
    if (left_) {
        left_->show();
    }
}

}  // namespace tonquill
