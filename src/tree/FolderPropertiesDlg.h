#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <memory>

class QLabel;
class QPushButton;
class QThread;

namespace tonquill {

// The folder's properties when no file manager shows them: path, dates, owner, permissions,
// and the size of its contents, counted on demand on a thread of its own.
class CFolderPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CFolderPropertiesDlg(const QString& path, QWidget* parent = nullptr);
    ~CFolderPropertiesDlg() override;

    // Starts counting the contents (what the "Calculate" button does).
    void CountContents();
    // The size line as shown.
    QString SizeText() const;

    // "rwxr-x--- (750)" for the folder's permission bits.
    static QString PermissionText(const QString& path);

signals:
    void contentsCounted();

private:
    void ShowCount(qint64 bytes, qint64 files, qint64 folders);

    QString path_;
    QLabel* size_ = nullptr;
    QPushButton* count_ = nullptr;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace tonquill
