#include "tree/FileTreeCtrl.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tree/FileTreeTestSupport.h"
#include "tree/FileTreeView.h"

namespace tonquill {
namespace {

using test::ChildTexts;
using test::TreeHome;

CFileTreeNode* Child(const CFileTreeCtrl& tree, const CFileTreeNode* parent, const QString& name) {
    return tree.FindChildByName(parent, name);
}

TEST(FileTreeCtrlTest, SpecialNodesComeFirstThenDesktopFoldersIgnoringCase) {
    TreeHome home;
    QDir().mkpath(home.desktop + "/gamma");
    QDir().mkpath(home.desktop + "/Beta");
    QDir().mkpath(home.desktop + "/alpha");
    QDir().mkpath(home.desktop + "/.hidden");
    CFileTreeCtrl tree;
    const CFileTreeNode* root = tree.RootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->info.nodeType, FileTreeNodeType::Desktop);
    EXPECT_EQ(root->info.path, home.desktop);
    EXPECT_EQ(ChildTexts(root),
              (QStringList{"me", "Computer", "Network", "alpha", "Beta", "gamma"}));
    EXPECT_EQ(root->childNode(0)->info.nodeType, FileTreeNodeType::UserProfile);
    EXPECT_EQ(root->childNode(0)->info.path, home.home);
    EXPECT_EQ(root->childNode(1)->info.nodeType, FileTreeNodeType::MyComputer);
    EXPECT_TRUE(root->childNode(1)->info.path.isEmpty());
    EXPECT_EQ(root->childNode(2)->info.nodeType, FileTreeNodeType::Network);

    // Computer lists "/" first, and every volume it shows is a mount point.
    CFileTreeNode* computer = tree.SpecialNode(FileTreeNodeType::MyComputer);
    tree.OpenBranch(computer);
    ASSERT_GT(computer->rowCount(), 0);
    EXPECT_EQ(computer->childNode(0)->info.path, "/");
    EXPECT_EQ(computer->childNode(0)->info.nodeType, FileTreeNodeType::Drive);
}

TEST(FileTreeCtrlTest, FoldersFillWhenExpandedAndAreForgottenWhenCollapsed) {
    TreeHome home;
    home.Make({"Albums/Live", "Empty", "OnlyHidden/.cache"});
    CFileTreeCtrl tree;
    CFileTreeNode* profile = tree.SpecialNode(FileTreeNodeType::UserProfile);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->rowCount(), 0);
    EXPECT_TRUE(tree.model()->hasChildren(profile->index()));

    // The user's click on the expand button fills the node.
    tree.view()->expand(profile->index());
    EXPECT_EQ(ChildTexts(profile), (QStringList{"Albums", "Desktop", "Empty", "OnlyHidden"}));
    const CFileTreeNode* albums = Child(tree, profile, "Albums");
    EXPECT_EQ(albums->rowCount(), 0);
    EXPECT_TRUE(tree.model()->hasChildren(albums->index()));
    EXPECT_FALSE(tree.model()->hasChildren(Child(tree, profile, "Empty")->index()));
    EXPECT_FALSE(tree.model()->hasChildren(Child(tree, profile, "OnlyHidden")->index()));

    // Collapsing drops the children but keeps the button; a folder made meanwhile shows next
    // time.
    tree.view()->collapse(profile->index());
    EXPECT_EQ(profile->rowCount(), 0);
    EXPECT_TRUE(tree.model()->hasChildren(profile->index()));
    home.Make({"Added"});
    tree.view()->expand(profile->index());
    EXPECT_EQ(ChildTexts(profile),
              (QStringList{"Added", "Albums", "Desktop", "Empty", "OnlyHidden"}));
}

TEST(FileTreeCtrlTest, AFolderRemovedOutsideVanishesWhenSelected) {
    TreeHome home;
    home.Make({"a", "b", "c"});
    CFileTreeCtrl tree;
    CFileTreeNode* profile = tree.SpecialNode(FileTreeNodeType::UserProfile);
    tree.OpenBranch(profile);
    QSignalSpy selections(&tree, &CFileTreeCtrl::selectionChanged);
    ASSERT_TRUE(QDir(home.At("b")).removeRecursively());
    tree.view()->setCurrentIndex(Child(tree, profile, "b")->index());

    EXPECT_EQ(Child(tree, profile, "b"), nullptr);
    EXPECT_EQ(tree.CurrentPath(), home.At("a"));
    ASSERT_EQ(selections.size(), 1);
    EXPECT_EQ(selections.first().first().toString(), home.At("a"));
    EXPECT_TRUE(tree.model()->hasChildren(profile->index()));
}

TEST(FileTreeCtrlTest, HistoryGoesBackAndForwardWithinItsBound) {
    TreeHome home;
    QStringList names;
    for (int i = 0; i < 25; ++i) {
        names << QString("f%1").arg(i, 2, 10, QChar('0'));
    }
    home.Make(names);
    CFileTreeCtrl tree;
    CFileTreeNode* profile = tree.SpecialNode(FileTreeNodeType::UserProfile);
    tree.OpenBranch(profile);
    tree.view()->setCurrentIndex(profile->index());
    for (const QString& name : names) {
        tree.view()->setCurrentIndex(Child(tree, profile, name)->index());
    }
    // The bound keeps the newest 21 places: going back ends at f03, the home folder is gone.
    QString last;
    while (tree.CanGoBack()) {
        tree.GoBack();
        last = tree.CurrentPath();
    }
    EXPECT_EQ(last, home.At("f03"));

    // Forward retraces the steps; a new selection keeps the way forward.
    tree.GoForward();
    tree.GoForward();
    EXPECT_EQ(tree.CurrentPath(), home.At("f05"));
    tree.GoBack();
    EXPECT_EQ(tree.CurrentPath(), home.At("f04"));
    tree.view()->setCurrentIndex(Child(tree, profile, "f10")->index());
    tree.GoForward();
    EXPECT_EQ(tree.CurrentPath(), home.At("f05"));

    // Up, by key: Backspace; Alt+Left and Alt+Right walk the history.
    QTest::keyClick(tree.view(), Qt::Key_Backspace);
    EXPECT_EQ(tree.CurrentPath(), home.home);
    QTest::keyClick(tree.view(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(tree.CurrentPath(), home.At("f05"));
    QTest::keyClick(tree.view(), Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(tree.CurrentPath(), home.home);
    // Up from the root does nothing.
    tree.view()->setCurrentIndex(tree.RootNode()->index());
    QTest::keyClick(tree.view(), Qt::Key_Backspace);
    EXPECT_EQ(tree.CurrentNode(), tree.RootNode());
}

TEST(FileTreeCtrlTest, SelectPathFindsNestedFoldersExactly) {
    TreeHome home;
    home.Make({"Music/Live/2019", "music", "Music/.secret/inner"});
    QDir().mkpath(home.desktop + "/Projects/Mix");
    const QString outside = home.dir.path() + "/outside/deep";
    QDir().mkpath(outside);
    CFileTreeCtrl tree;

    const struct {
        QString requested;
        QString found;  // empty: not found
        QString selected;
    } cases[] = {
        {home.At("Music/Live/2019"), home.At("Music/Live/2019"), home.At("Music/Live/2019")},
        {home.At("Music/Live/"), home.At("Music/Live"), home.At("Music/Live")},
        {home.At("music"), home.At("music"), home.At("music")},
        {home.At("Music"), home.At("Music"), home.At("Music")},
        {home.At("MUSIC/Live"), "", home.At("Music")},
        {home.At("Music/.secret/inner"), "", home.At("Music")},
        {home.desktop + "/Projects/Mix", home.desktop + "/Projects/Mix",
         home.desktop + "/Projects/Mix"},
        {outside, outside, outside},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested.toStdString());
        const CFileTreeNode* node = tree.SelectPath(c.requested, true);
        EXPECT_EQ(node != nullptr ? node->info.path : QString(), c.found);
        EXPECT_EQ(tree.CurrentPath(), c.selected);
    }
    // Asked expanded, the target is open.
    const CFileTreeNode* live = tree.SelectPath(home.At("Music/Live"), true);
    ASSERT_NE(live, nullptr);
    EXPECT_TRUE(tree.IsExpanded(live));
    EXPECT_EQ(ChildTexts(live), QStringList{"2019"});
    EXPECT_EQ(tree.SelectPath(""), nullptr);
}

TEST(FileTreeCtrlTest, VolumesAreListedWithoutBeingReadAndAnEmptyDriveLosesItsButton) {
    TreeHome home;
    const QString cdrom = home.dir.path() + "/media/cdrom";  // no disc: nothing mounted there
    const QString nas = home.dir.path() + "/mnt/nas";
    QDir().mkpath(nas + "/Albums/Live");
    const QByteArray mounts = QString(
                                  "/dev/vda / ext4 rw 0 0\n"
                                  "/dev/sr0 %1 iso9660 ro 0 0\n"
                                  "nas:/export/music %2 nfs4 rw 0 0\n")
                                  .arg(cdrom, nas)
                                  .toUtf8();
    CFileTreeCtrl tree;
    tree.SetMountSource([mounts] { return CMountTable::Parse(mounts); });
    tree.Refresh();

    CFileTreeNode* computer = tree.SpecialNode(FileTreeNodeType::MyComputer);
    tree.OpenBranch(computer);
    CFileTreeNode* disc = nullptr;
    for (int row = 0; row < computer->rowCount(); ++row) {
        if (computer->childNode(row)->info.path == cdrom) {
            disc = computer->childNode(row);
        }
    }
    ASSERT_NE(disc, nullptr);
    EXPECT_TRUE(tree.model()->hasChildren(disc->index()));
    tree.view()->expand(disc->index());
    EXPECT_FALSE(tree.IsExpanded(disc));
    EXPECT_FALSE(tree.model()->hasChildren(disc->index()));

    CFileTreeNode* network = tree.SpecialNode(FileTreeNodeType::Network);
    tree.OpenBranch(network);
    EXPECT_EQ(ChildTexts(network), QStringList{"music on nas"});
    const CFileTreeNode* share = network->childNode(0);
    ASSERT_TRUE(share->info.netResource.has_value());
    EXPECT_EQ(share->info.netResource->fsType, "nfs4");

    // A path on the network file system is found through Network.
    const CFileTreeNode* live = tree.SelectPath(nas + "/Albums/Live");
    ASSERT_NE(live, nullptr);
    EXPECT_EQ(live->parentNode()->parentNode(), share);
}

TEST(FileTreeCtrlTest, SharedFoldersCarryTheOverlay) {
    TreeHome home;
    home.Make({"Public", "Music"});
    const QString shares = home.dir.path() + "/usershares";
    QDir().mkpath(shares);
    QFile share(shares + "/public");
    ASSERT_TRUE(share.open(QIODevice::WriteOnly));
    share.write("#VERSION 2\npath=" + QFile::encodeName(home.At("Public")) +
                "\ncomment=\nsharename=public\n");
    share.close();
    CFileTreeCtrl tree;
    tree.SetShareFolder(shares);
    tree.Refresh();
    CFileTreeNode* profile = tree.SpecialNode(FileTreeNodeType::UserProfile);
    tree.OpenBranch(profile);
    EXPECT_TRUE(tree.FindChildByName(profile, "Public")->sharedOverlay);
    EXPECT_FALSE(tree.FindChildByName(profile, "Music")->sharedOverlay);
}

TEST(FileTreeCtrlTest, RefreshKeepsTheSelectionAndItsExpansion) {
    TreeHome home;
    home.Make({"Music/Live/2019"});
    CFileTreeCtrl tree;
    ASSERT_NE(tree.SelectPath(home.At("Music/Live"), true), nullptr);
    home.Make({"Music/Live/2020"});
    QTest::keyClick(tree.view(), Qt::Key_F5);
    EXPECT_EQ(tree.CurrentPath(), home.At("Music/Live"));
    EXPECT_TRUE(tree.IsExpanded(tree.CurrentNode()));
    EXPECT_EQ(ChildTexts(tree.CurrentNode()), (QStringList{"2019", "2020"}));

    // Computer has no path: it is found again by its kind.
    tree.view()->setCurrentIndex(tree.SpecialNode(FileTreeNodeType::MyComputer)->index());
    tree.Refresh();
    EXPECT_EQ(tree.CurrentNode(), tree.SpecialNode(FileTreeNodeType::MyComputer));
}

TEST(FileTreeCtrlTest, ExpandBranchOpensEverythingBelow) {
    TreeHome home;
    home.Make({"Box/a/a1/a2", "Box/b/b1"});
    CFileTreeCtrl tree;
    CFileTreeNode* box = tree.SelectPath(home.At("Box"));
    ASSERT_NE(box, nullptr);
    tree.ExpandBranch(box);
    const CFileTreeNode* a1 = tree.FindChildByName(tree.FindChildByName(box, "a"), "a1");
    ASSERT_NE(a1, nullptr);
    EXPECT_TRUE(tree.IsExpanded(a1));
    EXPECT_EQ(ChildTexts(a1), QStringList{"a2"});
    EXPECT_EQ(ChildTexts(tree.FindChildByName(box, "b")), QStringList{"b1"});
    tree.ExpandBranch(box, false);
    EXPECT_FALSE(tree.IsExpanded(box));
    EXPECT_EQ(box->rowCount(), 0);
}

// Expand Folder on a folder holding more than anyone could look through (the desktop, a disk)
// returns after its budget with the upper levels open, instead of reading the whole disk.
TEST(FileTreeCtrlTest, ExpandBranchOfAHugeFolderStopsAtItsBudget) {
    TreeHome home;
    QStringList folders;
    for (int a = 0; a < 60; ++a) {
        for (int b = 0; b < 40; ++b) {
            folders << QStringLiteral("Huge/%1/%2/leaf").arg(a).arg(b);
        }
    }
    home.Make(folders);
    CFileTreeCtrl tree;
    CFileTreeNode* huge = tree.SelectPath(home.At("Huge"));
    ASSERT_NE(huge, nullptr);
    tree.ExpandBranch(huge);
    // The first two levels are open (61 folders); of the 2400 third-level ones, those past the
    // budget still wait with their buttons.
    EXPECT_TRUE(tree.IsExpanded(huge));
    const CFileTreeNode* first = tree.FindChildByName(huge, "0");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(tree.IsExpanded(first));
    int openThird = 0;
    for (int a = 0; a < huge->rowCount(); ++a) {
        const auto* second = static_cast<const CFileTreeNode*>(huge->child(a));
        for (int b = 0; b < second->rowCount(); ++b) {
            openThird +=
                tree.IsExpanded(static_cast<const CFileTreeNode*>(second->child(b))) ? 1 : 0;
        }
    }
    EXPECT_LT(openThird, 2400);
    EXPECT_LE(openThird + 61, CFileTreeCtrl::ExpandBranchMaxFolders);
}

TEST(FileTreeCtrlTest, RightClickSelectsBeforeAskingForTheMenu) {
    TreeHome home;
    home.Make({"a", "b"});
    CFileTreeCtrl tree;
    tree.resize(400, 600);
    tree.show();
    CFileTreeNode* profile = tree.SpecialNode(FileTreeNodeType::UserProfile);
    tree.OpenBranch(profile);
    QStringList order;
    QObject::connect(&tree, &CFileTreeCtrl::selectionChanged,
                     [&](const QString& path) { order << "select " + path; });
    QObject::connect(&tree, &CFileTreeCtrl::contextMenuRequested,
                     [&](const QPoint&) { order << "menu"; });
    const QPoint at = tree.view()->visualRect(Child(tree, profile, "b")->index()).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree.view()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree.view()->viewport(), &event);
    EXPECT_EQ(order, (QStringList{"select " + home.At("b"), "menu"}));

    // A right click on empty space keeps the selection the menu's commands act on.
    order.clear();
    const QPoint empty(10, tree.view()->viewport()->height() - 5);
    ASSERT_FALSE(tree.view()->indexAt(empty).isValid());
    QTest::mouseClick(tree.view()->viewport(), Qt::RightButton, Qt::NoModifier, empty);
    QContextMenuEvent onEmpty(QContextMenuEvent::Mouse, empty,
                              tree.view()->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(tree.view()->viewport(), &onEmpty);
    EXPECT_EQ(order, QStringList{"menu"});
    EXPECT_EQ(tree.CurrentPath(), home.At("b"));

    order.clear();
    QTest::keyClick(tree.view(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(order, QStringList{"menu"});
}

}  // namespace
}  // namespace tonquill
