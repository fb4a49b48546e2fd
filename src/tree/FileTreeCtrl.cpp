#include "FileTreeCtrl.h"

#include <QAbstractItemDelegate>

#include <dirent.h>
#include <sys/statvfs.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "FileTreeIcons.h"
#include "FileTreeView.h"
#include "RedrawSuspended.h"
#include "SubfolderReader.h"
#include "WaitCursor.h"

namespace tonquill {

namespace {

// How long a removable, optical or network volume may take to answer before it counts as not
// ready: the window must never wait on a dead server or an empty drive for longer.
constexpr std::chrono::milliseconds kVolumeAnswerTime{1500};

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

int SpecialRank(FileTreeNodeType type) {
    switch (type) {
        case FileTreeNodeType::UserProfile:
            return 0;
        case FileTreeNodeType::MyDocuments:
            return 1;
        case FileTreeNodeType::MyComputer:
            return 2;
        case FileTreeNodeType::Network:
            return 3;
        case FileTreeNodeType::File:
            return 5;
        default:
            return 4;
    }
}

// "music on nas" for "//nas/music", "nas:/export/music" or "me@nas:/music".
QString NetworkText(const MountedVolume& volume) {
    QString device = volume.device;
    QString server;
    QString share;
    if (device.startsWith(QLatin1String("//"))) {
        const QStringList parts = device.mid(2).split('/', Qt::SkipEmptyParts);
        server = parts.value(0);
        share = parts.size() > 1 ? parts.last() : QString();
    } else if (const qsizetype colon = device.indexOf(':'); colon > 0) {
        server = device.left(colon);
        server = server.mid(server.indexOf('@') + 1);
        share = QFileInfo(device.mid(colon + 1)).fileName();
    }
    if (!server.isEmpty() && !share.isEmpty()) {
        return QString("%1 on %2").arg(share, server);
    }
    const QString name = QFileInfo(volume.mountPoint).fileName();
    return name.isEmpty() ? volume.mountPoint : name;
}

}  // namespace

CFileTreeCtrl::CFileTreeCtrl(QWidget* parent)
    : QWidget(parent),
      view_(new CFileTreeView(this)),
      model_(new CFileTreeModel(this)),
      icons_(std::make_unique<CFileTreeIcons>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);
    view_->setModel(model_);
    model_->SetRenamePolicy([this](const CFileTreeNode& node) { return CanRename(node); });
    model_->SetRenameHandler(
        [this](CFileTreeNode& node, const QString& text) { return FinishRename(node, text); });
    view_->SetKeyHandler([this](QKeyEvent& event) { return HandleKey(event); });
    view_->SetOwnKeyRule(
        [this](const QKeyEvent& event) { return static_cast<bool>(KeyCommand(event)); });
    view_->SetContextHandler(
        [this](const QPoint& pos, bool fromKeyboard) { HandleContextMenu(pos, fromKeyboard); });
    view_->SetDoubleClickHandler([this](const QModelIndex& index) { HandleDoubleClick(index); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &CFileTreeCtrl::OnCurrentChanged);
    connect(view_, &QTreeView::expanded, this, &CFileTreeCtrl::OnExpanded);
    connect(view_, &QTreeView::collapsed, this, &CFileTreeCtrl::OnCollapsed);
    // The view closes its editor first (connected at setModel); a tree kept on for the editor
    // alone goes off once the name is in.
    connect(view_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (busy_ && !view_->IsEditing()) {
            setEnabled(false);
        }
    });
    Refresh();
}

CFileTreeCtrl::~CFileTreeCtrl() {
    refreshing_ = true;
    disconnect(view_->selectionModel(), nullptr, this, nullptr);
}

CFileTreeNode* CFileTreeCtrl::RootNode() const {
    return model_->rowCount() > 0 ? static_cast<CFileTreeNode*>(model_->item(0)) : nullptr;
}

CFileTreeNode* CFileTreeCtrl::SpecialNode(FileTreeNodeType type) const {
    CFileTreeNode* root = RootNode();
    if (root == nullptr) {
        return nullptr;
    }
    if (type == FileTreeNodeType::Desktop) {
        return root;
    }
    for (int row = 0; row < root->rowCount(); ++row) {
        CFileTreeNode* child = root->childNode(row);
        if (child->info.nodeType == type && !child->info.netResource) {
            return child;
        }
    }
    return nullptr;
}

CFileTreeNode* CFileTreeCtrl::FindChildByName(const CFileTreeNode* parent,
                                              const QString& name) const {
    if (parent == nullptr) {
        return nullptr;
    }
    // Names are compared exactly: two folders may differ in case alone.
    for (int row = 0; row < parent->rowCount(); ++row) {
        CFileTreeNode* child = parent->childNode(row);
        if (child->info.name == name) {
            return child;
        }
    }
    return nullptr;
}

bool CFileTreeCtrl::IsExpanded(const CFileTreeNode* node) const {
    return node != nullptr && view_->isExpanded(node->index());
}

CFileTreeNode* CFileTreeCtrl::CurrentNode() const {
    return model_->node(view_->currentIndex());
}

void CFileTreeCtrl::SelectComputer() {
    Select(SpecialNode(FileTreeNodeType::MyComputer));
}

QString CFileTreeCtrl::CurrentPath() const {
    const CFileTreeNode* node = CurrentNode();
    return node != nullptr ? node->info.path : QString();
}

int CFileTreeCtrl::CompareNodes(const CFileTreeCtrlItemInfo& a, const CFileTreeCtrlItemInfo& b) {
    const int rankA = SpecialRank(a.nodeType);
    const int rankB = SpecialRank(b.nodeType);
    if (rankA != rankB) {
        return rankA < rankB ? -1 : 1;
    }
    const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    // Names equal but for case keep one fixed order.
    return byName != 0 ? byName : QString::compare(a.name, b.name, Qt::CaseSensitive);
}

// --- Filling ---------------------------------------------------------------------------------

void CFileTreeCtrl::Refresh() {
    const WaitCursor wait;
    const RedrawSuspended suspended(view_, true);
    const CFileTreeNode* selected = CurrentNode();
    const QString selectedPath = selected != nullptr ? selected->info.path : QString();
    const bool wasExpanded = IsExpanded(selected);
    // Computer and Network have no path to look for: they are found by kind.
    const bool pathlessSpecial = selected != nullptr && selected->info.path.isEmpty() &&
                                 selected->parentNode() == RootNode() &&
                                 !selected->info.netResource;
    const FileTreeNodeType selectedType =
        selected != nullptr ? selected->info.nodeType : FileTreeNodeType::Unset;

    mounts_ = mountSource_();
    shares_.Enumerate();
    desktopPath_ =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    profilePath_ = QDir::cleanPath(QDir::homePath());

    // The old nodes go without telling the owner: the selection is restored below.
    refreshing_ = true;
    model_->removeRows(0, model_->rowCount());
    refreshing_ = false;
    backHistory_.clear();
    forwardHistory_.clear();

    CFileTreeCtrlItemInfo info;
    info.nodeType = FileTreeNodeType::Desktop;
    info.path = desktopPath_;
    info.name = QFileInfo(desktopPath_).fileName();
    if (info.name.isEmpty()) {
        info.name = "Desktop";
    }
    auto* root = new CFileTreeNode(info);
    root->setText(info.name);
    root->setIcon(icons_->Desktop());
    root->expandButton = true;
    model_->appendRow(root);
    AddRootItems(root);
    PopulateFolder(desktopPath_, root, false, false);
    view_->expand(root->index());

    if (!selectedPath.isEmpty()) {
        SelectPath(selectedPath, wasExpanded);
    } else if (pathlessSpecial) {
        CFileTreeNode* special = SpecialNode(selectedType);
        Select(special);
        if (wasExpanded) {
            OpenBranch(special);
        }
    }
}

void CFileTreeCtrl::AddRootItems(CFileTreeNode* root) {
    const auto add = [root](CFileTreeCtrlItemInfo info, const QString& text, const QIcon& icon) {
        auto* node = new CFileTreeNode(std::move(info));
        node->setText(text);
        node->setIcon(icon);
        node->expandButton = true;
        root->appendRow(node);
    };
    CFileTreeCtrlItemInfo profile;
    profile.nodeType = FileTreeNodeType::UserProfile;
    profile.path = profilePath_;
    profile.name = QFileInfo(profilePath_).fileName();
    add(profile, profile.name.isEmpty() ? profilePath_ : profile.name, icons_->Home());

    CFileTreeCtrlItemInfo computer;
    computer.nodeType = FileTreeNodeType::MyComputer;
    computer.name = "Computer";
    add(computer, computer.name, icons_->Computer());

    CFileTreeCtrlItemInfo network;
    network.nodeType = FileTreeNodeType::Network;
    network.name = "Network";
    add(network, network.name, icons_->Network());
}

CFileTreeNode* CFileTreeCtrl::MakeFolderNode(const QString& path, const QString& name) const {
    CFileTreeCtrlItemInfo info;
    info.nodeType = FileTreeNodeType::Folder;
    info.path = path;
    info.name = name;
    auto* node = new CFileTreeNode(std::move(info));
    node->setText(name);
    node->sharedOverlay = shares_.IsSharedPath(path);
    SetNodeIcon(node, icons_->Folder(path, false));
    node->expandButton = HasDisplayableChildren(path);
    return node;
}

void CFileTreeCtrl::PopulateFolder(const QString& path, CFileTreeNode* node, bool suspendRedraw,
                                   bool clearFirst) {
    const WaitCursor wait;
    const RedrawSuspended suspended(view_, suspendRedraw);
    if (clearFirst) {
        DiscardChildren(node);
    }
    std::vector<QString> names;
    CSubfolderReader::Read(path, names, &mounts_);

    // Sort the old children and the new ones together, then insert them all at once: one
    // insertion of ten thousand rows costs the view one layout, not ten thousand.
    std::vector<CFileTreeNode*> children;
    children.reserve(names.size() + node->rowCount());
    while (node->rowCount() > 0) {
        children.push_back(static_cast<CFileTreeNode*>(node->takeChild(0)));
        node->removeRow(0);
    }
    for (const QString& name : names) {
        children.push_back(MakeFolderNode(JoinPath(path, name), name));
    }
    std::sort(children.begin(), children.end(), [](const CFileTreeNode* a, const CFileTreeNode* b) {
        return CompareNodes(a->info, b->info) < 0;
    });
    QList<QStandardItem*> rows;
    rows.reserve(children.size());
    for (CFileTreeNode* child : children) {
        rows.append(child);
    }
    node->appendRows(rows);
    if (names.empty() && node != RootNode() && node->rowCount() == 0) {
        SetExpandButton(node, false);
    }
}

void CFileTreeCtrl::AddDrives(CFileTreeNode* parent) {
    const WaitCursor wait;
    for (const MountedVolume& volume : mounts_.ShownVolumes()) {
        if ((driveHideMask & static_cast<unsigned>(volume.kind)) != 0) {
            continue;
        }
        CFileTreeCtrlItemInfo info;
        info.nodeType = FileTreeNodeType::Drive;
        info.path = volume.mountPoint;
        info.name = volume.mountPoint;
        auto* node = new CFileTreeNode(std::move(info));
        QString text = volume.label;
        if (text.isEmpty()) {
            text = QFileInfo(volume.mountPoint).fileName();
        }
        node->setText(text.isEmpty() ? volume.mountPoint : text);
        node->setToolTip(volume.mountPoint);
        node->sharedOverlay = shares_.IsSharedPath(volume.mountPoint);
        SetNodeIcon(node, icons_->Drive(volume.kind));
        node->expandButton = HasDisplayableChildren(volume.mountPoint);
        parent->appendRow(node);
    }
}

void CFileTreeCtrl::AddNetworkChildren(CFileTreeNode* node) {
    // Only what is mounted: listed from the mount table, none of them read here.
    for (const MountedVolume& volume : mounts_.NetworkVolumes()) {
        CFileTreeCtrlItemInfo info;
        info.nodeType = FileTreeNodeType::Network;
        info.path = volume.mountPoint;
        info.name = QFileInfo(volume.mountPoint).fileName();
        info.netResource = NetResource{volume.device, volume.fsType, volume.mountPoint};
        auto* child = new CFileTreeNode(std::move(info));
        child->setText(NetworkText(volume));
        child->setToolTip(volume.mountPoint);
        child->setIcon(icons_->NetworkMount());
        child->expandButton = true;
        node->appendRow(child);
    }
}

bool CFileTreeCtrl::HasDisplayableChildren(const QString& path) const {
    // Removable, optical and network volumes are never read to draw a button.
    if (mounts_.IsUntouchable(path)) {
        return true;
    }
    return CSubfolderReader::HasSubfolder(path, &mounts_);
}

bool CFileTreeCtrl::IsDriveReady(const QString& path) const {
    if (!mounts_.IsUntouchable(path)) {
        return true;
    }
    // Asked on a thread of its own: an answer that does not come in time means "not ready",
    // and the asking thread is left to finish (or hang) alone, holding only its own copies.
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> ready = answer->get_future();
    std::thread([answer, volume = QFile::encodeName(path)] {
        struct statvfs info {};
        bool ok = ::statvfs(volume.constData(), &info) == 0;
        if (ok) {
            DIR* dir = ::opendir(volume.constData());
            ok = dir != nullptr;
            if (dir != nullptr) {
                ::closedir(dir);
            }
        }
        answer->set_value(ok);
    }).detach();
    return ready.wait_for(kVolumeAnswerTime) == std::future_status::ready && ready.get();
}

bool CFileTreeCtrl::ExpandNode(CFileTreeNode* node) {
    const CFileTreeCtrlItemInfo& info = node->info;
    if (node == RootNode()) {
        if (node->rowCount() == 0) {
            AddRootItems(node);
            PopulateFolder(desktopPath_, node, false, false);
        }
        return true;
    }
    if (info.nodeType == FileTreeNodeType::MyComputer) {
        AddDrives(node);
        return true;
    }
    if (info.nodeType == FileTreeNodeType::Network && !info.netResource) {
        AddNetworkChildren(node);
        return true;
    }
    if (info.path.isEmpty()) {
        return true;
    }
    if (!IsDriveReady(info.path)) {
        // No media or no answer: no button until the next refresh.
        DiscardChildren(node);
        view_->collapse(node->index());
        SetExpandButton(node, false);
        return true;
    }
    if (!QFileInfo(info.path).isDir()) {
        RemoveNode(node);
        return false;
    }
    PopulateFolder(info.path, node, true, true);
    return true;
}

void CFileTreeCtrl::OpenBranch(CFileTreeNode* node) {
    if (node == nullptr) {
        return;
    }
    const QPersistentModelIndex index(node->index());
    if (node->rowCount() == 0 && node->expandButton && !ExpandNode(node)) {
        return;
    }
    if (index.isValid() && node->rowCount() > 0) {
        view_->expand(index);
    }
}

void CFileTreeCtrl::ExpandBranch(CFileTreeNode* node, bool expand) {
    if (node == nullptr || !model_->hasChildren(node->index())) {
        return;
    }
    if (!expand) {
        // Collapsing the node forgets everything below it.
        view_->collapse(node->index());
        return;
    }
    // Level by level, within a budget: the desktop or a disk holds more folders than anyone
    // could look through, and every folder is read on this thread. Past the budget the deeper
    // folders stay as they are, each with its expand button.
    QElapsedTimer clock;
    clock.start();
    int opened = 0;
    std::vector<QPersistentModelIndex> level{QPersistentModelIndex(node->index())};
    while (!level.empty()) {
        std::vector<QPersistentModelIndex> next;
        for (const QPersistentModelIndex& index : level) {
            if (opened >= ExpandBranchMaxFolders || clock.elapsed() >= ExpandBranchMaxMs) {
                return;
            }
            CFileTreeNode* current = index.isValid() ? model_->node(index) : nullptr;
            if (current == nullptr || !model_->hasChildren(index)) {
                continue;
            }
            OpenBranch(current);
            opened += 1;
            if (!index.isValid()) {
                continue;
            }
            for (int row = 0; row < current->rowCount(); ++row) {
                next.emplace_back(current->child(row)->index());
            }
        }
        level = std::move(next);
    }
}

void CFileTreeCtrl::DiscardChildren(CFileTreeNode* node) {
    if (node->rowCount() > 0) {
        node->removeRows(0, node->rowCount());
    }
}

void CFileTreeCtrl::SetNodeIcon(CFileTreeNode* node, const QIcon& icon) const {
    node->setIcon(node->sharedOverlay ? icons_->Shared(icon) : icon);
}

void CFileTreeCtrl::SetExpandButton(CFileTreeNode* node, bool shown) {
    if (node->expandButton != shown) {
        node->expandButton = shown;
        view_->RelayoutSoon();
    }
}

void CFileTreeCtrl::RemoveNode(CFileTreeNode* node) {
    CFileTreeNode* parent = node->parentNode();
    if (parent == nullptr) {
        model_->removeRow(node->row());
        return;
    }
    parent->removeRow(node->row());
    if (parent->rowCount() == 0) {
        SetExpandButton(parent, false);
    }
}

void CFileTreeCtrl::OnExpanded(const QModelIndex& index) {
    CFileTreeNode* node = model_->node(index);
    if (node == nullptr) {
        return;
    }
    if (node->rowCount() == 0 && node->expandButton) {
        const QPersistentModelIndex kept(index);
        if (!ExpandNode(node) || !kept.isValid()) {
            return;
        }
        if (node->rowCount() == 0) {
            view_->collapse(index);
            SetExpandButton(node, false);
            return;
        }
    }
    if (node->info.nodeType == FileTreeNodeType::Folder) {
        SetNodeIcon(node, icons_->Folder(node->info.path, true));
    }
}

void CFileTreeCtrl::OnCollapsed(const QModelIndex& index) {
    CFileTreeNode* node = model_->node(index);
    if (node == nullptr) {
        return;
    }
    // A selection inside the collapsed branch moves up to the node itself, as it would when
    // clicked, before the branch's nodes go.
    for (QModelIndex up = view_->currentIndex().parent(); up.isValid(); up = up.parent()) {
        if (up == index) {
            Select(node);
            break;
        }
    }
    // The children are read again on the next expansion; the button stays as it was.
    const bool hadButton = node->expandButton || node->rowCount() > 0;
    node->expandButton = hadButton;
    DiscardChildren(node);
    if (node->info.nodeType == FileTreeNodeType::Folder) {
        SetNodeIcon(node, icons_->Folder(node->info.path, false));
    }
}

}  // namespace tonquill

namespace tonquill {

void CFileTreeCtrl::SetBusy(bool busy) {
    busy_ = busy;
    // Turning the tree off would take the keyboard from an open editor and end it with
    // whatever it held; the editor keeps it until Enter or Esc, and the tree goes off then.
    setEnabled(!busy || view_->IsEditing());
}

}  // namespace tonquill
