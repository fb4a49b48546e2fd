#include "app/FileListView.h"

#include <QStyledItemDelegate>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "metadata/FileListEntry.h"

namespace tonquill {

namespace {

// A folder's start says least about it: a long path keeps its end ("…/deep/folder/").
class ElideStartDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideLeft;
    }
};

}  // namespace

FileListView::FileListView(QWidget* parent) : CReportCtrl(parent) {
    setItemDelegateForColumn(ColumnPath, new ElideStartDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (indexAt(pos).isValid()) {
            emit rowMenuRequested(viewport()->mapToGlobal(pos));
        }
    });
}

bool FileListView::AcceptsDrag(const QMimeData* data) {
    return data != nullptr && !data->hasFormat(QString::fromLatin1(OwnDragFormat)) &&
           data->hasUrls();
}

QStringList FileListView::DroppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!AcceptsDrag(data)) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

void FileListView::startDrag(Qt::DropActions) {
    emit dragRowsRequested();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    if (AcceptsDrag(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (AcceptsDrag(event->mimeData()) &&
        viewport()->rect().contains(event->position().toPoint())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void FileListView::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
}

void FileListView::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(paths);
}

}  // namespace tonquill
