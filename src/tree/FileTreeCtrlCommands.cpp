// The folder commands of CFileTreeCtrl: open, properties, delete, rename and new folder.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include "FileTreeCtrl.h"
#include "FileTreeIcons.h"
#include "FileTreeView.h"
#include "FolderActions.h"

namespace tonquill {

namespace {

bool IsFolderOrFile(const CFileTreeNode* node) {
    return node != nullptr && (node->info.nodeType == FileTreeNodeType::Folder ||
                               node->info.nodeType == FileTreeNodeType::File);
}

QString ParentFolder(const QString& path) {
    return QFileInfo(path).path();
}

}  // namespace

bool CFileTreeCtrl::Ask(const QString& question) const {
    if (prompts_.ask) {
        return prompts_.ask(question);
    }
    // Folder names are shown as they are, never read as markup.
    QMessageBox box(QMessageBox::Question, "Tonquill", question, QMessageBox::Yes | QMessageBox::No,
                    window());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void CFileTreeCtrl::Warn(const QString& warning) const {
    if (prompts_.warn) {
        prompts_.warn(warning);
        return;
    }
    QMessageBox box(QMessageBox::Warning, "Tonquill", warning, QMessageBox::Ok, window());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString CFileTreeCtrl::MakeNewFolderName(const QString& parentPath) {
    return CFolderActions::MakeNewFolderName(parentPath);
}

bool CFileTreeCtrl::OpenNode(CFileTreeNode* node) {
    if (node == nullptr) {
        node = CurrentNode();
    }
    if (node == nullptr || !allowOpen || node->info.path.isEmpty()) {
        return false;
    }
    return CFolderActions::Open(node->info.path);
}

bool CFileTreeCtrl::ShowNodeProperties(CFileTreeNode* node) {
    if (node == nullptr) {
        node = CurrentNode();
    }
    if (node == nullptr || !allowProperties || node->info.path.isEmpty()) {
        return false;
    }
    return CFolderActions::ShowProperties(node->info.path, window());
}

bool CFileTreeCtrl::DeleteNode(CFileTreeNode* node, DeleteMode mode) {
    if (node == nullptr) {
        node = CurrentNode();
    }
    if (!allowDelete || !IsFolderOrFile(node)) {
        return false;
    }
    const bool permanently = mode == DeleteMode::Permanently ||
                             (mode == DeleteMode::ShiftDecides &&
                              (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0);
    const QString path = node->info.path;
    // Nothing else asks on this desktop, so the tree asks before anything goes.
    const QString question =
        permanently ? QString("Permanently delete the folder %1 and everything in it?").arg(path)
                    : QString("Move the folder %1 to the Trash?").arg(path);
    if (!Ask(question)) {
        return false;
    }
    QString why;
    const bool done = permanently ? CFolderActions::RemovePermanently(path, &why)
                                  : CFolderActions::MoveToTrash(path, &why);
    if (!done) {
        Warn(permanently ? QString("Cannot delete the folder %1: %2").arg(path, why)
                         : QString("Cannot move the folder %1 to the Trash: %2").arg(path, why));
        return false;
    }
    // The selection goes to the previous sibling, else the next one, else the parent.
    CFileTreeNode* parent = node->parentNode();
    const int row = node->row();
    CFileTreeNode* next = parent;
    if (parent != nullptr && row > 0) {
        next = parent->childNode(row - 1);
    } else if (parent != nullptr && row + 1 < parent->rowCount()) {
        next = parent->childNode(row + 1);
    }
    const QPersistentModelIndex gone(node->index());
    if (CurrentNode() == node) {
        Select(next);
    }
    if (gone.isValid()) {
        RemoveNode(model_->node(gone));
    }
    return true;
}

bool CFileTreeCtrl::CanRename(const CFileTreeNode& node) const {
    return allowRename && IsFolderOrFile(&node);
}

bool CFileTreeCtrl::RenameNode(CFileTreeNode* node) {
    if (node == nullptr) {
        node = CurrentNode();
    }
    if (node == nullptr || !CanRename(*node)) {
        return false;
    }
    view_->scrollTo(node->index());
    // A busy tree is off, and an editor in it could not take the keyboard: the tree comes on
    // for the editor's time.
    if (busy_) {
        setEnabled(true);
    }
    view_->edit(node->index());
    if (busy_ && !view_->IsEditing()) {
        setEnabled(false);
    }
    return view_->IsEditing();
}

bool CFileTreeCtrl::FinishRename(CFileTreeNode& node, const QString& typed) {
    const QString& text = typed;
    if (text.isEmpty() || text == node.info.name) {
        return false;
    }
    if (text.contains('/') || text == "." || text == "..") {
        Warn(QString("Cannot rename the folder %1 to \"%2\": a folder name cannot be \".\" or "
                     "\"..\" or contain \"/\".")
                 .arg(node.info.path, text));
        return false;
    }
    const QString oldPath = node.info.path;
    const QString newPath = QDir(ParentFolder(oldPath)).filePath(text);
    QString why;
    if (!CFolderActions::RenameNoReplace(oldPath, newPath, &why)) {
        Warn(QString("Cannot rename the folder %1 to \"%2\": %3").arg(oldPath, text, why));
        return false;
    }
    node.info.path = newPath;
    node.info.name = text;
    node.setText(text);
    node.sharedOverlay = shares_.IsSharedPath(newPath);
    SetNodeIcon(&node, icons_->Folder(newPath, IsExpanded(&node)));
    // The nodes below still carry the old paths: read them again from the new place.
    if (node.rowCount() > 0) {
        const bool expanded = IsExpanded(&node);
        node.expandButton = true;
        DiscardChildren(&node);
        if (expanded) {
            OpenBranch(&node);
        }
    }
    if (CurrentNode() == &node) {
        emit selectionChanged(newPath);
    }
    return true;
}

CFileTreeNode* CFileTreeCtrl::CreateSubfolder(CFileTreeNode* node, const QString& name) {
    if (node == nullptr) {
        node = CurrentNode();
    }
    // Network nodes and nodes without a folder (Computer) take no new folder.
    if (node == nullptr || !allowNewFolder || node->info.nodeType == FileTreeNodeType::Network ||
        node->info.path.isEmpty()) {
        return nullptr;
    }
    const QString target =
        name.isEmpty() ? MakeNewFolderName(node->info.path) : QDir(node->info.path).filePath(name);
    if (!QDir().mkdir(target)) {
        return nullptr;
    }
    const bool hadChildren = model_->hasChildren(node->index());
    const QPersistentModelIndex parentIndex(node->index());
    // A first expansion reads the new folder along with the others.
    node->expandButton = true;
    OpenBranch(node);
    if (!parentIndex.isValid()) {
        return nullptr;
    }
    CFileTreeNode* child = nullptr;
    for (int row = 0; row < node->rowCount() && child == nullptr; ++row) {
        if (node->childNode(row)->info.path == target) {
            child = node->childNode(row);
        }
    }
    if (child == nullptr) {
        child = MakeFolderNode(target, QFileInfo(target).fileName());
        node->appendRow(child);
        if (!hadChildren) {
            SetExpandButton(node, true);
        }
        view_->expand(node->index());
    }
    Select(child);
    RenameNode(child);
    return child;
}

}  // namespace tonquill
