#pragma once

#include <QAction>
#include <QKeySequence>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace tonquill {

// The numbers of the window's commands: a menu item, a key and a toolbar button with the same
// number run the same handler.
enum CommandId : int {
    IdAddFiles = 32861,
    IdAddFolder = 32862,
    IdAddFolderTree = 32890,
    IdExit = 32869,
    IdOpen = 32780,
    IdOpenContainingFolder = 32782,
    IdRenameFile = 32853,
    IdSelectAll = 32823,
    IdSelectNone = 32833,
    IdReverseSelect = 32835,
    IdSelectNext = 32837,
    IdMoveUp = 32791,
    IdMoveDown = 32792,
    IdMoveToTop = 32790,
    IdMoveToBottom = 32789,
    IdRemoveSelected = 32788,
    IdRemoveDead = 32831,
    IdRemoveDuplicates = 32829,
    IdRemoveAll = 32795,
    IdDeleteFiles = 32817,
    IdProperties = 32855,
    IdShowTree = 32891,
    IdConvert = 32874,
    IdConvertSelected = 32873,
    IdOptions = 32875,
    IdHelpContent = 32884,
    IdEmailSupport = 32887,
    IdOnlineSupport = 32888,
    IdAbout = 32889,
    IdFormat = 32893,
    IdTreeRefresh = 32772,
    IdTreeGoUp = 32774,
    IdTreeGoBack = 32778,
    IdTreeGoForward = 32777,
    IdTreeExpand = 32900,
    IdTreeOpen = 32807,
    IdTreeCreateFolder = 32811,
    IdTreeRename = 32814,
    IdTreeDelete = 32815,
    IdTreeProperties = 32809,
};

// The Format menu's command that makes a format the output format: one per format of the table.
inline constexpr int IdFirstFormatCommand = 33000;
constexpr int FormatCommandId(int formatCode) {
    return IdFirstFormatCommand + formatCode;
}

// One command: its menu text, key, tooltip (exact, blanks included) and toolbar image (-1: none).
struct CommandRow {
    int id;
    const char* text;
    const char* key;  // QKeySequence text; "" for none
    const char* tooltip;
    int image;
};

const std::vector<CommandRow>& CommandRows();
const CommandRow* FindCommand(int id);

// A menu's items in order; 0 is a separator, SupportSubmenu the Help menu's "Support" submenu.
inline constexpr int SupportSubmenu = -1;
struct MenuLayout {
    const char* title;
    std::vector<int> items;
};
const std::vector<MenuLayout>& MenuBarLayout();
const std::vector<int>& ListMenuLayout();    // Convert Selected first, as the default item
const std::vector<int>& TreeMenuLayout();    // what acts on the tree's selected folder
const std::vector<int>& FormatMenuLayout();  // every output format
const std::vector<int>& ToolbarLayout();     // the eight buttons

// The window's commands as actions: one QAction per command, with its text, key and tooltip,
// running the handler its owner gives it. Menus, the toolbar and the keys are built from it.
class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QWidget* window);

    QAction* Action(int id) const;
    void SetHandler(int id, std::function<void()> handler);
    // The command shows a check mark exactly when rule answers true.
    void SetCheckedRule(int id, std::function<bool()> rule);
    // Applies every checked rule (when a menu opens, and when the state behind a rule changed).
    void UpdateCheckedStates();
    // What the support email tooltip says, with the address.
    static QString EmailSupportTooltip(const QString& address);

    QMenuBar* BuildMenuBar(QWidget* parent);
    QMenu* BuildMenu(const std::vector<int>& items, QWidget* parent);
    void FillToolBar(QToolBar* toolbar);

private:
    void Run(int id);

    QWidget* window_;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    std::map<int, std::function<bool()>> checkedRules_;
};

}  // namespace tonquill
