#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QToolTip>

#include <fstream>
#include <set>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ConvProg.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "support/TestSupport.h"
#include "ui/ReportCtrl.h"
#include "ui/ReportRowState.h"

namespace tonquill {
namespace {

using test::TempDir;

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Answers the cancel question as the test says and counts the questions; opens nothing and
// keeps the messages it would show.
class ScriptedConvProg : public CConvProg {
public:
    using CConvProg::CConvProg;
    bool answer = false;
    int asked = 0;
    CConvProg::State stateWhileAsking = CConvProg::State::Converting;
    bool opens = true;
    std::vector<QUrl> opened;
    std::vector<QString> told;

protected:
    bool AskCancel() override {
        ++asked;
        stateWhileAsking = CurrentState();
        return answer;
    }
    bool OpenInDesktop(const QUrl& url) override {
        opened.push_back(url);
        return opens;
    }
    void Tell(const QString& text) override { told.push_back(text); }
};

class ConvProgTest : public ::testing::Test {
protected:
    ConvProgTest() : ctx(fallback) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(dir / "profile"));
        ctx.StartDelayMs = 50;
        std::filesystem::create_directories(dir.path() / "in");
        settings.OUTPUT.OutputFormat = FormatWav;
        settings.OUTPUT.DesDir = dir / "out/";
        // One file at a time unless a test asks for more: the order of the log is then fixed.
        settings.OUTPUT.Jobs = 1;
    }

    TaskSource AddWav(const std::string& name, size_t frames) {
        test::WriteSoundFile(dir / ("in/" + name), Wav16, 44100, 2,
                             test::TestSignal16(frames, 2, ++seed));
        return Row(name, frames);
    }
    TaskSource Row(const std::string& name, size_t frames) {
        TaskSource s;
        s.folder = dir / "in/";
        s.fileName = name;
        s.inputType = FormatWav;
        s.sourceRate = 44100;
        s.sourceChannels = 2;
        s.totalSamples = frames * 2;
        return s;
    }

    std::unique_ptr<ScriptedConvProg> Open(const std::vector<TaskSource>& sources) {
        ctx.Settings = settings;
        PreparedBatch batch = PrepareBatch(sources, settings);
        ctx.Tasks = batch.tasks;
        ctx.OverallSamplesTotal = batch.overallSamplesTotal;
        auto window = std::make_unique<ScriptedConvProg>(ctx);
        window->show();
        return window;
    }

    static QPushButton* Button(const CConvProg& w, int id) {
        return static_cast<QPushButton*>(w.Control(id));
    }
    static std::vector<QString> Texts(const CConvProg& w) {
        std::vector<QString> out;
        for (int row = 0; row < w.Log().RowCount(); ++row) {
            out.push_back(w.Log().Cell(row, ConvProgLog::ColumnDescription));
        }
        return out;
    }
    static bool WaitFor(const std::function<bool()>& pred) { return QTest::qWaitFor(pred, 20000); }

    TempDir dir;
    test::RecordingObserver fallback;
    PipelineContext ctx;
    ConversionSettings settings;
    uint32_t seed = 0;
};

// Every control of the window's table is there, inside the window, with its caption whole, at the
// window's first size and once it is made larger; the log takes the room it gains.
TEST_F(ConvProgTest, EveryControlIsInsideTheWindowWithItsCaptionWhole) {
    auto fresh = std::make_unique<ScriptedConvProg>(ctx);
    fresh->show();
    auto check = [&](const char* when) {
        for (const int id : CConvProg::ControlIds()) {
            QWidget* control = fresh->Control(id);
            ASSERT_NE(control, nullptr) << id;
            EXPECT_TRUE(fresh->rect().contains(control->geometry())) << id << " " << when;
            if (auto* label = qobject_cast<QLabel*>(control); label && !label->text().isEmpty()) {
                EXPECT_LE(label->sizeHint().width(), label->width())
                    << label->text().toStdString() << " " << when;
            }
        }
    };
    check("at first");
    const QSize logBefore = fresh->Control(1003)->size();
    fresh->resize(fresh->width() * 3 / 2, fresh->height() * 3 / 2);
    QCoreApplication::processEvents();
    check("made larger");
    EXPECT_GT(fresh->Control(1003)->width(), logBefore.width());
    EXPECT_GT(fresh->Control(1003)->height(), logBefore.height());
    EXPECT_TRUE(fresh->windowTitle().isEmpty());
    EXPECT_EQ(fresh->ControlText(1075), "Pause");
}

TEST_F(ConvProgTest, LogRowsAreNumberedTimedAndColouredByLevel) {
    auto w = std::make_unique<ScriptedConvProg>(ctx);
    const int first = CConvProg::LogLineNumber() + 1;
    w->AppendLogRow("one", LogLevel::Info);
    w->AppendLogRow("two", static_cast<LogLevel>(1));
    w->AppendLogRow("three", LogLevel::Error);
    const ConvProgLog& log = w->Log();
    ASSERT_EQ(log.RowCount(), 3);
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    const QColor text[] = {QColor(0, 0, 255), QColor(153, 0, 0), QColor(255, 0, 0)};
    const QColor back[] = {QColor(255, 255, 255), QColor(243, 245, 252), QColor(255, 255, 255)};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(log.Cell(row, 0), "");
        EXPECT_EQ(log.Cell(row, 1), QString::asprintf("%03d ", first + row));
        EXPECT_TRUE(time.match(log.Cell(row, 2)).hasMatch()) << log.Cell(row, 2).toStdString();
        EXPECT_EQ(log.Level(row), row);
        EXPECT_EQ(log.TextColour(row, 3), text[row]);
        EXPECT_EQ(log.BackColour(row, 1), back[row]);
    }
    EXPECT_EQ(log.Cell(2, 3), "three");
    EXPECT_EQ(w->Taskbar().CurrentState(), ConvProgTaskbar::State::Error);
    Button(*w, 1096)->click();
    EXPECT_EQ(log.RowCount(), 0);
}

TEST_F(ConvProgTest, ConvertsABatchAndFinishes) {
    const int firstNumber = CConvProg::LogLineNumber() + 1;
    auto w = Open({AddWav("a.wav", 30000), AddWav("b.wav", 20000)});
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));

    const std::vector<QString> texts = Texts(*w);
    const QString out = QString::fromStdString(dir / "out/");
    const QString in = QString::fromStdString(dir / "in/");
    const std::vector<QString> expected = {
        QString(99, '-'),
        "Start a new converting task.",
        "Source:  " + in + "a.wav.",
        "Destination: " + out + "a.wav.",
        "<time>",
        "Converting status: OK.",
        QString(99, '-'),
        "Start a new converting task.",
        "Source:  " + in + "b.wav.",
        "Destination: " + out + "b.wav.",
        "<time>",
        "Converting status: OK.",
        QString(99, '-'),
        "<total>",
        "Finished converting, all done ^_^",
    };
    ASSERT_EQ(texts.size(), expected.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        if (expected[i] == "<time>") {
            EXPECT_TRUE(texts[i].startsWith("Time elapsed ")) << texts[i].toStdString();
        } else if (expected[i] == "<total>") {
            EXPECT_TRUE(texts[i].startsWith("Total time elapsed ")) << texts[i].toStdString();
        } else {
            EXPECT_EQ(texts[i], expected[i]) << i;
        }
        EXPECT_EQ(w->Log().Cell(static_cast<int>(i), 1),
                  QString::asprintf("%03d ", firstNumber + static_cast<int>(i)));
        EXPECT_EQ(w->Log().Level(static_cast<int>(i)), 0);
    }

    EXPECT_EQ(w->windowTitle(), "Finished Converting");
    EXPECT_EQ(w->ControlText(1080), "100.00%");
    EXPECT_EQ(w->ControlText(1081), "100.00%");
    EXPECT_EQ(w->ControlText(1088), "00:00:00");
    EXPECT_EQ(w->ControlText(1091), "00:00:00");
    EXPECT_EQ(static_cast<QProgressBar*>(w->Control(1074))->value(), 100);
    EXPECT_EQ(w->ControlText(1093), out + "b.wav");
    // However short the batch, it ends with the speed it had.
    for (int id : {1082, 1083}) {
        const double speed = w->ControlText(id).trimmed().chopped(1).toDouble();
        EXPECT_GT(speed, 0.0) << id << " " << w->ControlText(id).toStdString();
    }
    EXPECT_EQ(Button(*w, 1075)->text(), "Open Dir");
    EXPECT_TRUE(Button(*w, 1075)->isEnabled());
    EXPECT_EQ(Button(*w, 2)->text(), "Finish");
    EXPECT_EQ(test::ReadSoundFile(dir / "out/a.wav").samples.size(), 60000u);
    EXPECT_EQ(test::ReadSoundFile(dir / "out/b.wav").samples.size(), 40000u);

    // Enter and Escape do not close the window; Finish does, and the placement is kept.
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QTest::keyClick(Button(*w, 2), Qt::Key_Return);
    QTest::keyClick(Button(*w, 2), Qt::Key_Enter);
    EXPECT_TRUE(w->isVisible());
    Button(*w, 2)->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->asked, 0);
    w.reset();
    QSettings profile(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
    EXPECT_EQ(profile.value("Position/" + CConvProg::PlacementKeyName).toByteArray().size(), 44);
    // The pipeline reports to its former observer again.
    EXPECT_EQ(&ctx.Observer(), &fallback);
}

// Where no application opens the folder, a message names it, as it is.
TEST_F(ConvProgTest, OpenDirThatNothingOpensSaysSo) {
    settings.OUTPUT.DesDir = dir / "<b>out</b>/";
    auto w = Open({AddWav("a.wav", 1000)});
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));
    Button(*w, 1075)->click();
    ASSERT_EQ(w->opened.size(), 1u);
    EXPECT_EQ(w->opened[0], QUrl::fromLocalFile(QString::fromStdString(dir / "<b>out</b>/")));
    EXPECT_TRUE(w->told.empty());
    w->opens = false;
    Button(*w, 1075)->click();
    ASSERT_EQ(w->told.size(), 1u);
    EXPECT_TRUE(w->told[0].contains(QString::fromStdString(dir / "<b>out</b>/")))
        << w->told[0].toStdString();
}

// Paths are shown as they are: a name that looks like markup is not read as markup.
TEST_F(ConvProgTest, PathLabelsShowMarkupLiterally) {
    auto w = Open({AddWav("<b>x<i>.wav", 1000)});
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));
    const std::pair<int, QString> paths[] = {
        {1092, QString::fromStdString(dir / "in/<b>x<i>.wav")},
        {1093, QString::fromStdString(dir / "out/<b>x<i>.wav")}};
    for (const auto& [id, path] : paths) {
        auto* label = static_cast<QLabel*>(w->Control(id));
        EXPECT_EQ(label->text(), path);
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << id;
    }
}

// Rows that cannot be read are left out, each named in red with why, and the end counts them.
TEST_F(ConvProgTest, LeftOutRowsAreNamedAndCounted) {
    ctx.LeftOut = {{"/music/bad.mp3", "MP3", "no MPEG frame in the first 64 KiB"},
                   {"/music/odd.ogg", "OGG", ""}};
    auto w = Open({AddWav("a.wav", 1000)});
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));
    const std::vector<QString> texts = Texts(*w);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0],
              "/music/bad.mp3 cannot be read as MP3 audio: no MPEG frame in the first "
              "64 KiB; it is left out.");
    EXPECT_EQ(texts[1], "/music/odd.ogg cannot be read as OGG audio; it is left out.");
    EXPECT_EQ(w->Log().Level(0), 2);
    EXPECT_EQ(w->Log().Level(1), 2);
    EXPECT_EQ(texts.back(),
              "Finished converting: 1 of 3 files converted, 2 left out because they cannot be "
              "read.");
    EXPECT_EQ(w->Log().Level(static_cast<int>(texts.size()) - 1), 2);
}

// The description column takes the width the list has and grows to its longest line; a line
// shows whole in its tooltip; selected lines copy as plain text; saving tells a failure.
TEST_F(ConvProgTest, LogFillsItsWidthCopiesAndSaves) {
    auto w = std::make_unique<ScriptedConvProg>(ctx);
    w->show();
    const ConvProgLog& log = w->Log();
    CReportCtrl* list = log.List();
    w->AppendLogRow("short", LogLevel::Info);
    const QString longLine = "long " + QString(150, 'x') + " end";
    w->AppendLogRow(longLine, LogLevel::Error);
    const auto available = [&] {
        return list->viewport()->width() - list->GetColumnWidth(1) - list->GetColumnWidth(2) -
               list->GetColumnWidth(0);
    };
    for (int width : {700, 2600}) {
        w->resize(width, w->height());
        QCoreApplication::processEvents();
        EXPECT_GE(list->GetColumnWidth(3), available()) << width;
        EXPECT_GE(list->GetColumnWidth(3), list->fontMetrics().horizontalAdvance(longLine))
            << width;
    }
    EXPECT_EQ(list->GetColumnWidth(3), available());
    const QPoint onLong = list->visualRect(list->model()->index(1, 1)).center();
    QHelpEvent help(QEvent::ToolTip, onLong, list->viewport()->mapToGlobal(onLong));
    QCoreApplication::sendEvent(list->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), longLine);

    list->ApplyRowStates(0, ROW_SELECTED);
    list->ApplyRowStates(1, ROW_SELECTED);
    const QString a = log.Cell(0, 1).trimmed() + "\t" + log.Cell(0, 2) + "\tshort\n";
    const QString b = log.Cell(1, 1).trimmed() + "\t" + log.Cell(1, 2) + "\t" + longLine + "\n";
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), a + b);

    const std::string saved = dir / "log.txt";
    EXPECT_EQ(log.SaveTo(QString::fromStdString(saved)), "");
    std::ifstream in(saved);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(QString::fromStdString(text), a + b);
    const QString nowhere = QString::fromStdString(dir / "no such folder/log.txt");
    const QString problem = log.SaveTo(nowhere);
    EXPECT_TRUE(problem.startsWith("The log could not be saved to " + nowhere + ": "))
        << problem.toStdString();
    EXPECT_GT(problem.size(), ("The log could not be saved to " + nowhere + ": .").size());
}

TEST_F(ConvProgTest, OpenDirStaysDisabledWhenOutputsGoBesideTheirSources) {
    settings.OUTPUT.SameAsSrc = 1;
    settings.OUTPUT.OutputFormat = FormatWav;
    auto w = Open({AddWav("a.wav", 1000)});
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));
    EXPECT_EQ(Button(*w, 1075)->text(), "Open Dir");
    EXPECT_FALSE(Button(*w, 1075)->isEnabled());
    EXPECT_TRUE(std::filesystem::exists(dir / "in/a (2).wav"));
}

TEST_F(ConvProgTest, PauseResumeAndCancelAnsweredNoThenYes) {
    // Long enough that the batch cannot end while paused (the ring holds about 12 s).
    auto w = Open({AddWav("long.wav", 44100 * 30)});
    Button(*w, 1075)->click();
    ASSERT_TRUE(WaitFor([&] { return w->Log().RowCount() >= 4; }));  // the task has started
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Paused);
    EXPECT_EQ(Button(*w, 1075)->text(), "Resume");
    EXPECT_EQ(w->Taskbar().CurrentState(), ConvProgTaskbar::State::Paused);
    Button(*w, 1075)->click();
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Converting);
    EXPECT_EQ(Button(*w, 1075)->text(), "Pause");
    Button(*w, 1075)->click();

    // No: the workers idled while asked and go on afterwards.
    w->answer = false;
    w->close();  // the close box asks like Cancel
    EXPECT_EQ(w->asked, 1);
    EXPECT_EQ(w->stateWhileAsking, CConvProg::State::Paused);
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Converting);
    EXPECT_EQ(Button(*w, 1075)->text(), "Pause");
    EXPECT_EQ(ctx.Paused.load(), 0);
    EXPECT_TRUE(w->isVisible());

    // Yes: the batch stops; the file cut short stays as a partial output, and the window stays
    // on the log that says so until it is closed.
    w->answer = true;
    Button(*w, 2)->click();
    EXPECT_EQ(w->asked, 2);
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Aborting);
    EXPECT_FALSE(Button(*w, 1075)->isEnabled());
    EXPECT_FALSE(Button(*w, 2)->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Aborting, Please Wait...");
    ASSERT_TRUE(WaitFor([&] { return w->windowTitle() == "Cancelled"; }));
    EXPECT_FALSE(ctx.IsRunning());
    const std::vector<QString> texts = Texts(*w);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "The output " +
                                           QString::fromStdString(dir / "out/long.wav") +
                                           " holds what was converted before Cancel.");
    EXPECT_EQ(texts.back(), "Converting status: ERROR.");
    EXPECT_LT(ctx.TaskSamplesDone.load(), ctx.Tasks[0].EstimatedSamples);
    EXPECT_TRUE(std::filesystem::exists(dir / "out/long.wav"));
    EXPECT_EQ(Button(*w, 2)->text(), "Close");
    EXPECT_TRUE(Button(*w, 2)->isEnabled());
    EXPECT_TRUE(w->isVisible());
    Button(*w, 2)->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->asked, 2);
}

// A cancel before any file has begun leaves nothing to tell: the window closes at once.
TEST_F(ConvProgTest, CancelBeforeTheFirstFileClosesTheWindow) {
    ctx.StartDelayMs = 2000;
    auto w = Open({AddWav("a.wav", 1000)});
    w->answer = true;
    Button(*w, 2)->click();
    ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a.wav"));
}

// A file whose source never answers (a named pipe that no one writes) does not hold Cancel: the
// window closes once the batch has left the stuck stage behind.
TEST_F(ConvProgTest, CancelClosesTheWindowEvenWhenASourceNeverAnswers) {
    const std::string pipe = dir / "in/stuck.wav";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ctx.StopGraceMs = 500;
    auto w = Open({Row("stuck.wav", 44100)});
    ASSERT_TRUE(WaitFor([&] { return w->Log().RowCount() >= 4; }));  // the task has started
    w->answer = true;
    Button(*w, 2)->click();
    const bool closed = WaitFor([&] { return !w->isVisible(); });
    ::close(::open(pipe.c_str(), O_RDWR));  // lets the stuck open return either way
    EXPECT_TRUE(closed);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/stuck.wav"));
}

TEST_F(ConvProgTest, StoppedAfterAnErrorClosesWithoutAsking) {
    auto w = Open({Row("missing.wav", 1000), AddWav("b.wav", 1000)});
    ASSERT_TRUE(WaitFor([&] { return w->Log().RowCount() >= 6; }));
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Stopped; }));
    QTest::qWait(50);
    const std::vector<QString> texts = Texts(*w);
    EXPECT_TRUE(texts[4].startsWith("File Error: ")) << texts[4].toStdString();
    EXPECT_EQ(w->Log().Level(4), 2);
    EXPECT_EQ(texts.back(), "Converting status: ERROR.");
    // The buttons say what they now do; the caption and the taskbar say the batch stopped.
    ASSERT_TRUE(WaitFor([&] { return Button(*w, 2)->text() == "Close"; }));
    EXPECT_EQ(Button(*w, 1075)->text(), "Open Dir");
    EXPECT_TRUE(Button(*w, 1075)->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Stopped after an error");
    EXPECT_EQ(w->Taskbar().CurrentState(), ConvProgTaskbar::State::Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/b.wav"));
    Button(*w, 2)->click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->asked, 0);
}

// Several files at once: each file's lines stay together in the log, the figures count every
// file, and the window ends as a batch on one pipeline does.
TEST_F(ConvProgTest, SeveralFilesAtOnceKeepEachFilesLinesTogether) {
    settings.OUTPUT.Jobs = 2;
    const std::vector<std::string> names = {"a.wav", "b.wav", "c.wav", "d.wav"};
    std::vector<TaskSource> sources;
    for (size_t i = 0; i < names.size(); ++i) {
        sources.push_back(AddWav(names[i], 20000 * (i + 1)));
    }
    auto w = Open(sources);
    ASSERT_TRUE(WaitFor([&] { return w->CurrentState() == CConvProg::State::Finished; }));

    const std::vector<QString> texts = Texts(*w);
    ASSERT_EQ(texts.size(), names.size() * 6 + 3);
    const QString out = QString::fromStdString(dir / "out/");
    const QString in = QString::fromStdString(dir / "in/");
    std::set<QString> seen;
    for (size_t block = 0; block < names.size(); ++block) {
        const size_t first = block * 6;
        EXPECT_EQ(texts[first], QString(99, '-'));
        EXPECT_EQ(texts[first + 1], "Start a new converting task.");
        ASSERT_TRUE(texts[first + 2].startsWith("Source:  " + in));
        const QString name = texts[first + 2].mid(9 + in.size()).chopped(1);
        seen.insert(name);
        EXPECT_EQ(texts[first + 3], "Destination: " + out + name + ".");
        EXPECT_TRUE(texts[first + 4].startsWith("Time elapsed ")) << texts[first + 4].toStdString();
        EXPECT_EQ(texts[first + 5], "Converting status: OK.");
    }
    EXPECT_EQ(seen.size(), names.size());
    EXPECT_TRUE(texts[texts.size() - 2].startsWith("Total time elapsed "));
    EXPECT_EQ(texts.back(), "Finished converting, all done ^_^");
    EXPECT_EQ(w->windowTitle(), "Finished Converting");
    EXPECT_EQ(w->ControlText(1081), "100.00%");
    EXPECT_GT(w->ControlText(1083).trimmed().chopped(1).toDouble(), 0.0)
        << w->ControlText(1083).toStdString();
    EXPECT_EQ(Button(*w, 2)->text(), "Finish");
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(test::ReadSoundFile(dir / ("out/" + names[i])).samples.size(), 40000u * (i + 1));
    }
}

// Pause holds every running file and no other starts; the cancel question pauses them all, and
// Yes ends them all.
TEST_F(ConvProgTest, PauseAndCancelActOnEveryRunningFile) {
    settings.OUTPUT.Jobs = 2;
    auto w =
        Open({AddWav("a.wav", 44100 * 30), AddWav("b.wav", 44100 * 30), AddWav("c.wav", 1000)});
    Button(*w, 1075)->click();
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Paused);
    const auto out = [&](const char* name) {
        return std::filesystem::exists(dir / (std::string("out/") + name));
    };
    ASSERT_TRUE(WaitFor([&] { return out("a.wav") && out("b.wav"); }));
    QTest::qWait(300);
    EXPECT_FALSE(out("c.wav"));
    EXPECT_EQ(w->Log().RowCount(), 0);  // no file has ended

    w->answer = true;
    Button(*w, 2)->click();
    EXPECT_EQ(w->stateWhileAsking, CConvProg::State::Paused);
    ASSERT_TRUE(WaitFor([&] { return w->windowTitle() == "Cancelled"; }));
    const std::vector<QString> texts = Texts(*w);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Converting status: ERROR."), 2);
    for (const char* name : {"a.wav", "b.wav"}) {
        const QString told = "The output " + QString::fromStdString(dir / "out/") + name +
                             " holds what was converted before Cancel.";
        EXPECT_EQ(std::count(texts.begin(), texts.end(), told), 1) << name;
    }
    EXPECT_FALSE(out("c.wav"));
}

// The first failure stops new files from starting; the file running beside it still finishes.
TEST_F(ConvProgTest, AFailureAmongSeveralLetsTheRunningFileFinishAndStops) {
    settings.OUTPUT.Jobs = 2;
    auto w = Open({AddWav("a.wav", 44100 * 30), Row("missing.wav", 1000), AddWav("c.wav", 1000),
                   AddWav("d.wav", 1000)});
    Button(*w, 1075)->click();  // the long file waits until the failure is in the log
    ASSERT_TRUE(WaitFor([&] { return w->Log().RowCount() >= 6; }));
    EXPECT_EQ(Texts(*w).back(), "Converting status: ERROR.");
    Button(*w, 1075)->click();
    ASSERT_TRUE(WaitFor([&] { return Button(*w, 2)->text() == "Close"; }));
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Stopped);
    EXPECT_EQ(w->windowTitle(), "Stopped after an error");
    EXPECT_EQ(Texts(*w).back(), "Converting status: OK.");
    EXPECT_EQ(test::ReadSoundFile(dir / "out/a.wav").samples.size(), 44100u * 30 * 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/d.wav"));
}

}  // namespace
}  // namespace tonquill
