#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/Codecs.h"
#include "convert/PipelineContext.h"

namespace tonquill::test {

// A signal that cannot be mistaken for a shifted copy of itself or of the other channel:
// channel 0 sweeps up from 200 Hz to 4 kHz at 0.6, channel 1 (when present) sweeps down from
// 3 kHz to 300 Hz at 0.3. Full scale is 1.0.
std::vector<double> ChirpSignal(int rate, int channels, double seconds);

// Fixture writers: MP3 (libmp3lame through libsndfile), Ogg Vorbis (libvorbisenc through
// libsndfile) and WMA (our own component, preset 47 unless told).
void WriteMp3(const std::string& path, int rate, int channels, const std::vector<double>& signal);
void WriteOgg(const std::string& path, int rate, int channels, const std::vector<double>& signal);
// FLAC at 24 bits through libsndfile.
void WriteFlac(const std::string& path, int rate, int channels, const std::vector<double>& signal);
// Ogg Opus through libsndfile.
void WriteOpus(const std::string& path, int rate, int channels, const std::vector<double>& signal);
void WriteWma(const std::string& path, int rate, int channels, const std::vector<double>& signal,
              int preset = 47);

// What one decoder call left in DecodedRing.
struct DecodeRun {
    bool result = false;
    bool threw = false;
    bool timedOut = false;
    std::vector<int32_t> samples;  // interleaved, as they entered the ring
};

// Runs decode on its own thread while this thread drains DecodedRing, as the encoder would.
// A decoder that has not ended after the timeout is stopped and reported as timed out.
DecodeRun RunDecoder(PipelineContext& ctx, StageFunction decode, CConversionTask& task,
                     int timeoutMs = 30000);

// How well decoded channel `channel` matches the source once aligned: the lag (in frames) that
// best matches, and the normalised correlation at that lag (1.0 is a perfect match).
struct Match {
    int lag = 0;
    double correlation = 0.0;
};
Match Align(const std::vector<double>& source, const std::vector<int32_t>& decoded, int channels,
            int channel, int maxLag);

}  // namespace tonquill::test
