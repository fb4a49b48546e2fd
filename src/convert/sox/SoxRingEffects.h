#pragma once

#include <cstddef>

#include <sox.h>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// What the two ring effects of a chain reach: the pipeline and its task. Each effect carries
// one in its private data, so chains of independent pipelines in one process never meet.
struct SoxRingLink {
    PipelineContext* ctx = nullptr;
    CConversionTask* task = nullptr;
};

// The chain's first effect "input": drains DecodedRing. Multi-channel, drain function only.
const sox_effect_handler_t* InputEffectHandler();
// The chain's last effect "output": fills ProcessedRing. Multi-channel, flow function only.
const sox_effect_handler_t* OutputEffectHandler();

// Creates one of the two effects above bound to link; the caller adds it to a chain and then
// frees the returned record with free(), as for any libsox effect.
sox_effect_t* CreateRingEffect(const sox_effect_handler_t* handler, const SoxRingLink& link);

// The drain of "input": up to *count samples of whole frames of `channels` channels from
// DecodedRing into out, waiting in 1 ms sleeps while the decoder runs and the ring holds less.
// *count becomes the number delivered; SOX_EOF when none are left or the batch stops.
int DrainDecodedRing(const SoxRingLink& link, size_t channels, sox_sample_t* out, size_t* count);

// The flow of "output": writes all *inCount samples into ProcessedRing, waiting in 1 ms sleeps
// for room; it consumes everything and produces nothing (*outCount = 0). SOX_EOF when the batch
// stops first.
int FillProcessedRing(const SoxRingLink& link, const sox_sample_t* in, size_t* inCount,
                      size_t* outCount);

}  // namespace tonquill
