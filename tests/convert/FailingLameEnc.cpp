// An encoder library whose streams fail on purpose, for the MP3 encoder's error lines. The
// record's bitrate picks the failure: 8 fails every chunk with code 5, 16 fails the flush with
// code 6; any other bitrate works and writes one byte per chunk.

#include <cstring>

#include "lame_enc/LameEncApi.h"

using namespace tonquill::lameenc;

extern "C" {

BeErr beInitStream(const LameConfig* config, uint32_t* samples, uint32_t* bufferSize,
                   BeStream* stream, int32_t, int32_t, const wchar_t*, const wchar_t*,
                   const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                   int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
    *samples = 2304;
    *bufferSize = 8640;
    *stream = config->Bitrate;
    return BeErrSuccessful;
}

BeErr beEncodeChunkFloatS16NI(BeStream stream, uint32_t, const float*, const float*,
                              uint8_t* output, uint32_t* bytes) {
    if (stream == 8) {
        return 5;
    }
    output[0] = 'x';
    *bytes = 1;
    return BeErrSuccessful;
}

BeErr beDeinitStream(BeStream stream, uint8_t*, uint32_t* bytes) {
    *bytes = 0;
    return stream == 16 ? 6 : BeErrSuccessful;
}

BeErr beCloseStream(BeStream) {
    return BeErrSuccessful;
}

BeErr beWriteInfoTag(BeStream, const char*) {
    return BeErrSuccessful;
}

}  // extern "C"
