#pragma once

#include <QString>

namespace tonquill {

// What the file list shows outside itself: the status bar's panes, the window's title while a
// load runs, and the parts of the window that are off during a load (the folder tree, Close).
// The main window implements it; the pane never knows the window.
class FileListStatus {
public:
    virtual ~FileListStatus() = default;

    virtual void SetPaneText(int pane, const QString& text) = 0;
    virtual void SetPaneTooltip(int pane, const QString& tooltip) = 0;
    virtual void SetWindowTitle(const QString& title) = 0;
    virtual void SetLoading(bool loading) = 0;
};

}  // namespace tonquill
