#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "support/TestSupport.h"

namespace tonquill::test {

// A sine on each channel (440 Hz on the first, 1000 Hz on the second, ...) at 40 % of full
// scale: a lossy codec keeps it well, and swapped channels would not match.
std::vector<int32_t> ToneSignal(size_t frames, int channels, int rate);

struct DecodedAudio {
    int rate = 0;
    int channels = 0;
    std::vector<int32_t> samples;  // interleaved, full 32-bit scale
};

// Decodes an output file of the given format: WAV and Ogg Vorbis with libsndfile, MP3 with
// libmpg123 (gapless, so the information frame decides the length), WMA with the component's
// reader.
DecodedAudio DecodeOutput(int format, const std::string& path);

// The length in frames that libmpg123 reads from an MP3 file's information frame without
// decoding it; -1 when it cannot tell.
int64_t Mp3HeaderLength(const std::string& path);

// The signal-to-noise ratio in dB of got against ref, with got shifted by the lag (in frames,
// searched in 0..maxLag) that matches best. lag receives that lag.
double MatchSnrDb(const std::vector<int32_t>& ref, const std::vector<int32_t>& got, int channels,
                  int maxLag, int* lag);

// A context and a task set up for running one encoder on samples placed in DecodedRing.
class EncoderHarness {
public:
    EncoderHarness(int format, int rate, int channels, const std::string& destPath);

    RecordingObserver observer;
    std::unique_ptr<PipelineContext> ctx;
    CConversionTask task;

    // Puts the samples into the ring (and into the task's estimate); with producing set the
    // decoder still counts as running, so the encoder does not finish until FinishProducing.
    void Feed(const std::vector<int32_t>& samples, bool producing = false);
    // Only puts samples into the ring, as a decoder does while the encoder runs.
    void FeedMore(const std::vector<int32_t>& samples);
    void FinishProducing() { task.DecoderRunning = 0; }
    // Runs the encoder thread body on this thread.
    void RunEncoderThread();
    bool HasLine(const std::string& text) const;
};

}  // namespace tonquill::test
