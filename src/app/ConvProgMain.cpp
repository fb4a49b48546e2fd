// The window program until its main window exists: `tonquill FILE...` probes the files and
// converts the readable ones with the current settings in the progress window.

#include <QApplication>
#include <QFile>
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

int Run(const QStringList& files) {
    StartUpObserver observer;
    PipelineContext ctx(observer);
    SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
    store.StartUp(ctx.Settings);

    bool usesWma = ctx.Settings.OUTPUT.OutputFormat == FormatWma;
    for (const QString& file : files) {
        usesWma = usesWma || UpperExtension(file.toStdString()) == "WMA";
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
    for (const QString& file : files) {
        const std::string path = QFile::encodeName(file).toStdString();
        if (auto row = ProbeFile(path, probe)) {
            sources.push_back(MakeTaskSource(*row));
        } else {
            std::cerr << "Cannot read " << path << '\n';
        }
    }
    if (sources.empty()) {
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
    QStringList files = QApplication::arguments();
    files.removeFirst();
    if (files.isEmpty()) {
        std::cerr << "Usage: tonquill FILE...\n";
        return 2;
    }
    return tonquill::Run(files);
}
