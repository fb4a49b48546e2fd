#include "convert/mp3/EncodeMp3.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <vector>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"
#include "convert/mp3/LameConfigRecord.h"
#include "convert/mp3/LameLibrary.h"

namespace tonquill {
namespace {

// Samples at the scale the library's float input expects (16-bit full scale).
constexpr float Mp3Scale = 1.0f / 65536.0f;

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) {
            std::fclose(f);
        }
    }
};

// Posts an error line and stops the batch.

// One open stream of the library with the output file it writes to. Once a write has failed
// the file is not written again, so the failure is reported once.
class Mp3Output {
public:
    Mp3Output(PipelineContext& ctx, const LameLibrary& lame, FILE* file, std::string path,
              lameenc::BeStream stream, uint32_t bufferSize)
        : ctx_(ctx),
          lame_(lame),
          file_(file),
          path_(std::move(path)),
          stream_(stream),
          buffer_(bufferSize) {}

    void EncodePass(const int32_t* samples, uint32_t n, int channels) {
        if (closed_) {
            return;
        }
        uint32_t frames = n;
        if (channels == 1) {
            left_.resize(n);
            for (uint32_t i = 0; i < n; ++i) {
                left_[i] = static_cast<float>(samples[i]) * Mp3Scale;
            }
        } else {
            frames = n / 2;
            left_.resize(frames);
            right_.resize(frames);
            for (uint32_t i = 0; i < frames; ++i) {
                left_[i] = static_cast<float>(samples[2 * i]) * Mp3Scale;
                right_[i] = static_cast<float>(samples[2 * i + 1]) * Mp3Scale;
            }
        }
        uint32_t bytes = 0;
        const lameenc::BeErr err =
            lame_.EncodeChunk(stream_, frames, left_.data(),
                              channels == 1 ? nullptr : right_.data(), buffer_.data(), &bytes);
        if (err != lameenc::BeErrSuccessful) {
            CloseStream();
            ctx_.FailTask(Format("beEncodeChunk() failed (%lu)", err));
            return;
        }
        Write(bytes);
    }

    // Flushes and closes the stream, closes the file and gives the file its information frame.
    void Finish(const std::string& path) {
        bool flushed = false;
        if (!closed_) {
            uint32_t bytes = 0;
            const lameenc::BeErr err = lame_.DeinitStream(stream_, buffer_.data(), &bytes);
            if (err != lameenc::BeErrSuccessful) {
                CloseStream();
                ctx_.FailTask(Format("beExitStream failed (%lu)", err));
            } else {
                flushed = true;
                if (bytes > 0) {
                    Write(bytes);
                }
                CloseStream();
            }
        }
        FILE* file = file_.release();
        errno = 0;
        if (std::fclose(file) != 0 && !writeFailed_) {
            writeFailed_ = true;
            ctx_.PostOutputWriteError(path_, errno);
        }
        // A file cut short by a write error keeps its empty first frame: a frame count that
        // claims audio the file does not hold would be worse. The frame is written by name,
        // which a task left behind no longer owns.
        if (flushed && !writeFailed_ && !ctx_.IsLeftBehind()) {
            if (lame_.WriteInfoTag) {
                lame_.WriteInfoTag(stream_, path.c_str());
            } else {
                lame_.WriteVbrHeader(path.c_str());
            }
        }
    }

private:
    void CloseStream() {
        lame_.CloseStream(stream_);
        closed_ = true;
    }

    void Write(uint32_t bytes) {
        if (writeFailed_) {
            return;
        }
        errno = 0;
        if (std::fwrite(buffer_.data(), 1, bytes, file_.get()) != bytes) {
            writeFailed_ = true;
            ctx_.PostOutputWriteError(path_, errno);
        }
    }

    PipelineContext& ctx_;
    const LameLibrary& lame_;
    std::unique_ptr<FILE, FileCloser> file_;
    std::string path_;
    lameenc::BeStream stream_;
    std::vector<uint8_t> buffer_;
    std::vector<float> left_;
    std::vector<float> right_;
    bool closed_ = false;
    bool writeFailed_ = false;
};

}  // namespace

bool EncodeMp3WithLibrary(PipelineContext& ctx, CConversionTask& task,
                          const std::vector<std::string>& libraryPaths) {
    // Step 1: the library, loaded afresh for every task.
    LameLibrary lame;
    switch (lame.Load(libraryPaths)) {
        case LameLibrary::Status::NotFound:
            ctx.FailTask("Error loading lame_enc.dll");
            ctx.ShowMessage("Error Loading Lame_enc.dll", MessageIcon::Error);
            return false;
        case LameLibrary::Status::MissingEntryPoint:
            ctx.FailTask("Unable to get LAME interfaces");
            ctx.ShowMessage("Unable to Get LAME Interfaces", MessageIcon::Error);
            return false;
        case LameLibrary::Status::Loaded:
            break;
    }

    // Step 2: the configuration record.
    const lameenc::LameConfig config =
        MakeLameConfig(ctx.Settings, task.TargetRate, task.TargetChannels);

    // The library quietly takes the nearest bitrate the output rate allows; say so when that
    // is not the one chosen.
    const int usedKbps = LameEffectiveBitrate(static_cast<int>(config.Bitrate), task.TargetRate);
    if (usedKbps != static_cast<int>(config.Bitrate)) {
        ctx.PostLog(Format("MP3 bitrate %u kbit/s is not possible at %d Hz; encoding at %d "
                           "kbit/s, the nearest bitrate MPEG audio allows at that rate",
                           config.Bitrate, task.TargetRate, usedKbps),
                    LogLevel::Info);
    }

    // Step 3: the output file.
    std::unique_ptr<FILE, FileCloser> file(std::fopen(task.DestPath.c_str(), "w+b"));
    if (!file) {
        ctx.FailTaskOnFile(Format("Error creating file %s", task.DestPath.c_str()), task.DestPath,
                           errno);
        return false;
    }

    // Step 4: the stream. MP3 holds one or two channels; the record has no way to ask for more.
    uint32_t samplesPerChunk = 0;
    uint32_t bufferSize = 0;
    lameenc::BeStream stream = 0;
    lameenc::BeErr err = lameenc::BeErrInvalidFormatParameters;
    if (task.TargetChannels == 1 || task.TargetChannels == 2) {
        err = lame.InitStream(&config, &samplesPerChunk, &bufferSize, &stream, 0, 0, L"", L"", L"",
                              L"", L"", L"", L"", 0, 1, 30, 5, 16000, 2400);
    }
    // A chunk the loop cannot fill in whole frames would never end the stream.
    if (err == lameenc::BeErrSuccessful &&
        (samplesPerChunk == 0 || samplesPerChunk % task.TargetChannels != 0 || bufferSize == 0)) {
        err = lameenc::BeErrInvalidFormatParameters;
    }
    if (err != lameenc::BeErrSuccessful) {
        ctx.FailTask(Format("Error opening encoding stream (%lu)", err));
        if (stream) {
            lame.CloseStream(stream);
        }
        return false;
    }

    // Steps 5 and 6: whole chunks of the library's size while the batch runs.
    Mp3Output output(ctx, lame, file.release(), task.DestPath, stream, bufferSize);
    const int channels = task.TargetChannels;
    RunEncoderLoop(ctx, task, samplesPerChunk, [&](const int32_t* samples, uint32_t n) {
        output.EncodePass(samples, n, channels);
    });

    // Step 7: also after a stop, so a stopped task leaves a shorter, playable file.
    output.Finish(task.DestPath);
    ReportProgress(ctx, task, true);
    return true;
}

bool EncodeMp3(PipelineContext& ctx, CConversionTask& task) {
    return EncodeMp3WithLibrary(ctx, task, DefaultLameLibraryPaths());
}

}  // namespace tonquill
