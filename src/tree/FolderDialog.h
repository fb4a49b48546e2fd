#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace tonquill {

// The modal folder picker: the desktop's own folder chooser where the platform offers one, Qt's
// otherwise. Used for the output folder and for the two Add Folder commands.
class CFolderDialog {
public:
    // DoModal's results.
    static constexpr int Chosen = 1;   // a folder with a file-system path; selectedPath() holds it
    static constexpr int NoPath = -1;  // the chosen item has no file-system path
    static constexpr int Cancelled = 2;  // the user closed the picker without choosing
    // File-system folders only, with an edit box, in the new style: the only flags in use.
    static constexpr unsigned DefaultFlags = 0x51;

    // An empty initial folder opens the picker with nothing selected (at the home folder).
    CFolderDialog(QString title, QString initialFolder, QWidget* owner,
                  unsigned flags = DefaultFlags);

    int DoModal();

    const QString& title() const { return title_; }
    const QString& initialFolder() const { return initialFolder_; }
    unsigned flags() const { return flags_; }
    // The chosen folder, without a trailing "/" (except for "/" itself); empty until a choice.
    const QString& selectedPath() const { return selectedPath_; }
    // The chosen item's name as the picker shows it (the folder's last component).
    const QString& displayName() const { return displayName_; }

    // The picker while DoModal runs (null otherwise): lets a test drive the widget-based picker.
    QFileDialog* browser() const { return browser_; }

private:
    QString title_;
    QString initialFolder_;
    QWidget* owner_;
    unsigned flags_;
    QString selectedPath_;
    QString displayName_;
    QPointer<QFileDialog> browser_;
};

}  // namespace tonquill
