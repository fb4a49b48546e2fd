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
#include "convert/BatchDriver.h"
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
      observer_(std::make_unique<ConvProgObserver>(this)),
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
    connect(&figuresTimer_, &QTimer::timeout, this, &CConvProg::OnParallelFigures);
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
    // Step 6: the bars start from zero.
    taskbar_.SetState(ConvProgTaskbar::State::Normal);
    QCoreApplication::postEvent(this, new ConvProgressEvent(0.0f, 0.0f));
    // Step 7: the batch runs on a thread of its own.
    ctx_.Running = 1;
    const int pipelines =
        std::min(PipelinesFor(ctx_.Settings.OUTPUT.Jobs), static_cast<int>(ctx_.Tasks.size()));
    if (pipelines > 1) {
        pipelinePaths_.assign(static_cast<size_t>(pipelines), {});
        batchThread_.Start([this, pipelines] { RunParallelBatch(pipelines); });
        return;
    }
    batchThread_.Start([this] { RunBatch(ctx_); });
}

void CConvProg::RunParallelBatch(int pipelines) {
    if (ctx_.StartDelayMs) {
        SleepMs(ctx_.StartDelayMs);
    }
    // Each pipeline needs its own WMA reader and writer, made as the window's were at start-up;
    // when those could not be made, the person has been told and WMA files fail on their own.
    const bool usesWma =
        ctx_.WmaReader && ctx_.WmaWriter &&
        (ctx_.Settings.OUTPUT.OutputFormat == FormatWma ||
         std::any_of(ctx_.Tasks.begin(), ctx_.Tasks.end(),
                     [](const CConversionTask& task) { return task.InputType == FormatWma; }));
    const std::string programFolder = usesWma ? ProgramFolder() : std::string();
    NullObserver quiet;
    auto made = std::make_unique<ParallelBatch>(
        PreparedBatch{ctx_.Tasks, ctx_.OverallSamplesTotal}, ctx_.Settings, pipelines, false,
        [this](int i, int) { return std::make_unique<ConvProgPipelineObserver>(*observer_, i); },
        // Quietly: the start-up has told the person of a missing preset file already, and the
        // list's Convert of an unknown preset.
        [usesWma, &programFolder, &quiet](PipelineContext& ctx, ConversionObserver&, int) {
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
    std::lock_guard lock(parallelMutex_);
    if (parallel_) {
        parallel_->SetPaused(paused);
    }
}

void CConvProg::StopBatch() {
    ctx_.Stop();
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
            if (!aborting_) {
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
            columnTimer_.start();
            if (!pipelinePaths_.empty()) {
                figuresTimer_.start();
            }
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
    ShowFigures(taskPercent, overallPercent, ctx_.TaskStartTick, ctx_.BatchStartTick,
                ctx_.TaskAudioSeconds, ctx_.OverallAudioSeconds);
}

void CConvProg::OnParallelFigures() {
    ParallelBatchSnapshot s;
    {
        std::lock_guard lock(parallelMutex_);
        if (!parallel_) {
            return;
        }
        s = parallel_->Snapshot();
    }
    // Paused pipelines report nothing, as one pipeline does; between two files there is no
    // file to follow for the moment.
    if (!ctx_.IsRunning() || ctx_.Paused || finished_ || aborting_ || s.currentTask < 0) {
        return;
    }
    ShowFigures(s.taskPercent, s.overallPercent, s.taskStartTick, s.batchStartTick,
                s.taskAudioSeconds, s.overallAudioSeconds);
    setWindowTitle(QString::asprintf("Converting %d/%d", s.currentTask + 1, s.count));
    const auto followed = static_cast<size_t>(s.currentPipeline);
    if (followed < pipelinePaths_.size() && !pipelinePaths_[followed].first.isEmpty()) {
        static_cast<QLabel*>(controls_.at(1092))->setText(pipelinePaths_[followed].first);
        static_cast<QLabel*>(controls_.at(1093))->setText(pipelinePaths_[followed].second);
    }
}

void CConvProg::ShowFigures(float taskPercent, float overallPercent, uint32_t taskStartTick,
                            uint32_t batchStartTick, double taskAudioSeconds,
                            double overallAudioSeconds) {
    ProgressInput in;
    in.taskPercent = taskPercent;
    in.overallPercent = overallPercent;
    in.messageNumber = ++g_progressMessages;
    const uint32_t now = TickCount();
    in.taskSeconds = static_cast<uint32_t>(now - taskStartTick) / 1000.0;
    in.batchSeconds = static_cast<uint32_t>(now - batchStartTick) / 1000.0;
    in.taskAudioSeconds = taskAudioSeconds;
    in.overallAudioSeconds = overallAudioSeconds;
    const ProgressFigures f = ComputeProgressFigures(in);

    auto text = [this](int id, const QString& s) {
        static_cast<QLabel*>(controls_.at(id))->setText(s);
    };
    text(1080, f.taskPercent);
    text(1081, f.overallPercent);
    static_cast<QProgressBar*>(controls_.at(1073))->setValue(f.taskBar);
    static_cast<QProgressBar*>(controls_.at(1074))->setValue(f.overallBar);
    if (!f.timed) {
        return;
    }
    text(1087, f.taskElapsed);
    if (f.taskEta) {
        text(1088, *f.taskEta);
    }
    text(1086, f.overallElapsed);
    if (f.overallEta) {
        text(1091, *f.overallEta);
    }
    text(1082, f.taskSpeed);
    text(1083, f.overallSpeed);
    taskbar_.SetValue(f.taskbarValue, 100);
}

void CConvProg::AppendLogRow(const QString& text, LogLevel level, const QTime& time) {
    log_.Append(LogNumberText(++g_logLineNumber),
                QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second()),
                text, static_cast<int>(level));
    if (static_cast<int>(level) > 0) {
        taskbar_.SetState(ConvProgTaskbar::State::Error);
    }
}

void CConvProg::OnDone() {
    ctx_.Stop();
    finished_ = true;
    figuresTimer_.stop();
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
    AppendLogRow(QStringLiteral("Finished converting, all done ^_^"), LogLevel::Info);
    taskbar_.SetValue(100, 100);
}

void CConvProg::OnStopped() {
    figuresTimer_.stop();
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
        QDesktopServices::openUrl(
            QUrl::fromLocalFile(QString::fromStdString(ctx_.Settings.OUTPUT.DesDir)));
    }
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
    if (batchThread_.WaitFor(0)) {
        abortPoll_.stop();
        done(QDialog::Rejected);
    }
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
