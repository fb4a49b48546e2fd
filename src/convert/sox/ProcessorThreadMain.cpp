#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <sox.h>

#include "convert/Codecs.h"
#include "convert/PipelineThreads.h"
#include "convert/sox/SoxEffectPlan.h"
#include "convert/sox/SoxLibrary.h"
#include "convert/sox/SoxRingEffects.h"

namespace tonquill {
namespace {

// Both ends of the chain carry the rings' samples: signed 32-bit, native byte order.
sox_encodinginfo_t ChainEncoding() {
    sox_encodinginfo_t encoding{};
    encoding.encoding = SOX_ENCODING_SIGN2;
    encoding.bits_per_sample = 32;
    encoding.compression = 0;
    encoding.reverse_bytes = sox_option_no;
    encoding.reverse_nibbles = sox_option_no;
    encoding.reverse_bits = sox_option_no;
    encoding.opposite_endian = sox_false;
    return encoding;
}

// Owns the chain so it is deleted on every way out of the stage. Creating, adding to and
// deleting a chain must hold SoxStateMutex(): deleting stops every effect, which may report.
class SoxChain {
public:
    explicit SoxChain(const sox_encodinginfo_t& encoding)
        : chain_(Sox().create_effects_chain(&encoding, &encoding)) {}
    ~SoxChain() {
        if (chain_) {
            const std::lock_guard lock(SoxStateMutex());
            Sox().delete_effects_chain(chain_);
        }
    }
    SoxChain(const SoxChain&) = delete;
    SoxChain& operator=(const SoxChain&) = delete;

    bool Valid() const { return chain_ != nullptr; }

    // Adds effect (taking it over) with the running signal record; false when libsox refuses.
    bool Add(sox_effect_t* effect, sox_signalinfo_t* signal, const sox_signalinfo_t* wanted) {
        if (!effect) {
            return false;
        }
        const bool added = Sox().add_effect(chain_, effect, signal, wanted) == SOX_SUCCESS;
        if (!added) {
            // Not taken into the chain: its private data is still the record's own.
            std::free(effect->priv);
        }
        // The chain keeps its own copy of an added effect; the record itself is ours to free.
        std::free(effect);
        return added;
    }

    void Flow() { Sox().flow_effects(chain_, nullptr, nullptr); }

private:
    sox_effects_chain_t* chain_;
};

sox_effect_t* CreateLibraryEffect(const SoxEffectStep& step) {
    const sox_effect_handler_t* handler = Sox().find_effect(step.name.c_str());
    if (!handler) {
        return nullptr;
    }
    sox_effect_t* effect = Sox().create_effect(handler);
    if (!effect) {
        return nullptr;
    }
    char option[16];
    std::snprintf(option, sizeof(option), "%s", step.option.c_str());
    char* argv[] = {option};
    if (Sox().effect_options(effect, 1, argv) != SOX_SUCCESS) {
        std::free(effect->priv);
        std::free(effect);
        return nullptr;
    }
    return effect;
}

// Builds the chain input -> [channels] -> [rate] -> output. False when libsox refused a part:
// a chain without its conversion effects would hand the encoder audio in the wrong format.
bool BuildChain(SoxChain& chain, const CConversionTask& task, const SoxRingLink& link) {
    sox_signalinfo_t signal{};
    signal.rate = static_cast<double>(task.SourceRate);
    signal.channels = static_cast<unsigned>(task.SourceChannels);
    signal.precision = 32;
    signal.length = SOX_UNKNOWN_LEN;
    signal.mult = nullptr;
    // Each add moves `signal` on to the added effect's output; the wanted output stays the
    // source's, the conversion effects take their real targets from their options.
    const sox_signalinfo_t wanted = signal;

    if (!chain.Add(CreateRingEffect(InputEffectHandler(), link), &signal, &signal)) {
        return false;
    }
    for (const SoxEffectStep& step : PlanSoxEffects(task.SourceRate, task.SourceChannels,
                                                    task.TargetRate, task.TargetChannels)) {
        if (!chain.Add(CreateLibraryEffect(step), &signal, &wanted)) {
            return false;
        }
    }
    if (static_cast<int>(signal.channels) != task.TargetChannels ||
        signal.rate != static_cast<double>(task.TargetRate)) {
        return false;
    }
    return chain.Add(CreateRingEffect(OutputEffectHandler(), link), &signal, &wanted);
}

void ReportProcessingError(PipelineContext& ctx) {
    ctx.Stop();
    ctx.PostLog("An error occurred while processing audio data", LogLevel::Error);
}

}  // namespace

bool ProcessorThreadMain(PipelineContext& ctx, CConversionTask& task) {
    task.ProcessorRunning = 1;
    bool result = true;
    try {
        Sox();
        const SoxRingLink link{&ctx, &task};
        // The chain and its effects keep pointers to the encoding: it lives as long as they do.
        const sox_encodinginfo_t encoding = ChainEncoding();
        SoxChain chain(encoding);
        std::unique_lock lock(SoxStateMutex());
        const bool built = chain.Valid() && BuildChain(chain, task, link);
        lock.unlock();
        if (!built) {
            ReportProcessingError(ctx);
            result = false;
        } else {
            // The encoder starts only now that the chain exists.
            StartEncoderThread(ctx, task);
            chain.Flow();
            // The input effect ends the flow only when the decoder is done or the batch stops;
            // a flow that ended otherwise would leave the decoder waiting on a full ring.
            if (ctx.IsRunning() && task.DecoderRunning.load() != 0) {
                ReportProcessingError(ctx);
                result = false;
            }
        }
    } catch (const std::exception& error) {
        // Opening libsox failed: say why before the stage's own line.
        ctx.PostLog(std::string("Error : ") + error.what(), LogLevel::Error);
        ReportProcessingError(ctx);
        result = false;
    } catch (...) {
        ReportProcessingError(ctx);
        result = false;
    }
    task.ProcessorRunning = 0;
    return result;
}

}  // namespace tonquill
