// An encoder library without beDeinitStream: the MP3 encoder must refuse it before it encodes.

#include "lame_enc/LameEncApi.h"

using namespace tonquill::lameenc;

extern "C" {

BeErr beInitStream(const LameConfig*, uint32_t*, uint32_t*, BeStream*, int32_t, int32_t,
                   const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                   const wchar_t*, const wchar_t*, int32_t, int32_t, int32_t, int32_t, int32_t,
                   int32_t) {
    return BeErrInvalidFormat;
}

BeErr beEncodeChunkFloatS16NI(BeStream, uint32_t, const float*, const float*, uint8_t*, uint32_t*) {
    return BeErrInvalidHandle;
}

BeErr beCloseStream(BeStream) {
    return BeErrInvalidHandle;
}

BeErr beWriteInfoTag(BeStream, const char*) {
    return BeErrInvalidHandle;
}

}  // extern "C"
