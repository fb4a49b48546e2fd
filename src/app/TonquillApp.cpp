#include "app/TonquillApp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string>

#include "app/AppIcons.h"
#include "app/MessageBoxObserver.h"
#include "app/Option.h"
#include "app/SingleInstance.h"
#include "app/TonquillDlg.h"
#include "base/ProgramFolder.h"
#include "convert/SettingsSummary.h"
#include "convert/wma/WmaComponent.h"
#include "convert/wma/WmaPresetList.h"
#include "settings/SettingsStore.h"

namespace tonquill {
namespace {

constexpr const char* Usage =
    "Usage: tonquill [PATH...]\n"
    "  or:  tonquill --options\n"
    "  or:  tonquill --help | --version\n"
    "\n"
    "Opens the Tonquill window: a folder tree, the file list with each file's tags and audio\n"
    "facts, and the conversion of the list into one output format. Files and folders given\n"
    "on the command line go into the list as dropped files do; when Tonquill runs already,\n"
    "its window takes them.\n"
    "\n"
    "  -R, --recursive    accepted for older scripts: dropped folders always bring their\n"
    "                     subfolders' files\n"
    "      --options      edit the settings in the options dialog, then save them\n"
    "      --             end of the options (for a file whose name starts with '-')\n"
    "      --help         print this help\n"
    "      --version      print the version\n"
    "\n"
    "Converting without a display: tonquill-cli.\n";

struct Arguments {
    QStringList paths;
    bool options = false;
};

// Returns the exit code for a command line that needs no window, or -1 to go on.
int ParseArguments(int argc, char** argv, Arguments& args) {
    bool onlyPaths = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!onlyPaths && arg == "--") {
            onlyPaths = true;
        } else if (!onlyPaths && (arg == "-h" || arg == "--help")) {
            std::cout << Usage;
            return 0;
        } else if (!onlyPaths && arg == "--version") {
            std::cout << "tonquill " << TONQUILL_VERSION << '\n';
            return 0;
        } else if (!onlyPaths && arg == "--options") {
            args.options = true;
        } else if (!onlyPaths && (arg == "-R" || arg == "--recursive")) {
            // Kept so that older command lines still work.
        } else if (!onlyPaths && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "tonquill: unknown option '" << arg << "'\n" << Usage;
            return 2;
        } else {
            // The bytes as given: file names need not be UTF-8. A later start may run in another
            // folder, so relative paths are made absolute here.
            const QString path = QFile::decodeName(argv[i]);
            args.paths << QFileInfo(path).absoluteFilePath();
        }
    }
    if (args.options && !args.paths.isEmpty()) {
        std::cerr << "tonquill: --options takes no paths\n" << Usage;
        return 2;
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

// The options dialog on the stored settings alone. As the main window does at its close, the
// record is saved whatever the dialog's result; the summary line goes to the terminal.
int RunOptions() {
    MessageBoxObserver observer;
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

int RunWindow(const QStringList& paths) {
    SingleInstance instance(SingleInstance::DefaultSocketPath());
    if (!instance.Claim(paths)) {
        return 0;  // the running window took the paths and came to the front
    }
    CTonquillDlg window;
    if (!window.Initialise(paths.isEmpty())) {
        return 1;
    }
    window.ListenTo(instance);
    window.ShowAsStored();
    window.LoadPaths(paths);
    return QApplication::exec();
}

}  // namespace

int CTonquillApp::Run(int argc, char** argv) {
    Arguments args;
    if (const int code = ParseArguments(argc, argv, args); code >= 0) {
        return code;
    }
    // A chosen platform (offscreen, for example) needs no display variable; the handler below
    // still catches one that cannot start.
    if (!HasEnv("QT_QPA_PLATFORM") && !HasEnv("DISPLAY") && !HasEnv("WAYLAND_DISPLAY")) {
        std::cerr << "tonquill: no display to open the window on (DISPLAY and WAYLAND_DISPLAY "
                     "are not set)\ntonquill: tonquill-cli converts without a display\n";
        return 1;
    }
    const QtMessageHandler previousHandler = qInstallMessageHandler(DisplayFailureHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("Tonquill"));
    QApplication::setDesktopFileName(QStringLiteral("org.tonquill.Tonquill"));
    QApplication::setWindowIcon(AppIcons::ProgramIcon());
    return args.options ? RunOptions() : RunWindow(args.paths);
}

}  // namespace tonquill
