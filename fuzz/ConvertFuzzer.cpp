// A real conversion of one source type (TONQUILL_FUZZ_FORMAT) to WAV: the input becomes a file
// with that type's extension, is probed as a load probes it and, when the row is readable, runs
// through the batch driver (decoder, rate and channel stage, WAV encoder, tag copy) exactly as
// the window's batch runs it. The source is never changed, and a task that reports success
// leaves a WAV file of the target rate and channel count.
//
// Built with TONQUILL_FUZZ_OUTPUT instead, the output is that tagged format and the source type
// is chosen by the input's first byte (the rest is the file): the tag step then reads the
// source's own tags and cover and writes them into the output, which a WAV output never does.

#include <sndfile.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "FuzzSupport.h"
#include "base/ProgramFolder.h"
#include "convert/BatchDriver.h"
#include "convert/PipelineContext.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/MediaProbe.h"
#include "metadata/RowTaskSource.h"
#include "settings/ConversionSettings.h"
#include "support/TestSupport.h"

namespace {

using namespace tonquill;

struct Converter {
    Converter() {
        ctx.StartDelayMs = 0;
        FUZZ_CHECK(CreateWmaComponents(ctx, observer));
        LoadWmaPresetFile(ctx, ProgramFolder(), observer);
    }

    NullObserver observer;
    PipelineContext ctx{observer};
    std::unique_ptr<WmaComponent> wmaProbeReader = std::make_unique<WmaComponent>();
    MediaProbe probe{observer, wmaProbeReader.get()};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Converter converter;
#ifdef TONQUILL_FUZZ_OUTPUT
    if (size == 0) {
        return 0;
    }
    constexpr std::array<int, 7> SourceFormats{FormatWav,  FormatMp3,  FormatOgg, FormatWma,
                                               FormatFlac, FormatOpus, FormatAiff};
    const int format = SourceFormats[data[0] % SourceFormats.size()];
    const int outputFormat = TONQUILL_FUZZ_OUTPUT;
    ++data;
    --size;
#else
    const int format = TONQUILL_FUZZ_FORMAT;
    const int outputFormat = FormatWav;
#endif
    const std::string folder = fuzz::FreshFolder("in");
    const std::string name = "input." + OutputExtension(format);
    const std::string path = fuzz::WriteInput("in/" + name, data, size);

    // Step 1: the row, as a load makes it.
    PlainFileListRow row;
    row.SetCellText(ColumnName, name);
    row.SetCellText(ColumnPath, folder);
    row.entry.type = static_cast<uint8_t>(TypeByExtension(UpperExtension(name)));
    converter.probe.ProbeMediaInfo(row, path);
    converter.probe.ProbeBitrate(row, path);
    if (row.entry.unreadable) {
        return 0;  // a load leaves such a row out of every batch
    }

    // Step 2: the batch of that one row, converted in a folder of its own.
    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = static_cast<int16_t>(outputFormat);
    settings.OUTPUT.DesDir = fuzz::FreshFolder("out");
    PipelineContext& ctx = converter.ctx;
    ctx.Settings = settings;
    ctx.LoadBatch(PrepareBatch({MakeTaskSource(row)}, settings));
    ctx.ResetForBatch();
    ctx.Running = 1;
    ctx.TaskIndex = 0;
    const TaskOutcome outcome = RunBatchTask(ctx);
    const CConversionTask& task = ctx.Tasks.front();

    // Step 3: what it left behind.
    FUZZ_CHECK(outcome != TaskOutcome::FolderFailed);
    FUZZ_CHECK(fuzz::FileHolds(path, data, size));
    if (outcome == TaskOutcome::Converted && outputFormat != FormatWav) {
        FUZZ_CHECK(fuzz::FileSize(task.DestPath) > 0);
    } else if (outcome == TaskOutcome::Converted) {
        const test::SoundFile output = test::ReadSoundFile(task.DestPath);
        FUZZ_CHECK(output.rate == task.TargetRate);
        FUZZ_CHECK(output.channels == task.TargetChannels);
    }
    return 0;
}
