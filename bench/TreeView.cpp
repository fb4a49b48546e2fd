// The folder tree alone in a window, with its folder commands on a context menu and the
// selected path below it: `tonquill-treeview [--shares FOLDER] [PATH]` selects PATH (expanded) at
// start; FOLDER stands in for Samba's user-share folder.
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>
#include <QWidget>

#include "tree/FileTreeCtrl.h"

using tonquill::CFileTreeCtrl;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Folder tree");
    auto* tree = new CFileTreeCtrl;
    tree->allowDelete = tree->allowRename = tree->allowNewFolder = true;
    auto* status = new QLabel;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tree, 1);
    layout->addWidget(status);
    QObject::connect(tree, &CFileTreeCtrl::selectionChanged, status, [status](const QString& p) {
        status->setText(p.isEmpty() ? QString("(no folder)") : p);
    });
    QObject::connect(tree, &CFileTreeCtrl::contextMenuRequested, tree, [tree](const QPoint& at) {
        QMenu menu;
        menu.addAction("Open", [tree] { tree->OpenNode(); });
        menu.addAction("Properties", [tree] { tree->ShowNodeProperties(); });
        menu.addSeparator();
        menu.addAction("New Folder", [tree] { tree->CreateSubfolder(); });
        menu.addAction("Rename", [tree] { tree->RenameNode(); });
        menu.addAction("Delete", [tree] { tree->DeleteNode(); });
        menu.addSeparator();
        menu.addAction("Back", [tree] { tree->GoBack(); })->setEnabled(tree->CanGoBack());
        menu.addAction("Forward", [tree] { tree->GoForward(); })->setEnabled(tree->CanGoForward());
        menu.addAction("Up", [tree] { tree->GoUp(); });
        menu.addAction("Refresh", [tree] { tree->Refresh(); });
        menu.exec(at);
    });
    QStringList args = app.arguments().mid(1);
    if (args.size() >= 2 && args[0] == "--shares") {
        tree->SetShareFolder(args[1]);
        tree->Refresh();
        args = args.mid(2);
    }
    if (!args.isEmpty()) {
        tree->SelectPath(args[0], true);
    }
    window.resize(420, 640);
    window.show();
    tree->setFocus();
    return app.exec();
}
