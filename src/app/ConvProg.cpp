#include "app/ConvProg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTime>
#include <QUrl>
#include <algorithm>

#include "app/ConvProgEvents.h"
#include "app/ConvProgFigures.h"
#include "app/ConvProgObserver.h"
#include "app/ConvProgPipelineObserver.h"
#include "base/AudioFormat.h"
#include "base/ProgramFolder.h"
#include "base/Tick.h"
#include "convert/ParallelBatch.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "ui/DialogUnits.h"
#include "ui/SizeGripExt.h"

namespace tonquill {

const QString CConvProg::PlacementKeyName =
    QStringLiteral("{104A7F6F-FFA3-4293-B808-9578D46FEC55}");

namespace {

// Both counters live as long as the process: a second batch goes on numbering its log lines.
int g_logLineNumber = 0;
uint64_t g_progressMessages = 0;

enum class Kind { Group, Bar, Label, Value, Text, List, Button };

struct ControlPlace {
    int id;
    Kind kind;
    const char* text;
    int x, y, w, h;  // dialog units
    HorizontalMode horizontal;
    VerticalMode vertical;
    bool clipOnErase;
};

using H = HorizontalMode;
using V = VerticalMode;

// The window's controls in creation order (group boxes first, so they lie beneath).
constexpr ControlPlace ControlTable[] = {
    {1071, Kind::Group, "Current Progress", 7, 4, 354, 48, H::Stretch, V::Fixed, false},
    {1072, Kind::Group, "Overall Progress", 7, 56, 354, 48, H::Stretch, V::Fixed, false},
    {1073, Kind::Bar, "", 14, 20, 339, 10, H::Stretch, V::Fixed, false},
    {1076, Kind::Label, "Done:", 24, 36, 20, 10, H::Centre, V::Fixed, false},
    {1080, Kind::Value, "0.00%", 48, 36, 30, 10, H::Centre, V::Fixed, true},
    {1078, Kind::Label, "Speed:", 106, 36, 26, 10, H::Centre, V::Fixed, false},
    // Speeds run to three digits (a fast machine, several files at once): " 512.34x" must fit.
    {1082, Kind::Value, "0.00x", 126, 36, 40, 10, H::Centre, V::Fixed, false},
    {1085, Kind::Label, "Elapsed:", 191, 36, 28, 10, H::Centre, V::Fixed, false},
    {1087, Kind::Value, "00:00:00", 222, 37, 33, 10, H::Centre, V::Fixed, false},
    {1090, Kind::Label, "ETA:", 283, 36, 17, 10, H::Centre, V::Fixed, false},
    {1088, Kind::Value, "00:00:00", 302, 37, 33, 10, H::Centre, V::Fixed, false},
    {1074, Kind::Bar, "", 13, 72, 339, 10, H::Stretch, V::Fixed, false},
    {1077, Kind::Label, "Done:", 24, 88, 20, 10, H::Centre, V::Fixed, false},
    {1081, Kind::Value, "0.00%", 48, 88, 30, 10, H::Centre, V::Fixed, false},
    {1079, Kind::Label, "Speed:", 106, 88, 26, 10, H::Centre, V::Fixed, false},
    {1083, Kind::Value, "0.00x", 126, 88, 40, 10, H::Centre, V::Fixed, false},
    {1084, Kind::Label, "Elapsed:", 191, 88, 28, 10, H::Centre, V::Fixed, false},
    {1086, Kind::Value, "00:00:00", 222, 89, 33, 10, H::Centre, V::Fixed, false},
    {1089, Kind::Label, "ETA:", 283, 88, 17, 10, H::Centre, V::Fixed, false},
    {1091, Kind::Value, "00:00:00", 302, 89, 33, 10, H::Centre, V::Fixed, false},
    {1094, Kind::Label, "Source:", 9, 110, 34, 10, H::Fixed, V::Fixed, false},
    {1092, Kind::Text, "", 62, 110, 298, 10, H::Stretch, V::Fixed, false},
    {1095, Kind::Label, "Destination:", 9, 127, 43, 10, H::Fixed, V::Fixed, false},
    {1093, Kind::Text, "", 62, 127, 298, 10, H::Stretch, V::Fixed, false},
    {1003, Kind::List, "", 3, 144, 362, 105, H::Stretch, V::Stretch, false},
    {1096, Kind::Button, "Clear", 75, 255, 48, 13, H::Centre, V::Move, false},
    {1075, Kind::Button, "Pause", 159, 255, 48, 13, H::Centre, V::Move, false},
    {2, Kind::Button, "Cancel", 243, 255, 48, 13, H::Centre, V::Move, false},
};

constexpr int WindowWidthDlu = 367;
constexpr int WindowHeightDlu = 273;

bool IsEnterOrEscape(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

int CConvProg::LogLineNumber() {
    return g_logLineNumber;
}

uint64_t CConvProg::ProgressMessageCount() {
    return g_progressMessages;
}

CConvProg::CConvProg(PipelineContext& ctx, QWidget* parent)
    : CResizeDlg(parent),
      ctx_(ctx),
      observer_(std::make_shared<ConvProgObserver>(this)),
      previousObserver_(&ctx.Observer()),
      log_(this) {
    // Step 1: a resizable popup with no title of its own.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString());
    setModal(true);

    // Step 2: the pipeline reports to this window from now on.
    ctx_.SetObserver(*observer_);
    ctx_.Running = 0;
    ctx_.Paused = 0;

    // Step 3: counters of the batch.
    ctx_.ResetForBatch();

    // Step 4: the controls, the log and the anchors.
    CreateControls();
    InitResizeDlg();
    for (const ControlPlace& place : ControlTable) {
        AnchorControl(controls_.at(place.id), place.horizontal, place.vertical, place.clipOnErase);
    }

    // Step 5: where the window was last time.
    SetPlacementKey(PlacementKeyName);
    QSettings profile(QStringLiteral("Veltrane Corporation"), QStringLiteral("Tonquill"));
    // Without a saved placement the window opens where dialogs open: centred over its owner,
    // or on the screen.
    PlacementStore().RestorePlacement(*this, PlacementKeyName, profile);

    columnTimer_.setInterval(1000);
    connect(&columnTimer_, &QTimer::timeout, this, &CConvProg::OnColumnTimer);
    figuresTimer_.setInterval(100);
    connect(&figuresTimer_, &QTimer::timeout, this, &CConvProg::OnFiguresTimer);
    abortPoll_.setInterval(10);
    connect(&abortPoll_, &QTimer::timeout, this, &CConvProg::OnAbortPoll);

    // Enter and Escape reach neither the dialog nor its buttons.
    qApp->installEventFilter(this);
}

CConvProg::~CConvProg() {
    qApp->removeEventFilter(this);
    // No worker may wait for the window or report to it once it is gone.
    observer_->Release();
    StopBatch();
    batchThread_.Join();
    parallel_.reset();
    ctx_.SetObserver(*previousObserver_);
}

QLabel* CConvProg::AddLabel(int id, const QString& text, const QRect& rect, Qt::Alignment align) {
    auto* label = new QLabel(text, this);
    // Paths and file names are shown as they are, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(rect);
    label->setAlignment(align | Qt::AlignVCenter);
    controls_[id] = label;
    return label;
}

void CConvProg::CreateControls() {
    const DialogUnits dlu(font());
    resize(dlu.X(WindowWidthDlu), dlu.Y(WindowHeightDlu));
    for (const ControlPlace& place : ControlTable) {
        const QRect rect = dlu.Rect(place.x, place.y, place.w, place.h);
        const QString text = QString::fromLatin1(place.text);
        QWidget* control = nullptr;
        switch (place.kind) {
            case Kind::Group:
                control = new QGroupBox(text, this);
                break;
            case Kind::Bar: {
                auto* bar = new QProgressBar(this);
                bar->setRange(0, 100);
                bar->setValue(0);
                bar->setTextVisible(false);
                control = bar;
                break;
            }
            case Kind::Label:
                control = AddLabel(place.id, text, rect, Qt::AlignLeft);
                break;
            case Kind::Value:
                control = AddLabel(place.id, text, rect, Qt::AlignRight);
                break;
            case Kind::Text:
                control = AddLabel(place.id, text, rect, Qt::AlignLeft);
                break;
            case Kind::List:
                control = log_.Widget();
                break;
            case Kind::Button: {
                auto* button = new QPushButton(text, this);
                button->setAutoDefault(false);
                button->setDefault(false);
                control = button;
                break;
            }
        }
        control->setObjectName(QString::number(place.id));
        control->setGeometry(rect);
        // The desktop's font may run wider than the one the places were made for: a caption
        // label grows to its text (its value's text is right-aligned, so they do not meet).
        if (place.kind == Kind::Label && control->sizeHint().width() > rect.width()) {
            control->resize(control->sizeHint().width(), rect.height());
        }
        controls_[place.id] = control;
    }
    connect(static_cast<QPushButton*>(controls_.at(1096)), &QPushButton::clicked, this,
            &CConvProg::OnClearButton);
    connect(static_cast<QPushButton*>(controls_.at(1075)), &QPushButton::clicked, this,
            &CConvProg::OnPauseButton);
    connect(static_cast<QPushButton*>(controls_.at(2)), &QPushButton::clicked, this,
            &CConvProg::OnCancelButton);
}

QWidget* CConvProg::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

std::vector<int> CConvProg::ControlIds() {
    std::vector<int> ids;
    for (const ControlPlace& place : ControlTable) {
        ids.push_back(place.id);
    }
    return ids;
}

QString CConvProg::ControlText(int id) const {
    QWidget* control = Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return group->title();
    }
    return {};
}

CConvProg::State CConvProg::CurrentState() const {
    if (aborting_) {
        return State::Aborting;
    }
    if (finished_) {
        return State::Finished;
    }
    if (!ctx_.IsRunning()) {
        return State::Stopped;
    }
    return ctx_.Paused ? State::Paused : State::Converting;
}

void CConvProg::showEvent(QShowEvent* event) {
    CResizeDlg::showEvent(event);
    if (!started_) {
        started_ = true;
        StartBatch();
    }
}

void CConvProg::StartBatch() {
    // The rows the batch leaves out are named first, each with why it cannot be read.
    for (const LeftOutSource& source : ctx_.LeftOut) {
        AppendLogRow(QString::fromStdString(LeftOutLine(source)), LogLevel::Error);
    }
    // Step 6: the bars start from zero.
    taskbar_.SetState(ConvProgTaskbar::State::Normal);
    QCoreApplication::postEvent(this, new ConvProgressEvent(0.0f, 0.0f));
    // Step 7: the batch runs on a thread of its own.
    ctx_.Running = 1;
    const int pipelines = std::max(
        1, std::min(PipelinesFor(ctx_.Settings.OUTPUT.Jobs), static_cast<int>(ctx_.Tasks.size())));
    if (pipelines > 1) {
        pipelinePaths_.assign(static_cast<size_t>(pipelines), {});
    }
    batchThread_.Start([this, pipelines] { RunParallelBatch(pipelines); });
}

void CConvProg::RunParallelBatch(int pipelines) {
    if (ctx_.StartDelayMs) {
        SleepMs(ctx_.StartDelayMs);
    }
    // Each pipeline needs its own WMA reader and writer, made as the window's were at start-up;
    // when those could not be made, the person has been told and WMA files fail on their own.
    const bool usesWma =
        ctx_.WmaReader && ctx_.WmaWriter && BatchUsesWma(ctx_.Tasks, ctx_.Settings);
    const std::string programFolder = usesWma ? ProgramFolder() : std::string();
    NullObserver quiet;
    auto made = std::make_unique<ParallelBatch>(
        PreparedBatch{ctx_.Tasks, ctx_.OverallSamplesTotal, {}}, ctx_.Settings, pipelines, false,
        [this](int i, int n) {
            return std::make_unique<ConvProgPipelineObserver>(observer_, i, n == 1);
        },
        // Quietly: the start-up has told the person of a missing preset file already, and the
        // list's Convert of an unknown preset.
        [this, usesWma, &programFolder, &quiet](PipelineContext& ctx, ConversionObserver&, int) {
            // The bounds the batch keeps to are the window's context's.
            ctx.JoinBoundMs = ctx_.JoinBoundMs;
            ctx.StallBoundMs = ctx_.StallBoundMs;
            ctx.StopGraceMs = ctx_.StopGraceMs;
            if (usesWma) {
                SetUpWmaPipeline(ctx, programFolder, quiet);
            }
        });
    ParallelBatch* batch = made.get();
    {
        std::lock_guard lock(parallelMutex_);
        parallel_ = std::move(made);
        batch->SetPaused(ctx_.Paused.load() != 0);
    }
    // A cancel while the pipelines were made found none to interrupt: it is seen here.
    if (!ctx_.IsRunning()) {
        observer_->Stopped();
        return;
    }
    observer_->BatchStarted();
    const BatchReport report = batch->Run(*observer_);
    if (report.failedSources.empty() && report.notStarted == 0 && !report.interrupted) {
        observer_->Done();
        return;
    }
    ctx_.Stop();
    observer_->Stopped();
}

void CConvProg::SetPaused(bool paused) {
    ctx_.Paused = paused ? 1 : 0;
    figures_.SetPaused(paused);
    std::lock_guard lock(parallelMutex_);
    if (parallel_) {
        parallel_->SetPaused(paused);
    }
}

void CConvProg::StopBatch() {
    ctx_.Cancel();
    std::lock_guard lock(parallelMutex_);
    if (parallel_) {
        parallel_->Interrupt();
    }
}

bool CConvProg::event(QEvent* event) {
    switch (static_cast<int>(event->type())) {
        case WM_CONV_PROGRESS: {
            auto* e = static_cast<ConvProgressEvent*>(event);
            if (ctx_.IsRunning()) {
                OnProgress(e->taskPercent, e->overallPercent);
            }
            return true;
        }
        case WM_CONV_LOG: {
            auto* e = static_cast<ConvLogEvent*>(event);
            AppendLogRow(e->text, e->level);
            return true;
        }
        case WM_CONV_LOG_BLOCK:
            for (const ConvLogLine& line : static_cast<ConvLogBlockEvent*>(event)->lines) {
                AppendLogRow(line.text, line.level, line.time);
            }
            return true;
        case WM_CONV_CAPTION:
            if (!aborting_ && !cancelled_) {
                setWindowTitle(static_cast<ConvCaptionEvent*>(event)->text);
            }
            return true;
        case WM_CONV_PATHS: {
            auto* e = static_cast<ConvPathsEvent*>(event);
            if (e->pipeline >= 0) {
                // Shown by the figures timer when its file is the one followed.
                if (static_cast<size_t>(e->pipeline) < pipelinePaths_.size()) {
                    pipelinePaths_[static_cast<size_t>(e->pipeline)] = {e->source, e->destination};
                }
                return true;
            }
            static_cast<QLabel*>(controls_.at(1092))->setText(e->source);
            static_cast<QLabel*>(controls_.at(1093))->setText(e->destination);
            return true;
        }
        case WM_CONV_STARTED:
            // The batch's clock starts with its first file, from zero for every batch.
            figures_.Start();
            columnTimer_.start();
            figuresTimer_.start();
            return true;
        case WM_CONV_DONE:
            OnDone();
            return true;
        case WM_CONV_STOPPED:
            OnStopped();
            return true;
        case WM_CONV_MESSAGE: {
            auto* e = static_cast<ConvMessageEvent*>(event);
            const QMessageBox::Icon icon = e->icon == MessageIcon::Error ? QMessageBox::Critical
                                           : e->icon == MessageIcon::Warning
                                               ? QMessageBox::Warning
                                               : QMessageBox::Information;
            QMessageBox box(icon, QStringLiteral("Tonquill"), e->text, QMessageBox::Ok, this);
            box.exec();
            return true;
        }
        default:
            return CResizeDlg::event(event);
    }
}

void CConvProg::OnProgress(float taskPercent, float overallPercent) {
    ++g_progressMessages;
    ShowPercents(taskPercent, overallPercent);
}

void CConvProg::ShowPercents(float taskPercent, float overallPercent) {
    ProgressInput in;
    in.taskPercent = taskPercent;
    in.overallPercent = overallPercent;
    const ProgressFigures f = ComputeProgressFigures(in);
    lastTaskPercent_ = taskPercent;
    lastOverallPercent_ = overallPercent;
    static_cast<QLabel*>(controls_.at(1080))->setText(f.taskPercent);
    static_cast<QLabel*>(controls_.at(1081))->setText(f.overallPercent);
    static_cast<QProgressBar*>(controls_.at(1073))->setValue(f.taskBar);
    static_cast<QProgressBar*>(controls_.at(1074))->setValue(f.overallBar);
}

BatchReading CConvProg::ReadBatch() {
    BatchReading r;
    ParallelBatchSnapshot s;
    {
        std::lock_guard lock(parallelMutex_);
        if (!parallel_) {
            return r;
        }
        s = parallel_->Snapshot();
    }
    r.task = s.currentTask;
    r.taskPercent = s.taskPercent;
    r.taskAudioSeconds = s.taskAudioSeconds;
    r.overallPercent = s.overallPercent;
    r.overallAudioSeconds = s.overallAudioSeconds;
    if (pipelinePaths_.empty()) {
        // One pipeline: the percentages come with its progress reports, and its task stays
        // followed between two files.
        r.task = s.currentTask >= 0 ? s.currentTask : lastTask_;
        lastTask_ = r.task;
        r.taskPercent = lastTaskPercent_;
        r.overallPercent = lastOverallPercent_;
    }
    followedPipeline_ = s.currentPipeline;
    taskCount_ = s.count;
    return r;
}

void CConvProg::OnFiguresTimer() {
    if (!ctx_.IsRunning() || finished_ || aborting_) {
        return;
    }
    const BatchReading r = ReadBatch();
    ShowTimes(figures_.Update(r));
    if (pipelinePaths_.empty()) {
        return;
    }
    // Between two files the last file's percentage stands; the batch's moves on.
    ShowPercents(r.task >= 0 ? r.taskPercent : lastTaskPercent_, r.overallPercent);
    if (r.task < 0 || static_cast<size_t>(r.task) >= ctx_.Tasks.size()) {
        return;
    }
    setWindowTitle(QString::asprintf("Converting %d/%d", r.task + 1, taskCount_));
    // The paths of the file followed: its pipeline's report names it once it has arrived; until
    // then the source is known from the list and the output name is not settled yet.
    const QString source =
        QString::fromStdString(ctx_.Tasks[static_cast<size_t>(r.task)].SourcePath);
    QString destination;
    const auto followed = static_cast<size_t>(followedPipeline_);
    if (followed < pipelinePaths_.size() && pipelinePaths_[followed].first == source) {
        destination = pipelinePaths_[followed].second;
    }
    static_cast<QLabel*>(controls_.at(1092))->setText(source);
    static_cast<QLabel*>(controls_.at(1093))->setText(destination);
}

void CConvProg::ShowTimes(const BatchTimes& t) {
    auto text = [this](int id, const QString& s) {
        static_cast<QLabel*>(controls_.at(id))->setText(s);
    };
    text(1087, TimeText(t.taskElapsed));
    text(1086, TimeText(t.batchElapsed));
    if (t.taskEta) {
        text(1088, TimeText(*t.taskEta));
    }
    if (t.batchEta) {
        text(1091, TimeText(*t.batchEta));
    }
    if (t.taskSpeed) {
        text(1082, SpeedText(*t.taskSpeed));
    }
    if (t.batchSpeed) {
        text(1083, SpeedText(*t.batchSpeed));
    }
    // The taskbar hears of whole percents only, not of every tick.
    const int value = static_cast<int>(std::min(lastOverallPercent_, 100.0f));
    if (value != taskbarValue_) {
        taskbarValue_ = value;
        taskbar_.SetValue(value, 100);
    }
}

void CConvProg::AppendLogRow(const QString& text, LogLevel level, const QTime& time) {
    log_.Append(LogNumberText(++g_logLineNumber),
                QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second()),
                text, static_cast<int>(level));
    if (static_cast<int>(level) > 0) {
        taskbar_.SetState(ConvProgTaskbar::State::Error);
        // The status lines of the files a cancel cuts short are errors that say nothing new;
        // a warning (the partial output that stays) is worth reading.
        if (aborting_ && level == LogLevel::Warning) {
            ++cancelNotes_;
        }
    }
}

void CConvProg::OnDone() {
    ctx_.Stop();
    finished_ = true;
    figuresTimer_.stop();
    double audioSeconds = 0.0;
    {
        std::lock_guard lock(parallelMutex_);
        if (parallel_) {
            audioSeconds = parallel_->Snapshot().overallAudioSeconds;
        }
    }
    lastOverallPercent_ = 100.0f;
    ShowTimes(figures_.Finish(audioSeconds));
    for (int id : {1080, 1081}) {
        static_cast<QLabel*>(controls_.at(id))->setText(QStringLiteral("100.00%"));
    }
    for (int id : {1073, 1074}) {
        static_cast<QProgressBar*>(controls_.at(id))->setValue(100);
    }
    for (int id : {1088, 1091}) {
        static_cast<QLabel*>(controls_.at(id))->setText(QStringLiteral("00:00:00"));
    }
    auto* openDir = static_cast<QPushButton*>(controls_.at(1075));
    openDir->setText(QStringLiteral("Open Dir"));
    openDir->setEnabled(!ctx_.Settings.OUTPUT.SameAsSrc);
    static_cast<QPushButton*>(controls_.at(2))->setText(QStringLiteral("Finish"));
    setWindowTitle(QStringLiteral("Finished Converting"));
    if (ctx_.LeftOut.empty()) {
        AppendLogRow(QStringLiteral("Finished converting, all done ^_^"), LogLevel::Info);
    } else {
        const int leftOut = static_cast<int>(ctx_.LeftOut.size());
        AppendLogRow(QStringLiteral("Finished converting: %1 of %2 files converted, %3 left out "
                                    "because %4 cannot be read.")
                         .arg(ctx_.Tasks.size())
                         .arg(ctx_.Tasks.size() + ctx_.LeftOut.size())
                         .arg(leftOut)
                         .arg(leftOut == 1 ? QStringLiteral("it") : QStringLiteral("they")),
                     LogLevel::Error);
    }
    taskbar_.SetValue(100, 100);
}

void CConvProg::OnStopped() {
    figuresTimer_.stop();
    figures_.SetPaused(true);
    // A cancel closes the window by itself; only a failure leaves it open for the log.
    if (aborting_ || finished_) {
        return;
    }
    // The buttons now open the output folder and close the window: they say so.
    auto* openDir = static_cast<QPushButton*>(controls_.at(1075));
    openDir->setText(QStringLiteral("Open Dir"));
    openDir->setEnabled(!ctx_.Settings.OUTPUT.SameAsSrc);
    static_cast<QPushButton*>(controls_.at(2))->setText(QStringLiteral("Close"));
    setWindowTitle(QStringLiteral("Stopped after an error"));
    taskbar_.SetState(ConvProgTaskbar::State::Error);
}

void CConvProg::OnPauseButton() {
    if (ctx_.IsRunning()) {
        const bool paused = !ctx_.Paused;
        SetPaused(paused);
        static_cast<QPushButton*>(controls_.at(1075))
            ->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        taskbar_.SetState(paused ? ConvProgTaskbar::State::Paused : ConvProgTaskbar::State::Normal);
        return;
    }
    // Open Dir: the output folder, unless the outputs went beside their sources.
    if (!ctx_.Settings.OUTPUT.SameAsSrc) {
        const QString folder = QString::fromStdString(ctx_.Settings.OUTPUT.DesDir);
        if (!OpenInDesktop(QUrl::fromLocalFile(folder))) {
            Tell(QStringLiteral("Unable to open the output folder: no application opens it.\n%1")
                     .arg(folder));
        }
    }
}

bool CConvProg::OpenInDesktop(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void CConvProg::Tell(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tonquill"), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void CConvProg::OnClearButton() {
    log_.Clear();
}

bool CConvProg::AskCancel() {
    return QMessageBox::question(this, QStringLiteral("Tonquill"),
                                 QStringLiteral("Do You Want to Cancel?"),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void CConvProg::OnCancelButton() {
    if (aborting_) {
        return;
    }
    if (!ctx_.IsRunning()) {
        done(QDialog::Rejected);
        return;
    }
    // The encoders idle while the person decides.
    SetPaused(true);
    if (!AskCancel()) {
        // The batch goes on, so the button offers to pause it again.
        SetPaused(false);
        static_cast<QPushButton*>(controls_.at(1075))->setText(QStringLiteral("Pause"));
        taskbar_.SetState(ConvProgTaskbar::State::Normal);
        return;
    }
    taskbar_.SetState(ConvProgTaskbar::State::Indeterminate);
    aborting_ = true;
    StopBatch();
    controls_.at(1075)->setEnabled(false);
    controls_.at(2)->setEnabled(false);
    setWindowTitle(QStringLiteral("Aborting, Please Wait..."));
    // Every stage ends within milliseconds once Running is clear; the window keeps painting
    // while the batch thread winds down and closes when it has.
    abortPoll_.start();
}

void CConvProg::OnAbortPoll() {
    if (!batchThread_.WaitFor(0)) {
        return;
    }
    abortPoll_.stop();
    // The batch's last lines were posted before its thread ended.
    QCoreApplication::sendPostedEvents(this);
    if (cancelNotes_ == 0) {
        done(QDialog::Rejected);
        return;
    }
    // The cancel left something to read (a file cut short stays as a partial output): the window
    // stays open on its log until the person closes it.
    aborting_ = false;
    cancelled_ = true;
    auto* openDir = static_cast<QPushButton*>(controls_.at(1075));
    openDir->setText(QStringLiteral("Open Dir"));
    openDir->setEnabled(!ctx_.Settings.OUTPUT.SameAsSrc);
    auto* close = static_cast<QPushButton*>(controls_.at(2));
    close->setText(QStringLiteral("Close"));
    close->setEnabled(true);
    setWindowTitle(QStringLiteral("Cancelled"));
}

void CConvProg::OnColumnTimer() {
    if (ctx_.IsRunning()) {
        log_.FitDescription();
    } else {
        columnTimer_.stop();
    }
}

void CConvProg::closeEvent(QCloseEvent* event) {
    // The close box does what button 2 does.
    event->ignore();
    OnCancelButton();
}

bool CConvProg::eventFilter(QObject* watched, QEvent* event) {
    if (IsEnterOrEscape(event) && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == this || isAncestorOf(widget)) {
            return true;
        }
    }
    return CResizeDlg::eventFilter(watched, event);
}

}  // namespace tonquill
