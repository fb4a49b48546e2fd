#include <algorithm>
#include <array>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/OutputSettings.h"

namespace tonquill {
namespace {

// The sample sizes of the list, in its order.
constexpr std::array<int, 2> AiffBits{16, 24};

// The rate and channels of a lossless output are the source's own.
std::string Summary(const ConversionSettings& settings, const std::string&) {
    return Format("AIFF:  Signed %d bit PCM; Source Frequency; Automatic Channel;",
                  settings.AIFF.Bits);
}

int BitsRow(const ConversionSettings& settings) {
    const auto at = std::find(AiffBits.begin(), AiffBits.end(), settings.AIFF.Bits);
    return at == AiffBits.end() ? -1 : static_cast<int>(at - AiffBits.begin());
}

}  // namespace

const OutputSettings AiffOutputSettings{
    Summary,
    {{"Sample Size:",
      [](const ConversionSettings&, const WmaPresetList*) {
          std::vector<std::string> rows;
          for (const int bits : AiffBits) {
              rows.push_back(Format(" Signed %d bit PCM", bits));
          }
          return rows;
      },
      BitsRow,
      [](ConversionSettings& s, int row) {
          if (row >= 0) {
              s.AIFF.Bits = static_cast<int16_t>(AiffBits[static_cast<size_t>(row)]);
          } else if (BitsRow(s) < 0) {
              s.AIFF.Bits = ConversionSettings{}.AIFF.Bits;
          }
      },
      false}},
    false,
    [](const ConversionSettings&, int sourceRate, int sourceChannels) {
        return SourceShape(sourceRate, sourceChannels);
    },
    nullptr,
    nullptr,
    false,
    "it keeps the source's rate and channels",
    nullptr,
    [](ConversionSettings& s, int bits) {
        if (std::find(AiffBits.begin(), AiffBits.end(), bits) == AiffBits.end()) {
            return false;
        }
        s.AIFF.Bits = static_cast<int16_t>(bits);
        return true;
    },
    "16, 24",
};

}  // namespace tonquill
