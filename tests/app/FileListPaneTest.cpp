#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "app/AudioFileFilter.h"
#include "app/FileListPane.h"
#include "app/FileListStatus.h"
#include "app/FileListView.h"
#include "app/ListSummaryText.h"
#include "app/Processing.h"
#include "base/AudioFormat.h"
#include "convert/PipelineContext.h"
#include "metadata/FileListEntry.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class RecordingStatus : public FileListStatus {
public:
    void SetPaneText(int pane, const QString& text) override { texts[pane] = text; }
    void SetPaneTooltip(int pane, const QString& tooltip) override { tooltips[pane] = tooltip; }
    void SetWindowTitle(const QString& title) override { windowTitle = title; }
    void SetLoading(bool on) override {
        loading = on;
        loadsEnded += on ? 0 : 1;
        if (on && onLoadBegins) {
            // Once only, as a rename box commits once when the tree loses the focus.
            std::function<void()> hook = std::move(onLoadBegins);
            onLoadBegins = nullptr;
            hook();
        }
    }

    std::function<void()> onLoadBegins;  // runs inside the set-up of the next load
    int loadsEnded = 0;
    std::array<QString, 3> texts;
    std::array<QString, 3> tooltips;
    QString windowTitle;
    bool loading = false;
};

// Answers every question as the test says, records what was asked, opened and converted.
class ScriptedPane : public FileListPane {
public:
    using FileListPane::FileListPane;

    QMessageBox::StandardButton answer = QMessageBox::Yes;
    QStringList asked;
    QStringList opened;
    OpenResult openResult = OpenResult::Opened;
    std::vector<std::string> converted;  // source paths of the last batch shown
    std::vector<std::string> outputs;    // and their output paths
    int windowsShown = 0;

protected:
    QMessageBox::StandardButton Ask(const QString& text, const QString&, QMessageBox::Icon,
                                    QMessageBox::StandardButtons,
                                    QMessageBox::StandardButton defaultButton) override {
        asked << text;
        defaults.push_back(defaultButton);
        return answer;
    }

public:
    std::vector<QMessageBox::StandardButton> defaults;
    OpenResult OpenInShell(const QString& path) override {
        opened << path;
        return openResult;
    }
    void RunProgressWindow() override {
        ++windowsShown;
        converted.clear();
        outputs.clear();
        for (const CConversionTask& task : ctx_.Tasks) {
            converted.push_back(task.SourcePath);
            outputs.push_back(task.DestPath);
        }
    }
};

class FileListPaneTest : public ::testing::Test {
protected:
    FileListPaneTest() : ctx(observer), pane(ctx, status) {
        ctx.Settings.OUTPUT.Filter = 15;
        ctx.Settings.OUTPUT.SameAsSrc = 1;
        ctx.Settings.OUTPUT.OutputFormat = FormatWav;
        g_listBusy = 0;
    }

    std::string Wav(const std::string& relative, double seconds = 0.1) {
        const fs::path path = dir.path() / relative;
        fs::create_directories(path.parent_path());
        test::WriteWavFixture(path.string(), 8000, 1, seconds);
        return path.string();
    }
    std::string Ogg(const std::string& relative) {
        const fs::path path = dir.path() / relative;
        fs::create_directories(path.parent_path());
        test::WriteOggFixture(path.string(), 8000, 1, 0.2);
        return path.string();
    }
    QString Q(const std::string& path) const { return QString::fromStdString(path); }

    void WaitLoaded() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (pane.IsLoading() && std::chrono::steady_clock::now() < until) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_FALSE(pane.IsLoading()) << "the load did not end";
        QCoreApplication::processEvents();
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < pane.List()->GetItemCount(); ++row) {
            names.push_back(pane.FullPath(row)
                                .mid(static_cast<int>(dir.path().string().size()) + 1)
                                .toStdString());
        }
        return names;
    }

    void Select(std::initializer_list<int> rows) {
        pane.SelectNone();
        for (int row : rows) {
            pane.List()->ApplyRowStates(row, ROW_SELECTED);
        }
    }

    TempDir dir;
    test::RecordingObserver observer;
    PipelineContext ctx;
    RecordingStatus status;
    ScriptedPane pane;
};

TEST(ListSummaryTextTest, TotalsAndSelectionTexts) {
    EXPECT_EQ(ListTotalsText(3, 12.345, 3725.9), "3 file(s)   12.35 MB   01:02:05");
    EXPECT_EQ(ListTotalsText(1, 1.0, 100 * 3600.0), "1 file(s)   1.00 MB   100:00:00");
    // Removals leave rounding in the sums; an empty list still says so.
    EXPECT_EQ(ListTotalsText(0, 1e-12, -3e-9), "No file");
    EXPECT_EQ(SelectionSummaryText(2, 0.5, 61.99), "2 file(s) selected, 0.50 MB   00:01:01");
    EXPECT_EQ(SelectionSummaryText(0, 0.0, 0.0), "No file selected");
}

TEST_F(FileListPaneTest, FolderLoadGroupsByTypeThenSubfoldersDepthFirst) {
    Ogg("music/b.ogg");
    Wav("music/SONG.WAV");
    Wav("music/a.wav");
    Wav("music/sub/deeper/d.wav");
    Wav("music/sub/c.wav");
    Wav("music/z/e.wav");
    Wav("music/notes.txt");

    pane.LoadFolder(Q(dir / "music"), true);
    WaitLoaded();
    EXPECT_EQ(Names(), (std::vector<std::string>{"music/SONG.WAV", "music/a.wav", "music/b.ogg",
                                                 "music/sub/c.wav", "music/sub/deeper/d.wav",
                                                 "music/z/e.wav"}));
    const FileListEntry* first = pane.Entry(0);
    EXPECT_EQ(first->type, FormatWav);
    EXPECT_EQ(first->sampleRate, 8000);
    EXPECT_EQ(pane.List()->GetItemText(0, ColumnType), "WAV");
    EXPECT_EQ(pane.List()->GetItemText(0, ColumnPath), Q(dir / "music/"));
    EXPECT_EQ(status.texts[1], " No file selected");
    EXPECT_EQ(status.tooltips[1], "No file selected");
    EXPECT_EQ(status.texts[0],
              ListTotalsText(pane.FileCount(), pane.TotalMegabytes(), pane.TotalSeconds()));
    EXPECT_EQ(status.windowTitle, "Tonquill");
    EXPECT_FALSE(status.loading);
    EXPECT_FALSE(pane.Busy());

    // Without subfolders only the folder's own files come.
    pane.RemoveAll();
    pane.LoadFolder(Q(dir / "music"), false);
    WaitLoaded();
    EXPECT_EQ(Names(), (std::vector<std::string>{"music/SONG.WAV", "music/a.wav", "music/b.ogg"}));
}

TEST_F(FileListPaneTest, TreeLoadReplacesKeepsWithShiftAndDescendsWithCtrl) {
    Wav("one/a.wav");
    Wav("two/b.wav");
    Wav("two/sub/c.wav");

    pane.LoadTreeFolder(Q(dir / "one"), Qt::NoModifier);
    WaitLoaded();
    pane.LoadTreeFolder(Q(dir / "two"), Qt::ShiftModifier);
    WaitLoaded();
    EXPECT_EQ(Names(), (std::vector<std::string>{"one/a.wav", "two/b.wav"}));

    pane.LoadTreeFolder(Q(dir / "two"), Qt::ControlModifier);
    WaitLoaded();
    EXPECT_EQ(Names(), (std::vector<std::string>{"two/b.wav", "two/sub/c.wav"}));
}

TEST_F(FileListPaneTest, CancelKeepsTheRowsFoundSoFarAndReturnsToIdle) {
    std::vector<std::string> all;
    for (int i = 0; i < 40; ++i) {
        all.push_back(
            fs::path(Wav("many/" + std::to_string(100 + i) + ".wav")).filename().string());
    }
    pane.LoadFolder(Q(dir / "many"), false);
    pane.LoadingWindow()->CancelButton()->click();
    WaitLoaded();

    const std::vector<std::string> names = Names();
    ASSERT_LE(names.size(), all.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], "many/" + all[i]);
    }
    EXPECT_FALSE(pane.Busy());
    EXPECT_EQ(g_listBusy.load(), 0);  // the final sort clears the cancel's mark
    EXPECT_FALSE(status.loading);
    EXPECT_TRUE(pane.LoadingWindow()->isHidden());
}

TEST_F(FileListPaneTest, ALoadAskedForWhileAnotherIsSetUpWaitsItsTurn) {
    // Setting a load up moves the focus away from an open editor, whose commit may ask for a
    // load of its own (the tree selecting a renamed folder): that one is loaded, once.
    Wav("dropped/a.wav");
    Wav("renamed/b.wav");
    status.onLoadBegins = [this] { pane.LoadTreeFolder(Q(dir / "renamed"), Qt::NoModifier); };
    pane.DropFiles({Q(dir / "dropped")});
    WaitLoaded();
    EXPECT_EQ(Names(), std::vector<std::string>{"renamed/b.wav"});
    EXPECT_EQ(status.loadsEnded, 1);
    EXPECT_FALSE(pane.Busy());

    // The list takes the next load as usual.
    pane.LoadTreeFolder(Q(dir / "dropped"), Qt::NoModifier);
    WaitLoaded();
    EXPECT_EQ(Names(), std::vector<std::string>{"dropped/a.wav"});
    EXPECT_EQ(status.loadsEnded, 2);
}

TEST_F(FileListPaneTest, ABulkEditDuringALoadLetsTheLoadGoOn) {
    std::vector<std::string> all;
    for (int i = 0; i < 60; ++i) {
        all.push_back("bulk/" + std::to_string(100 + i) + ".wav");
        Wav(all.back());
    }
    pane.LoadFolder(Q(dir / "bulk"), false);
    pane.SelectAll();
    EXPECT_TRUE(pane.Busy());  // the drop and Convert guards still see the load
    pane.DropFiles({Q(dir / "bulk/100.wav")});
    WaitLoaded();
    EXPECT_EQ(Names(), all);
}

TEST_F(FileListPaneTest, ColumnsMoveTheFolderShowsWholeAndASecondClickRenames) {
    Wav("a deep/folder of songs/a.wav");
    Wav("a deep/folder of songs/b.wav");
    pane.LoadFolder(Q(dir / "a deep/folder of songs"), false);
    WaitLoaded();
    pane.resize(600, 300);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));

    QHeaderView* header = pane.List()->header();
    EXPECT_TRUE(header->sectionsMovable());
    const QModelIndex path = pane.List()->model()->index(0, ColumnPath);
    EXPECT_EQ(path.data(Qt::ToolTipRole).toString(), Q(dir / "a deep/folder of songs/"));

    // A click selects the row, a second one on its name opens the editor there.
    QWidget* viewport = pane.List()->viewport();
    const QPoint name =
        pane.List()->visualRect(pane.List()->model()->index(1, ColumnName)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, name);
    EXPECT_FALSE(pane.List()->HasOpenEditor());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, name, QApplication::doubleClickInterval() + 50);
    EXPECT_TRUE(pane.List()->HasOpenEditor());
}

TEST(AudioFileFilterTest, EveryReadableTypeAllAudioFirstAllFilesLast) {
    const QStringList entries = AudioFileFilter().split(";;");
    ASSERT_GE(entries.size(), 3);
    EXPECT_TRUE(entries.front().startsWith("All audio files ("));
    EXPECT_EQ(entries.back(), "All files (*)");
    QStringList patterns{"*.oga"};
    for (const FormatInfo& format : FormatTable) {
        patterns << QStringLiteral("*.") + format.extension;
    }
    for (const QString& pattern : patterns) {
        EXPECT_TRUE(entries.front().contains(pattern + ' ') ||
                    entries.front().contains(pattern + ')'))
            << pattern.toStdString();
        // Each type has an entry of its own besides the first.
        EXPECT_EQ(std::count_if(entries.begin() + 1, entries.end() - 1,
                                [&](const QString& e) { return e.contains(pattern); }),
                  1)
            << pattern.toStdString();
    }
}

TEST_F(FileListPaneTest, SecondLoadReplacesTheRunningLoader) {
    for (int i = 0; i < 30; ++i) {
        Wav("first/" + std::to_string(100 + i) + ".wav");
    }
    Wav("second/x.wav");
    pane.LoadFolder(Q(dir / "first"), false);
    pane.LoadFolder(Q(dir / "second"), false);
    WaitLoaded();

    const std::vector<std::string> names = Names();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), "second/x.wav");
    for (size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_EQ(names[i], "first/" + std::to_string(100 + i) + ".wav");
    }
    EXPECT_FALSE(pane.Busy());
}

TEST_F(FileListPaneTest, DropTakesFilesAndFoldersInOrderAndIgnoresOtherTypes) {
    ctx.Settings.OUTPUT.Filter = 8;  // folder scans take Ogg only; a dropped WAV still comes
    const std::string loose = Wav("loose.wav");
    Ogg("folder/in.ogg");
    Wav("folder/skipped.wav");
    Ogg("folder/sub/deep.ogg");
    Wav("readme.txt");

    pane.DropFiles({Q(dir / "folder"), Q(loose), Q(dir / "readme.txt")});
    EXPECT_TRUE(pane.LoadingWindow()->isVisible());  // at once for a drop
    WaitLoaded();
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"folder/in.ogg", "folder/sub/deep.ogg", "loose.wav"}));

    // A drop while a load runs is discarded.
    pane.LoadFolder(Q(dir / "folder"), true);
    pane.DropFiles({Q(loose)});
    WaitLoaded();
    EXPECT_EQ(Names().back(), "folder/sub/deep.ogg");
}

TEST_F(FileListPaneTest, DropOnTheListLoadsButOurOwnRowsAreRefused) {
    const std::string song = Wav("dropped/song.wav");
    QWidget* target = pane.List()->viewport();
    const auto drop = [&](QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dropped);
        QCoreApplication::processEvents();  // the dropped paths are posted
        WaitLoaded();
        return enter.isAccepted();
    };

    QMimeData ours;
    ours.setUrls({QUrl::fromLocalFile(Q(song))});
    ours.setData(OwnDragFormat, QByteArray(1, '\0'));
    EXPECT_FALSE(drop(ours));
    EXPECT_EQ(pane.List()->GetItemCount(), 0);

    QMimeData outside;
    outside.setUrls({QUrl::fromLocalFile(Q(song))});
    EXPECT_TRUE(drop(outside));
    EXPECT_EQ(Names(), std::vector<std::string>{"dropped/song.wav"});
}

TEST_F(FileListPaneTest, SelectNextWalksDownAndWraps) {
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        Wav(std::string("abc/") + name);
    }
    pane.LoadFolder(Q(dir / "abc"), false);
    WaitLoaded();

    pane.SelectNext();  // nothing selected: the first row
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, -1), 0);
    Select({1});
    pane.SelectNext();
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, -1), 2);
    pane.SelectNext();
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, -1), 0);
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, 0), -1);
    EXPECT_EQ(pane.List()->FindNextRow(ROW_FOCUSED, -1), 0);
    Select({1, 2});
    pane.SelectNext();  // several: back to the first
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, -1), 0);
    EXPECT_EQ(pane.List()->FindNextRow(ROW_SELECTED, 0), -1);
    EXPECT_TRUE(status.texts[1].startsWith("1 file(s) selected, "));
}

TEST_F(FileListPaneTest, RemovalCommands) {
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"}) {
        Wav(std::string("rm/") + name);
    }
    // The same files reached through a linked folder and a linked file are duplicates.
    fs::create_directory_symlink(dir.path() / "rm", dir.path() / "alias");
    fs::create_symlink(dir.path() / "rm/a.wav", dir.path() / "rm/link-to-a.wav");
    ctx.Settings.OUTPUT.Filter = 1;
    pane.LoadFolder(Q(dir / "rm"), false);
    WaitLoaded();
    pane.LoadTreeFolder(Q(dir / "alias"), Qt::ShiftModifier);
    WaitLoaded();

    pane.RemoveDuplicates();
    EXPECT_EQ(Names(), (std::vector<std::string>{"rm/a.wav", "rm/b.wav", "rm/c.wav", "rm/d.wav"}));

    fs::remove(dir.path() / "rm/b.wav");
    pane.RemoveDead();
    EXPECT_EQ(Names(), (std::vector<std::string>{"rm/a.wav", "rm/c.wav", "rm/d.wav"}));

    Select({0, 2});
    pane.RemoveSelected();
    EXPECT_EQ(Names(), (std::vector<std::string>{"rm/c.wav"}));
    EXPECT_EQ(status.texts[1], "No file selected");

    pane.RemoveAll();
    EXPECT_EQ(pane.List()->GetItemCount(), 0);
    EXPECT_EQ(status.texts[0], "No file");
    EXPECT_TRUE(fs::exists(dir.path() / "rm/c.wav"));  // removing rows leaves the files
}

TEST_F(FileListPaneTest, DeleteFilesNamesTheFilesAndDeletesForGoodOnlyOnYes) {
    const std::string a = Wav("del/a.wav");
    const std::string b = Wav("del/b.wav");
    const std::string c = Wav("del/c.wav");
    pane.LoadFolder(Q(dir / "del"), false);
    WaitLoaded();

    pane.SelectNone();
    pane.DeleteFiles();
    EXPECT_TRUE(pane.asked.isEmpty());

    Select({0, 2});
    pane.answer = QMessageBox::No;
    pane.DeleteFiles();
    EXPECT_TRUE(fs::exists(a));

    pane.answer = QMessageBox::Yes;
    pane.DeleteFiles();
    const QString question = "Permanently Delete the File(s), Are You Sure?\n\na.wav\nc.wav";
    EXPECT_EQ(pane.asked, (QStringList{question, question}));
    EXPECT_EQ(pane.defaults, (std::vector{QMessageBox::No, QMessageBox::No}));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(fs::exists(b));
    EXPECT_FALSE(fs::exists(c));
    EXPECT_EQ(Names(), std::vector<std::string>{"del/b.wav"});
}

TEST_F(FileListPaneTest, DeleteQuestionNamesTenFilesThenCountsTheRest) {
    for (int i = 10; i < 22; ++i) {
        Wav("many/" + std::to_string(i) + ".wav");
    }
    pane.LoadFolder(Q(dir / "many"), false);
    WaitLoaded();
    pane.SelectAll();
    pane.answer = QMessageBox::No;
    pane.DeleteFiles();
    ASSERT_EQ(pane.asked.size(), 1);
    QString expected = "Permanently Delete the File(s), Are You Sure?\n";
    for (int i = 10; i < 20; ++i) {
        expected += QStringLiteral("\n%1.wav").arg(i);
    }
    expected += "\nand 2 more";
    EXPECT_EQ(pane.asked.front(), expected);
}

TEST_F(FileListPaneTest, TheDeleteQuestionShowsNamesAsTheyAreWithNoAsDefault) {
    // The real message box, answered by its default button.
    Wav("markup/<b>x<i>.wav");
    FileListPane real(ctx, status);
    real.LoadFolder(Q(dir / "markup"), false);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (real.IsLoading() && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(real.List()->GetItemCount(), 1);
    real.SelectAll();
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QString defaultText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        format = box->textFormat();
        defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        box->defaultButton()->click();
    });
    real.DeleteFiles();
    EXPECT_TRUE(shown.endsWith("\n<b>x<i>.wav")) << shown.toStdString();
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(
        defaultText,
        QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::No).button(QMessageBox::No)->text());
    EXPECT_TRUE(fs::exists(dir.path() / "markup/<b>x<i>.wav"));
}

TEST_F(FileListPaneTest, RenameNeverReplacesAnExistingFile) {
    const std::string a = Wav("ren/a.wav", 0.1);
    const std::string b = Wav("ren/b.wav", 0.3);
    const auto bBytes = test::ReadBytes(b);
    pane.LoadFolder(Q(dir / "ren"), false);
    WaitLoaded();
    CReportCtrl* list = pane.List();

    Select({0});
    pane.RenameFile();
    ASSERT_TRUE(list->HasOpenEditor());
    list->Editor()->setText("b.wav");
    list->EndCellEdit(true);
    EXPECT_EQ(pane.asked, QStringList{"Fail to Rename File!"});
    EXPECT_EQ(list->GetItemText(0, ColumnName), "a.wav");
    EXPECT_TRUE(fs::exists(a));
    EXPECT_EQ(test::ReadBytes(b), bBytes);

    // A free name is taken, and later commands follow the new name.
    pane.RenameFile();
    list->Editor()->setText("renamed.wav");
    list->EndCellEdit(true);
    EXPECT_TRUE(fs::exists(dir.path() / "ren/renamed.wav"));
    EXPECT_FALSE(fs::exists(a));
    pane.Open();
    EXPECT_EQ(pane.opened, QStringList{Q(dir / "ren/renamed.wav")});
}

TEST_F(FileListPaneTest, OpenAnswersAVanishedFileAndAFileWithoutHandler) {
    const std::string a = Wav("open/a.wav");
    Wav("open/b.wav");
    pane.LoadFolder(Q(dir / "open"), false);
    WaitLoaded();

    Select({1});
    pane.openResult = FileListPane::OpenResult::NoApplication;
    pane.Open();
    EXPECT_EQ(pane.asked, QStringList{"There is no application associated with the given file name "
                                      "extension."});
    EXPECT_EQ(pane.opened, (QStringList{Q(dir / "open/b.wav"), Q(dir / "open/")}));

    pane.asked.clear();
    fs::remove(a);
    Select({0});
    pane.Open();
    EXPECT_EQ(pane.asked, QStringList{"File NOT Found!  Remove It from the List?"});
    EXPECT_EQ(Names(), std::vector<std::string>{"open/b.wav"});
}

TEST_F(FileListPaneTest, DamagedFilesBecomeUnknownRowsSayingWhyWithoutAsking) {
    Wav("bad/good.wav");
    test::WriteBytes(dir / "bad/empty.mp3", {});
    const std::string text = "just some words, no sound at all\n";
    test::WriteBytes(dir / "bad/words.mp3", std::vector<char>(text.begin(), text.end()));
    for (int visit = 0; visit < 2; ++visit) {  // a visit again (Back, Forward) asks nothing too
        pane.LoadTreeFolder(Q(dir / "bad"), Qt::NoModifier);
        WaitLoaded();
    }
    EXPECT_TRUE(pane.asked.isEmpty()) << pane.asked.join(" | ").toStdString();
    ASSERT_EQ(Names(),
              (std::vector<std::string>{"bad/good.wav", "bad/empty.mp3", "bad/words.mp3"}));
    const auto tooltip = [this](int row, int column) {
        return pane.List()->model()->index(row, column).data(Qt::ToolTipRole).toString();
    };
    EXPECT_TRUE(tooltip(0, ColumnName).isEmpty());
    for (const auto& [row, reason] : {std::pair{1, "the file is empty"}, {2, "not MP3 audio: "}}) {
        EXPECT_EQ(pane.List()->GetItemText(row, ColumnType), "Unknown");
        for (int column : {int(ColumnName), int(ColumnType)}) {
            EXPECT_TRUE(tooltip(row, column).contains(reason))
                << tooltip(row, column).toStdString();
        }
    }
}

TEST_F(FileListPaneTest, ConvertRemovesDeadRowsAndSkipsUnreadableOnes) {
    const std::string good = Wav("conv/good.wav");
    const std::string gone = Wav("conv/gone.wav");
    test::WriteBytes((dir / "conv/broken.wav"), {'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    pane.LoadFolder(Q(dir / "conv"), false);
    WaitLoaded();
    ASSERT_EQ(Names(),
              (std::vector<std::string>{"conv/broken.wav", "conv/gone.wav", "conv/good.wav"}));
    EXPECT_NE(pane.Entry(0)->unreadable, 0);

    Select({0});
    pane.ConvertSelected();  // only an unreadable row selected: no window
    EXPECT_EQ(pane.windowsShown, 0);

    fs::remove(gone);
    pane.Convert();
    EXPECT_EQ(pane.windowsShown, 1);
    EXPECT_EQ(pane.converted, std::vector<std::string>{good});
    EXPECT_EQ(Names(), (std::vector<std::string>{"conv/broken.wav", "conv/good.wav"}));

    // Nothing converts while a load runs.
    pane.LoadFolder(Q(dir / "conv"), false);
    pane.Convert();
    WaitLoaded();
    EXPECT_EQ(pane.windowsShown, 1);
}

TEST_F(FileListPaneTest, KeptFoldersStartAtTheFolderEachFileCameFrom) {
    Wav("lib/a/b/song.wav");
    Wav("lib/c/song.wav");
    const std::string single = Wav("single/one.wav");
    ctx.Settings.OUTPUT.SameAsSrc = 0;
    ctx.Settings.OUTPUT.KeepFolders = 1;
    ctx.Settings.OUTPUT.DesDir = dir / "out/";
    pane.LoadFolder(Q(dir / "lib"), true);
    WaitLoaded();
    // A file added on its own has no folders to keep; a dropped folder is a base of its own.
    pane.LoadFiles({Q(single)});
    WaitLoaded();
    pane.DropFiles({Q(dir / "lib/a")});
    WaitLoaded();

    pane.Convert();
    ASSERT_EQ(pane.windowsShown, 1);
    std::vector<std::string> outputs = pane.outputs;
    std::sort(outputs.begin(), outputs.end());
    EXPECT_EQ(outputs, (std::vector<std::string>{dir / "out/a/b/song.wav", dir / "out/b/song.wav",
                                                 dir / "out/c/song.wav", dir / "out/one.wav"}));
}

}  // namespace
}  // namespace tonquill
