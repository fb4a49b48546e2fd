#include "convert/ConversionTask.h"

#include <filesystem>
#include <system_error>

#include "base/CreateFolderPath.h"
#include "base/Format.h"
#include "convert/OutputNamePattern.h"
#include "convert/OutputSettings.h"
#include "tags/ExtraTags.h"

namespace tonquill {

CConversionTask::CConversionTask(const CConversionTask& other) {
    *this = other;
}

CConversionTask& CConversionTask::operator=(const CConversionTask& other) {
    if (this == &other) {
        return *this;
    }
    SourcePath = other.SourcePath;
    InputType = other.InputType;
    SourceRate = other.SourceRate;
    SourceChannels = other.SourceChannels;
    SourceTagKinds = other.SourceTagKinds;
    TagKindsWritten = other.TagKindsWritten;
    DestPath = other.DestPath;
    OutputType = other.OutputType;
    TargetRate = other.TargetRate;
    TargetChannels = other.TargetChannels;
    EstimatedSamples = other.EstimatedSamples;
    SourceSamples = other.SourceSamples;
    SampleRatio = other.SampleRatio;
    NeedsProcessing = other.NeedsProcessing;
    DecoderRunning.store(other.DecoderRunning.load());
    EncoderRunning.store(other.EncoderRunning.load());
    ProcessorRunning.store(other.ProcessorRunning.load());
    EncoderInput = other.EncoderInput;
    DecoderScratch = other.DecoderScratch;
    Tags = other.Tags;
    return *this;
}

std::string OutputPathOf(const TaskSource& source, const ConversionSettings& settings) {
    const auto& output = settings.OUTPUT;
    // The output folder is the folder it names, with or without its final '/'.
    std::string folder = output.SameAsSrc ? source.folder : output.DesDir;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    // Keeping the folders: library/a/b/song.wav found under library/ goes to DesDir/a/b/.
    if (!output.SameAsSrc && output.KeepFolders && !source.baseFolder.empty() &&
        source.folder.size() > source.baseFolder.size() &&
        source.folder.compare(0, source.baseFolder.size(), source.baseFolder) == 0) {
        folder += source.folder.substr(source.baseFolder.size());
    }
    // song.wav becomes song.mp3: the name up to its last dot, then the output's extension.
    const size_t dot = source.fileName.rfind('.');
    const std::string stem =
        dot == std::string::npos ? source.fileName : source.fileName.substr(0, dot);
    std::string name = stem;
    if (!output.NamePattern.empty()) {
        // The disc number is no column of the list: it is read from the file, and only when the
        // pattern asks for it.
        std::string disc;
        if (output.NamePattern.find("disc") != std::string::npos) {
            std::vector<std::string> notes;
            disc =
                ReadExtraTags(source.folder + source.fileName, source.inputType, notes).discNumber;
        }
        name = OutputNamePattern(output.NamePattern).Expand(source.tags, stem, disc);
    }
    return folder + name + "." + OutputExtension(output.OutputFormat);
}

CConversionTask PrepareTask(const TaskSource& source, const ConversionSettings& settings) {
    CConversionTask task;
    task.SourcePath = source.folder + source.fileName;

    task.DestPath = OutputPathOf(source, settings);

    task.InputType = source.inputType;
    task.SourceRate = source.sourceRate;
    task.SourceChannels = source.sourceChannels;
    task.SourceTagKinds = source.tagKinds;
    task.SourceSamples = source.totalSamples;
    task.OutputType = settings.OUTPUT.OutputFormat;

    if (const OutputSettings* output = FindOutputSettings(task.OutputType)) {
        const OutputShape shape = output->shape(settings, source.sourceRate, source.sourceChannels);
        task.TargetRate = shape.rate;
        task.TargetChannels = shape.channels;
    } else {
        // An unknown output format fails in the pipeline with its own message; the estimate
        // keeps the source's shape meanwhile.
        task.TargetRate = source.sourceRate;
        task.TargetChannels = source.sourceChannels;
    }

    const double sourceScale = static_cast<double>(source.sourceRate) * source.sourceChannels;
    task.SampleRatio =
        sourceScale > 0 ? static_cast<double>(task.TargetRate) * task.TargetChannels / sourceScale
                        : 0.0;
    uint64_t estimated =
        static_cast<uint64_t>(static_cast<double>(source.totalSamples) * task.SampleRatio);
    if (task.TargetChannels > 0) {
        estimated -= estimated % static_cast<uint64_t>(task.TargetChannels);
    }
    task.EstimatedSamples = estimated;
    task.NeedsProcessing =
        task.TargetRate != task.SourceRate || task.TargetChannels != task.SourceChannels;
    task.Tags = source.tags;
    return task;
}

PreparedBatch PrepareBatch(const std::vector<TaskSource>& sources,
                           const ConversionSettings& settings) {
    std::error_code ec;
    if (!settings.OUTPUT.SameAsSrc && !std::filesystem::exists(settings.OUTPUT.DesDir, ec)) {
        CreateFolderPath(settings.OUTPUT.DesDir);
    }
    PreparedBatch batch;
    for (const auto& source : sources) {
        batch.tasks.push_back(PrepareTask(source, settings));
        batch.overallSamplesTotal += batch.tasks.back().EstimatedSamples;
    }
    return batch;
}

std::string LeftOutLine(const LeftOutSource& source) {
    const std::string as =
        source.typeName.empty() ? std::string("audio") : source.typeName + " audio";
    if (source.reason.empty()) {
        return Format("%s cannot be read as %s; it is left out.", source.path.c_str(), as.c_str());
    }
    return Format("%s cannot be read as %s: %s; it is left out.", source.path.c_str(), as.c_str(),
                  source.reason.c_str());
}

}  // namespace tonquill
