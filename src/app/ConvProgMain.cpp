// The window program until its main window exists: `tonquill [-R] PATH...` probes the files the
// paths name (folders give their audio files of the accepted types) and converts the readable
// ones with the current settings in the progress window.

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "app/ConvProg.h"
#include "app/Option.h"
#include "app/WindowFiles.h"
#include "base/ProgramFolder.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "convert/wma/WmaPresetList.h"
#include "metadata/FileListEntry.h"
#include "metadata/FileScan.h"
#include "metadata/MediaProbe.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsSummary.h"

namespace tonquill {
namespace {

// Start-up and probing run on the window thread: messages become message boxes there, log lines
// go to the terminal.
class StartUpObserver : public ConversionObserver {
public:
    void Log(const std::string& text, LogLevel) override { std::cerr << text << '\n'; }
    void Progress(float, float, bool) override {}
    void Done() override {}
    void Caption(const std::string&) override {}
    void Paths(const std::string&, const std::string&) override {}
    void Message(const std::string& text, MessageIcon icon) override {
        const QString title = QStringLiteral("Tonquill");
        const QString body = QString::fromStdString(text);
        switch (icon) {
            case MessageIcon::Error:
                QMessageBox::critical(nullptr, title, body);
                break;
            case MessageIcon::Warning:
                QMessageBox::warning(nullptr, title, body);
                break;
            case MessageIcon::Information:
                QMessageBox::information(nullptr, title, body);
                break;
        }
    }
};

constexpr const char* Usage =
    "Usage: tonquill [-R] [--] PATH...\n"
    "  or:  tonquill --options\n"
    "  or:  tonquill --help | --version\n"
    "\n"
    "Converts the audio files the paths name with the current settings, in the progress window.\n"
    "Folders give their files of the accepted types.\n"
    "\n"
    "  -R, --recursive    scan the subfolders of the folders given too\n"
    "      --options      edit the settings in the options dialog, then save them\n"
    "      --             end of the options (for a file whose name starts with '-')\n"
    "      --help         print this help\n"
    "      --version      print the version\n"
    "\n"
    "Converting without a display: tonquill-cli.\n";

// What needs no window is answered before Qt looks for a display: help, the version, and a
// command line without any path. Returns the exit code, or -1 to go on.
int AnswerWithoutDisplay(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << Usage;
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            break;
        }
        if (arg == "-h" || arg == "--help") {
            std::cout << Usage;
            return 0;
        }
        if (arg == "--version") {
            std::cout << "tonquill " << TONQUILL_VERSION << '\n';
            return 0;
        }
    }
    return -1;
}

bool HasEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt ends the process with abort() when no platform plugin can open a display. The window cannot
// exist then: say so and end as any failed start does.
void DisplayFailureHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::cerr << "tonquill: cannot open the window: " << message.toStdString()
                  << "\ntonquill: tonquill-cli converts without a display\n";
        std::_Exit(1);
    }
    std::cerr << message.toStdString() << '\n';
}

int Run(const std::vector<std::string>& paths, bool recursive) {
    StartUpObserver observer;
    PipelineContext ctx(observer);
    SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
    store.StartUp(ctx.Settings);

    const ScanResult scan = ScanPaths(paths, ctx.Settings.OUTPUT.Filter, recursive);
    for (const std::string& problem : scan.problems) {
        std::cerr << "tonquill: " << problem << '\n';
    }
    bool usesWma = ctx.Settings.OUTPUT.OutputFormat == FormatWma;
    for (const std::string& file : scan.files) {
        usesWma = usesWma || TypeByExtension(UpperExtension(file)) == FormatWma;
    }
    if (usesWma && CreateWmaComponents(ctx, observer)) {
        LoadWmaPresetFile(ctx, ProgramFolder(), observer);
        if (ctx.Settings.OUTPUT.OutputFormat == FormatWma) {
            SelectWmaPreset(ctx.WmaWriter.get(), ctx.Settings.WMA.Profile, observer);
        }
    }

    MediaProbe probe(observer, ctx.WmaReader.get());
    const WindowFiles files = ProbeWindowFiles(scan.files, probe);
    for (const std::string& path : files.unreadable) {
        std::cerr << "tonquill: skipping '" << path << "': it cannot be read as audio\n";
    }
    if (files.sources.empty()) {
        observer.Message("There is no audio file to convert.", MessageIcon::Warning);
        return 1;
    }
    ctx.LoadBatch(PrepareBatch(files.sources, ctx.Settings));

    CConvProg window(ctx);
    window.LogSkippedFiles(files.unreadable);
    window.exec();
    return 0;
}

// The options dialog on the stored settings. As the main window does at its close, the record is
// saved whatever the dialog's result: a Reset has already deleted Config.ini, and Cancel leaves the
// record as it was. The summary line of the result goes to the terminal.
int RunOptions() {
    StartUpObserver observer;
    SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
    ConversionSettings settings;
    store.StartUp(settings);
    WmaPresetList presets;
    std::string error;
    const bool havePresets = presets.Load(ProgramFolder() + WmaPresetFileName, error);
    if (!havePresets) {
        std::cerr << "tonquill: the WMA presets are not available: " << error << '\n';
    }
    COption dialog(settings, store, havePresets ? &presets : nullptr);
    dialog.exec();
    const bool saved = store.SaveSettings(settings, settings.OUTPUT.LastDir);
    const WmaPreset* preset = presets.Find(settings.WMA.Profile);
    std::cout << SettingsSummary(settings, preset ? preset->description : std::string()) << '\n';
    return saved ? 0 : 1;
}

}  // namespace
}  // namespace tonquill

int main(int argc, char** argv) {
    if (const int code = tonquill::AnswerWithoutDisplay(argc, argv); code >= 0) {
        return code;
    }
    // A chosen platform (offscreen, for example) needs no display variable; the handler below
    // still catches one that cannot start.
    if (!tonquill::HasEnv("QT_QPA_PLATFORM") && !tonquill::HasEnv("DISPLAY") &&
        !tonquill::HasEnv("WAYLAND_DISPLAY")) {
        std::cerr << "tonquill: no display to open the window on (DISPLAY and WAYLAND_DISPLAY "
                     "are not set)\ntonquill: tonquill-cli converts without a display\n";
        return 1;
    }
    const QtMessageHandler previousHandler =
        qInstallMessageHandler(tonquill::DisplayFailureHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);

    if (argc == 2 && std::string(argv[1]) == "--options") {
        return tonquill::RunOptions();
    }
    std::vector<std::string> paths;
    bool recursive = false;
    bool onlyPaths = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];  // the bytes as given: file names need not be UTF-8
        if (!onlyPaths && (arg == "-R" || arg == "--recursive")) {
            recursive = true;
        } else if (!onlyPaths && arg == "--") {
            onlyPaths = true;
        } else if (!onlyPaths && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "tonquill: unknown option '" << arg << "'\n" << tonquill::Usage;
            return 2;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) {
        std::cerr << tonquill::Usage;
        return 2;
    }
    return tonquill::Run(paths, recursive);
}
