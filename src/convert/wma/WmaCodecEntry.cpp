// The entry point of wma_component.so, the FFmpeg side of the WMA component.

#include "convert/wma/FfmpegHandles.h"
#include "convert/wma/WmaCodecModule.h"
#include "convert/wma/WmaComponent.h"
#include "convert/wma/WmaFileReader.h"
#include "convert/wma/WmaFileWriter.h"

namespace tonquill {
namespace {

void CheckSupport() {
    QuietFfmpegLog();
    if (!av_find_input_format("asf") || !av_guess_format("asf", nullptr, nullptr) ||
        !avcodec_find_encoder(AV_CODEC_ID_WMAV2) || !avcodec_find_decoder(AV_CODEC_ID_WMAV2)) {
        throw WmaError("FFmpeg lacks the ASF container or the WMA codecs");
    }
}

std::unique_ptr<WmaInput> OpenInput(const std::string& path) {
    return std::make_unique<WmaFileReader>(path);
}

std::unique_ptr<WmaOutput> CreateOutput(const std::string& path, const WmaPreset& preset,
                                        int inputRate, int inputChannels) {
    return std::make_unique<WmaFileWriter>(path, preset, inputRate, inputChannels);
}

}  // namespace
}  // namespace tonquill

extern "C" __attribute__((visibility("default"))) const tonquill::WmaCodecEntryPoints*
tonquill_wma_codec_entry_points() {
    static const tonquill::WmaCodecEntryPoints points{tonquill::WmaCodecModuleVersion,
                                                      &tonquill::CheckSupport, &tonquill::OpenInput,
                                                      &tonquill::CreateOutput};
    return &points;
}
