#pragma once

#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>

#include "app/FileListStatus.h"
#include "app/MessageBoxObserver.h"
#include "convert/PipelineContext.h"
#include "settings/SettingsStore.h"
#include "ui/ResizeDlg.h"

class QMenuBar;
class QToolBar;

namespace tonquill {

class CFileTreeCtrl;
class CSSplitter;
class CommandTable;
class FileListPane;
class SingleInstance;
class StatusPanes;

// The main window: the folder tree and the file list side by side, the menus, the toolbar and
// the status bar; its start-up, its stored layout and its close. It is the switchboard between
// the rooms: commands go to the pane, the tree or a dialog; the rooms never know the window.
class CTonquillDlg : public CResizeDlg, public FileListStatus {
    Q_OBJECT
public:
    // The profile key of the window's placement.
    static const QString PlacementKeyName;

    // settingsFolder: where Config.ini lives (the user's unless a test gives its own).
    explicit CTonquillDlg(
        std::filesystem::path settingsFolder = SettingsStore::DefaultSettingsFolder(),
        QWidget* parent = nullptr);
    ~CTonquillDlg() override;

    // The start-up steps. False when the program cannot go on (the WMA component is missing):
    // its messages have been shown, and the process ends with exit code 1. With paths to load
    // (from the command line) the last folder is selected in the tree but its files stay out.
    bool Initialise(bool loadLastFolder = true);
    // Shows the window as it was left: the stored placement, or maximised.
    void ShowAsStored();
    // Files and folders from the command line or a later start: loaded as a drop is.
    void LoadPaths(const QStringList& paths);
    // A later start asked for the window: bring it to the front.
    void Activate();
    // Later starts reach this window through instance: it comes to the front and loads their
    // paths.
    void ListenTo(SingleInstance& instance);

    void RefreshSettingsSummary();

    CommandTable& Commands() const { return *commands_; }
    CFileTreeCtrl* Tree() const { return tree_; }
    FileListPane* Pane() const { return pane_; }
    CSSplitter* Splitter() const { return splitter_; }
    StatusPanes* Status() const { return status_; }
    QToolBar* ToolBar() const { return toolbar_; }
    PipelineContext& Context() { return ctx_; }
    // The toolbar image the Format button shows now.
    int FormatButtonImage() const { return formatImage_; }
    // How often the state was saved (once per close, however often closing is asked).
    int SaveCount() const { return saveCount_; }

    // FileListStatus
    void SetPaneText(int pane, const QString& text) override;
    void SetPaneTooltip(int pane, const QString& tooltip) override;
    void SetWindowTitle(const QString& title) override;
    void SetLoading(bool loading) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void CreateParts();
    void ConnectCommands();
    void RestoreListLayout();
    void SelectInitialFolder();
    void SaveState();
    // Config.ini from the settings record and the tree's folder.
    void SaveSettings();
    void LayoutParts();
    void ShowFormatMenu();
    void SetOutputFormat(int format);
    void RunOptions();
    void OpenUrl(const QUrl& url, const QString& what);

    MessageBoxObserver observer_;
    PipelineContext ctx_;
    SettingsStore store_;
    bool closing_ = false;
    int saveCount_ = 0;
    int formatImage_ = 3;
    bool expanding_ = false;
    bool treeLoads_ = true;
    bool treeHadFocus_ = false;  // a selection in the tree loads its folder

    std::unique_ptr<CommandTable> commands_;
    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    CSSplitter* splitter_ = nullptr;
    CFileTreeCtrl* tree_ = nullptr;
    FileListPane* pane_ = nullptr;
    StatusPanes* status_ = nullptr;
    QTimer layoutTimer_;
};

}  // namespace tonquill
