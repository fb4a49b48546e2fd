#pragma once

#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "FileTreeCtrlItemInfo.h"
#include "FileTreeModel.h"
#include "MountTable.h"
#include "ShareEnumerator.h"

class QKeyEvent;

namespace tonquill {

class CFileTreeIcons;
class CFileTreeView;

// The folder tree of the main window's left pane: the desktop folder at the root, with the home
// folder, Computer (the mounted volumes), Network (the network file systems mounted here) and
// the desktop's own subfolders below it. Folders are read when first expanded and forgotten when
// collapsed; selections keep a back/forward history; the folder commands act on the selection.
class CFileTreeCtrl : public QWidget {
    Q_OBJECT
public:
    // How DeleteNode decides between the trash and permanent removal.
    enum class DeleteMode { ShiftDecides, ToTrash, Permanently };
    // The questions and warnings of the folder commands; message boxes unless replaced.
    struct Prompts {
        std::function<bool(const QString& question)> ask;
        std::function<void(const QString& warning)> warn;
    };

    static constexpr int MaxHistory = 20;

    explicit CFileTreeCtrl(QWidget* parent = nullptr);
    ~CFileTreeCtrl() override;

    // Folder commands enabled. Delete, rename and new folder are off until the owner allows them.
    bool allowOpen = true;
    bool allowProperties = true;
    bool allowDelete = false;
    bool allowRename = false;
    bool allowNewFolder = false;
    // Drive kinds (DriveKind bits) that Computer leaves out.
    unsigned driveHideMask = 0;

    // While the owner is busy (loading a folder) the tree takes no input, except an open
    // in-place editor, which keeps the keyboard until Enter or Esc.
    void SetBusy(bool busy);
    bool IsBusy() const { return busy_; }

    // Rebuilds the tree, keeping the selected folder and whether it was expanded.
    void Refresh();
    // Finds, selects and returns the node of `path` (optionally expanded); null when a component
    // is not found, in which case the last node reached stays selected.
    CFileTreeNode* SelectPath(const QString& path, bool expand = false);
    // The selected node's path; empty when nothing (or a node without a path) is selected.
    QString CurrentPath() const;
    CFileTreeNode* CurrentNode() const;
    // Selects the Computer node (where a session starts without a folder of its own).
    void SelectComputer();

    void GoBack();
    void GoForward();
    void GoUp();
    bool CanGoBack() const;
    bool CanGoForward() const;

    // Expands the node and, level by level, every node below it that has its expand button,
    // until ExpandBranchMaxFolders folders are open or ExpandBranchMaxMs have passed (the rest
    // keep their buttons); with expand false, collapses the node instead.
    static constexpr int ExpandBranchMaxFolders = 2000;
    static constexpr int ExpandBranchMaxMs = 2000;
    void ExpandBranch(CFileTreeNode* node, bool expand = true);
    // Reads the node's children if it has none yet, then shows them.
    void OpenBranch(CFileTreeNode* node);

    // The folder commands on one node (the selected one when null).
    bool OpenNode(CFileTreeNode* node = nullptr);
    bool ShowNodeProperties(CFileTreeNode* node = nullptr);
    bool DeleteNode(CFileTreeNode* node = nullptr, DeleteMode mode = DeleteMode::ShiftDecides);
    bool RenameNode(CFileTreeNode* node = nullptr);
    CFileTreeNode* CreateSubfolder(CFileTreeNode* node = nullptr, const QString& name = QString());
    static QString MakeNewFolderName(const QString& parentPath);

    // Orders siblings: home, Computer and Network first, then folders by name ignoring case.
    static int CompareNodes(const CFileTreeCtrlItemInfo& a, const CFileTreeCtrlItemInfo& b);

    CFileTreeNode* RootNode() const;
    CFileTreeNode* SpecialNode(FileTreeNodeType type) const;
    CFileTreeNode* FindChildByName(const CFileTreeNode* parent, const QString& name) const;
    bool IsExpanded(const CFileTreeNode* node) const;
    const QString& DesktopPath() const { return desktopPath_; }
    const QString& ProfilePath() const { return profilePath_; }
    CFileTreeView* view() const { return view_; }
    CFileTreeModel* model() const { return model_; }
    void SetPrompts(Prompts prompts) { prompts_ = std::move(prompts); }
    // Where Refresh reads the shared folders (Samba's user shares unless replaced).
    void SetShareFolder(const QString& folder) { shares_ = CShareEnumerator(folder); }
    // Where Refresh learns the mounted volumes: the kernel's mount list unless replaced.
    void SetMountSource(std::function<CMountTable()> source) { mountSource_ = std::move(source); }

signals:
    // The newly selected folder's path (empty for a node without one).
    void selectionChanged(const QString& path);
    void contextMenuRequested(const QPoint& globalPos);

private:
    // Filling.
    void AddRootItems(CFileTreeNode* root);
    void PopulateFolder(const QString& path, CFileTreeNode* node, bool suspendRedraw,
                        bool clearFirst);
    void AddDrives(CFileTreeNode* parent);
    void AddNetworkChildren(CFileTreeNode* node);
    bool ExpandNode(CFileTreeNode* node);
    bool HasDisplayableChildren(const QString& path) const;
    bool IsDriveReady(const QString& path) const;
    CFileTreeNode* MakeFolderNode(const QString& path, const QString& name) const;
    void DiscardChildren(CFileTreeNode* node);
    void SetExpandButton(CFileTreeNode* node, bool shown);
    void SetNodeIcon(CFileTreeNode* node, const QIcon& icon) const;
    void RemoveNode(CFileTreeNode* node);

    // Selection and navigation.
    void OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous);
    void OnExpanded(const QModelIndex& index);
    void OnCollapsed(const QModelIndex& index);
    void Select(CFileTreeNode* node);
    // The folder command a key stands for in the tree; empty for a key that is not the tree's.
    std::function<void()> KeyCommand(const QKeyEvent& event);
    bool HandleKey(QKeyEvent& event);
    void HandleContextMenu(const QPoint& viewportPos, bool fromKeyboard);
    void HandleDoubleClick(const QModelIndex& index);
    static bool TakeNewest(std::vector<QPersistentModelIndex>& history, QModelIndex& taken);
    // Back or forward: selects the newest live entry of from, and the node it leaves becomes the
    // newest of to.
    void StepThroughHistory(std::vector<QPersistentModelIndex>& from,
                            std::vector<QPersistentModelIndex>& to);

    // Rename.
    bool CanRename(const CFileTreeNode& node) const;
    bool FinishRename(CFileTreeNode& node, const QString& text);

    bool Ask(const QString& question) const;
    void Warn(const QString& warning) const;

    CFileTreeView* view_ = nullptr;
    CFileTreeModel* model_ = nullptr;
    std::unique_ptr<CFileTreeIcons> icons_;
    CMountTable mounts_;
    QString desktopPath_;
    QString profilePath_;
    std::vector<QPersistentModelIndex> backHistory_;
    std::vector<QPersistentModelIndex> forwardHistory_;
    bool navigating_ = false;
    bool refreshing_ = false;  // the old nodes going away are no selection change
    bool busy_ = false;
    Prompts prompts_;
    std::function<CMountTable()> mountSource_ = &CMountTable::Read;
    CShareEnumerator shares_;
};

}  // namespace tonquill
