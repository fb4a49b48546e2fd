// The file list pane: its rows and totals, the status texts and the loads that add files.
#include "app/FileListPane.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>
#include <QVBoxLayout>
#include <iterator>
#include <limits>

#include "app/AppIcons.h"
#include "app/FileListStatus.h"
#include "app/FileListView.h"
#include "app/ListSummaryText.h"
#include "app/Processing.h"
#include "convert/PipelineContext.h"
#include "metadata/FileListEntry.h"
#include "metadata/FileListRow.h"
#include "metadata/FileScan.h"
#include "ui/ReportEvents.h"
#include "ui/ReportListModel.h"

namespace tonquill {

namespace {

// Dropped paths, posted so the drop ends before the load begins.
constexpr int WM_FILES_DROPPED = 0x466;

class FilesDroppedEvent : public QEvent {
public:
    explicit FilesDroppedEvent(QStringList paths)
        : QEvent(static_cast<QEvent::Type>(WM_FILES_DROPPED)), paths(std::move(paths)) {}
    QStringList paths;
};

// The window takes the loader's rows this often and at most this many at a time, so it stays
// responsive (and Cancel is heard) however fast the loader finds files.
constexpr int kLoadTickMs = 30;
constexpr size_t kRowsPerTick = 2000;

const QString kLoadingTitle =
    QStringLiteral("Loading files, this may takes up to minutes, please wait...");
const QString kProgramTitle = QStringLiteral("Tonquill");

QColor FromBgr(uint32_t colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

}  // namespace

FileListPane::FileListPane(PipelineContext& ctx, FileListStatus& status, QWidget* parent)
    : QWidget(parent),
      ctx_(ctx),
      status_(status),
      list_(new FileListView(this)),
      processing_(new CProcessing(this)),
      loader_(loadRun_) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);

    for (const FileListColumnInfo& info : FileListColumns) {
        list_->InsertColumn(info.column, QString::fromLatin1(info.heading),
                            info.align == ColumnAlign::Right ? 1 : 0, info.width);
    }
    list_->SetOwnerRecords(&records_);
    list_->notifyTarget = this;
    list_->ShowEmptyHints(true);
    list_->SetHeaderImageList(AppIcons::HeaderImages());
    // Columns can be dragged into another order; a second click on a selected row's name
    // renames its file in place.
    constexpr unsigned kHeaderDragDrop = 0x10;
    list_->ApplyExtendedStyle(kHeaderDragDrop);
    list_->EnableCellEditing(true);
    list_->AllowColumnEditing(ColumnName);

    connect(processing_, &CProcessing::cancelRequested, this, &FileListPane::CancelLoad);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FileListPane::OnSelectionChanged);
    connect(list_, &QAbstractItemView::doubleClicked, this, [this] {
        // The first click of a double click on a selected row may have opened the editor.
        list_->EndCellEdit(false);
        if (FirstSelected() >= 0) {
            StartConversion(true);
        }
    });
    connect(list_, &FileListView::rowMenuRequested, this, &FileListPane::contextMenuRequested);
    connect(list_, &FileListView::filesDropped, this, [this](const QStringList& paths) {
        if (dropEnabled_) {
            QCoreApplication::postEvent(this, new FilesDroppedEvent(paths));
        }
    });
    connect(list_, &FileListView::dragRowsRequested, this, &FileListPane::OnDragRows);
    loadTick_.setInterval(kLoadTickMs);
    connect(&loadTick_, &QTimer::timeout, this, &FileListPane::OnLoadTick);
}

FileListPane::~FileListPane() {
    loadRun_ = 0;
    requestedLoad_.reset();
    loader_.Join();
    loader_.TakeRows(std::numeric_limits<size_t>::max());
    list_->SetOwnerRecords(nullptr);
    list_->DeleteItems(ROW_ALL);
}

const FileListEntry* FileListPane::Entry(int row) const {
    return static_cast<const FileListEntry*>(list_->GetItemData(row));
}

QString FileListPane::FullPath(int row) const {
    return list_->GetItemText(row, ColumnPath) + list_->GetItemText(row, ColumnName);
}

// ---- Rows and status ----

void FileListPane::RemoveRow(int row) {
    if (row < 0 || row >= list_->GetItemCount()) {
        return;
    }
    fileCount_ -= 1;
    if (const FileListEntry* entry = Entry(row)) {
        totalMegabytes_ -= entry->sizeMegabytes;
        totalSeconds_ -= entry->durationSeconds;
    }
    list_->DeleteItem(row, false);  // the row's record goes with it
}

void FileListPane::RemoveFlagged(const std::vector<char>& doomed) {
    // Many rows at once: totals and records as RemoveRow keeps them, the rows in one pass.
    bool any = false;
    for (size_t row = 0; row < doomed.size(); ++row) {
        if (!doomed[row]) {
            continue;
        }
        any = true;
        fileCount_ -= 1;
        if (const FileListEntry* entry = Entry(static_cast<int>(row))) {
            totalMegabytes_ -= entry->sizeMegabytes;
            totalSeconds_ -= entry->durationSeconds;
        }
    }
    if (any) {
        list_->DeleteRows(doomed);
    }
}

void FileListPane::ClearRows() {
    list_->DeleteItems(ROW_ALL);
    fileCount_ = 0;
    totalMegabytes_ = 0.0;
    totalSeconds_ = 0.0;
}

void FileListPane::RefreshStatus() {
    const QString totals = ListTotalsText(fileCount_, totalMegabytes_, totalSeconds_);
    status_.SetPaneText(0, totals);
    status_.SetPaneTooltip(0, totals);
    list_->RecolourRows(false);
    UpdateSelectionSummary();
}

void FileListPane::UpdateSelectionSummary() {
    int count = 0;
    double megabytes = 0.0;
    double seconds = 0.0;
    for (int row = list_->FindNextRow(ROW_SELECTED, -1); row >= 0;
         row = list_->FindNextRow(ROW_SELECTED, row)) {
        count += 1;
        if (const FileListEntry* entry = Entry(row)) {
            megabytes += entry->sizeMegabytes;
            seconds += entry->durationSeconds;
        }
    }
    status_.SetPaneText(1, SelectionSummaryText(count, megabytes, seconds));
}

void FileListPane::OnSelectionChanged() {
    if (g_listBusy == 0 && busy_ == 0 && !loading_) {
        UpdateSelectionSummary();
    }
}

int FileListPane::FirstSelected() const {
    return list_->FindNextRow(ROW_SELECTED, -1);
}

ReportRowData FileListPane::MakeRow(PlainFileListRow& row) {
    ReportCell blank;
    blank.textColour = list_->palette().color(QPalette::Text).rgb();
    blank.backColour = list_->palette().color(QPalette::Base).rgb();
    ReportRowData data;
    data.cells.assign(static_cast<size_t>(list_->ColumnCount()), blank);
    auto owned = std::make_unique<FileListEntry>(std::move(row.entry));
    const FileListEntry* entry = owned.get();
    data.Own(std::move(owned));
    for (int column = 0; column < FileListColumnCount && column < list_->ColumnCount(); ++column) {
        const std::string& text = row.cells[column];
        // Names and folders are the file system's bytes; tag texts are UTF-8.
        data.cells[column].text = column == ColumnName || column == ColumnPath
                                      ? QFile::decodeName(QByteArray::fromStdString(text))
                                      : QString::fromStdString(text);
        if (row.colours[column]) {
            data.cells[column].textColour = FromBgr(*row.colours[column]).rgb();
        }
    }
    if (!data.cells.empty()) {
        data.cells[ColumnName].image = IconFor(data.cells[ColumnName].text);
    }
    // Why a file cannot be read shows over its whole row.
    if (entry->unreadable != 0 && !entry->unreadableReason.empty()) {
        const QString reason =
            QStringLiteral("Cannot be read: ") + QString::fromStdString(entry->unreadableReason);
        for (ReportCell& cell : data.cells) {
            cell.tooltip = reason;
        }
    }
    // The folder, often cut short in its column, shows whole over its cell.
    if (static_cast<int>(data.cells.size()) > ColumnPath) {
        data.cells[ColumnPath].tooltip = data.cells[ColumnPath].text;
    }
    fileCount_ += 1;
    totalMegabytes_ += entry->sizeMegabytes;
    totalSeconds_ += row.playTime;
    return data;
}

int FileListPane::IconFor(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toUpper();
    for (const auto& [known, index] : iconOfExtension_) {
        if (known == extension) {
            return index;
        }
    }
    // The desktop's icon for the file's type, asked once per extension.
    static const QMimeDatabase mimeTypes;
    const QMimeType type = mimeTypes.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    const QIcon icon = QIcon::fromTheme(
        type.iconName(),
        QIcon::fromTheme(type.genericIconName(),
                         QIcon::fromTheme(QStringLiteral("audio-x-generic"),
                                          style()->standardIcon(QStyle::SP_FileIcon))));
    QList<QIcon> images = list_->ImageList();
    images << icon;
    list_->SetImageList(images);
    const int index = static_cast<int>(images.size()) - 1;
    iconOfExtension_.emplace_back(extension, index);
    return index;
}

// ---- Loads ----

std::vector<std::string> FileListPane::CurrentScanExtensions() const {
    return ScanExtensions(ctx_.Settings.OUTPUT.Filter);
}

class FileListPane::LoadSetUpScope {
public:
    explicit LoadSetUpScope(FileListPane& pane) : pane_(pane) { ++pane_.loadSetUps_; }
    ~LoadSetUpScope() {
        if (--pane_.loadSetUps_ == 0 && pane_.requestedLoad_) {
            pane_.RunRequestedLoads();
        }
    }
    LoadSetUpScope(const LoadSetUpScope&) = delete;
    LoadSetUpScope& operator=(const LoadSetUpScope&) = delete;

private:
    FileListPane& pane_;
};

void FileListPane::CancelLoad() {
    g_listBusy = 1;
    loadRun_ = 0;
}

void FileListPane::StopLoader() {
    LoadSetUpScope scope(*this);
    StopLoaderNow();
}

void FileListPane::StopLoaderNow() {
    loadRun_ = 0;
    if (loader_.HasThread()) {
        // The loader stops between two files; a slow probe may outlast the half second, and it
        // is then simply waited for, so no row is left half made.
        loader_.WaitFor(std::chrono::milliseconds(500));
        loader_.Join();
    }
    if (loading_) {
        TakeLoadedRows(std::numeric_limits<size_t>::max());
        CompleteLoad();
    }
}

void FileListPane::StartLoaderThread(FileLoader::Job job, const LoadLook& look) {
    // Setting a load up moves the focus, commits editors and may show a box, and any of these
    // can ask for a load in turn: such a request waits until the set-up under way returns.
    requestedLoad_ = LoadRequest{std::move(job), look};
    if (loadSetUps_ == 0) {
        RunRequestedLoads();
    }
}

void FileListPane::RunRequestedLoads() {
    ++loadSetUps_;
    bool begun = false;  // the load's look is on, no thread started yet
    while (requestedLoad_) {
        LoadRequest request = std::move(*requestedLoad_);
        requestedLoad_.reset();
        if (!begun) {
            StopLoaderNow();
            if (requestedLoad_) {
                continue;
            }
        }
        if (begun) {
            ApplyLook(request.look);
        } else {
            BeginLoad(request.look);
            begun = true;
        }
        if (requestedLoad_) {
            continue;  // a later request takes this set-up over: the newest wish is loaded
        }
        if (request.look.clearRows) {
            ClearRows();
            status_.SetPaneText(0, QStringLiteral("No file"));
            status_.SetPaneTooltip(0, QStringLiteral("No file"));
        }
        if (requestedLoad_) {
            continue;
        }
        loadRun_ = 1;
        if (!loader_.Start(std::move(request.job))) {
            // Never the case while set-ups wait their turn; a refused start ends as an empty load.
            loadRun_ = 0;
            CompleteLoad();
        }
    }
    --loadSetUps_;
}

void FileListPane::ApplyLook(const LoadLook& look) {
    holdRows_ = look.holdRows;
    sortAtEnd_ = look.sortAtEnd;
    if (look.showAtOnce) {
        processing_->show();
    }
    if (!look.windowTitle.isEmpty()) {
        status_.SetWindowTitle(look.windowTitle);
    }
}

void FileListPane::BeginLoad(const LoadLook& look) {
    holdRows_ = look.holdRows;
    sortAtEnd_ = look.sortAtEnd;
    processing_->setWindowTitle(QString());
    processing_->CentreOn(window());
    if (look.showAtOnce) {
        processing_->show();
    } else {
        processing_->ArmShowTimer();
    }
    status_.SetLoading(true);
    taskbar_.SetState(ConvProgTaskbar::State::Indeterminate);
    loadRun_ = 1;
    loading_ = true;
    if (!look.windowTitle.isEmpty()) {
        status_.SetWindowTitle(look.windowTitle);
    }
    loadTick_.start();
}

void FileListPane::EndLoad() {
    loadRun_ = 0;
    loading_ = false;
    loadTick_.stop();
    processing_->Conceal();
    status_.SetLoading(false);
    taskbar_.SetState(ConvProgTaskbar::State::None);
    QTimer::singleShot(100, this, [this] {
        const QString totals = ListTotalsText(fileCount_, totalMegabytes_, totalSeconds_);
        status_.SetPaneText(0, totals);
    });
}

void FileListPane::FinishLoad(bool sort) {
    const QString totals = ListTotalsText(fileCount_, totalMegabytes_, totalSeconds_);
    status_.SetPaneText(0, totals);
    status_.SetPaneTooltip(0, totals);
    status_.SetPaneText(1, QStringLiteral(" No file selected"));
    status_.SetPaneTooltip(1, QStringLiteral("No file selected"));
    if (sort) {
        list_->SortRows(0, list_->GetItemCount() - 1, true);
    } else {
        list_->RecolourRows(false);
        // Only a sort would clear a cancel's mark otherwise, and until then drops and Convert
        // would be refused.
        g_listBusy = 0;
    }
    SetSortKeys(list_->sortKeys);  // the header arrows follow the keys
    EndLoad();
    status_.SetWindowTitle(kProgramTitle);
}

void FileListPane::TakeLoadedRows(size_t max) {
    std::vector<ReportRowData> batch;
    for (const auto& row : loader_.TakeRows(max)) {
        batch.push_back(MakeRow(*row));
    }
    if (holdRows_) {
        std::move(batch.begin(), batch.end(), std::back_inserter(heldRows_));
    } else if (!batch.empty()) {
        list_->EndCellEdit(true);
        list_->Model()->AppendRows(std::move(batch));
    }
}

void FileListPane::ShowHeldRows() {
    if (!heldRows_.empty()) {
        list_->EndCellEdit(true);
        list_->Model()->AppendRows(std::move(heldRows_));
        heldRows_.clear();
    }
}

void FileListPane::OnLoadTick() {
    // While a load is set up or stopped its loader is not yet (or no longer) the running one.
    if (inTick_ || loadSetUps_ > 0) {
        return;
    }
    inTick_ = true;
    std::string text;
    MessageIcon icon = MessageIcon::Information;
    if (loader_.PendingMessage(text, icon)) {
        const QMessageBox::Icon boxIcon = icon == MessageIcon::Error     ? QMessageBox::Critical
                                          : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                         : QMessageBox::Information;
        Ask(QString::fromStdString(text), kProgramTitle, boxIcon, QMessageBox::Ok);
        loader_.AnswerMessage();
    }
    if (loader_.TakeTitle(text)) {
        processing_->setWindowTitle(QFile::decodeName(QByteArray::fromStdString(text)));
    }
    // Ended is read first: every row of an ended load is waiting by then.
    const bool ended = loader_.Ended();
    TakeLoadedRows(ended ? std::numeric_limits<size_t>::max() : kRowsPerTick);
    if (ended && loading_) {
        loader_.Join();
        inTick_ = false;
        LoadSetUpScope scope(*this);
        CompleteLoad();
        return;
    }
    inTick_ = false;
}

void FileListPane::CompleteLoad() {
    loadTick_.stop();
    ShowHeldRows();
    processing_->Conceal();
    if (loader_.Failed() && loader_.CurrentKind() != FileLoader::Kind::Drop) {
        Ask(QStringLiteral("An Error Occurred While Loading Files!"), kProgramTitle,
            QMessageBox::Critical, QMessageBox::Ok);
    }
    FinishLoad(sortAtEnd_);
}

void FileListPane::AddFiles() {
    StopLoader();
    const QStringList paths = AskFiles();
    if (!paths.isEmpty()) {
        LoadFiles(paths);
    }
}

void FileListPane::LoadFiles(const QStringList& paths) {
    FileLoader::Job job;
    job.kind = FileLoader::Kind::Files;
    for (const QString& path : paths) {
        job.paths.push_back(QFile::encodeName(path).toStdString());
    }
    StartLoaderThread(std::move(job), {.windowTitle = kLoadingTitle});
}

void FileListPane::AddFolder(bool subfolders) {
    StopLoader();
    const QString folder = AskFolder(subfolders);
    if (!folder.isEmpty()) {
        LoadFolder(folder, subfolders);
    } else {
        // A cancelled picker still ends as a load does: sorted, the selection text reset.
        FinishLoad(true);
    }
}

void FileListPane::LoadFolder(const QString& folder, bool subfolders) {
    FileLoader::Job job;
    job.kind = FileLoader::Kind::Folder;
    job.paths.push_back(QFile::encodeName(folder).toStdString());
    job.subfolders = subfolders;
    job.extensions = CurrentScanExtensions();
    StartLoaderThread(std::move(job), {.windowTitle = kLoadingTitle});
}

void FileListPane::LoadTreeFolder(const QString& path, Qt::KeyboardModifiers modifiers) {
    if (!QFileInfo(path).isDir()) {
        return;
    }
    FileLoader::Job job;
    job.kind = FileLoader::Kind::Folder;
    job.paths.push_back(QFile::encodeName(path).toStdString());
    job.subfolders = (modifiers & Qt::ControlModifier) != 0;
    job.extensions = CurrentScanExtensions();
    StartLoaderThread(std::move(job), {.windowTitle = kLoadingTitle,
                                       .clearRows = (modifiers & Qt::ShiftModifier) == 0});
}

void FileListPane::DropFiles(const QStringList& paths) {
    if (g_listBusy != 0 || busy_ != 0 || loading_) {
        return;  // a load or a sort runs: the drop is discarded
    }
    FileLoader::Job job;
    job.kind = FileLoader::Kind::Drop;
    for (const QString& path : paths) {
        job.paths.push_back(QFile::encodeName(path).toStdString());
    }
    job.extensions = CurrentScanExtensions();
    LoadLook look;
    look.holdRows = false;
    look.sortAtEnd = false;
    look.showAtOnce = true;
    StartLoaderThread(std::move(job), look);
}

bool FileListPane::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
        case WM_FILES_DROPPED:
            DropFiles(static_cast<FilesDroppedEvent*>(event)->paths);
            return true;
        case WM_REPORT_SORTED: {
            auto* sorted = static_cast<ReportSortedEvent*>(event);
            OnSorted(sorted->column, sorted->ascending);
            return true;
        }
        case WM_REPORT_CELL_EDITED: {
            auto* edited = static_cast<ReportCellEditedEvent*>(event);
            OnCellEdited(edited->row, edited->column);
            return true;
        }
        default:
            return QWidget::event(event);
    }
}

void FileListPane::SetSortKeys(std::vector<ColumnSortInfo> keys) {
    list_->sortKeys = std::move(keys);
    if (list_->sortKeys.empty()) {
        SetHeaderImages(-1, true);
    } else {
        SetHeaderImages(list_->sortKeys.front().column, list_->sortKeys.front().ascending != 0);
    }
}

void FileListPane::OnSorted(int column, bool ascending) {
    // Without sort keys the list keeps its order and no column shows an arrow.
    SetHeaderImages(list_->sortKeys.empty() ? -1 : column, ascending);
}

void FileListPane::SetHeaderImages(int column, bool ascending) {
    for (int c = 0; c < list_->ColumnCount(); ++c) {
        list_->SetHeaderIcon(c, AppIcons::SortNone);
    }
    if (column >= 0 && column < list_->ColumnCount()) {
        list_->SetHeaderIcon(column,
                             ascending ? AppIcons::SortAscending : AppIcons::SortDescending);
    }
}

}  // namespace tonquill
