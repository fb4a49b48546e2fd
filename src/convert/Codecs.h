#pragma once

#include "convert/ConversionTask.h"
#include "convert/OutputSettings.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// Decoders: read the task's source into DecodedRing at the source's rate and channel count.
// True when the stream was read to its end or the batch stopped; false after a logged error.
bool DecodeWav(PipelineContext& ctx, CConversionTask& task);
bool DecodeMp3(PipelineContext& ctx, CConversionTask& task);
bool DecodeWma(PipelineContext& ctx, CConversionTask& task);
bool DecodeOgg(PipelineContext& ctx, CConversionTask& task);
bool DecodeFlac(PipelineContext& ctx, CConversionTask& task);
bool DecodeOpus(PipelineContext& ctx, CConversionTask& task);
bool DecodeAiff(PipelineContext& ctx, CConversionTask& task);

// Encoders: read task.EncoderInput and write task.DestPath at the target rate and channels.
// True when the stream ended or the batch stopped; false after a logged error.
bool EncodeWav(PipelineContext& ctx, CConversionTask& task);
bool EncodeMp3(PipelineContext& ctx, CConversionTask& task);
bool EncodeWma(PipelineContext& ctx, CConversionTask& task);
bool EncodeOgg(PipelineContext& ctx, CConversionTask& task);
bool EncodeFlac(PipelineContext& ctx, CConversionTask& task);
bool EncodeOpus(PipelineContext& ctx, CConversionTask& task);
bool EncodeAiff(PipelineContext& ctx, CConversionTask& task);

// The output settings of each format that is written, in its folder.
extern const OutputSettings WavOutputSettings;
extern const OutputSettings Mp3OutputSettings;
extern const OutputSettings WmaOutputSettings;
extern const OutputSettings OggOutputSettings;
extern const OutputSettings FlacOutputSettings;
extern const OutputSettings OpusOutputSettings;
extern const OutputSettings AiffOutputSettings;

using StageFunction = bool (*)(PipelineContext&, CConversionTask&);

struct CodecEntry {
    int format;
    StageFunction decode;
    StageFunction encode;
    const OutputSettings* output;
};

// The decoder, encoder and output settings of each format, keyed by its code; every format of the
// descriptor table (base/AudioFormat.h) has its row.
inline constexpr CodecEntry CodecTable[] = {
    {FormatWav, DecodeWav, EncodeWav, &WavOutputSettings},
    {FormatMp3, DecodeMp3, EncodeMp3, &Mp3OutputSettings},
    {FormatWma, DecodeWma, EncodeWma, &WmaOutputSettings},
    {FormatOgg, DecodeOgg, EncodeOgg, &OggOutputSettings},
    {FormatFlac, DecodeFlac, EncodeFlac, &FlacOutputSettings},
    {FormatOpus, DecodeOpus, EncodeOpus, &OpusOutputSettings},
    {FormatAiff, DecodeAiff, EncodeAiff, &AiffOutputSettings},
};

const CodecEntry* FindCodec(int format);

// The channel and rate stage between DecodedRing and ProcessedRing; it starts the encoder
// thread itself once its chain exists.
bool ProcessorThreadMain(PipelineContext& ctx, CConversionTask& task);

}  // namespace tonquill
