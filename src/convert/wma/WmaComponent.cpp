#include "convert/wma/WmaComponent.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "base/ConversionObserver.h"
#include "base/Format.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaCodecModule.h"

namespace tonquill {

WmaComponent::WmaComponent() {
    WmaCodecModule().checkSupport();
}

WmaComponent::~WmaComponent() = default;

void WmaComponent::OpenForReading(const std::string& path) {
    Close();
    reader_ = WmaCodecModule().openInput(path);
}

void WmaComponent::Close() {
    reader_.reset();
    if (writer_) {
        // The writer goes even when finishing fails, so the next file starts clean.
        std::unique_ptr<WmaOutput> writer = std::move(writer_);
        writer->Finish();
    }
}

void WmaComponent::CreateForWriting(const std::string& path) {
    Close();
    if (!selected_) {
        throw WmaError("no WMA preset is selected");
    }
    writer_ = WmaCodecModule().createOutput(path, *selected_, formatRate_, formatChannels_);
}

void WmaComponent::WriteSamples(const int16_t* samples, size_t count) {
    if (!writer_) {
        throw WmaError("no WMA output is open");
    }
    writer_->Write(samples, count);
}

std::vector<int16_t> WmaComponent::ReadSamples(int frameCount) {
    if (!reader_) {
        throw WmaError("no WMA input is open");
    }
    return reader_->Read(frameCount, formatRate_, formatChannels_);
}

void WmaComponent::SetFormat(int rate, int channels) {
    if (rate <= 0 || channels <= 0 || channels > WmaMaxPcmChannels) {
        throw WmaError(Format("unsupported PCM format: %d Hz, %d channels", rate, channels));
    }
    formatRate_ = rate;
    formatChannels_ = channels;
}

void WmaComponent::LoadPresets(const std::string& path) {
    std::string error;
    if (!presets_.Load(path, error)) {
        throw WmaError("cannot load WMA presets: " + error);
    }
    // A selection survives a reload only when the new file has that number too.
    selected_ = selected_ ? presets_.Find(selected_->number) : nullptr;
}

int64_t WmaComponent::SampleCount() const {
    if (!reader_) {
        throw WmaError("no WMA input is open");
    }
    return reader_->SampleCount();
}

int32_t WmaComponent::ChannelCount() const {
    if (!reader_) {
        throw WmaError("no WMA input is open");
    }
    return reader_->Channels();
}

int32_t WmaComponent::Duration() const {
    if (!reader_) {
        throw WmaError("no WMA input is open");
    }
    const int64_t ms = reader_->DurationMs();
    return ms > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                    : static_cast<int32_t>(ms);
}

int32_t WmaComponent::SampleRate() const {
    if (!reader_) {
        throw WmaError("no WMA input is open");
    }
    return reader_->Rate();
}

bool WmaComponent::IsOpen() const {
    return reader_ || writer_;
}

void WmaComponent::SelectPreset(int number) {
    const WmaPreset* preset = presets_.Find(number);
    if (!preset) {
        throw WmaError(Format("unknown WMA preset %d", number));
    }
    selected_ = preset;
}

std::string WmaComponent::PresetDescription() const {
    if (!selected_) {
        throw WmaError("no WMA preset is selected");
    }
    return selected_->description;
}

bool CreateWmaComponents(PipelineContext& ctx, ConversionObserver& observer) {
    ctx.WmaReader.reset();
    ctx.WmaWriter.reset();
    bool failed = false;
    for (std::unique_ptr<WmaComponent>* instance : {&ctx.WmaReader, &ctx.WmaWriter}) {
        try {
            *instance = std::make_unique<WmaComponent>();
        } catch (const std::exception&) {
            observer.Message(
                "Error on CreateInstance ActiveX WMAFile2!\nRun \"RepairTool.exe\" to fix it.",
                MessageIcon::Error);
            failed = true;
        }
    }
    if (failed) {
        observer.Message(
            "Error on Initializing ActiveX Controls!\nRun \"RepairTool.exe\" to fix it.",
            MessageIcon::Error);
        ctx.WmaReader.reset();
        ctx.WmaWriter.reset();
    }
    return !failed;
}

void LoadWmaPresetFile(PipelineContext& ctx, const std::string& programFolder,
                       ConversionObserver& observer) {
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    path += WmaPresetFileName;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        observer.Message(Format("Warning: WMA profile file %s not found!", path.c_str()),
                         MessageIcon::Error);
        return;
    }
    if (!ctx.WmaWriter) {
        return;
    }
    try {
        ctx.WmaWriter->LoadPresets(path);
    } catch (const WmaError& error) {
        observer.Message(Format("%s (%s)", error.what(), path.c_str()), MessageIcon::Error);
    }
}

std::string SelectWmaPreset(WmaComponent* writer, int number, ConversionObserver& observer) {
    if (!writer || writer->Presets().Presets().empty()) {
        return "";
    }
    try {
        writer->SelectPreset(number);
        return writer->PresetDescription();
    } catch (const WmaError& error) {
        observer.Message(error.what(), MessageIcon::Error);
        return "";
    }
}

void SetUpWmaPipeline(PipelineContext& ctx, const std::string& programFolder,
                      ConversionObserver& observer) {
    if (!CreateWmaComponents(ctx, observer)) {
        return;
    }
    LoadWmaPresetFile(ctx, programFolder, observer);
    if (WritesWma(ctx.Settings)) {
        SelectWmaPreset(ctx.WmaWriter.get(), ctx.Settings.WMA.Profile, observer);
    }
}

bool WritesWma(const ConversionSettings& settings) {
    return settings.OUTPUT.OutputFormat == FormatWma;
}

bool ReadsThroughWmaComponent(int inputType) {
    return inputType == FormatWma;
}

bool BatchUsesWma(const std::vector<CConversionTask>& tasks, const ConversionSettings& settings) {
    return WritesWma(settings) ||
           std::any_of(tasks.begin(), tasks.end(), [](const CConversionTask& task) {
               return ReadsThroughWmaComponent(task.InputType);
           });
}

}  // namespace tonquill
