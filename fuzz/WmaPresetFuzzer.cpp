// The WMA preset file: the input is Tonquill.prx. A file the loader takes gives presets that
// either encode, resampled to the preset's rate and channel count, or fail with the component's
// own error; a file it refuses leaves the presets known before.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzSupport.h"
#include "convert/wma/WmaComponent.h"

namespace {

using namespace tonquill;

constexpr int SourceRate = 44100;
constexpr int SourceChannels = 2;
// A few presets of each input are encoded; every one would make each run slow.
constexpr size_t PresetsTried = 3;

std::vector<int16_t> Signal() {
    std::vector<int16_t> samples(SourceRate / 20 * SourceChannels);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>((i * 7919) % 20000 - 10000);
    }
    return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<int16_t> signal = Signal();
    const std::string path = fuzz::WriteInput("Tonquill.prx", data, size);

    // Step 1: the component loads the file, or refuses it as a whole.
    WmaComponent writer;
    try {
        writer.LoadPresets(path);
    } catch (const WmaError&) {
        return 0;
    }
    WmaPresetList presets;
    std::string error;
    FUZZ_CHECK(presets.Load(path, error));

    // Step 2: the first presets, each selected and used for a short output.
    const std::string output = (fuzz::WorkFolder() / "output.wma").string();
    for (size_t i = 0; i < std::min(PresetsTried, presets.Presets().size()); ++i) {
        writer.SelectPreset(presets.Presets()[i].number);
        const WmaPreset* preset = writer.SelectedPreset();
        FUZZ_CHECK(preset != nullptr && preset->number == presets.Presets()[i].number);
        FUZZ_CHECK(writer.PresetDescription() == preset->description);
        std::filesystem::remove(output);
        writer.SetFormat(SourceRate, SourceChannels);
        try {
            writer.CreateForWriting(output);
            writer.WriteSamples(signal.data(), signal.size());
            writer.Close();
        } catch (const WmaError&) {
            writer.Close();
            continue;
        }
        // What the component wrote, it reads back at the preset's rate and channel count.
        WmaComponent reader;
        reader.OpenForReading(output);
        FUZZ_CHECK(reader.SampleRate() == preset->rate);
        FUZZ_CHECK(reader.ChannelCount() == preset->channels);
    }
    return 0;
}
