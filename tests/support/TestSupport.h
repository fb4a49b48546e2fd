#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/ConversionObserver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Records everything the core reports, for tests to compare.
class RecordingObserver : public ConversionObserver {
public:
    struct Line {
        std::string text;
        LogLevel level;
    };
    void Log(const std::string& text, LogLevel level) override;
    void Progress(float taskPercent, float overallPercent, bool synchronous) override;
    void BatchStarted() override;
    void Done() override;
    void Stopped() override;
    void Caption(const std::string& text) override;
    void Paths(const std::string& source, const std::string& destination) override;
    void Message(const std::string& text, MessageIcon icon) override;

    std::vector<Line> lines() const;
    std::vector<std::string> texts() const;
    std::vector<std::string> errorTexts() const;
    std::vector<std::string> captions() const;
    std::vector<std::string> messages() const;
    int doneCount() const;
    int stoppedCount() const;
    int batchStartedCount() const;
    std::vector<std::pair<float, float>> syncProgress() const;

private:
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
    std::vector<std::string> captions_;
    std::vector<std::string> messages_;
    std::vector<std::pair<float, float>> syncProgress_;
    int done_ = 0;
    int stopped_ = 0;
    int started_ = 0;
};

// Writes a WAV (or other libsndfile format) with the given interleaved 32-bit samples.
// format is a libsndfile format word, e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_16.
void WriteSoundFile(const std::string& path, int format, int rate, int channels,
                    const std::vector<int32_t>& samples);
// Doubles are taken unnormalised (as integer sample values, unclipped) unless fullScaleIsOne,
// libsndfile's default, which its MPEG and Vorbis encoders need.
void WriteSoundFileDouble(const std::string& path, int format, int rate, int channels,
                          const std::vector<double>& samples, bool fullScaleIsOne = false);

struct SoundFile {
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<int32_t> samples;  // interleaved, full 32-bit scale
};
SoundFile ReadSoundFile(const std::string& path);

// Deterministic noise-like test signal of frames x channels samples, 16-bit values in the top
// half (so a 16-bit file holds it exactly).
std::vector<int32_t> TestSignal16(size_t frames, int channels, uint32_t seed = 1);

// The batch-preparation row of a source file at path (folder and name split at the last '/').
TaskSource SourceRow(const std::string& path, int format, int rate, int channels, uint64_t frames);

// Loads a prepared batch into ctx and runs it to its end on this thread, as the window does.
void RunPreparedBatch(PipelineContext& ctx, const PreparedBatch& batch);

// Polls pred every millisecond until it holds or the timeout passes; returns pred's last value.
bool WaitUntil(const std::function<bool()>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace tonquill::test
