#pragma once

#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ConvProgTaskbar.h"
#include "app/FileListRecords.h"
#include "app/FileLoader.h"
#include "convert/ConversionTask.h"
#include "ui/ColumnSortInfo.h"
#include "ui/ReportListModel.h"

namespace tonquill {

class CProcessing;
class FileListStatus;
class FileListView;
class PipelineContext;
struct FileListEntry;
class PlainFileListRow;

// The file list of the main window: the rows with their FileListEntry records, the totals, the
// busy flag, the loads that add files (through the loader thread and the loading window), the
// commands on rows, the status texts, and the start of a conversion in the progress window. The
// main window places it, hands it the commands and implements FileListStatus.
class FileListPane : public QWidget {
    Q_OBJECT
public:
    FileListPane(PipelineContext& ctx, FileListStatus& status, QWidget* parent = nullptr);
    ~FileListPane() override;

    FileListView* List() const { return list_; }
    CProcessing* LoadingWindow() const { return processing_; }
    int FileCount() const { return fileCount_; }
    double TotalMegabytes() const { return totalMegabytes_; }
    double TotalSeconds() const { return totalSeconds_; }
    // A bulk edit of the rows or a load runs.
    bool Busy() const { return busy_.load() != 0 || loadRun_.load() != 0; }
    // A load is running or its rows still wait to be shown.
    bool IsLoading() const { return loading_; }
    const FileListEntry* Entry(int row) const;
    // Column 1 followed by column 0: a rename shows in every later command.
    QString FullPath(int row) const;

    // The sort keys the rows are ordered by from now on (primary first), shown in the header.
    void SetSortKeys(std::vector<ColumnSortInfo> keys);

    // The file the options dialog shows its example output path for: the first selected row,
    // else the first row; none in an empty list.
    std::optional<TaskSource> ExampleSource() const;

    // Row operations.
    void RemoveRow(int row);
    void RefreshStatus();
    void UpdateSelectionSummary();

    enum class OpenResult { Opened, NoApplication, Failed };

    // Commands.
    void SelectAll();
    void SelectNone();
    void ReverseSelect();
    void SelectNext();
    void MoveUp();
    void MoveDown();
    void MoveToTop();
    void MoveToBottom();
    void RemoveSelected();
    void RemoveDead();
    void RemoveDuplicates();
    void RemoveAll();
    void DeleteFiles();
    void RenameFile();
    void Open();
    void OpenContainingFolder();
    void Properties();
    void Convert() { StartConversion(false); }
    void ConvertSelected() { StartConversion(true); }
    void StartConversion(bool selectedOnly);

    // Loads. Add Files and Add Folder ask first (file dialog, folder picker).
    void AddFiles();
    void AddFolder(bool subfolders);
    void LoadFiles(const QStringList& paths);
    void LoadFolder(const QString& folder, bool subfolders);
    // The folder tree's new selection: Shift keeps the rows, Ctrl adds the subfolders.
    void LoadTreeFolder(const QString& path, Qt::KeyboardModifiers modifiers);
    // Dropped paths (also those of a second start); refused while a load or a sort runs.
    void DropFiles(const QStringList& paths);
    // Stops the running load, as the loading window's Cancel does.
    void CancelLoad();

signals:
    // A right click on a row: the window opens the list's context menu there.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    bool event(QEvent* event) override;

    // Platform seams, replaced by the tests.
    // text is shown as it is, never as markup (it may hold file names).
    virtual QMessageBox::StandardButton Ask(
        const QString& text, const QString& title, QMessageBox::Icon icon,
        QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    virtual OpenResult OpenInShell(const QString& path);
    virtual void ShowProperties(const QString& path);
    // Runs the batch loaded into the pipeline in the progress window, modally.
    virtual void RunProgressWindow();
    virtual QStringList AskFiles();
    // The chosen folder, or an empty text when the picker was cancelled.
    virtual QString AskFolder(bool subfolders);

    PipelineContext& ctx_;

private:
    // How a load looks: the tree, the dialogs and the pickers hold their rows back until the
    // final sort, so thousands of rows are laid out and drawn once (the list still draws what it
    // had), and retitle the window; a drop shows its rows as they come, the loading window at
    // once, and keeps the rows in their order.
    struct LoadLook {
        QString windowTitle;
        bool holdRows = true;
        bool sortAtEnd = true;
        bool showAtOnce = false;
        bool clearRows = false;
    };

    // A load asked for, waiting until no other load is being set up or stopped.
    struct LoadRequest {
        FileLoader::Job job;
        LoadLook look;
    };
    // Counts the set-ups and stops under way; the last one to leave runs the load asked for
    // meanwhile.
    class LoadSetUpScope;

    // Loads.
    void StopLoader();
    void StopLoaderNow();
    void StartLoaderThread(FileLoader::Job job, const LoadLook& look);
    void RunRequestedLoads();
    void BeginLoad(const LoadLook& look);
    // A later request's look, taken over by a set-up already begun.
    void ApplyLook(const LoadLook& look);
    void EndLoad();
    void FinishLoad(bool sort);
    void TakeLoadedRows(size_t max);
    void OnLoadTick();
    void CompleteLoad();
    // The list row of a loaded file, its record attached and counted in the totals.
    ReportRowData MakeRow(PlainFileListRow& row);
    void ShowHeldRows();
    int IconFor(const QString& fileName);
    std::vector<std::string> CurrentScanExtensions() const;
    void ClearRows();

    // Commands.
    void RemoveFlagged(const std::vector<char>& doomed);
    int FirstSelected() const;
    TaskSource TaskSourceOf(int row) const;
    void OnCellEdited(int row, int column);
    void OnSorted(int column, bool ascending);
    void SetHeaderImages(int column, bool ascending);
    void OnSelectionChanged();
    void OnDragRows();

    FileListStatus& status_;
    FileListView* list_;
    CProcessing* processing_;
    FileListRecords records_;

    int fileCount_ = 0;
    double totalMegabytes_ = 0.0;
    double totalSeconds_ = 0.0;
    std::atomic<int> busy_{0};     // a bulk edit of the rows runs
    std::atomic<int> loadRun_{0};  // the running load may go on

    FileLoader loader_;
    int loadSetUps_ = 0;
    std::optional<LoadRequest> requestedLoad_;
    ConvProgTaskbar taskbar_;  // an endless progress on the launcher entry while loading
    QTimer loadTick_;
    bool loading_ = false;
    bool inTick_ = false;
    bool holdRows_ = false;
    std::vector<ReportRowData> heldRows_;
    bool sortAtEnd_ = true;
    bool dropEnabled_ = true;
    std::vector<std::pair<QString, int>> iconOfExtension_;
};

}  // namespace tonquill
