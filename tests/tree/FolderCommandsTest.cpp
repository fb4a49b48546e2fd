#include <QApplication>
#include <QDesktopServices>
#include <QDirIterator>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include "tree/FileTreeCtrl.h"
#include "tree/FileTreeTestSupport.h"
#include "tree/FileTreeView.h"
#include "tree/FolderActions.h"
#include "tree/FolderPropertiesDlg.h"
#include "tree/MountTable.h"

namespace tonquill {
namespace {

using test::ChildTexts;
using test::TreeHome;

// Takes the URLs the tree asks the desktop to open, instead of starting a file manager.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QStringList paths;

public slots:
    void Open(const QUrl& url) { paths << url.toLocalFile(); }
};

// A tree with every command allowed, whose questions are answered yes and whose warnings are
// kept.
struct CommandTree {
    CommandTree() {
        tree.allowDelete = tree.allowRename = tree.allowNewFolder = true;
        tree.SetPrompts({[this](const QString& q) {
                             questions << q;
                             return true;
                         },
                         [this](const QString& w) { warnings << w; }});
        tree.resize(400, 600);
        tree.show();
    }
    CFileTreeNode* Select(const QString& path) { return tree.SelectPath(path); }

    CFileTreeCtrl tree;
    QStringList questions;
    QStringList warnings;
};

TEST(FolderCommandsTest, NewFolderTakesTheFirstFreeNameAndOpensTheEditor) {
    TreeHome home;
    home.Make({"Box/New Folder", "Box/New Folder (2)", "Box/Other"});
    EXPECT_EQ(CFileTreeCtrl::MakeNewFolderName(home.At("Box")), home.At("Box/New Folder (3)"));
    EXPECT_EQ(CFileTreeCtrl::MakeNewFolderName(home.At("Box/Other/")),
              home.At("Box/Other/New Folder"));

    CommandTree c;
    CFileTreeNode* box = c.Select(home.At("Box"));
    ASSERT_NE(box, nullptr);
    ASSERT_FALSE(c.tree.IsExpanded(box));
    const CFileTreeNode* made = c.tree.CreateSubfolder();
    ASSERT_NE(made, nullptr);
    EXPECT_TRUE(QFileInfo(home.At("Box/New Folder (3)")).isDir());
    EXPECT_EQ(ChildTexts(box),
              (QStringList{"New Folder", "New Folder (2)", "New Folder (3)", "Other"}));
    EXPECT_EQ(c.tree.CurrentNode(), made);
    EXPECT_TRUE(c.tree.view()->IsEditing());

    // A leaf gets its first child and its expand button; Computer takes none.
    CFileTreeNode* other = c.Select(home.At("Box/Other"));
    ASSERT_NE(c.tree.CreateSubfolder(other), nullptr);
    EXPECT_EQ(ChildTexts(other), QStringList{"New Folder"});
    EXPECT_TRUE(c.tree.IsExpanded(other));
    EXPECT_EQ(c.tree.CreateSubfolder(c.tree.SpecialNode(FileTreeNodeType::MyComputer)), nullptr);
}

TEST(FolderCommandsTest, DeleteMovesTheSelectionToASiblingOrTheParent) {
    TreeHome home;
    home.Make({"Box/a/inside", "Box/b", "Solo/only/x"});
    CommandTree c;

    // To the trash: the previous sibling takes the selection.
    ASSERT_NE(c.Select(home.At("Box/b")), nullptr);
    EXPECT_TRUE(c.tree.DeleteNode(nullptr, CFileTreeCtrl::DeleteMode::ToTrash));
    EXPECT_FALSE(QFileInfo::exists(home.At("Box/b")));
    EXPECT_TRUE(QFileInfo(home.data + "/Trash/files/b").isDir());
    EXPECT_EQ(c.questions.value(0), "Move the folder " + home.At("Box/b") + " to the Trash?");
    EXPECT_EQ(c.tree.CurrentPath(), home.At("Box/a"));
    EXPECT_EQ(ChildTexts(c.tree.CurrentNode()->parentNode()), QStringList{"a"});

    // Permanently, by Shift+Delete: the only child goes, the parent is selected and loses its
    // expand button.
    CFileTreeNode* solo = c.Select(home.At("Solo/only"))->parentNode();
    QTest::keyClick(c.tree.view(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_FALSE(QFileInfo::exists(home.At("Solo/only")));
    EXPECT_FALSE(QFileInfo::exists(home.data + "/Trash/files/only"));
    EXPECT_EQ(c.questions.value(1),
              "Permanently delete the folder " + home.At("Solo/only") + " and everything in it?");
    EXPECT_EQ(c.tree.CurrentNode(), solo);
    EXPECT_FALSE(c.tree.model()->hasChildren(solo->index()));

    // Answered no, or on a node that is no folder: nothing goes.
    c.tree.SetPrompts({[](const QString&) { return false; }, {}});
    EXPECT_FALSE(c.tree.DeleteNode(c.Select(home.At("Box/a"))));
    EXPECT_TRUE(QFileInfo(home.At("Box/a/inside")).isDir());
    EXPECT_FALSE(c.tree.DeleteNode(c.tree.SpecialNode(FileTreeNodeType::UserProfile)));
}

TEST(FolderCommandsTest, TheDeleteQuestionShowsTheFolderNameAsPlainTextAndDefaultsToNo) {
    TreeHome home;
    home.Make({"<b>x</b>"});
    CFileTreeCtrl tree;
    tree.allowDelete = true;
    tree.show();
    ASSERT_NE(tree.SelectPath(home.At("<b>x</b>")), nullptr);
    for (const auto mode :
         {CFileTreeCtrl::DeleteMode::ToTrash, CFileTreeCtrl::DeleteMode::Permanently}) {
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        bool noIsDefault = false;
        // The box is modal: look at it from inside its own loop, then press its default button.
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            format = box->textFormat();
            noIsDefault =
                static_cast<QAbstractButton*>(box->defaultButton()) == box->button(QMessageBox::No);
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_FALSE(tree.DeleteNode(nullptr, mode));
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_TRUE(text.contains(home.At("<b>x</b>"))) << text.toStdString();
        EXPECT_TRUE(noIsDefault);
        EXPECT_TRUE(QFileInfo(home.At("<b>x</b>")).isDir());
    }
}

TEST(FolderCommandsTest, RenameNeverReplacesAnExistingFolder) {
    TreeHome home;
    home.Make({"Box/a/keep-a", "Box/b/keep-b"});
    CommandTree c;
    CFileTreeNode* a = c.Select(home.At("Box/a"));
    ASSERT_NE(a, nullptr);

    // Typed in the editor: F2, the name (Backspace edits the name, it does not go up), Enter.
    QTest::keyClick(c.tree.view(), Qt::Key_F2);
    ASSERT_TRUE(c.tree.view()->IsEditing());
    auto* editor = c.tree.view()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "bx");
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor hands its text over once back in the loop
    EXPECT_FALSE(c.tree.view()->IsEditing());
    EXPECT_EQ(a->text(), "a");
    EXPECT_TRUE(QFileInfo(home.At("Box/a/keep-a")).isDir());
    EXPECT_TRUE(QFileInfo(home.At("Box/b/keep-b")).isDir());
    EXPECT_FALSE(QFileInfo::exists(home.At("Box/b/keep-a")));
    ASSERT_EQ(c.warnings.size(), 1);
    EXPECT_TRUE(c.warnings.first().contains("already exists")) << c.warnings.first().toStdString();

    // A free name renames the folder and the node.
    QSignalSpy selections(&c.tree, &CFileTreeCtrl::selectionChanged);
    EXPECT_TRUE(c.tree.model()->setData(a->index(), "c"));
    EXPECT_EQ(a->text(), "c");
    EXPECT_EQ(a->info.path, home.At("Box/c"));
    EXPECT_TRUE(QFileInfo(home.At("Box/c/keep-a")).isDir());
    ASSERT_EQ(selections.size(), 1);
    EXPECT_EQ(selections.first().first().toString(), home.At("Box/c"));

    // Computer and drives cannot be renamed.
    EXPECT_FALSE(c.tree.RenameNode(c.tree.SpecialNode(FileTreeNodeType::MyComputer)));
    c.tree.SelectPath("/");
    QTest::keyClick(c.tree.view(), Qt::Key_F2);
    EXPECT_FALSE(c.tree.view()->IsEditing());
}

TEST(FolderCommandsTest, RenameNoReplaceRefusesFilesAndFoldersInTheWay) {
    TreeHome home;
    home.Make({"x", "y"});
    QFile file(home.At("f.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    QString why;
    EXPECT_FALSE(CFolderActions::RenameNoReplace(home.At("x"), home.At("f.txt"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(CFolderActions::RenameNoReplace(home.At("x"), home.At("y"), &why));
    EXPECT_TRUE(QFileInfo(home.At("x")).isDir());
    QFile kept(home.At("f.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep");
}

// A click, then the second press that the window system reports as a double click.
void DoubleClick(CFileTreeCtrl& tree, const QPoint& at) {
    QWidget* viewport = tree.view()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    const QPointF local(at);
    QMouseEvent press(QEvent::MouseButtonDblClick, local, viewport->mapToGlobal(local),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
}

TEST(FolderCommandsTest, EnterAndADoubleClickOnALeafOpenTheFolder) {
    TreeHome home;
    home.Make({"Box/leaf", "Box/parent/child"});
    OpenedUrls opened;
    CommandTree c;
    ASSERT_NE(c.Select(home.At("Box/leaf")), nullptr);
    QTest::keyClick(c.tree.view(), Qt::Key_Return);
    const CFileTreeNode* leaf = c.tree.CurrentNode();
    const QPoint at = c.tree.view()->visualRect(leaf->index()).center();
    DoubleClick(c.tree, at);
    // A folder with subfolders expands on a double click instead of opening.
    const CFileTreeNode* parent = c.Select(home.At("Box/parent"));
    DoubleClick(c.tree, c.tree.view()->visualRect(parent->index()).center());
    EXPECT_EQ(opened.paths, (QStringList{home.At("Box/leaf"), home.At("Box/leaf")}));
    EXPECT_TRUE(c.tree.IsExpanded(parent));
}

TEST(FolderCommandsTest, OwnPropertiesDialogCountsTheContentsOnDemand) {
    TreeHome home;
    home.Make({"Box/a"});
    for (const auto& [name, bytes] : {std::pair{"Box/a/f", 10}, std::pair{"Box/g", 5}}) {
        QFile file(home.At(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
    }
    QFile(home.At("Box"))
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup);
    CFolderPropertiesDlg dialog(home.At("Box"));
    EXPECT_EQ(dialog.SizeText(), "Not counted");
    EXPECT_EQ(CFolderPropertiesDlg::PermissionText(home.At("Box")), "rwxr-x--- (750)");
    QSignalSpy counted(&dialog, &CFolderPropertiesDlg::contentsCounted);
    dialog.CountContents();
    ASSERT_TRUE(counted.wait(10000));
    EXPECT_TRUE(dialog.SizeText().endsWith("(15 bytes), 2 files, 1 folders"))
        << dialog.SizeText().toStdString();
}

TEST(FolderCommandsTest, MountTableShowsUserVolumesAndNetworkMounts) {
    const CMountTable table = CMountTable::Parse(
        "overlay / overlay rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/nonexistent1 /media/me/My\\040Stick vfat rw 0 0\n"
        "/dev/nonexistent2 /boot ext4 rw 0 0\n"
        "nas:/export/music /mnt/music nfs4 rw 0 0\n"
        "//nas/share /srv/share cifs rw 0 0\n");
    QStringList shown;
    for (const MountedVolume& volume : table.ShownVolumes()) {
        shown << volume.mountPoint;
    }
    EXPECT_EQ(shown, (QStringList{"/", "/media/me/My Stick", "/mnt/music", "/srv/share"}));
    QStringList network;
    for (const MountedVolume& volume : table.NetworkVolumes()) {
        network << volume.mountPoint;
    }
    EXPECT_EQ(network, (QStringList{"/mnt/music", "/srv/share"}));
    EXPECT_TRUE(table.IsUntouchable("/mnt/music"));
    EXPECT_FALSE(table.IsUntouchable("/media/me/My Stick"));
    EXPECT_EQ(table.VolumeOf("/mnt/music/a/b")->mountPoint, "/mnt/music");
    EXPECT_EQ(table.VolumeOf("/mnt/musicx")->mountPoint, "/");
}

}  // namespace
}  // namespace tonquill

#include "FolderCommandsTest.moc"
