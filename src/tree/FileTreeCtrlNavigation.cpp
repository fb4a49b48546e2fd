// Selection, history, finding a path, keys and mouse of CFileTreeCtrl.
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <algorithm>

#include "FileTreeCtrl.h"
#include "FileTreeView.h"
#include "RedrawSuspended.h"

namespace tonquill {

namespace {

// True when `path` is `base` or lies below it; `rest` receives what follows `base`.
bool IsAtOrBelow(const QString& path, const QString& base, QString& rest) {
    if (base.isEmpty()) {
        return false;
    }
    if (path == base) {
        rest.clear();
        return true;
    }
    const QString prefix = base.endsWith('/') ? base : base + '/';
    if (path.startsWith(prefix)) {
        rest = path.mid(prefix.size());
        return true;
    }
    return false;
}

}  // namespace

// --- Selection and navigation ----------------------------------------------------------------

void CFileTreeCtrl::Select(CFileTreeNode* node) {
    if (node == nullptr) {
        view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    // Making it current may find it gone from the disk too and remove it (OnCurrentChanged):
    // only a node that is still there is scrolled to.
    const QPersistentModelIndex index(node->index());
    view_->setCurrentIndex(index);
    if (index.isValid()) {
        view_->scrollTo(index);
    }
}

void CFileTreeCtrl::OnCurrentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (refreshing_) {
        return;
    }
    CFileTreeNode* node = model_->node(current);
    if (node != nullptr) {
        const CFileTreeCtrlItemInfo& info = node->info;
        const bool fixedNode = info.nodeType == FileTreeNodeType::Desktop ||
                               info.nodeType == FileTreeNodeType::UserProfile ||
                               info.nodeType == FileTreeNodeType::MyDocuments ||
                               info.nodeType == FileTreeNodeType::MyComputer ||
                               info.nodeType == FileTreeNodeType::Network ||
                               info.nodeType == FileTreeNodeType::Drive || info.netResource;
        // A folder on a network volume is not looked at here: a dead server would hold the
        // window; the loader and the next expansion find out on their own.
        const MountedVolume* volume = mounts_.VolumeOf(info.path);
        const bool remote = volume != nullptr && volume->kind == DriveKind::Remote;
        if (!fixedNode && !remote && !info.path.isEmpty() && !QFileInfo(info.path).isDir()) {
            // Removed outside the program: the node goes and the selection moves on to a
            // neighbour (or the parent), which the owner hears about instead.
            CFileTreeNode* parent = node->parentNode();
            const int row = node->row();
            CFileTreeNode* next = nullptr;
            if (parent != nullptr) {
                next = row > 0
                           ? parent->childNode(row - 1)
                           : (row + 1 < parent->rowCount() ? parent->childNode(row + 1) : parent);
            }
            const QPersistentModelIndex gone(current);
            Select(next);
            if (gone.isValid()) {
                RemoveNode(model_->node(gone));
            }
            return;
        }
    }
    if (previous.isValid() && !navigating_) {
        if (backHistory_.size() > static_cast<std::size_t>(MaxHistory)) {
            backHistory_.erase(backHistory_.begin());
        }
        backHistory_.emplace_back(previous);
    }
    emit selectionChanged(node != nullptr ? node->info.path : QString());
}

bool CFileTreeCtrl::TakeNewest(std::vector<QPersistentModelIndex>& history, QModelIndex& taken) {
    // Entries whose nodes were collapsed away or refreshed are skipped.
    while (!history.empty()) {
        const QPersistentModelIndex entry = history.back();
        history.pop_back();
        if (entry.isValid()) {
            taken = entry;
            return true;
        }
    }
    return false;
}

bool CFileTreeCtrl::CanGoBack() const {
    return std::any_of(backHistory_.begin(), backHistory_.end(),
                       [](const QPersistentModelIndex& entry) { return entry.isValid(); });
}

bool CFileTreeCtrl::CanGoForward() const {
    return std::any_of(forwardHistory_.begin(), forwardHistory_.end(),
                       [](const QPersistentModelIndex& entry) { return entry.isValid(); });
}

void CFileTreeCtrl::GoBack() {
    StepThroughHistory(backHistory_, forwardHistory_);
}

void CFileTreeCtrl::GoForward() {
    StepThroughHistory(forwardHistory_, backHistory_);
}

void CFileTreeCtrl::StepThroughHistory(std::vector<QPersistentModelIndex>& from,
                                       std::vector<QPersistentModelIndex>& to) {
    QModelIndex target;
    if (!TakeNewest(from, target)) {
        return;
    }
    const QPersistentModelIndex former(view_->currentIndex());
    navigating_ = true;
    Select(model_->node(target));
    navigating_ = false;
    if (former.isValid()) {
        if (to.size() > static_cast<std::size_t>(MaxHistory)) {
            to.erase(to.begin());
        }
        to.push_back(former);
    }
}

void CFileTreeCtrl::GoUp() {
    const CFileTreeNode* node = CurrentNode();
    if (node != nullptr && node->parentNode() != nullptr) {
        Select(node->parentNode());
    }
}

CFileTreeNode* CFileTreeCtrl::SelectPath(const QString& requested, bool expand) {
    if (requested.isEmpty() || !requested.startsWith('/')) {
        return nullptr;
    }
    const QString path = QDir::cleanPath(requested);
    const RedrawSuspended suspended(view_, true);
    CFileTreeNode* root = RootNode();
    if (root == nullptr) {
        return nullptr;
    }
    CFileTreeNode* start = root;
    QString rest;
    if (IsAtOrBelow(path, desktopPath_, rest)) {
        OpenBranch(root);
        if (rest.isEmpty()) {
            view_->collapse(root->index());
        }
    } else if (CFileTreeNode* profile = SpecialNode(FileTreeNodeType::UserProfile);
               profile != nullptr && IsAtOrBelow(path, profilePath_, rest)) {
        // Opening a node whose folder has gone (the home folder moved away) removes it.
        const QPersistentModelIndex kept(profile->index());
        OpenBranch(profile);
        if (!kept.isValid()) {
            return nullptr;
        }
        start = profile;
    } else {
        OpenBranch(root);
        // A network file system is reached through Network, anything else through the volume
        // that holds it, under Computer.
        const MountedVolume* volume = mounts_.VolumeOf(path);
        const bool remote = volume != nullptr && volume->kind == DriveKind::Remote;
        CFileTreeNode* top =
            SpecialNode(remote ? FileTreeNodeType::Network : FileTreeNodeType::MyComputer);
        OpenBranch(top);
        CFileTreeNode* best = nullptr;
        QString bestRest;
        for (int row = 0; top != nullptr && row < top->rowCount(); ++row) {
            CFileTreeNode* child = top->childNode(row);
            QString childRest;
            if (IsAtOrBelow(path, child->info.path, childRest) &&
                (best == nullptr || child->info.path.size() > best->info.path.size())) {
                best = child;
                bestRest = childRest;
            }
        }
        if (best == nullptr) {
            return nullptr;
        }
        if (bestRest.isEmpty()) {
            Select(best);
            if (expand) {
                OpenBranch(best);
            }
            return best;
        }
        const QPersistentModelIndex kept(best->index());
        Select(best);
        OpenBranch(best);
        if (!kept.isValid()) {
            return nullptr;
        }
        start = best;
        rest = bestRest;
    }

    CFileTreeNode* target = start;
    if (!rest.isEmpty()) {
        const QStringList components = rest.split('/');
        for (qsizetype i = 0; i + 1 < components.size(); ++i) {
            CFileTreeNode* child = FindChildByName(target, components[i]);
            if (child == nullptr) {
                return nullptr;
            }
            const QPersistentModelIndex kept(child->index());
            Select(child);
            OpenBranch(child);
            if (!kept.isValid()) {
                return nullptr;  // it vanished on the way
            }
            target = child;
        }
        if (CFileTreeNode* last = FindChildByName(target, components.last())) {
            target = last;
        } else {
            expand = false;
        }
    }
    const QPersistentModelIndex kept(target->index());
    Select(target);
    if (!kept.isValid()) {
        return nullptr;
    }
    if (expand) {
        OpenBranch(target);
    }
    return kept.isValid() ? target : nullptr;
}

// --- Keys and mouse --------------------------------------------------------------------------

std::function<void()> CFileTreeCtrl::KeyCommand(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    switch (event.key()) {
        case Qt::Key_Backspace:
            if (plain) {
                return [this] { GoUp(); };
            }
            break;
        case Qt::Key_Left:
            if (mods == Qt::AltModifier) {
                return [this] { GoBack(); };
            }
            break;
        case Qt::Key_Right:
            if (mods == Qt::AltModifier) {
                return [this] { GoForward(); };
            }
            break;
        case Qt::Key_F5:
            if (plain) {
                return [this] { Refresh(); };
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods == Qt::AltModifier) {
                return [this] { ShowNodeProperties(); };
            }
            if (plain) {
                return [this] { OpenNode(); };
            }
            break;
        case Qt::Key_Delete:
            if (plain || mods == Qt::ShiftModifier) {
                const DeleteMode mode = plain ? DeleteMode::ToTrash : DeleteMode::Permanently;
                return [this, mode] { DeleteNode(nullptr, mode); };
            }
            break;
        case Qt::Key_F2:
            if (plain) {
                return [this] { RenameNode(); };
            }
            break;
        case Qt::Key_F10:
            if (mods == Qt::ShiftModifier) {
                return [this] { HandleContextMenu(QPoint(), true); };
            }
            break;
        case Qt::Key_Menu:
            return [this] { HandleContextMenu(QPoint(), true); };
        default:
            break;
    }
    return {};
}

bool CFileTreeCtrl::HandleKey(QKeyEvent& event) {
    if (const std::function<void()> command = KeyCommand(event)) {
        command();
        return true;
    }
    return false;
}

void CFileTreeCtrl::HandleContextMenu(const QPoint& viewportPos, bool fromKeyboard) {
    QPoint pos = viewportPos;
    if (fromKeyboard) {
        const QRect rect = view_->visualRect(view_->currentIndex());
        pos = rect.isValid() ? rect.center() : view_->viewport()->rect().center();
    } else {
        // The node under the pointer is selected first, so the owner has loaded it before the
        // menu opens; a click on empty space keeps the selection the menu's commands act on.
        if (CFileTreeNode* node = model_->node(view_->indexAt(viewportPos))) {
            Select(node);
        }
    }
    emit contextMenuRequested(view_->viewport()->mapToGlobal(pos));
}

void CFileTreeCtrl::HandleDoubleClick(const QModelIndex& index) {
    CFileTreeNode* node = model_->node(index);
    if (node != nullptr && !model_->hasChildren(index)) {
        OpenNode(node);
    }
}

}  // namespace tonquill
