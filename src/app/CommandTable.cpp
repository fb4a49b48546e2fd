#include "app/CommandTable.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include "app/AboutDlg.h"
#include "app/AppIcons.h"
#include "base/AudioFormat.h"

namespace tonquill {

namespace {

std::vector<CommandRow> WithFormatCommands(std::vector<CommandRow> rows) {
    for (const FormatInfo* format : FormatsInMenuOrder()) {
        rows.push_back({FormatCommandId(format->code), format->name, "", "", -1});
    }
    return rows;
}

}  // namespace

const std::vector<CommandRow>& CommandRows() {
    static const std::vector<CommandRow> rows = WithFormatCommands({
        {IdAddFiles, "Add File(s)", "F6", "Add audio files to the current file list",
         AppIcons::AddFiles},
        {IdAddFolder, "Add Folder excluding Subfolders", "F7",
         "Add folder excluding subfolders to current file list", AppIcons::AddFolder},
        {IdAddFolderTree, "Add Folder including Subfolders", "F8",
         "Add folder including subfolders to current file list", AppIcons::AddFolderTree},
        {IdExit, "Exit", "", "Exit Tonquill", -1},
        {IdOpen, "Open", "", "Open the selected file", -1},
        {IdOpenContainingFolder, "Open Containing Folder", "",
         "Open the folder containing the selected file", -1},
        {IdRenameFile, "Rename File", "F2", "Rename the selected file", -1},
        {IdSelectAll, "Select All", "Ctrl+A", "Select all files in the current file list", -1},
        {IdSelectNone, "Select None", "", "Select no file", -1},
        {IdReverseSelect, "Reverse Select", "", "Reverse select files", -1},
        {IdSelectNext, "Select Next", "", "Select next file", -1},
        {IdMoveUp, "Move Up", "Ctrl+Up", "Move the selected file up in the current file list", -1},
        {IdMoveDown, "Move Down", "Ctrl+Down",
         "Move the selected file down in the current file list", -1},
        {IdMoveToTop, "Move to Top", "Ctrl+Shift+Up",
         "Move the selected file to the  top of  the current file list", -1},
        {IdMoveToBottom, "Move to Bottom", "Ctrl+Shift+Down",
         "Move the selected file to the  bottom of  the current file list", -1},
        {IdRemoveSelected, "Remove Selected", "Del",
         "Remove selected files from the current file list", -1},
        {IdRemoveDead, "Remove Dead", "",
         "Remove files which no longer exist  from the current file list", -1},
        {IdRemoveDuplicates, "Remove Duplicates", "",
         "Remove duplicate files from the current file list", -1},
        {IdRemoveAll, "Remove All", "", "Remove all files ", -1},
        {IdDeleteFiles, "Delete Files", "Shift+Del",
         "Permanently delete the selected files and remove them from the current file list", -1},
        {IdProperties, "Properties", "", "Show the selected file properties", -1},
        {IdShowTree, "Show/Hide Folder Tree", "F9", "Show/Hide the left folder tree", -1},
        {IdConvert, "Convert", "F3", "Convert the files in the list", AppIcons::Convert},
        {IdConvertSelected, "Convert Selected", "Shift+F3", "Convert the selected files", -1},
        {IdOptions, "Options", "Ctrl+O", "Open the option dialog", AppIcons::Options},
        {IdHelpContent, "Help Content", "F1", "Launch the help of Tonquill", AppIcons::Help},
        {IdEmailSupport, "Email Support", "", "", -1},
        {IdOnlineSupport, "Online Support", "", "Online technical support of Tonquill", -1},
        {IdAbout, "About", "", "About Tonquill", AppIcons::About},
        {IdFormat, "Format", "", "Quickly set the output format", AppIcons::DefaultFormatImage},
        {IdTreeRefresh, "Refresh", "F5", "Refresh file tree and file list", -1},
        {IdTreeGoUp, "Go Up", "", "Go to parent folder", -1},
        {IdTreeGoBack, "Go Back", "", "Go to previous folder", -1},
        {IdTreeGoForward, "Go Forward", "", "Go to next folder", -1},
        {IdTreeExpand, "Expand Folder", "",
         "Expand the selected folder and show all of its subfolders", -1},
        {IdTreeOpen, "Open", "", "Open the selected folder", -1},
        {IdTreeCreateFolder, "Create Folder", "", "Create a new folder", -1},
        {IdTreeRename, "Rename", "", "Rename the selected folder", -1},
        {IdTreeDelete, "Delete", "", "Permanently delete the selected folder", -1},
        {IdTreeProperties, "Properties", "", "Show the properties dialog of the selected folder",
         -1},
    });
    return rows;
}

const CommandRow* FindCommand(int id) {
    for (const CommandRow& row : CommandRows()) {
        if (row.id == id) {
            return &row;
        }
    }
    return nullptr;
}

const std::vector<MenuLayout>& MenuBarLayout() {
    static const std::vector<MenuLayout> menus = {
        {"File", {IdAddFiles, IdAddFolder, IdAddFolderTree, 0, IdExit}},
        {"Edit",
         {IdOpen,
          IdOpenContainingFolder,
          IdRenameFile,
          0,
          IdSelectAll,
          IdSelectNone,
          IdReverseSelect,
          IdSelectNext,
          0,
          IdMoveUp,
          IdMoveDown,
          IdMoveToTop,
          IdMoveToBottom,
          0,
          IdRemoveSelected,
          IdRemoveDead,
          IdRemoveDuplicates,
          IdRemoveAll,
          IdDeleteFiles,
          0,
          IdProperties}},
        {"View", {IdShowTree}},
        {"Operation", {IdConvert, 0, IdOptions}},
        {"Help", {IdHelpContent, 0, SupportSubmenu, 0, IdAbout}},
    };
    return menus;
}

const std::vector<int>& ListMenuLayout() {
    static const std::vector<int> items = [] {
        std::vector<int> list{IdConvertSelected, 0};
        const std::vector<int>& edit = MenuBarLayout()[1].items;
        list.insert(list.end(), edit.begin(), edit.end());
        return list;
    }();
    return items;
}

const std::vector<int>& TreeMenuLayout() {
    static const std::vector<int> items = {
        IdShowTree,      0, IdTreeRefresh, IdTreeGoUp,         IdTreeGoBack, IdTreeGoForward,
        IdTreeExpand,    0, IdTreeOpen,    IdTreeCreateFolder, IdTreeRename, IdTreeDelete,
        IdTreeProperties};
    return items;
}

const std::vector<int>& FormatMenuLayout() {
    static const std::vector<int> items = [] {
        std::vector<int> ids;
        for (const FormatInfo* format : FormatsInMenuOrder()) {
            ids.push_back(FormatCommandId(format->code));
        }
        return ids;
    }();
    return items;
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> items = {IdAddFiles, IdAddFolder, IdAddFolderTree, IdFormat,
                                           IdConvert,  IdOptions,   IdHelpContent,   IdAbout};
    return items;
}

QString CommandTable::EmailSupportTooltip(const QString& address) {
    return QStringLiteral("Mail to ") + address +
           QStringLiteral(" to ask questions, give advices & comments or report bugs");
}

CommandTable::CommandTable(QWidget* window) : QObject(window), window_(window) {
    for (const CommandRow& row : CommandRows()) {
        auto* action = new QAction(QString::fromLatin1(row.text), window);
        action->setObjectName(QString::number(row.id));
        const QString tooltip =
            row.id == IdEmailSupport
                ? EmailSupportTooltip(QString::fromLatin1(CAboutDlg::SupportAddress))
                : QString::fromLatin1(row.tooltip);
        action->setToolTip(tooltip);
        action->setStatusTip(tooltip);
        if (*row.key) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.key)));
            // Keys work wherever the focus is in the window, menus open or not; a focused
            // control that wants a key for itself (the tree's Del, F2 and F5, an open editor)
            // claims it first.
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action);
        }
        if (row.image >= 0) {
            action->setIcon(AppIcons::Toolbar(row.image));
        }
        action->setIconVisibleInMenu(false);
        const int id = row.id;
        connect(action, &QAction::triggered, this, [this, id] { Run(id); });
        actions_[row.id] = action;
    }
}

QAction* CommandTable::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CommandTable::SetHandler(int id, std::function<void()> handler) {
    handlers_[id] = std::move(handler);
}

void CommandTable::SetCheckedRule(int id, std::function<bool()> rule) {
    if (QAction* action = Action(id)) {
        action->setCheckable(true);
    }
    checkedRules_[id] = std::move(rule);
    UpdateCheckedStates();
}

void CommandTable::UpdateCheckedStates() {
    for (const auto& [id, rule] : checkedRules_) {
        if (QAction* action = Action(id)) {
            action->setChecked(rule());
        }
    }
}

void CommandTable::Run(int id) {
    // A checkable action flips its own mark when chosen; the rule says what it really is.
    const auto handler = handlers_.find(id);
    if (handler != handlers_.end() && handler->second) {
        handler->second();
    }
    UpdateCheckedStates();
}

QMenu* CommandTable::BuildMenu(const std::vector<int>& items, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const int id : items) {
        if (id == 0) {
            menu->addSeparator();
        } else if (id == SupportSubmenu) {
            QMenu* support = menu->addMenu(QStringLiteral("Support"));
            support->addAction(Action(IdEmailSupport));
            support->addAction(Action(IdOnlineSupport));
        } else {
            menu->addAction(Action(id));
        }
    }
    connect(menu, &QMenu::aboutToShow, this, &CommandTable::UpdateCheckedStates);
    return menu;
}

QMenuBar* CommandTable::BuildMenuBar(QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    for (const MenuLayout& layout : MenuBarLayout()) {
        QMenu* menu = BuildMenu(layout.items, bar);
        // Alt and the first letter opens a menu, as in every desktop program.
        menu->setTitle(QLatin1Char('&') + QString::fromLatin1(layout.title));
        bar->addMenu(menu);
    }
    return bar;
}

void CommandTable::FillToolBar(QToolBar* toolbar) {
    for (const int id : ToolbarLayout()) {
        toolbar->addAction(Action(id));
    }
}

}  // namespace tonquill
