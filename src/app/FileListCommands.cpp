// The file list pane's commands on rows: selection, moves, removals, the file operations and
// the start of a conversion.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDrag>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>
#include <unordered_set>

#include "app/AudioFileFilter.h"
#include "app/CanonicalPathCache.h"
#include "app/ConvProg.h"
#include "app/FileListPane.h"
#include "app/FileListView.h"
#include "base/AudioFormat.h"
#include "base/RenameNoReplace.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/FileListEntry.h"
#include "metadata/RowTaskSource.h"
#include "tree/FolderDialog.h"

namespace tonquill {

namespace {

const QString kProgramTitle = QStringLiteral("Tonquill");
const QString kConfirmation = QStringLiteral("Confirmation");

bool PathExists(const QString& path) {
    return QFileInfo::exists(path);
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The question before files are deleted, with the first few of them named under it.
QString DeleteQuestion(const QStringList& paths) {
    constexpr int kNamesShown = 10;
    QString text = QStringLiteral("Permanently Delete the File(s), Are You Sure?\n");
    for (int i = 0; i < paths.size() && i < kNamesShown; ++i) {
        text += QLatin1Char('\n') + paths[i];
    }
    if (paths.size() > kNamesShown) {
        text += QStringLiteral("\nand %1 more").arg(paths.size() - kNamesShown);
    }
    return text;
}

// Sets the list's busy flag for a bulk edit and clears it again, as the selection handler
// reads it. A running load has a flag of its own, which this one leaves alone.
class BusyScope {
public:
    explicit BusyScope(std::atomic<int>& busy) : busy_(busy) { busy_ = 1; }
    ~BusyScope() { busy_ = 0; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<int>& busy_;
};

}  // namespace

// ---- Selection ----

void FileListPane::SelectAll() {
    {
        BusyScope scope(busy_);
        list_->ApplyStatesToRows(ROW_ALL, ROW_SELECTED);
    }
    UpdateSelectionSummary();
}

void FileListPane::SelectNone() {
    {
        BusyScope scope(busy_);
        list_->ApplyStatesToRows(ROW_ALL, ROW_UNSELECTED);
    }
    UpdateSelectionSummary();
}

void FileListPane::ReverseSelect() {
    {
        BusyScope scope(busy_);
        list_->InvertSelection();
    }
    UpdateSelectionSummary();
}

void FileListPane::SelectNext() {
    {
        BusyScope scope(busy_);
        const int count = list_->GetItemCount();
        const int selected = list_->CountRows(ROW_SELECTED);
        int target = 0;
        if (selected == 1) {
            const int row = FirstSelected();
            list_->ApplyRowStates(row, ROW_UNSELECTED | ROW_UNFOCUSED);
            target = (row + 1) % count;
        } else if (selected > 1) {
            list_->ApplyStatesToRows(ROW_ALL, ROW_UNSELECTED);
        }
        if (target < count) {
            list_->ApplyRowStates(target, ROW_SELECTED | ROW_FOCUSED);
            list_->scrollTo(list_->model()->index(target, 0));
        }
    }
    UpdateSelectionSummary();
}

// ---- Moves ----

void FileListPane::MoveUp() {
    const int row = FirstSelected();
    if (row >= 0) {
        list_->MoveRow(row, row - 1);
        list_->RecolourRows(true);
    }
}

void FileListPane::MoveDown() {
    const int row = FirstSelected();
    if (row >= 0) {
        list_->MoveRow(row, row + 1);
        list_->RecolourRows(true);
    }
}

void FileListPane::MoveToTop() {
    const int row = FirstSelected();
    if (row >= 0) {
        list_->MoveRow(row, 0);
        list_->RecolourRows(true);
    }
}

void FileListPane::MoveToBottom() {
    const int row = FirstSelected();
    if (row >= 0) {
        list_->MoveRow(row, list_->GetItemCount() - 1);
        list_->RecolourRows(true);
    }
}

// ---- Removals ----

void FileListPane::RemoveSelected() {
    {
        BusyScope scope(busy_);
        std::vector<char> doomed(static_cast<size_t>(list_->GetItemCount()), 0);
        for (int row = FirstSelected(); row >= 0; row = list_->FindNextRow(ROW_SELECTED, row)) {
            doomed[row] = 1;
        }
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

void FileListPane::RemoveAll() {
    {
        BusyScope scope(busy_);
        std::vector<char> doomed(static_cast<size_t>(list_->GetItemCount()), 1);
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

void FileListPane::RemoveDead() {
    {
        BusyScope scope(busy_);
        std::vector<char> doomed(static_cast<size_t>(list_->GetItemCount()), 0);
        for (int row = 0; row < list_->GetItemCount(); ++row) {
            doomed[row] = PathExists(FullPath(row)) ? 0 : 1;
        }
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

void FileListPane::RemoveDuplicates() {
    {
        BusyScope scope(busy_);
        const int count = list_->GetItemCount();
        std::vector<char> doomed(static_cast<size_t>(count), 0);
        // One pass with a hash set: the first row of each file stays, in its place.
        std::unordered_set<std::string> seen;
        seen.reserve(static_cast<size_t>(count));
        CanonicalPathCache paths;
        QString folder;
        std::string folderBytes;
        for (int row = 0; row < count; ++row) {
            // Rows of one folder mostly come together: its text is converted once.
            const QString rowFolder = list_->GetItemText(row, ColumnPath);
            if (row == 0 || rowFolder != folder) {
                folder = rowFolder;
                folderBytes = LocalPath(folder);
            }
            std::string key =
                paths.Key(folderBytes, LocalPath(list_->GetItemText(row, ColumnName)));
            doomed[row] = seen.insert(std::move(key)).second ? 0 : 1;
        }
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

// ---- File operations ----

void FileListPane::DeleteFiles() {
    if (FirstSelected() < 0) {
        return;
    }
    // The files go for good: the question names them and No is what Enter answers.
    QStringList names;
    for (int row = FirstSelected(); row >= 0; row = list_->FindNextRow(ROW_SELECTED, row)) {
        names << list_->GetItemText(row, ColumnName);
    }
    if (Ask(DeleteQuestion(names), kConfirmation, QMessageBox::Warning,
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    {
        BusyScope scope(busy_);
        std::vector<char> doomed(static_cast<size_t>(list_->GetItemCount()), 0);
        for (int row = FirstSelected(); row >= 0; row = list_->FindNextRow(ROW_SELECTED, row)) {
            doomed[row] = 1;
            const QString path = FullPath(row);
            if (PathExists(path)) {
                QFile::remove(path);  // a file that cannot go is left alone; its row goes
            }
        }
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

void FileListPane::RenameFile() {
    const int row = FirstSelected();
    if (row >= 0) {
        list_->BeginCellEdit(row, ColumnName);
    }
}

void FileListPane::OnCellEdited(int row, int column) {
    if (column != ColumnName) {
        return;
    }
    const QString folder = list_->GetItemText(row, ColumnPath);
    const QString newName = list_->GetItemText(row, ColumnName);
    const QString oldName = list_->editStartText;
    // A name with a '/' would move the file out of the folder its row shows.
    const bool renamed =
        !newName.isEmpty() && !newName.contains(QLatin1Char('/')) &&
        RenameNoReplace(LocalPath(folder + oldName), LocalPath(folder + newName)) == 0;
    if (!renamed) {
        Ask(QStringLiteral("Fail to Rename File!"), kProgramTitle, QMessageBox::NoIcon,
            QMessageBox::Ok);
        list_->SetItemText(row, ColumnName, oldName);
    }
}

void FileListPane::Open() {
    const int row = FirstSelected();
    if (row < 0) {
        return;
    }
    const QString path = FullPath(row);
    if (PathExists(path)) {
        if (OpenInShell(path) == OpenResult::NoApplication) {
            Ask(QStringLiteral(
                    "There is no application associated with the given file name extension."),
                kProgramTitle, QMessageBox::Warning, QMessageBox::Ok);
            OpenContainingFolder();
        }
        return;
    }
    if (Ask(QStringLiteral("File NOT Found!  Remove It from the List?"), kProgramTitle,
            QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        {
            BusyScope scope(busy_);
            RemoveRow(row);
        }
        RefreshStatus();
    }
}

void FileListPane::OpenContainingFolder() {
    const int row = FirstSelected();
    if (row >= 0) {
        OpenInShell(list_->GetItemText(row, ColumnPath));
    }
}

void FileListPane::Properties() {
    const int row = FirstSelected();
    if (row >= 0) {
        ShowProperties(FullPath(row));
    }
}

// ---- Conversion ----

void FileListPane::StartConversion(bool selectedOnly) {
    if (g_listBusy != 0 || busy_ != 0 || loading_) {
        return;
    }
    RemoveDead();
    if (!selectedOnly && list_->GetItemCount() == 0) {
        return;
    }
    const ConversionSettings& settings = ctx_.Settings;
    std::vector<TaskSource> sources;
    std::vector<LeftOutSource> leftOut;
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        const FileListEntry* entry = Entry(row);
        if (entry == nullptr || (selectedOnly && (list_->ReadRowStates(row) & ROW_SELECTED) == 0)) {
            continue;
        }
        if (entry->unreadable != 0) {
            // Left out, and the progress window says which and why.
            const FormatInfo* format = FindFormat(entry->type);
            leftOut.push_back({QFile::encodeName(FullPath(row)).toStdString(),
                               format ? format->name : std::string(), entry->unreadableReason});
            continue;
        }
        sources.push_back(TaskSourceOf(row));
    }
    // The output folder is made (when outputs go there) even when no row can be converted.
    PreparedBatch batch = PrepareBatch(sources, settings);
    batch.leftOut = std::move(leftOut);
    if (batch.tasks.empty()) {
        // Nothing to convert because nothing chosen can be read: say so rather than do nothing.
        if (!batch.leftOut.empty()) {
            QString text =
                QStringLiteral("None of these files can be read, so nothing was converted:");
            for (size_t i = 0; i < batch.leftOut.size() && i < 10; ++i) {
                text +=
                    QStringLiteral("\n") + QString::fromStdString(LeftOutLine(batch.leftOut[i]));
            }
            if (batch.leftOut.size() > 10) {
                text += QStringLiteral("\nand %1 more").arg(batch.leftOut.size() - 10);
            }
            Ask(text, QStringLiteral("Tonquill"), QMessageBox::Warning, QMessageBox::Ok);
        }
        return;
    }
    if (WritesWma(settings) && ctx_.WmaWriter) {
        SelectWmaPreset(ctx_.WmaWriter.get(), settings.WMA.Profile, ctx_.Observer());
    }
    ctx_.LoadBatch(batch);
    RunProgressWindow();
    ctx_.LoadBatch(PreparedBatch{});
}

// ---- Dragging rows out ----

void FileListPane::OnDragRows() {
    QList<QUrl> urls;
    std::vector<const FileListEntry*> dragged;
    for (int row = FirstSelected(); row >= 0; row = list_->FindNextRow(ROW_SELECTED, row)) {
        urls << QUrl::fromLocalFile(FullPath(row));
        dragged.push_back(Entry(row));
    }
    if (urls.isEmpty()) {
        return;
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setData(QString::fromLatin1(OwnDragFormat), QByteArray(1, '\0'));
    auto* drag = new QDrag(list_);
    drag->setMimeData(data);
    const Qt::DropAction result = drag->exec(Qt::CopyAction);
    if (result != Qt::IgnoreAction && result != Qt::MoveAction) {
        return;
    }
    // A target that moved the files reports no effect: rows whose file went away go too.
    std::vector<char> doomed(static_cast<size_t>(list_->GetItemCount()), 0);
    bool any = false;
    for (int row = 0; row < list_->GetItemCount(); ++row) {
        if (std::find(dragged.begin(), dragged.end(), Entry(row)) != dragged.end() &&
            !PathExists(FullPath(row))) {
            doomed[row] = 1;
            any = true;
        }
    }
    if (any) {
        RemoveFlagged(doomed);
        RefreshStatus();
    }
}

// ---- Platform seams ----

QMessageBox::StandardButton FileListPane::Ask(const QString& text, const QString& title,
                                              QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, window());
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

FileListPane::OpenResult FileListPane::OpenInShell(const QString& path) {
    // The desktop's handler for the type, asked first: opening a file nothing handles would
    // otherwise fail silently or open some unrelated program.
    if (!QFileInfo(path).isDir()) {
        static const QMimeDatabase mimeTypes;
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 mimeTypes.mimeTypeForFile(path).name()});
        if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit &&
            query.readAllStandardOutput().trimmed().isEmpty()) {
            return OpenResult::NoApplication;
        }
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path)) ? OpenResult::Opened
                                                                : OpenResult::Failed;
}

void FileListPane::ShowProperties(const QString& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return;
    }
    // No file manager answers: the facts the list knows, with the file system's own.
    const QFileInfo info(path);
    const int row = FirstSelected();
    QString text = QStringLiteral("%1\n\nType: %2\nSize: %3 bytes\nModified: %4\nPermissions: %5")
                       .arg(path, QMimeDatabase().mimeTypeForFile(info).comment())
                       .arg(info.size())
                       .arg(info.lastModified().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")))
                       .arg(QString::number(static_cast<int>(info.permissions()) & 0x777, 16));
    if (row >= 0) {
        for (int column : {ColumnDuration, ColumnFrequency, ColumnChannel, ColumnBitrate}) {
            const QString value = list_->GetItemText(row, column);
            if (!value.isEmpty()) {
                text += QStringLiteral("\n%1: %2")
                            .arg(QString::fromLatin1(FileListColumns[column].heading), value);
            }
        }
    }
    QMessageBox box(QMessageBox::Information, kProgramTitle, text, QMessageBox::Ok, window());
    box.exec();
}

void FileListPane::RunProgressWindow() {
    CConvProg progress(ctx_, window());
    progress.exec();
}

QStringList FileListPane::AskFiles() {
    return QFileDialog::getOpenFileNames(window(), QString(), QString(), AudioFileFilter());
}

QString FileListPane::AskFolder(bool subfolders) {
    CFolderDialog picker(subfolders ? QStringLiteral("Add a Folder including sub-folders")
                                    : QStringLiteral("Add a Folder excluding sub-folders"),
                         QString(), window());
    return picker.DoModal() == CFolderDialog::Chosen ? picker.selectedPath() : QString();
}

TaskSource FileListPane::TaskSourceOf(int row) const {
    return MakeTaskSource(*Entry(row), LocalPath(list_->GetItemText(row, ColumnPath)),
                          LocalPath(list_->GetItemText(row, ColumnName)));
}

std::optional<TaskSource> FileListPane::ExampleSource() const {
    int row = FirstSelected();
    if (row < 0 && list_->GetItemCount() > 0) {
        row = 0;
    }
    if (row < 0 || Entry(row) == nullptr) {
        return std::nullopt;
    }
    return TaskSourceOf(row);
}

}  // namespace tonquill
