#pragma once

#include <QStringList>

#include "ui/ReportCtrl.h"

namespace tonquill {

// Marks data dragged out of the file list, so the list can refuse it when it comes back.
inline constexpr const char* OwnDragFormat = "application/x-tonquill-rows";

// The file list's report list with the drag and drop of files: files and folders from the
// desktop come in as a text/uri-list, the list's own rows go out as one; its own rows dropped
// back are refused. What to do with them is the owner's (signals).
class FileListView : public CReportCtrl {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // The local paths of a drop's data, in order; none when it carries our own rows.
    static QStringList DroppedPaths(const QMimeData* data);
    // Whether the list takes a drag carrying data.
    static bool AcceptsDrag(const QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);
    void dragRowsRequested();
    // A right click on a row; the position is on the screen.
    void rowMenuRequested(const QPoint& globalPos);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace tonquill
