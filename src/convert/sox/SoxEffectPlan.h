#pragma once

#include <string>
#include <vector>

namespace tonquill {

// One libsox effect of the processing chain with its single option.
struct SoxEffectStep {
    std::string name;
    std::string option;
    bool operator==(const SoxEffectStep&) const = default;
};

// The libsox effects between the chain's two ring effects: "channels" when the channel count
// changes, then "rate" when the rate changes, each given its target as a decimal number.
std::vector<SoxEffectStep> PlanSoxEffects(int sourceRate, int sourceChannels, int targetRate,
                                          int targetChannels);

}  // namespace tonquill
