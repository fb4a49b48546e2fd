// The file list pane with generated folders: a folder load of 10 000 MP3 files with every row
// probed, then 50 000 rows (hard links of one file, so the disk holds one) with the memory they
// take and the time of Select All, Remove Duplicates and Remove All.
//   tonquill-listloadbench [FILES] [ROWS]   (defaults 10000 and 50000)
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/FileListPane.h"
#include "app/FileListStatus.h"
#include "base/ConversionObserver.h"
#include "convert/PipelineContext.h"
#include "metadata/ProbeFixtures.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class SilentStatus : public FileListStatus {
public:
    void SetPaneText(int, const QString&) override {}
    void SetPaneTooltip(int, const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void SetLoading(bool) override {}
};

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Resident memory of this process in megabytes.
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atof(line.c_str() + 6) / 1024.0;
        }
    }
    return 0.0;
}

void WaitLoaded(const FileListPane& pane) {
    while (pane.IsLoading()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

// count hard links named 00000.mp3 ... in folder, of a copy of source (a file takes only so
// many links).
void LinkFiles(const fs::path& source, const fs::path& folder, int count) {
    fs::create_directories(folder);
    const fs::path copy = folder.string() + ".mp3";
    fs::copy_file(source, copy);
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%05d.mp3", i);
        fs::create_hard_link(copy, folder / name);
    }
}

template <typename Command>
void Time(const char* what, FileListPane& pane, Command command) {
    const auto start = Clock::now();
    command();
    QCoreApplication::processEvents();
    std::printf("%-34s %8.3f s  (%d rows left)\n", what, Seconds(start), pane.FileCount());
}

int Run(int files, int rows) {
    test::TempDir dir;
    const fs::path source = dir.path() / "source.mp3";
    test::WriteMp3Fixture(source.string(), 44100, 2, 3.0);
    LinkFiles(source, dir.path() / "ten", files);
    LinkFiles(source, dir.path() / "many", rows);
    LinkFiles(source, dir.path() / "half", rows / 2);

    NullObserver observer;
    PipelineContext ctx(observer);
    ctx.Settings.OUTPUT.Filter = 15;
    SilentStatus status;
    const double before = ResidentMegabytes();
    {
        FileListPane pane(ctx, status);
        pane.resize(1200, 800);
        pane.show();

        auto start = Clock::now();
        pane.LoadFolder(QString::fromStdString((dir.path() / "ten").string()), false);
        WaitLoaded(pane);
        std::printf("%-34s %8.3f s  (%d rows, %.1f min of audio)\n",
                    "folder load, MP3 files probed", Seconds(start), pane.FileCount(),
                    pane.TotalSeconds() / 60.0);

        Time("Remove All", pane, [&] { pane.RemoveAll(); });
        start = Clock::now();
        pane.LoadFolder(QString::fromStdString((dir.path() / "many").string()), false);
        WaitLoaded(pane);
        std::printf("%-34s %8.3f s  (%d rows)\n", "folder load, MP3 files probed", Seconds(start),
                    pane.FileCount());
        std::printf("%-34s %8.1f MB\n", "memory of the rows", ResidentMegabytes() - before);

        Time("Select All", pane, [&] { pane.SelectAll(); });
        Time("Select None", pane, [&] { pane.SelectNone(); });
        Time("Remove Duplicates (none)", pane, [&] { pane.RemoveDuplicates(); });
        Time("Remove All", pane, [&] { pane.RemoveAll(); });

        // Half the rows again through a linked folder: the second half are duplicates.
        fs::create_directory_symlink(dir.path() / "half", dir.path() / "alias");
        pane.LoadFolder(QString::fromStdString((dir.path() / "half").string()), false);
        WaitLoaded(pane);
        pane.LoadTreeFolder(QString::fromStdString((dir.path() / "alias").string()),
                            Qt::ShiftModifier);
        WaitLoaded(pane);
        Time("Remove Duplicates (half)", pane, [&] { pane.RemoveDuplicates(); });
    }
    return 0;
}

}  // namespace
}  // namespace tonquill

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 50000;
    return tonquill::Run(files, rows);
}
