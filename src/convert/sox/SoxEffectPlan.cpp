#include "convert/sox/SoxEffectPlan.h"

#include "base/Format.h"

namespace tonquill {

std::vector<SoxEffectStep> PlanSoxEffects(int sourceRate, int sourceChannels, int targetRate,
                                          int targetChannels) {
    // Channels come first, so a downmix makes the resampler's work smaller.
    std::vector<SoxEffectStep> steps;
    if (targetChannels != sourceChannels) {
        steps.push_back({"channels", Format("%d", targetChannels)});
    }
    if (targetRate != sourceRate) {
        steps.push_back({"rate", Format("%d", targetRate)});
    }
    return steps;
}

}  // namespace tonquill
