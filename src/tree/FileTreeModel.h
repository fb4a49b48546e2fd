#pragma once

#include <QStandardItem>
#include <QStandardItemModel>
#include <functional>

#include "FileTreeCtrlItemInfo.h"

namespace tonquill {

// One tree node: its record and whether it shows its expand button while it has no children
// (folders are read only when first expanded).
class CFileTreeNode : public QStandardItem {
public:
    static constexpr int Type = QStandardItem::UserType + 16;

    explicit CFileTreeNode(CFileTreeCtrlItemInfo record) : info(std::move(record)) {
        setEditable(false);
    }
    int type() const override { return Type; }

    CFileTreeNode* childNode(int row) const { return static_cast<CFileTreeNode*>(child(row)); }
    CFileTreeNode* parentNode() const { return static_cast<CFileTreeNode*>(parent()); }

    CFileTreeCtrlItemInfo info;
    bool expandButton = false;
    bool sharedOverlay = false;  // the folder is shared on the network
};

// The tree's nodes. A node with its expand button counts as having children before it has
// any, and the end of an in-place edit goes to the owner, which renames the folder first.
class CFileTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    using RenameHandler = std::function<bool(CFileTreeNode&, const QString&)>;
    using RenamePolicy = std::function<bool(const CFileTreeNode&)>;

    explicit CFileTreeModel(QObject* parent = nullptr) : QStandardItemModel(parent) {}

    CFileTreeNode* node(const QModelIndex& index) const {
        return static_cast<CFileTreeNode*>(itemFromIndex(index));
    }

    void SetRenameHandler(RenameHandler handler) { renameHandler_ = std::move(handler); }
    void SetRenamePolicy(RenamePolicy policy) { renamePolicy_ = std::move(policy); }

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    RenameHandler renameHandler_;
    RenamePolicy renamePolicy_;
};

}  // namespace tonquill
