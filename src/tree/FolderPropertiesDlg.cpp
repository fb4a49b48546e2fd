#include "FolderPropertiesDlg.h"

#include <sys/stat.h>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace tonquill {

namespace {

QString DateText(const QDateTime& when) {
    return when.isValid() ? QLocale().toString(when, QLocale::LongFormat) : QString("-");
}

QLabel* ValueLabel(const QString& text) {
    auto* label = new QLabel(text);
    // Names and paths are shown as they are: a folder called "<b>x</b>" is not markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

CFolderPropertiesDlg::CFolderPropertiesDlg(const QString& path, QWidget* parent)
    : QDialog(parent), path_(path), stop_(std::make_shared<std::atomic<bool>>(false)) {
    const QFileInfo info(path);
    setWindowTitle(
        QString("%1 Properties").arg(info.fileName().isEmpty() ? path : info.fileName()));
    auto* form = new QFormLayout;
    form->addRow("Path:", ValueLabel(path));
    form->addRow("Type:", ValueLabel(info.isSymLink() ? "Link to a folder" : "Folder"));
    size_ = ValueLabel("Not counted");
    count_ = new QPushButton("Calculate");
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(size_, 1);
    sizeRow->addWidget(count_);
    form->addRow("Size of contents:", sizeRow);
    form->addRow("Created:", ValueLabel(DateText(info.birthTime())));
    form->addRow("Modified:", ValueLabel(DateText(info.lastModified())));
    form->addRow("Accessed:", ValueLabel(DateText(info.lastRead())));
    form->addRow("Owner:", ValueLabel(QString("%1 (%2)").arg(info.owner(), info.group())));
    form->addRow("Permissions:", ValueLabel(PermissionText(path)));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(count_, &QPushButton::clicked, this, &CFolderPropertiesDlg::CountContents);
}

CFolderPropertiesDlg::~CFolderPropertiesDlg() {
    stop_->store(true);
    if (worker_ != nullptr) {
        // The count only reads the disk and stops at once when told; it never touches us.
        worker_->wait();
        delete worker_;
    }
}

void CFolderPropertiesDlg::CountContents() {
    if (worker_ != nullptr) {
        return;
    }
    count_->setEnabled(false);
    size_->setText("Counting...");
    QPointer<CFolderPropertiesDlg> self(this);
    const QString root = path_;
    auto stop = stop_;
    worker_ = QThread::create([self, root, stop] {
        qint64 bytes = 0;
        qint64 files = 0;
        qint64 folders = 0;
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext() && !stop->load()) {
            it.next();
            const QFileInfo entry = it.fileInfo();
            if (entry.isDir() && !entry.isSymLink()) {
                ++folders;
            } else {
                ++files;
                bytes += entry.isSymLink() ? 0 : entry.size();
            }
        }
        if (!stop->load()) {
            QMetaObject::invokeMethod(
                self,
                [self, bytes, files, folders] {
                    if (self) {
                        self->ShowCount(bytes, files, folders);
                    }
                },
                Qt::QueuedConnection);
        }
    });
    worker_->start();
}

void CFolderPropertiesDlg::ShowCount(qint64 bytes, qint64 files, qint64 folders) {
    size_->setText(QString("%1 (%2 bytes), %3 files, %4 folders")
                       .arg(QLocale().formattedDataSize(bytes), QLocale().toString(bytes),
                            QLocale().toString(files), QLocale().toString(folders)));
    emit contentsCounted();
}

QString CFolderPropertiesDlg::SizeText() const {
    return size_->text();
}

QString CFolderPropertiesDlg::PermissionText(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return "-";
    }
    static const char letters[] = "rwxrwxrwx";
    QString text;
    for (int bit = 0; bit < 9; ++bit) {
        text += (st.st_mode & (0400 >> bit)) ? QChar(letters[bit]) : QChar('-');
    }
    return QString("%1 (%2)").arg(text).arg(st.st_mode & 0777, 3, 8, QChar('0'));
}

}  // namespace tonquill
