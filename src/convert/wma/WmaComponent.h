#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "convert/ConversionTask.h"
#include "convert/wma/WmaPresetList.h"

namespace tonquill {

class ConversionObserver;
class PipelineContext;
class WmaInput;
class WmaOutput;

// Every failing operation of the component throws this; the calling stage turns it into its
// own error line.
class WmaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads and writes WMA files. Reading decodes any WMA variant in an ASF file to interleaved
// 16-bit samples at the set format; writing encodes ASF/WMA (wmav2) with the selected preset,
// resampling to the preset's rate and channels. One instance serves one thread at a time; the
// program keeps a reader and a writer.
class WmaComponent {
public:
    // Throws WmaError when the component's module (wma_component.so beside the program) cannot be
    // loaded, or when the FFmpeg it uses lacks the ASF container or the WMA codecs. The module is
    // loaded once per process, by the first instance.
    WmaComponent();
    ~WmaComponent();
    WmaComponent(const WmaComponent&) = delete;
    WmaComponent& operator=(const WmaComponent&) = delete;

    // The operations, in the order of the component's interface.

    // Makes path the input. Closes whatever was open first.
    void OpenForReading(const std::string& path);
    // Finishes and closes the current input or output; nothing open is not an error.
    void Close();
    // Makes path the output, encoded with the selected preset. Closes whatever was open first.
    void CreateForWriting(const std::string& path);
    // Encodes count interleaved 16-bit samples at the set format (count is a multiple of the
    // channel count).
    void WriteSamples(const int16_t* samples, size_t count);
    // Up to frameCount frames of interleaved 16-bit samples at the set format; empty at the end.
    std::vector<int16_t> ReadSamples(int frameCount);
    // The PCM format of later reads and writes.
    void SetFormat(int rate, int channels);
    // Loads a preset file (see Tonquill.prx); replaces the presets known so far.
    void LoadPresets(const std::string& path);
    // Facts of the open input. The sample count is per channel; 0 when unknown.
    int64_t SampleCount() const;
    int32_t ChannelCount() const;
    int32_t Duration() const;  // milliseconds
    int32_t SampleRate() const;
    bool IsOpen() const;
    // Later outputs use preset number; throws when no loaded preset has that number.
    void SelectPreset(int number);
    // The text of the selected preset.
    std::string PresetDescription() const;

    // The preset later outputs use, or null before one is selected.
    const WmaPreset* SelectedPreset() const { return selected_; }
    // The presets loaded so far; empty before a preset file was loaded.
    const WmaPresetList& Presets() const { return presets_; }

private:
    int formatRate_ = 44100;
    int formatChannels_ = 2;
    WmaPresetList presets_;
    const WmaPreset* selected_ = nullptr;
    std::unique_ptr<WmaInput> reader_;
    std::unique_ptr<WmaOutput> writer_;
};

// The preset file beside the program.
inline constexpr const char* WmaPresetFileName = "Tonquill.prx";

// Start-up of the two instances of a pipeline: creates ctx.WmaReader and ctx.WmaWriter. When an
// instance cannot be created, shows the two messages of a missing component through observer
// and returns false (the program then ends).
bool CreateWmaComponents(PipelineContext& ctx, ConversionObserver& observer);

// Loads programFolder + Tonquill.prx into ctx.WmaWriter; a missing or malformed file shows its
// warning or reason through observer and the program goes on (WMA outputs then fail with their
// error line).
void LoadWmaPresetFile(PipelineContext& ctx, const std::string& programFolder,
                       ConversionObserver& observer);

// The step both front ends take before a batch that writes WMA: selects preset number in writer,
// which is how the batch's WMA outputs learn their preset, and returns its description for the
// summary line. When the loaded presets lack that number, shows the component's reason through
// observer and returns "" (WMA outputs then fail with their error line); when no preset file was
// loaded, or there is no writer, the start-up has already said why and it returns "" quietly.
std::string SelectWmaPreset(WmaComponent* writer, int number, ConversionObserver& observer);

// Everything a pipeline of a batch that reads or writes WMA needs: its own reader and writer,
// the preset file of programFolder, and (when the batch writes WMA) the preset the settings in
// ctx name, each problem told through observer as at start-up.
void SetUpWmaPipeline(PipelineContext& ctx, const std::string& programFolder,
                      ConversionObserver& observer);

// Whether the settings write WMA, which only the component does.
bool WritesWma(const ConversionSettings& settings);
// Whether a source of this format code is read through the component.
bool ReadsThroughWmaComponent(int inputType);

// Whether the pipelines of a batch need that: it writes WMA or reads a WMA source.
bool BatchUsesWma(const std::vector<CConversionTask>& tasks, const ConversionSettings& settings);

}  // namespace tonquill
