// The progress window's batch, driven as the list's Convert drives it but without a person:
//
//   tonquill-windowbatch JOBS OUTPUT_FOLDER FOLDER...
//
// converts the folders' audio files to MP3 at 128 kbit/s on the offscreen platform (unless
// another is asked for) with OUTPUT/Jobs = JOBS (0: one per core), and exits once the window says
// the batch finished: 0 when every file converted, 1 otherwise. bench/run-bench.sh times it with
// one pipeline against one per core.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/ConvProg.h"
#include "base/ConversionObserver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "metadata/FileScan.h"
#include "metadata/RowLoader.h"
#include "metadata/RowTaskSource.h"

using namespace tonquill;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tonquill-windowbatch JOBS OUTPUT_FOLDER FOLDER...\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = FormatMp3;
    settings.OUTPUT.Jobs = std::atoi(argv[1]);
    settings.OUTPUT.DesDir = argv[2];
    if (settings.OUTPUT.DesDir.back() != '/') {
        settings.OUTPUT.DesDir += '/';
    }
    std::vector<std::string> folders(argv + 3, argv + argc);

    NullObserver quiet;
    RowLoader loader(quiet);
    std::vector<TaskSource> sources;
    const ScanResult scan = ScanPaths(folders, settings.OUTPUT.Filter, false);
    for (size_t i = 0; i < scan.files.size(); ++i) {
        auto row = loader.Load(scan.files[i]);
        if (!row->entry.unreadable) {
            sources.push_back(MakeTaskSource(*row));
        }
    }

    PipelineContext ctx(quiet);
    ctx.Settings = settings;
    ctx.LoadBatch(PrepareBatch(sources, settings));
    CConvProg window(ctx);
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const CConvProg::State state = window.CurrentState();
        if (state == CConvProg::State::Finished || state == CConvProg::State::Stopped) {
            window.done(state == CConvProg::State::Finished ? 0 : 1);
        }
    });
    watch.start();
    const int result = window.exec();
    std::printf("%zu files, %s\n", sources.size(), result == 0 ? "all converted" : "stopped");
    return result;
}
