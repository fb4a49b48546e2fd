#include "app/TonquillDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/AboutDlg.h"
#include "app/AppIcons.h"
#include "app/CommandTable.h"
#include "app/FileListPane.h"
#include "app/FileListView.h"
#include "app/Option.h"
#include "app/SingleInstance.h"
#include "app/StatusPanes.h"
#include "base/ProgramFolder.h"
#include "convert/SettingsSummary.h"
#include "convert/wma/WmaComponent.h"
#include "tree/FileTreeCtrl.h"
#include "tree/FileTreeView.h"
#include "ui/ColumnSortInfo.h"
#include "ui/DialogUnits.h"
#include "ui/SSplitter.h"

namespace tonquill {
namespace {

constexpr int WidthDlu = 601;
constexpr int HeightDlu = 388;
constexpr int TreeId = 1000;
constexpr int ToolbarImageSize = 48;
constexpr int LayoutTimerMs = 3000;
const char* const ColumnEntry = "FileList/Column";
const char* const SortEntry = "FileList/SortEx";
const char* const TreeShownEntry = "FileList/ShowLeftTree";

QSettings Profile() {
    return QSettings(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
}

}  // namespace

const QString CTonquillDlg::PlacementKeyName =
    QStringLiteral("{08498238-9FCE-4F3C-861C-BE77C5E25FD5}");

CTonquillDlg::CTonquillDlg(std::filesystem::path settingsFolder, QWidget* parent)
    : CResizeDlg(parent),
      observer_(this),
      ctx_(observer_),
      store_(std::move(settingsFolder), observer_) {
    setWindowTitle(QStringLiteral("Tonquill"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    const DialogUnits dlu(font());
    resize(dlu.X(WidthDlu), dlu.Y(HeightDlu));
    layoutTimer_.setSingleShot(true);
    connect(&layoutTimer_, &QTimer::timeout, this, &CTonquillDlg::LayoutParts);
}

CTonquillDlg::~CTonquillDlg() {
    // A load still running is told to stop before its rows and window go.
    if (pane_) {
        pane_->CancelLoad();
    }
}

bool CTonquillDlg::Initialise(bool loadLastFolder) {
    // Settings: the folder, then Config.ini (created empty on the first run).
    store_.StartUp(ctx_.Settings);
    // The WMA component: without it the program cannot run; the component says why.
    if (!CreateWmaComponents(ctx_, observer_)) {
        return false;
    }
    LoadWmaPresetFile(ctx_, ProgramFolder(), observer_);

    CreateParts();
    ConnectCommands();
    RestoreListLayout();
    RefreshSettingsSummary();
    treeLoads_ = loadLastFolder;
    SelectInitialFolder();
    treeLoads_ = true;
    layoutTimer_.start(LayoutTimerMs);
    InitResizeDlg();
    return true;
}

void CTonquillDlg::CreateParts() {
    commands_ = std::make_unique<CommandTable>(this);
    menuBar_ = commands_->BuildMenuBar(this);

    toolbar_ = new QToolBar(this);
    toolbar_->setIconSize(QSize(ToolbarImageSize, ToolbarImageSize));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setMovable(false);
    commands_->FillToolBar(toolbar_);

    tree_ = new CFileTreeCtrl(this);
    tree_->allowDelete = true;
    tree_->allowRename = true;
    tree_->allowNewFolder = true;
    pane_ = new FileListPane(ctx_, *this, this);

    splitter_ = new CSSplitter(this);
    splitter_->CreatePanes(this, tree_, pane_, TreeId, rect(), 100, 150);
    status_ = new StatusPanes(this);
    SetPaneText(1, QStringLiteral(" No file selected"));
    SetPaneTooltip(1, QStringLiteral("No file selected"));

    // A selection in the tree shows that folder's files; Shift keeps the rows, Ctrl adds the
    // subfolders. A hidden tree is no one's choice of folder, so it loads nothing.
    connect(tree_, &CFileTreeCtrl::selectionChanged, this, [this](const QString& path) {
        if (treeLoads_ && !closing_ && !path.isEmpty() && splitter_->IsLeftPaneShown()) {
            pane_->LoadTreeFolder(path, QApplication::keyboardModifiers());
        }
    });
    connect(tree_, &CFileTreeCtrl::contextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(commands_->BuildMenu(TreeMenuLayout(), this));
        menu->exec(pos);
    });
    connect(pane_, &FileListPane::contextMenuRequested, this, [this](const QPoint& pos) {
        std::unique_ptr<QMenu> menu(commands_->BuildMenu(ListMenuLayout(), this));
        menu->setDefaultAction(commands_->Action(IdConvertSelected));
        menu->exec(pos);
    });
    LayoutParts();
}

void CTonquillDlg::ConnectCommands() {
    CommandTable& c = *commands_;
    FileListPane* pane = pane_;
    CFileTreeCtrl* tree = tree_;
    c.SetHandler(IdAddFiles, [pane] { pane->AddFiles(); });
    c.SetHandler(IdAddFolder, [pane] { pane->AddFolder(false); });
    c.SetHandler(IdAddFolderTree, [pane] { pane->AddFolder(true); });
    // Closing is asked for, not done at once, so the command's own menu has closed first.
    c.SetHandler(
        IdExit, [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); });
    c.SetHandler(IdOpen, [pane] { pane->Open(); });
    c.SetHandler(IdOpenContainingFolder, [pane] { pane->OpenContainingFolder(); });
    c.SetHandler(IdRenameFile, [pane] { pane->RenameFile(); });
    c.SetHandler(IdSelectAll, [pane] { pane->SelectAll(); });
    c.SetHandler(IdSelectNone, [pane] { pane->SelectNone(); });
    c.SetHandler(IdReverseSelect, [pane] { pane->ReverseSelect(); });
    c.SetHandler(IdSelectNext, [pane] { pane->SelectNext(); });
    c.SetHandler(IdMoveUp, [pane] { pane->MoveUp(); });
    c.SetHandler(IdMoveDown, [pane] { pane->MoveDown(); });
    c.SetHandler(IdMoveToTop, [pane] { pane->MoveToTop(); });
    c.SetHandler(IdMoveToBottom, [pane] { pane->MoveToBottom(); });
    c.SetHandler(IdRemoveSelected, [pane] { pane->RemoveSelected(); });
    c.SetHandler(IdRemoveDead, [pane] { pane->RemoveDead(); });
    c.SetHandler(IdRemoveDuplicates, [pane] { pane->RemoveDuplicates(); });
    c.SetHandler(IdRemoveAll, [pane] { pane->RemoveAll(); });
    c.SetHandler(IdDeleteFiles, [pane] { pane->DeleteFiles(); });
    c.SetHandler(IdProperties, [pane] { pane->Properties(); });
    c.SetHandler(IdConvert, [pane] { pane->Convert(); });
    c.SetHandler(IdConvertSelected, [pane] { pane->ConvertSelected(); });

    c.SetHandler(IdShowTree, [this] {
        if (splitter_->IsLeftPaneShown()) {
            splitter_->HideLeftPane();
        } else {
            splitter_->ShowLeftPane();
        }
    });
    c.SetCheckedRule(IdShowTree, [this] { return splitter_->IsLeftPaneShown(); });

    c.SetHandler(IdOptions, [this] { RunOptions(); });
    c.SetHandler(IdHelpContent, [this] {
        OpenUrl(QUrl::fromLocalFile(QFile::decodeName(HelpPagePath().c_str())),
                QStringLiteral("the help page"));
    });
    c.SetHandler(IdEmailSupport, [this] {
        OpenUrl(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(CAboutDlg::SupportAddress)),
                QStringLiteral("the mail program"));
    });
    c.SetHandler(IdOnlineSupport, [this] {
        OpenUrl(QUrl(QString::fromLatin1(CAboutDlg::WebSite) + QStringLiteral("support.html")),
                QStringLiteral("the web browser"));
    });
    c.SetHandler(IdAbout, [this] {
        CAboutDlg about(this);
        about.exec();
    });
    c.SetHandler(IdFormat, [this] { ShowFormatMenu(); });
    for (const FormatInfo& info : FormatTable) {
        const int id = FormatCommandId(info.code);
        const int format = info.code;
        c.SetHandler(id, [this, format = format] { SetOutputFormat(format); });
        c.SetCheckedRule(
            id, [this, format = format] { return ctx_.Settings.OUTPUT.OutputFormat == format; });
    }

    c.SetHandler(IdTreeRefresh, [tree] { tree->Refresh(); });
    c.SetHandler(IdTreeGoUp, [tree] { tree->GoUp(); });
    c.SetHandler(IdTreeGoBack, [tree] {
        if (tree->CanGoBack()) {
            tree->GoBack();
        }
    });
    c.SetHandler(IdTreeGoForward, [tree] {
        if (tree->CanGoForward()) {
            tree->GoForward();
        }
    });
    c.SetHandler(IdTreeExpand, [this, tree] {
        // Expanding a deep branch takes a while; a second request meanwhile is ignored.
        if (expanding_) {
            return;
        }
        expanding_ = true;
        tree->ExpandBranch(tree->CurrentNode(), true);
        expanding_ = false;
    });
    c.SetHandler(IdTreeOpen, [tree] { tree->OpenNode(); });
    c.SetHandler(IdTreeCreateFolder, [tree] { tree->CreateSubfolder(nullptr, QString()); });
    c.SetHandler(IdTreeRename, [tree] { tree->RenameNode(); });
    c.SetHandler(IdTreeDelete, [tree] { tree->DeleteNode(); });
    c.SetHandler(IdTreeProperties, [tree] { tree->ShowNodeProperties(); });
}

void CTonquillDlg::RestoreListLayout() {
    QSettings profile = Profile();
    FileListView* list = pane_->List();
    const QByteArray columns = profile.value(QString::fromLatin1(ColumnEntry)).toByteArray();
    if (!columns.isEmpty()) {
        list->RestoreColumnLayout(columns);
    }
    std::vector<ColumnSortInfo> keys =
        SortKeysFromBytes(profile.value(QString::fromLatin1(SortEntry)).toByteArray());
    if (keys.empty()) {
        keys.push_back(ColumnSortInfo{0, 1});
    }
    pane_->SetSortKeys(std::move(keys));
    const QByteArray shown = profile.value(QString::fromLatin1(TreeShownEntry)).toByteArray();
    if (!shown.isEmpty() && shown.at(0) == 0) {
        splitter_->HideLeftPane();
    }
}

void CTonquillDlg::SelectInitialFolder() {
    // The folder of the last session, whose files then fill the list; else Computer.
    const QString last = QFile::decodeName(ctx_.Settings.OUTPUT.LastDir.c_str());
    if (last.isEmpty() || !QFileInfo(last).isDir() || !tree_->SelectPath(last)) {
        tree_->SelectComputer();
    }
}

void CTonquillDlg::ShowAsStored() {
    QSettings profile = Profile();
    if (!PlacementStore().RestorePlacement(*this, PlacementKeyName, profile)) {
        showMaximized();
        return;
    }
    if (!isVisible()) {
        show();
    }
}

void CTonquillDlg::LoadPaths(const QStringList& paths) {
    if (paths.isEmpty() || closing_) {
        return;
    }
    // A drop during a load is discarded; paths handed over by a later start wait for it.
    if (pane_->IsLoading() || pane_->Busy()) {
        QTimer::singleShot(100, this, [this, paths] { LoadPaths(paths); });
        return;
    }
    pane_->DropFiles(paths);
}

void CTonquillDlg::Activate() {
    if (isMinimized()) {
        // A window minimised from maximised comes back maximised.
        if (windowState() & Qt::WindowMaximized) {
            showMaximized();
        } else {
            showNormal();
        }
    }
    raise();
    activateWindow();
    if (QWidget* popup = QApplication::activeModalWidget()) {
        popup->raise();
        popup->activateWindow();
    }
}

void CTonquillDlg::ListenTo(SingleInstance& instance) {
    connect(&instance, &SingleInstance::activationRequested, this,
            [this](const QStringList& paths) {
                Activate();
                LoadPaths(paths);
            });
}

void CTonquillDlg::RefreshSettingsSummary() {
    const std::string preset =
        WritesWma(ctx_.Settings)
            ? SelectWmaPreset(ctx_.WmaWriter.get(), ctx_.Settings.WMA.Profile, observer_)
            : std::string();
    const QString summary = QString::fromStdString(SettingsSummary(ctx_.Settings, preset));
    SetPaneText(2, summary);
    SetPaneTooltip(2, summary);
    formatImage_ = AppIcons::FormatImage(ctx_.Settings.OUTPUT.OutputFormat);
    commands_->Action(IdFormat)->setIcon(AppIcons::Toolbar(formatImage_));
    commands_->UpdateCheckedStates();
}

void CTonquillDlg::SetOutputFormat(int format) {
    ctx_.Settings.OUTPUT.OutputFormat = static_cast<int16_t>(format);
    RefreshSettingsSummary();
    SaveSettings();
}

void CTonquillDlg::ShowFormatMenu() {
    std::unique_ptr<QMenu> menu(commands_->BuildMenu(FormatMenuLayout(), this));
    commands_->UpdateCheckedStates();
    // Below the button, its left edges lined up, leaving the button itself uncovered.
    QWidget* button = toolbar_->widgetForAction(commands_->Action(IdFormat));
    const QPoint at = button ? button->mapToGlobal(QPoint(0, button->height())) : QCursor::pos();
    menu->exec(at);
}

void CTonquillDlg::RunOptions() {
    const WmaPresetList* presets = ctx_.WmaWriter ? &ctx_.WmaWriter->Presets() : nullptr;
    COption options(ctx_.Settings, store_, presets, this);
    if (const std::optional<TaskSource> example = pane_->ExampleSource()) {
        options.SetExampleSource(*example);
    }
    connect(&options, &COption::settingsReset, this, &CTonquillDlg::RefreshSettingsSummary);
    options.exec();
    // Whatever the result: a refused folder or a reset has changed the record already.
    RefreshSettingsSummary();
    SaveSettings();
}

void CTonquillDlg::SaveSettings() {
    // Written at once, not only at a clean exit: a crash or a killed session keeps them.
    const std::string lastDir = QFile::encodeName(tree_->CurrentPath()).toStdString();
    store_.SaveSettings(ctx_.Settings, lastDir);
}

void CTonquillDlg::OpenUrl(const QUrl& url, const QString& what) {
    if (!QDesktopServices::openUrl(url)) {
        // A path is shown as it is, never read as markup.
        const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
        QMessageBox box(
            QMessageBox::Warning, QStringLiteral("Tonquill"),
            QStringLiteral("Unable to open %1: no application opens it.\n%2").arg(what, where),
            QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void CTonquillDlg::SetPaneText(int pane, const QString& text) {
    status_->SetText(pane, text);
}

void CTonquillDlg::SetPaneTooltip(int pane, const QString& tooltip) {
    status_->SetTooltip(pane, tooltip);
}

void CTonquillDlg::SetWindowTitle(const QString& title) {
    setWindowTitle(title.isEmpty() ? QStringLiteral("Tonquill") : title);
}

void CTonquillDlg::SetLoading(bool loading) {
    // The tree is off while a load runs; whoever was working in it keeps working there after.
    if (loading) {
        treeHadFocus_ = tree_->isAncestorOf(QApplication::focusWidget());
    }
    tree_->SetBusy(loading);
    // An editor opened in the tree during the load already has the keyboard: leave it there.
    if (!loading && treeHadFocus_) {
        treeHadFocus_ = false;
        if (!tree_->isAncestorOf(QApplication::focusWidget())) {
            tree_->view()->setFocus();
        }
    }
}

void CTonquillDlg::SaveState() {
    ++saveCount_;
    QSettings profile = Profile();
    SaveSettings();
    WindowPlacementStore::SavePlacement(*this, PlacementKeyName, profile);
    FileListView* list = pane_->List();
    profile.setValue(QString::fromLatin1(ColumnEntry), list->ColumnLayoutBytes());
    profile.setValue(QString::fromLatin1(SortEntry), SortKeysToBytes(list->sortKeys));
    profile.setValue(QString::fromLatin1(TreeShownEntry),
                     QByteArray(1, splitter_->IsLeftPaneShown() ? 1 : 0));
    profile.sync();
}

void CTonquillDlg::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    // A load still running stops (within a tenth of a second) before the state is taken.
    pane_->CancelLoad();
    SaveState();
    event->accept();
}

void CTonquillDlg::reject() {
    // Esc does not close the main window; the close box and File > Exit do.
}

void CTonquillDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // swallowed: neither closes the window
            return;
        default:
            CResizeDlg::keyPressEvent(event);
    }
}

void CTonquillDlg::resizeEvent(QResizeEvent* event) {
    CResizeDlg::resizeEvent(event);
    LayoutParts();
}

void CTonquillDlg::LayoutParts() {
    if (!status_) {
        return;
    }
    const int width = this->width();
    int top = 0;
    if (menuBar_) {
        const int h = menuBar_->sizeHint().height();
        menuBar_->setGeometry(0, 0, width, h);
        top += h;
    }
    const int toolbarHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, top, width, toolbarHeight);
    top += toolbarHeight;
    const int statusTop = height() - StatusPanes::Height;
    status_->setGeometry(0, statusTop, width, StatusPanes::Height);
    splitter_->setGeometry(0, top, width, std::max(0, statusTop - top));
}

}  // namespace tonquill
