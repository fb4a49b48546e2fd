#pragma once

#include "convert/ConversionTask.h"
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

// Encoders: read task.EncoderInput and write task.DestPath at the target rate and channels.
// True when the stream ended or the batch stopped; false after a logged error.
bool EncodeWav(PipelineContext& ctx, CConversionTask& task);
bool EncodeMp3(PipelineContext& ctx, CConversionTask& task);
bool EncodeWma(PipelineContext& ctx, CConversionTask& task);
bool EncodeOgg(PipelineContext& ctx, CConversionTask& task);
bool EncodeFlac(PipelineContext& ctx, CConversionTask& task);
bool EncodeOpus(PipelineContext& ctx, CConversionTask& task);

using StageFunction = bool (*)(PipelineContext&, CConversionTask&);

struct CodecEntry {
    int format;
    StageFunction decode;
    StageFunction encode;
};

// The decoder and encoder of each format, keyed by its code; every format of the descriptor
// table (base/AudioFormat.h) has its row.
inline constexpr CodecEntry CodecTable[] = {
    {FormatWav, DecodeWav, EncodeWav},    {FormatMp3, DecodeMp3, EncodeMp3},
    {FormatWma, DecodeWma, EncodeWma},    {FormatOgg, DecodeOgg, EncodeOgg},
    {FormatFlac, DecodeFlac, EncodeFlac}, {FormatOpus, DecodeOpus, EncodeOpus},
};

const CodecEntry* FindCodec(int format);

// The channel and rate stage between DecodedRing and ProcessedRing; it starts the encoder
// thread itself once its chain exists.
bool ProcessorThreadMain(PipelineContext& ctx, CConversionTask& task);

}  // namespace tonquill
