// The window program until its main window exists: `tonquill [-R] PATH...` probes the files the
// paths name (folders give their audio files of the accepted types) and converts the readable
// ones with the current settings in the progress window.

#include <QApplication>
#include <QMessageBox>
#include <filesystem>
#include <iostream>
#include <vector>

#include "app/ConvProg.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "convert/ProgramFolder.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/FileListEntry.h"
#include "metadata/FileListRow.h"
#include "metadata/FileScan.h"
#include "metadata/MediaProbe.h"
#include "metadata/RowTaskSource.h"
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

// A file-list row of one file, probed as a load probes it; nothing when it cannot be read.
std::unique_ptr<PlainFileListRow> ProbeFile(const std::string& path, MediaProbe& probe) {
    auto row = std::make_unique<PlainFileListRow>();
    const std::filesystem::path fsPath = std::filesystem::absolute(path);
    const std::string name = fsPath.filename().string();
    std::string folder = fsPath.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    row->SetCellText(ColumnName, name);
    row->SetCellText(ColumnPath, folder);
    const std::string extension = UpperExtension(name);
    row->entry.type = static_cast<uint8_t>(TypeByExtension(extension));
    row->SetCellText(ColumnType, extension);
    if (row->entry.type == 0) {
        return nullptr;
    }
    probe.ProbeMediaInfo(*row, fsPath.string());
    if (row->entry.unreadable) {
        return nullptr;
    }
    return row;
}

constexpr const char* Usage =
    "Usage: tonquill [-R] PATH...\n"
    "Converts the audio files the paths name with the current settings, in the progress\n"
    "window. Folders give their files of the accepted types; -R scans their subfolders too.\n";

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
        usesWma = usesWma || UpperExtension(file) == "WMA";
    }
    if (usesWma && CreateWmaComponents(ctx, observer)) {
        LoadWmaPresetFile(ctx, ProgramFolder(), observer);
        try {
            SettingsSummary(ctx.Settings, ctx.WmaWriter.get());
        } catch (const std::exception& error) {
            observer.Message(error.what(), MessageIcon::Error);
        }
    }

    MediaProbe probe(observer, ctx.WmaReader.get());
    std::vector<TaskSource> sources;
    for (const std::string& path : scan.files) {
        if (auto row = ProbeFile(path, probe)) {
            sources.push_back(MakeTaskSource(*row));
        } else {
            std::cerr << "tonquill: skipping '" << path << "': it cannot be read as audio\n";
        }
    }
    if (sources.empty()) {
        observer.Message("There is no audio file to convert.", MessageIcon::Warning);
        return 1;
    }
    ctx.LoadBatch(PrepareBatch(sources, ctx.Settings));

    CConvProg window(ctx);
    window.exec();
    return 0;
}

}  // namespace
}  // namespace tonquill

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> paths;
    bool recursive = false;
    bool onlyPaths = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];  // the bytes as given: file names need not be UTF-8
        if (!onlyPaths && (arg == "-h" || arg == "--help")) {
            std::cout << tonquill::Usage;
            return 0;
        }
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
