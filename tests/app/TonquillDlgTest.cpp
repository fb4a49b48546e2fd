// The main window as a user meets it: its first start, the layout it keeps between sessions,
// its close, its keys, the quick format menu and a second start handing over files.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/AppIcons.h"
#include "app/CommandTable.h"
#include "app/FileListPane.h"
#include "app/FileListView.h"
#include "app/SingleInstance.h"
#include "app/StatusPanes.h"
#include "app/TonquillDlg.h"
#include "base/AudioFormat.h"
#include "metadata/FileListEntry.h"
#include "metadata/ProbeFixtures.h"
#include "tree/FileTreeCtrl.h"
#include "tree/FileTreeTestSupport.h"
#include "tree/FileTreeView.h"
#include "ui/SSplitter.h"

namespace tonquill {
namespace {

namespace fs = std::filesystem;

class TonquillDlgTest : public ::testing::Test {
protected:
    TonquillDlgTest() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           home.dir.path() + "/profile");
        g_listBusy = 0;
    }

    std::unique_ptr<CTonquillDlg> Start() {
        auto window = std::make_unique<CTonquillDlg>(settingsFolder);
        EXPECT_TRUE(window->Initialise());
        WaitUntil([&] { return !window->Pane()->IsLoading(); });
        return window;
    }

    // A folder below home with n short WAV files.
    QString MusicFolder(int n) {
        home.Make({"Music"});
        for (int i = 0; i < n; ++i) {
            test::WriteWavFixture(
                (home.At("Music") + QStringLiteral("/song%1.wav").arg(i)).toStdString(), 8000, 1,
                0.1);
        }
        return home.At("Music");
    }

    static void WaitUntil(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_TRUE(done()) << "waited 20 s in vain";
    }

    static void ShowActive(CTonquillDlg& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    test::TreeHome home;
    fs::path settingsFolder = fs::path(home.dir.path().toStdString()) / "settings";
};

TEST_F(TonquillDlgTest, FirstStartShowsTheDefaults) {
    auto window = Start();
    EXPECT_TRUE(fs::exists(settingsFolder / "Config.ini"));

    const FileListView* list = window->Pane()->List();
    for (const FileListColumnInfo& info : FileListColumns) {
        SCOPED_TRACE(info.heading);
        EXPECT_TRUE(list->IsColumnShown(info.column));
        EXPECT_EQ(list->GetColumnWidth(info.column), info.width);
    }
    EXPECT_EQ(list->sortKeys, (std::vector<ColumnSortInfo>{{0, 1}}));
    EXPECT_TRUE(window->Splitter()->IsLeftPaneShown());
    // No folder of an earlier session: Computer is selected and the list stays empty.
    ASSERT_NE(window->Tree()->CurrentNode(), nullptr);
    EXPECT_EQ(window->Tree()->CurrentNode()->info.nodeType, FileTreeNodeType::MyComputer);
    EXPECT_EQ(window->Pane()->FileCount(), 0);

    window->ShowAsStored();
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    // The status bar: the selection pane and the settings summary of the default format.
    EXPECT_EQ(window->Status()->Pane(1)->text(), " No file selected");
    EXPECT_FALSE(window->Status()->Pane(2)->text().isEmpty());
    EXPECT_EQ(window->FormatButtonImage(),
              AppIcons::FormatImage(window->Context().Settings.OUTPUT.OutputFormat));
}

TEST_F(TonquillDlgTest, TheNextStartRestoresLayoutOrderAndFolder) {
    const QString music = MusicFolder(2);
    {
        auto window = Start();
        FileListView* list = window->Pane()->List();
        list->ShowColumn(ColumnArtist, false);
        list->SetColumnWidth(ColumnTitle, 300);
        window->Pane()->SetSortKeys({{ColumnDuration, 0}});
        window->Splitter()->HideLeftPane();
        ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
        WaitUntil([&] { return !window->Pane()->IsLoading(); });
        window->show();
        window->showNormal();
        window->setGeometry(40, 50, 700, 500);
        window->close();
    }
    auto window = Start();
    const FileListView* list = window->Pane()->List();
    EXPECT_FALSE(list->IsColumnShown(ColumnArtist));
    EXPECT_TRUE(list->IsColumnShown(ColumnAlbum));
    EXPECT_EQ(list->GetColumnWidth(ColumnTitle), 300);
    EXPECT_EQ(list->sortKeys, (std::vector<ColumnSortInfo>{{ColumnDuration, 0}}));
    EXPECT_FALSE(window->Splitter()->IsLeftPaneShown());
    // The last folder is selected again; the tree is hidden, so its files are not loaded.
    EXPECT_EQ(window->Tree()->CurrentPath(), music);
    EXPECT_EQ(window->Pane()->FileCount(), 0);
    window->ShowAsStored();
    EXPECT_FALSE(window->windowState() & Qt::WindowMaximized);
}

TEST_F(TonquillDlgTest, ClosingTwiceSavesOnce) {
    auto window = Start();
    window->show();
    window->close();
    window->close();
    EXPECT_EQ(window->SaveCount(), 1);
    QSettings profile(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
    EXPECT_EQ(profile.value("FileList/Column").toByteArray().size(), 8 * FileListColumnCount);
    EXPECT_EQ(profile.value("FileList/SortEx").toByteArray().size(), 8);
    EXPECT_EQ(profile.value("FileList/ShowLeftTree").toByteArray(), QByteArray(1, 1));
    EXPECT_TRUE(fs::exists(settingsFolder / "Config.ini"));
}

TEST_F(TonquillDlgTest, KeysReachTheirCommandsAndTheTreeKeepsItsOwn) {
    const QString music = MusicFolder(1);
    auto window = Start();
    std::vector<int> ran;
    for (const CommandRow& row : CommandRows()) {
        const int id = row.id;
        window->Commands().SetHandler(id, [&ran, id] { ran.push_back(id); });
    }
    ShowActive(*window);

    window->Pane()->List()->setFocus();
    for (const CommandRow& row : CommandRows()) {
        if (*row.key == '\0') {
            continue;
        }
        SCOPED_TRACE(row.key);
        ran.clear();
        QTest::keySequence(window->windowHandle(), QKeySequence(QString::fromLatin1(row.key)));
        EXPECT_EQ(ran, std::vector<int>{row.id});
    }
    // Esc and Enter do nothing to the window.
    ran.clear();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(ran.empty());

    // The focused tree keeps F5, Del and F2 for its folder: the list's files are not touched.
    QStringList asked;
    window->Tree()->SetPrompts({[&asked](const QString& question) {
                                    asked << question;
                                    return false;
                                },
                                [](const QString&) {}});
    ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    window->Tree()->view()->setFocus();
    ASSERT_TRUE(window->Tree()->view()->hasFocus()) << window->Tree()->isEnabled();
    ran.clear();
    for (const Qt::Key key : {Qt::Key_F5, Qt::Key_Delete}) {
        QTest::keyClick(window->windowHandle(), key);
        // A refresh reloads the folder; the tree has the focus again when that ends.
        WaitUntil([&] { return !window->Pane()->IsLoading(); });
        ASSERT_TRUE(window->Tree()->view()->hasFocus()) << key;
    }
    QTest::keyClick(window->windowHandle(), Qt::Key_F2);
    EXPECT_TRUE(ran.empty()) << ran.size() << " window commands ran";
    EXPECT_EQ(asked.size(), 1);  // the tree's own question before a folder goes to the trash
    EXPECT_TRUE(window->Tree()->view()->IsEditing());
    EXPECT_TRUE(QDir(music).exists());
}

TEST_F(TonquillDlgTest, NameBoxesInTheTreeKeepTheKeyboardWhileAFolderLoads) {
    const QString music = MusicFolder(1);
    auto window = Start();
    ShowActive(*window);
    ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    window->Tree()->view()->setFocus();
    // Typing goes wherever the keyboard is, as a user's would.
    const auto type = [](const QString& text) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClicks(focus, text);
    };

    // The new folder is selected, which loads it, while its name box is open.
    window->Commands().Action(IdTreeCreateFolder)->trigger();
    type("Live");
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    type(" Set");
    // The name box hands its text over once the key has been handled.
    const auto enter = [&] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        WaitUntil([&] { return !window->Tree()->view()->IsEditing(); });
    };
    enter();
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    EXPECT_TRUE(QDir(music + "/Live Set").exists());
    EXPECT_FALSE(QDir(music + "/New Folder").exists());
    EXPECT_EQ(window->Tree()->CurrentPath(), music + "/Live Set");

    // Rename while a load runs: the box takes the name.
    window->SetLoading(true);
    window->Commands().Action(IdTreeRename)->trigger();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    type("Encore");
    enter();
    window->SetLoading(false);
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    EXPECT_TRUE(QDir(music + "/Encore").exists());
    EXPECT_FALSE(QDir(music + "/Live Set").exists());
    EXPECT_TRUE(window->Tree()->isEnabled());
}

TEST_F(TonquillDlgTest, AHiddenTreeLoadsNoFolder) {
    const QString music = MusicFolder(2);
    home.Make({"Other"});
    auto window = Start();
    window->Splitter()->HideLeftPane();
    ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
    EXPECT_FALSE(window->Pane()->IsLoading());
    EXPECT_EQ(window->Pane()->FileCount(), 0);

    // Shown again, a selection loads; going back while hidden does not.
    window->Splitter()->ShowLeftPane();
    ASSERT_NE(window->Tree()->SelectPath(home.At("Other")), nullptr);
    ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    EXPECT_EQ(window->Pane()->FileCount(), 2);
    window->Splitter()->HideLeftPane();
    window->Tree()->GoBack();
    EXPECT_EQ(window->Tree()->CurrentPath(), home.At("Other"));
    EXPECT_FALSE(window->Pane()->IsLoading());
    EXPECT_EQ(window->Pane()->FileCount(), 2);
}

TEST_F(TonquillDlgTest, QuickFormatMenuSetsTheFormatSummaryAndButtonImage) {
    auto window = Start();
    ShowActive(*window);
    window->Commands().Action(FormatCommandId(FormatWav))->trigger();
    EXPECT_EQ(window->Context().Settings.OUTPUT.OutputFormat, FormatWav);
    EXPECT_TRUE(window->Status()->Pane(2)->text().startsWith("WAV:"));
    EXPECT_EQ(window->FormatButtonImage(), AppIcons::FormatImage(FormatWav));

    // The Format button opens the menu right below itself with the current format checked;
    // choosing WMA there sets it.
    QWidget* button = window->ToolBar()->widgetForAction(window->Commands().Action(IdFormat));
    ASSERT_NE(button, nullptr);
    QPoint menuAt;
    QStringList checked;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menuAt = menu->pos();
        for (QAction* action : menu->actions()) {
            if (action->isChecked()) {
                checked << action->text();
            }
        }
        window->Commands().Action(FormatCommandId(FormatWma))->trigger();
        menu->close();
    });
    window->Commands().Action(IdFormat)->trigger();
    EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(0, button->height())));
    EXPECT_EQ(checked, QStringList{"WAV"});
    EXPECT_EQ(window->Context().Settings.OUTPUT.OutputFormat, FormatWma);
    EXPECT_TRUE(window->Status()->Pane(2)->text().startsWith("WMA:"));
    EXPECT_EQ(window->FormatButtonImage(), AppIcons::FormatImage(FormatWma));
    EXPECT_TRUE(window->Commands().Action(FormatCommandId(FormatWma))->isChecked());
    EXPECT_FALSE(window->Commands().Action(FormatCommandId(FormatWav))->isChecked());

    // Every format of the table has its command, its picture and its summary line.
    for (const FormatInfo& info : FormatTable) {
        const int id = FormatCommandId(info.code);
        const int format = info.code;
        const int image = AppIcons::FormatImage(info.code);
        const QString summary = QString::fromLatin1(info.name) + QLatin1Char(':');
        window->Commands().Action(id)->trigger();
        EXPECT_EQ(window->Context().Settings.OUTPUT.OutputFormat, format);
        EXPECT_EQ(window->FormatButtonImage(), image);
        EXPECT_TRUE(window->Commands().Action(id)->isChecked()) << info.name;
        EXPECT_TRUE(window->Status()->Pane(2)->text().startsWith(summary))
            << window->Status()->Pane(2)->text().toStdString();
    }
}

TEST_F(TonquillDlgTest, ASecondStartHandsItsFilesToTheWindow) {
    const QString music = MusicFolder(3);
    auto window = Start();
    const QString socket = home.dir.path() + "/instance.socket";
    SingleInstance first(socket);
    ASSERT_TRUE(first.Claim({}));
    window->ListenTo(first);

    // The later start runs elsewhere (a thread here), so this event loop can answer it.
    std::atomic<int> claimed{-1};
    std::thread later([&] {
        SingleInstance second(socket);
        claimed = second.Claim({music + "/song0.wav", music + "/song2.wav"}) ? 1 : 0;
    });
    WaitUntil([&] { return claimed >= 0; });
    later.join();
    EXPECT_EQ(claimed, 0) << "the second start must end";
    WaitUntil([&] { return window->Pane()->FileCount() == 2 && !window->Pane()->IsLoading(); });
    EXPECT_EQ(window->Pane()->FullPath(0), music + "/song0.wav");
    EXPECT_EQ(window->Pane()->FullPath(1), music + "/song2.wav");
}

TEST_F(TonquillDlgTest, HandedOverPathsWhileTheTreeRenamesAFolderLoadOnceWithoutACrash) {
    const QString music = MusicFolder(3);
    home.Make({"Other"});
    test::WriteWavFixture((home.At("Other") + "/other.wav").toStdString(), 8000, 1, 0.1);
    auto window = Start();
    ShowActive(*window);
    const QString socket = home.dir.path() + "/instance.socket";
    SingleInstance first(socket);
    ASSERT_TRUE(first.Claim({}));
    window->ListenTo(first);

    ASSERT_NE(window->Tree()->SelectPath(music), nullptr);
    WaitUntil([&] { return !window->Pane()->IsLoading(); });
    window->Tree()->view()->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_F2);
    ASSERT_TRUE(window->Tree()->view()->IsEditing());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText("Renamed");

    // The load of the handed-over paths takes the focus from the box, which renames the folder
    // and has the tree select it again while that load is being set up.
    std::atomic<int> claimed{-1};
    std::thread later([&] {
        SingleInstance second(socket);
        claimed = second.Claim({home.At("Other")}) ? 1 : 0;
    });
    WaitUntil([&] { return claimed >= 0; });
    later.join();
    WaitUntil([&] { return !window->Pane()->IsLoading() && window->Pane()->FileCount() > 0; });
    QTest::qWait(200);
    EXPECT_FALSE(window->Pane()->IsLoading());
    EXPECT_TRUE(QDir(home.At("Renamed")).exists());
    // One load ran: the renamed folder's files, each once.
    QStringList paths;
    for (int row = 0; row < window->Pane()->List()->GetItemCount(); ++row) {
        paths << window->Pane()->FullPath(row);
    }
    paths.sort();
    EXPECT_EQ(paths,
              (QStringList{home.At("Renamed") + "/song0.wav", home.At("Renamed") + "/song1.wav",
                           home.At("Renamed") + "/song2.wav"}));
}

TEST_F(TonquillDlgTest, AFormatPickOrOptionsAreOnDiskAtOnce) {
    auto window = Start();
    ShowActive(*window);
    const auto stored = [this] {
        QFile file(QString::fromStdString((settingsFolder / "Config.ini").string()));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    for (const auto& [id, format] : {std::pair{FormatCommandId(FormatFlac), FormatFlac},
                                     {FormatCommandId(FormatWav), FormatWav}}) {
        window->Commands().Action(id)->trigger();
        EXPECT_TRUE(stored().contains(QStringLiteral("OutputFormat=%1").arg(format)))
            << stored().toStdString();
    }
    // The options dialog, closed with OK, is saved before the window closes too.
    window->Context().Settings.OUTPUT.OutputFormat = FormatOpus;
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    window->Commands().Action(IdOptions)->trigger();
    EXPECT_TRUE(stored().contains(QStringLiteral("OutputFormat=%1").arg(FormatOpus)))
        << stored().toStdString();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(TonquillDlgTest, ASecondStartBringsAMinimisedMaximisedWindowBackMaximised) {
    auto window = Start();
    ShowActive(*window);
    window->showMaximized();
    window->showMinimized();
    ASSERT_TRUE(window->isMinimized());
    window->Activate();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isMaximized());
}

}  // namespace
}  // namespace tonquill
