#include "FileTreeModel.h"

namespace tonquill {

bool CFileTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return QStandardItemModel::hasChildren(parent);
    }
    const CFileTreeNode* item = node(parent);
    return item != nullptr && (item->rowCount() > 0 || item->expandButton);
}

Qt::ItemFlags CFileTreeModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QStandardItemModel::flags(index) & ~Qt::ItemIsEditable;
    const CFileTreeNode* item = node(index);
    if (item != nullptr && renamePolicy_ && renamePolicy_(*item)) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

bool CFileTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    CFileTreeNode* item = node(index);
    if (role == Qt::EditRole && item != nullptr && renameHandler_) {
        // The handler renames the folder and the node; a refusal leaves the old text.
        return renameHandler_(*item, value.toString());
    }
    return QStandardItemModel::setData(index, value, role);
}

}  // namespace tonquill
