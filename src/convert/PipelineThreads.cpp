#include "convert/PipelineThreads.h"

#include <cerrno>
#include <cstring>
#include <exception>

#include <fcntl.h>
#include <unistd.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/DecodedLength.h"
#include "convert/OutputTagStep.h"

namespace tonquill {

const CodecEntry* FindCodec(int format) {
    for (const auto& entry : CodecTable) {
        if (entry.format == format) {
            return &entry;
        }
    }
    return nullptr;
}

bool CheckSourceReadable(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

void EncoderThreadMain(PipelineContext& ctx, CConversionTask& task) {
    task.EncoderRunning = 1;
    try {
        if (const CodecEntry* codec = FindCodec(task.OutputType)) {
            // An encoder reports its failure through FailTask, which stops the task; one that
            // returns false and forgot to still fails it, never leaving it to look converted.
            if (!codec->encode(ctx, task) && ctx.IsRunning()) {
                ctx.FailTask(
                    Format("The encoder gave up on %s without saying why.", task.DestPath.c_str()));
            }
        } else {
            ctx.FailTask(Format("Unsupported output format %d", task.OutputType));
        }
        // Tags follow whatever the encoder returned; WAV outputs carry none. A task left behind
        // is no longer this thread's: its output name may belong to another file by now.
        if (FormatHoldsTags(task.OutputType) && !ctx.IsLeftBehind()) {
            WriteOutputTags(ctx, task);
        }
    } catch (const std::exception& error) {
        ctx.FailTask(
            Format("An error occurred while encoding %s: %s", task.DestPath.c_str(), error.what()));
    } catch (...) {
        ctx.FailTask(Format("An error occurred while encoding %s", task.DestPath.c_str()));
    }
    task.EncoderRunning = 0;
}

void StartEncoderThread(PipelineContext& ctx, CConversionTask& task) {
    ctx.EncoderThread.Start([&ctx, &task] { EncoderThreadMain(ctx, task); });
}

bool DecodeTask(PipelineContext& ctx, CConversionTask& task) {
    ctx.CurrentTask = &task;
    task.DecoderRunning = 1;

    if (!CheckSourceReadable(task.SourcePath)) {
        ctx.PostLog(Format("File Error: %s (%s)", std::strerror(errno), task.SourcePath.c_str()),
                    LogLevel::Error);
        task.DecoderRunning = 0;
        return false;
    }
    // A row whose facts are nonsense (a hostile or changed file) must not reach the stages,
    // whose block sizes follow the channel count.
    if (task.SourceChannels < 1 || task.SourceChannels > 255 || task.SourceRate <= 0 ||
        task.TargetChannels < 1 || task.TargetChannels > 255 || task.TargetRate <= 0) {
        ctx.PostLog(Format("Unsupported audio format: %d channels at %d Hz", task.SourceChannels,
                           task.SourceRate),
                    LogLevel::Error);
        task.DecoderRunning = 0;
        return false;
    }

    // Opening the source may have blocked (a named pipe, a hung network share) until the batch
    // stopped or left the task behind: then no stage may open the output by its name.
    if (!ctx.IsRunning()) {
        task.DecoderRunning = 0;
        return false;
    }
    if (task.NeedsProcessing) {
        task.EncoderInput = &ctx.ProcessedRing;
        ctx.ProcessorThread.Start([&ctx, &task] { ProcessorThreadMain(ctx, task); });
    } else {
        task.EncoderInput = &ctx.DecodedRing;
        StartEncoderThread(ctx, task);
    }

    bool result = false;
    try {
        if (const CodecEntry* codec = FindCodec(task.InputType)) {
            result = codec->decode(ctx, task);
        } else {
            ctx.FailTask(Format("Unsupported source format %d", task.InputType));
        }
    } catch (const std::exception& error) {
        ctx.FailTask(Format("An error occurred while decoding %s: %s", task.SourcePath.c_str(),
                            error.what()));
        result = false;
    } catch (...) {
        ctx.FailTask(Format("An error occurred while decoding %s", task.SourcePath.c_str()));
        result = false;
    }
    // The decoder wrote the ring on this thread, so its count is complete here.
    if (result && ctx.IsRunning()) {
        ReportShortStream(ctx, task, ctx.DecodedRing.TotalWritten());
    }
    task.DecoderRunning = 0;
    return result;
}

}  // namespace tonquill
