#include "FolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace tonquill {

CFolderDialog::CFolderDialog(QString title, QString initialFolder, QWidget* owner, unsigned flags)
    : title_(std::move(title)),
      initialFolder_(std::move(initialFolder)),
      owner_(owner),
      flags_(flags) {}

int CFolderDialog::DoModal() {
    // A picker opened from another modal dialog (the options dialog) belongs to that dialog.
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = owner_;
    }
    QFileDialog dialog(owner, title_);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Nothing preselected opens at the home folder; a given folder opens selected.
    const QFileInfo initial(initialFolder_);
    if (!initialFolder_.isEmpty() && initial.isDir()) {
        dialog.setDirectory(initial.absoluteFilePath());
    } else {
        dialog.setDirectory(QDir::homePath());
    }
    browser_ = &dialog;
    const int accepted = dialog.exec();
    browser_ = nullptr;
    if (accepted != QDialog::Accepted) {
        return Cancelled;
    }
    const QList<QUrl> urls = dialog.selectedUrls();
    const QUrl chosen = urls.isEmpty() ? QUrl() : urls.first();
    const QString path = chosen.isLocalFile() ? chosen.toLocalFile() : QString();
    if (path.isEmpty()) {
        return NoPath;
    }
    selectedPath_ = QDir::cleanPath(path);
    const QString name = QFileInfo(selectedPath_).fileName();
    displayName_ = name.isEmpty() ? selectedPath_ : name;
    return Chosen;
}

}  // namespace tonquill
