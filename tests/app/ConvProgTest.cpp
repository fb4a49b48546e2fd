#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <fstream>
#include <set>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "app/ConvProg.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::TempDir;

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Answers the cancel question as the test says and counts the questions.
class ScriptedConvProg : public CConvProg {
public:
    using CConvProg::CConvProg;
    bool answer = false;
    int asked = 0;
    CConvProg::State stateWhileAsking = CConvProg::State::Converting;

protected:
    bool AskCancel() override {
        ++asked;
        stateWhileAsking = CurrentState();
        return answer;
    }
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

TEST_F(ConvProgTest, ControlsStartWithTheirTexts) {
    const std::pair<int, const char*> texts[] = {{1071, "Current Progress"},
                                                 {1072, "Overall Progress"},
                                                 {1076, "Done:"},
                                                 {1080, "0.00%"},
                                                 {1078, "Speed:"},
                                                 {1082, "0.00x"},
                                                 {1085, "Elapsed:"},
                                                 {1087, "00:00:00"},
                                                 {1090, "ETA:"},
                                                 {1094, "Source:"},
                                                 {1095, "Destination:"},
                                                 {1096, "Clear"},
                                                 {1075, "Pause"},
                                                 {2, "Cancel"}};
    auto fresh = std::make_unique<ScriptedConvProg>(ctx);
    for (const auto& [id, text] : texts) {
        EXPECT_EQ(fresh->ControlText(id), text) << id;
    }
    EXPECT_TRUE(fresh->windowTitle().isEmpty());
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

    // Yes: the batch stops and the window closes once it has wound down.
    w->answer = true;
    Button(*w, 2)->click();
    EXPECT_EQ(w->asked, 2);
    EXPECT_EQ(w->CurrentState(), CConvProg::State::Aborting);
    EXPECT_FALSE(Button(*w, 1075)->isEnabled());
    EXPECT_FALSE(Button(*w, 2)->isEnabled());
    EXPECT_EQ(w->windowTitle(), "Aborting, Please Wait...");
    ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }));
    EXPECT_FALSE(ctx.IsRunning());
    QTest::qWait(50);  // the last posted lines
    ASSERT_FALSE(Texts(*w).empty());
    EXPECT_EQ(Texts(*w).back(), "Converting status: ERROR.");
    EXPECT_LT(ctx.TaskSamplesDone.load(), ctx.Tasks[0].EstimatedSamples);
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
    ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }));
    QTest::qWait(50);  // the last posted lines
    const std::vector<QString> texts = Texts(*w);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Converting status: ERROR."), 2);
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
