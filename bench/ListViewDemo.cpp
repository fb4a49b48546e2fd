// A window holding the file list pane alone, with its commands in menus and the three status
// panes, for trying the pane by hand and for screenshots until the main window places it.
//   tonquill-listview [--tree FOLDER] [--shift] [--ctrl] [PATH...]
// PATHs are loaded as a drop; --tree loads FOLDER as a folder-tree selection would.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <array>

#include "app/FileListPane.h"
#include "app/FileListStatus.h"
#include "base/ProgramFolder.h"
#include "convert/PipelineContext.h"
#include "convert/SettingsSummary.h"
#include "convert/wma/WmaComponent.h"
#include "settings/SettingsStore.h"

namespace tonquill {
namespace {

class QuietObserver : public NullObserver {};

class DemoWindow : public QMainWindow, public FileListStatus {
public:
    explicit DemoWindow(PipelineContext& ctx) {
        for (QLabel*& pane : panes_) {
            pane = new QLabel(this);
            statusBar()->addWidget(pane, 1);
        }
        pane_ = new FileListPane(ctx, *this, this);
        setCentralWidget(pane_);
        setWindowTitle(QStringLiteral("Tonquill"));
        SetPaneText(0, QStringLiteral("No file"));
        SetPaneText(1, QStringLiteral("No file selected"));

        QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
        file->addAction(QStringLiteral("Add File(s)..."), [this] { pane_->AddFiles(); });
        file->addAction(QStringLiteral("Add Folder excluding Subfolders..."),
                        [this] { pane_->AddFolder(false); });
        file->addAction(QStringLiteral("Add Folder including Subfolders..."),
                        [this] { pane_->AddFolder(true); });
        QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
        AddCommand(edit, "Select All", QKeySequence::SelectAll, &FileListPane::SelectAll);
        AddCommand(edit, "Select None", {}, &FileListPane::SelectNone);
        AddCommand(edit, "Reverse Select", {}, &FileListPane::ReverseSelect);
        AddCommand(edit, "Select Next", QKeySequence(Qt::Key_F3), &FileListPane::SelectNext);
        edit->addSeparator();
        AddCommand(edit, "Move Up", {}, &FileListPane::MoveUp);
        AddCommand(edit, "Move Down", {}, &FileListPane::MoveDown);
        AddCommand(edit, "Move to Top", {}, &FileListPane::MoveToTop);
        AddCommand(edit, "Move to Bottom", {}, &FileListPane::MoveToBottom);
        edit->addSeparator();
        AddCommand(edit, "Remove Selected", QKeySequence(Qt::Key_Delete),
                   &FileListPane::RemoveSelected);
        AddCommand(edit, "Remove Dead", {}, &FileListPane::RemoveDead);
        AddCommand(edit, "Remove Duplicates", {}, &FileListPane::RemoveDuplicates);
        AddCommand(edit, "Remove All", {}, &FileListPane::RemoveAll);
        menu_ = new QMenu(this);
        AddCommand(menu_, "Convert Selected", {}, &FileListPane::ConvertSelected);
        AddCommand(menu_, "Convert", QKeySequence(Qt::Key_F9), &FileListPane::Convert);
        menu_->addSeparator();
        AddCommand(menu_, "Open", {}, &FileListPane::Open);
        AddCommand(menu_, "Open Containing Folder", {}, &FileListPane::OpenContainingFolder);
        AddCommand(menu_, "Rename File", QKeySequence(Qt::Key_F2), &FileListPane::RenameFile);
        AddCommand(menu_, "Delete Files", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
                   &FileListPane::DeleteFiles);
        AddCommand(menu_, "Properties", {}, &FileListPane::Properties);
        menu_->setDefaultAction(menu_->actions().front());
        menuBar()->addMenu(menu_)->setText(QStringLiteral("&Files"));
        connect(pane_, &FileListPane::contextMenuRequested, this,
                [this](const QPoint& at) { menu_->popup(at); });
    }

    FileListPane* Pane() const { return pane_; }

    void SetPaneText(int pane, const QString& text) override { panes_[pane]->setText(text); }
    void SetPaneTooltip(int pane, const QString& tooltip) override {
        panes_[pane]->setToolTip(tooltip);
    }
    void SetWindowTitle(const QString& title) override { setWindowTitle(title); }
    void SetLoading(bool loading) override { menuBar()->setEnabled(!loading); }

private:
    void AddCommand(QMenu* menu, const char* text, const QKeySequence& key,
                    void (FileListPane::*command)()) {
        QAction* action =
            menu->addAction(QString::fromLatin1(text), [this, command] { (pane_->*command)(); });
        action->setShortcut(key);
        addAction(action);
    }

    std::array<QLabel*, 3> panes_{};
    FileListPane* pane_ = nullptr;
    QMenu* menu_ = nullptr;
};

}  // namespace
}  // namespace tonquill

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using namespace tonquill;
    QuietObserver observer;
    PipelineContext ctx(observer);
    SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
    store.StartUp(ctx.Settings);
    if (CreateWmaComponents(ctx, observer)) {
        LoadWmaPresetFile(ctx, ProgramFolder(), observer);
    }

    DemoWindow window(ctx);
    QString tree;
    Qt::KeyboardModifiers modifiers;
    QStringList dropped;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--tree") && i + 1 < args.size()) {
            tree = args[++i];
        } else if (args[i] == QLatin1String("--shift")) {
            modifiers |= Qt::ShiftModifier;
        } else if (args[i] == QLatin1String("--ctrl")) {
            modifiers |= Qt::ControlModifier;
        } else {
            dropped << args[i];
        }
    }
    const QRect screen = window.screen()->availableGeometry();
    window.resize(std::min(1560, screen.width() - 40), std::min(640, screen.height() - 60));
    window.show();
    QTimer::singleShot(0, &window, [&] {
        if (!tree.isEmpty()) {
            window.Pane()->LoadTreeFolder(tree, modifiers);
        }
        if (!dropped.isEmpty()) {
            window.Pane()->DropFiles(dropped);
        }
    });
    return app.exec();
}
