#include "support/TestSupport.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

#include <sndfile.h>

#include "convert/BatchDriver.h"

namespace tonquill::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tonquill-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests make folders read-only to provoke failures; give the rights back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void RecordingObserver::Log(const std::string& text, LogLevel level) {
    std::lock_guard lock(mutex_);
    lines_.push_back({text, level});
}
void RecordingObserver::Progress(float taskPercent, float overallPercent, bool synchronous) {
    if (synchronous) {
        std::lock_guard lock(mutex_);
        syncProgress_.emplace_back(taskPercent, overallPercent);
    }
}
void RecordingObserver::BatchStarted() {
    std::lock_guard lock(mutex_);
    ++started_;
}
void RecordingObserver::Done() {
    std::lock_guard lock(mutex_);
    ++done_;
}
void RecordingObserver::Stopped() {
    std::lock_guard lock(mutex_);
    ++stopped_;
}
void RecordingObserver::Caption(const std::string& text) {
    std::lock_guard lock(mutex_);
    captions_.push_back(text);
}
void RecordingObserver::Paths(const std::string&, const std::string&) {}
void RecordingObserver::Message(const std::string& text, MessageIcon) {
    std::lock_guard lock(mutex_);
    messages_.push_back(text);
}
std::vector<RecordingObserver::Line> RecordingObserver::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}
std::vector<std::string> RecordingObserver::texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& l : lines_) {
        out.push_back(l.text);
    }
    return out;
}
std::vector<std::string> RecordingObserver::errorTexts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& l : lines_) {
        if (l.level == LogLevel::Error) {
            out.push_back(l.text);
        }
    }
    return out;
}
std::vector<std::string> RecordingObserver::captions() const {
    std::lock_guard lock(mutex_);
    return captions_;
}
std::vector<std::string> RecordingObserver::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}
int RecordingObserver::doneCount() const {
    std::lock_guard lock(mutex_);
    return done_;
}
int RecordingObserver::stoppedCount() const {
    std::lock_guard lock(mutex_);
    return stopped_;
}
int RecordingObserver::batchStartedCount() const {
    std::lock_guard lock(mutex_);
    return started_;
}
std::vector<std::pair<float, float>> RecordingObserver::syncProgress() const {
    std::lock_guard lock(mutex_);
    return syncProgress_;
}

namespace {

// Opens a sound file for writing, throwing when libsndfile refuses.
SNDFILE* OpenForWriting(const std::string& path, int format, int rate, int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) {
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    }
    return f;
}

}  // namespace

void WriteSoundFile(const std::string& path, int format, int rate, int channels,
                    const std::vector<int32_t>& samples) {
    SNDFILE* f = OpenForWriting(path, format, rate, channels);
    sf_write_int(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
}

void WriteSoundFileDouble(const std::string& path, int format, int rate, int channels,
                          const std::vector<double>& samples, bool fullScaleIsOne) {
    SNDFILE* f = OpenForWriting(path, format, rate, channels);
    if (!fullScaleIsOne) {
        // Values beyond full scale must reach the file unclipped.
        sf_command(f, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
    }
    sf_write_double(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
}

SoundFile ReadSoundFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) {
        throw std::runtime_error("cannot read " + path + ": " + sf_strerror(nullptr));
    }
    SoundFile out;
    out.rate = info.samplerate;
    out.channels = info.channels;
    out.format = info.format;
    out.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_int(f, out.samples.data(), info.frames);
    sf_close(f);
    return out;
}

std::vector<int32_t> TestSignal16(size_t frames, int channels, uint32_t seed) {
    std::vector<int32_t> out(frames * static_cast<size_t>(channels));
    uint32_t state = seed * 2654435761u + 1;
    for (auto& s : out) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<int32_t>(static_cast<int16_t>(state >> 16)) * 65536;
    }
    return out;
}

TaskSource SourceRow(const std::string& path, int format, int rate, int channels, uint64_t frames) {
    TaskSource row;
    const size_t slash = path.rfind('/');
    row.folder = path.substr(0, slash + 1);
    row.fileName = path.substr(slash + 1);
    row.inputType = format;
    row.sourceRate = rate;
    row.sourceChannels = channels;
    row.totalSamples = frames * static_cast<uint64_t>(channels);
    return row;
}

void RunPreparedBatch(PipelineContext& ctx, const PreparedBatch& batch) {
    ctx.LoadBatch(batch);
    ctx.ResetForBatch();
    ctx.Running = 1;
    RunBatch(ctx);
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return pred();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tonquill::test
