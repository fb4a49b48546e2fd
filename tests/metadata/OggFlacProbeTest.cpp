// FLAC in Ogg as a writer that cannot seek back leaves it (ffmpeg writes .oga files so): the
// stream information's length, frame sizes and MD5 signature are 0, and only the last page's
// granule position tells the length.

#include <FLAC/stream_encoder.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "convert/BatchDriver.h"
#include "convert/PipelineContext.h"
#include "metadata/MediaProbe.h"
#include "metadata/OggContent.h"
#include "metadata/RowTaskSource.h"
#include "support/TestSupport.h"

namespace tonquill::test {
namespace {

FLAC__StreamEncoderWriteStatus WriteToFile(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                           size_t bytes, uint32_t, uint32_t, void* data) {
    return std::fwrite(buffer, 1, bytes, static_cast<FILE*>(data)) == bytes
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

// Mono 16-bit FLAC in Ogg through libFLAC's stream encoder given no seek callback, so it cannot
// go back to fill in the stream information.
void WriteUnseekableOggFlac(const std::string& path, int rate, size_t frames) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(encoder, 1);
    FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
    FLAC__stream_encoder_set_sample_rate(encoder, static_cast<uint32_t>(rate));
    ASSERT_EQ(FLAC__stream_encoder_init_ogg_stream(encoder, nullptr, WriteToFile, nullptr, nullptr,
                                                   nullptr, file),
              FLAC__STREAM_ENCODER_INIT_STATUS_OK);
    const std::vector<int32_t> wide = TestSignal16(frames, 1);
    std::vector<FLAC__int32> samples(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        samples[i] = wide[i] >> 16;
    }
    ASSERT_TRUE(FLAC__stream_encoder_process_interleaved(encoder, samples.data(),
                                                         static_cast<uint32_t>(frames)));
    FLAC__stream_encoder_finish(encoder);
    FLAC__stream_encoder_delete(encoder);
    std::fclose(file);
}

TEST(OggFlacProbeTest, StreamWithoutItsLengthIsListedAndConverts) {
    TempDir dir;
    std::filesystem::create_directories(dir / "in");
    const std::string path = dir / "in/unseekable.oga";
    WriteUnseekableOggFlac(path, 8000, 8000);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_EQ(OggContentFormat(path), FormatFlac);

    RecordingObserver probeObserver;
    MediaProbe probe(probeObserver, nullptr);
    PlainFileListRow row;
    row.SetCellText(ColumnName, "unseekable.oga");
    row.SetCellText(ColumnPath, dir / "in/");
    row.entry.type = static_cast<uint8_t>(TypeOfFile(path));
    probe.ProbeMediaInfo(row, path);
    probe.ProbeBitrate(row, path);
    ASSERT_EQ(row.entry.unreadable, 0);
    EXPECT_EQ(row.entry.sampleRate, 8000);
    EXPECT_EQ(row.entry.totalSamples, 8000u);

    RecordingObserver observer;
    PipelineContext ctx(observer);
    ctx.StartDelayMs = 0;
    ConversionSettings& s = ctx.Settings;
    s.OUTPUT.OutputFormat = FormatWav;
    s.OUTPUT.SameAsSrc = 0;
    s.OUTPUT.DesDir = dir / "out/";
    const PreparedBatch batch = PrepareBatch({MakeTaskSource(row)}, s);
    RunPreparedBatch(ctx, batch);
    EXPECT_TRUE(observer.errorTexts().empty());
    const SoundFile output = ReadSoundFile(batch.tasks.front().DestPath);
    EXPECT_EQ(output.samples.size(), 8000u);
}

}  // namespace
}  // namespace tonquill::test
