#pragma once

#include <QPointer>
#include <QTime>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/ConvProgFigures.h"
#include "app/ConvProgLog.h"
#include "app/ConvProgTaskbar.h"
#include "base/ConversionObserver.h"
#include "convert/WorkerThread.h"
#include "ui/ResizeDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QUrl;

namespace tonquill {

class ConvProgObserver;
class ConversionObserver;
class ParallelBatch;
class PipelineContext;

// The modal window that runs one batch: its batch thread runs the tasks of the context it is
// given on pipelines of their own, the window shows the figures of the current file and of the
// batch, the paths of the current task and the coloured log, and lets the person pause, resume
// and cancel. When the batch has finished it offers to open the output folder.
//
// When the settings ask for several files at once (OUTPUT/Jobs) and the batch has several, each
// file's log lines arrive together when it ends, the first failure stops new files from
// starting, pause and cancel act on all of them, "Current Progress" follows the running file
// that started first and the overall figures count every pipeline. With one pipeline its lines,
// progress and paths arrive as they come.
class CConvProg : public CResizeDlg {
    Q_OBJECT
public:
    static const QString PlacementKeyName;

    // The caller fills ctx.Tasks, ctx.OverallSamplesTotal and ctx.Settings first. The window
    // reports through ctx while it is open and gives ctx its former observer back when it goes.
    explicit CConvProg(PipelineContext& ctx, QWidget* parent = nullptr);
    ~CConvProg() override;

    enum class State { Converting, Paused, Finished, Stopped, Aborting };
    State CurrentState() const;

    // A control by the number it has in the window's table (1073, 1080, 1075, 2 ...).
    QWidget* Control(int id) const;
    QString ControlText(int id) const;
    // The numbers of every control of the window's table, in creation order.
    static std::vector<int> ControlIds();
    const ConvProgLog& Log() const { return log_; }
    ConvProgTaskbar& Taskbar() { return taskbar_; }

    // Appends a log row: number, local time (the handling time unless given), text, colours by
    // level.
    void AppendLogRow(const QString& text, LogLevel level,
                      const QTime& time = QTime::currentTime());

    // The process-wide counters: the last log line number and the progress reports handled.
    static int LogLineNumber();
    static uint64_t ProgressMessageCount();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Asks "Do You Want to Cancel?"; true for Yes.
    virtual bool AskCancel();
    // Opens url with the desktop's handler; false when none answers.
    virtual bool OpenInDesktop(const QUrl& url);
    // A message box with a warning, its text shown as it is.
    virtual void Tell(const QString& text);

private:
    void CreateControls();
    QLabel* AddLabel(int id, const QString& text, const QRect& dlu, Qt::Alignment align);
    void OnProgress(float taskPercent, float overallPercent);
    void ShowPercents(float taskPercent, float overallPercent);
    // Reads the running batch's pipelines.
    BatchReading ReadBatch();
    void OnFiguresTimer();
    void ShowTimes(const BatchTimes& times);
    void RunParallelBatch(int pipelines);
    void SetPaused(bool paused);
    void StopBatch();
    void OnDone();
    void OnStopped();
    void OnPauseButton();
    void OnClearButton();
    void OnCancelButton();
    void OnColumnTimer();
    void OnAbortPoll();
    void StartBatch();

    PipelineContext& ctx_;
    // Shared with the pipelines' observers, which a pipeline left behind keeps.
    std::shared_ptr<ConvProgObserver> observer_;
    ConversionObserver* previousObserver_;
    std::map<int, QWidget*> controls_;
    ConvProgLog log_;
    ConvProgTaskbar taskbar_;
    QTimer columnTimer_;
    QTimer abortPoll_;
    WorkerThread batchThread_;
    // The pipelines of a batch run several files at once; made on the batch thread (making
    // them may ask the window a question) and read by the window under parallelMutex_.
    std::mutex parallelMutex_;
    std::unique_ptr<ParallelBatch> parallel_;
    QTimer figuresTimer_;
    std::vector<std::pair<QString, QString>> pipelinePaths_;
    int followedPipeline_ = -1;
    int lastTask_ = 0;  // one pipeline: the task it runs or last ran
    int taskCount_ = 0;
    BatchFigures figures_;
    float lastTaskPercent_ = 0;
    float lastOverallPercent_ = 0;
    int taskbarValue_ = -1;
    bool started_ = false;
    bool finished_ = false;
    bool aborting_ = false;
    bool cancelled_ = false;
    // Warning lines that came after the cancel was confirmed.
    int cancelNotes_ = 0;
};

}  // namespace tonquill
