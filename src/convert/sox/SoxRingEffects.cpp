#include "convert/sox/SoxRingEffects.h"

#include "convert/sox/SoxLibrary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "base/Tick.h"

namespace tonquill {
namespace {

static_assert(std::is_same_v<sox_sample_t, int>, "libsox samples must be the rings' samples");

const SoxRingLink& LinkOf(const sox_effect_t* effect) {
    return *static_cast<const SoxRingLink*>(effect->priv);
}

int InputDrain(sox_effect_t* effect, sox_sample_t* out, size_t* count) {
    return DrainDecodedRing(LinkOf(effect), effect->out_signal.channels, out, count);
}

int OutputFlow(sox_effect_t* effect, const sox_sample_t* in, sox_sample_t*, size_t* inCount,
               size_t* outCount) {
    return FillProcessedRing(LinkOf(effect), in, inCount, outCount);
}

sox_effect_handler_t MakeHandler(const char* name) {
    sox_effect_handler_t handler{};
    handler.name = name;
    handler.usage = nullptr;
    handler.flags = SOX_EFF_MCHAN;
    handler.priv_size = sizeof(SoxRingLink);
    return handler;
}

}  // namespace

const sox_effect_handler_t* InputEffectHandler() {
    static const sox_effect_handler_t handler = [] {
        sox_effect_handler_t h = MakeHandler("input");
        h.drain = InputDrain;
        return h;
    }();
    return &handler;
}

const sox_effect_handler_t* OutputEffectHandler() {
    static const sox_effect_handler_t handler = [] {
        sox_effect_handler_t h = MakeHandler("output");
        h.flow = OutputFlow;
        return h;
    }();
    return &handler;
}

sox_effect_t* CreateRingEffect(const sox_effect_handler_t* handler, const SoxRingLink& link) {
    sox_effect_t* effect = Sox().create_effect(handler);
    if (effect) {
        std::memcpy(effect->priv, &link, sizeof(link));
    }
    return effect;
}

int DrainDecodedRing(const SoxRingLink& link, size_t channels, sox_sample_t* out, size_t* count) {
    PipelineContext& ctx = *link.ctx;
    SampleRing& ring = ctx.DecodedRing;
    channels = std::max<size_t>(channels, 1);
    // libsox wants whole frames from a multi-channel effect.
    size_t wanted = std::min<size_t>(*count, ring.Capacity());
    wanted -= wanted % channels;
    const auto want = static_cast<uint32_t>(wanted);

    while (ctx.IsRunning()) {
        // The decoder's flag is read before the ring, so once it is seen down the ring already
        // holds everything the decoder wrote.
        const bool producing = link.task->DecoderRunning.load() != 0;
        const uint32_t available = ring.Available();
        if (available >= want || !producing) {
            uint32_t n = std::min(want, available);
            n -= n % static_cast<uint32_t>(channels);
            n = ring.Read(out, n);
            *count = n;
            return n > 0 ? SOX_SUCCESS : SOX_EOF;
        }
        SleepMs(1);
    }
    *count = 0;
    return SOX_EOF;
}

int FillProcessedRing(const SoxRingLink& link, const sox_sample_t* in, size_t* inCount,
                      size_t* outCount) {
    PipelineContext& ctx = *link.ctx;
    SampleRing& ring = ctx.ProcessedRing;
    const int* samples = in;
    size_t left = *inCount;
    *outCount = 0;
    // A libsox buffer is far smaller than the ring; should one ever be larger, it goes in
    // ring-sized pieces instead of waiting for room that can never come.
    while (left > 0) {
        const auto piece = static_cast<uint32_t>(std::min<size_t>(left, ring.Capacity()));
        if (!WaitForRoom(ctx, ring, piece)) {
            return SOX_EOF;
        }
        const uint32_t written = ring.Write(samples, piece);
        if (written < piece) {
            return SOX_EOF;
        }
        samples += written;
        left -= written;
    }
    return SOX_SUCCESS;
}

}  // namespace tonquill
