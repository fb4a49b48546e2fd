// The six entry points of lame_enc.so. Only these are exported; the library is built with
// hidden visibility otherwise.

#include <memory>

#include "lame_enc/InfoTagWriter.h"
#include "lame_enc/LameEncApi.h"
#include "lame_enc/LameStream.h"
#include "lame_enc/StreamTable.h"

using namespace tonquill::lameenc;

#define LAME_ENC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// No exception may cross into a caller that only knows result codes; the one that can happen
// is running out of memory.
template <typename Fn>
BeErr Guarded(Fn&& fn) {
    try {
        return fn();
    } catch (...) {
        return BeErrNoMoreHandles;
    }
}

// Writes the information frame of a flushed stream and forgets the stream.
BeErr WriteInfoTagOf(BeStream stream, const char* fileName) {
    if (!fileName) {
        return BeErrInvalidFormatParameters;
    }
    StreamTable& table = StreamTable::Instance();
    const BeErr result = table.With(stream, [fileName](LameStream& s) {
        if (!s.Flushed()) {
            return BeErrInvalidHandle;
        }
        // An empty frame means the header was not asked for: nothing to write.
        if (s.InfoFrame().empty()) {
            return BeErrSuccessful;
        }
        return WriteInfoFrame(fileName, s.InfoFrame()) ? BeErrSuccessful : BeErrInvalidFormat;
    });
    if (result != BeErrInvalidHandle) {
        table.Remove(stream);
    }
    return result;
}

}  // namespace

LAME_ENC_EXPORT BeErr beInitStream(const LameConfig* config, uint32_t* samplesPerChunk,
                                   uint32_t* outputBufferSize, BeStream* stream, int32_t, int32_t,
                                   const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                                   const wchar_t*, const wchar_t*, const wchar_t*, int32_t, int32_t,
                                   int32_t, int32_t, int32_t, int32_t) {
    if (!config || !samplesPerChunk || !outputBufferSize || !stream) {
        return BeErrInvalidFormatParameters;
    }
    return Guarded([&] {
        auto lame = std::make_unique<LameStream>();
        const BeErr result = lame->Open(*config);
        if (result != BeErrSuccessful) {
            return result;
        }
        *samplesPerChunk = lame->SamplesPerChunk();
        *outputBufferSize = lame->OutputBufferSize();
        *stream = StreamTable::Instance().Add(std::move(lame));
        return BeErrSuccessful;
    });
}

LAME_ENC_EXPORT BeErr beEncodeChunkFloatS16NI(BeStream stream, uint32_t frames, const float* left,
                                              const float* right, uint8_t* output,
                                              uint32_t* outputBytes) {
    return Guarded([&] {
        return StreamTable::Instance().With(stream, [&](LameStream& s) {
            return s.Encode(frames, left, right, output, outputBytes);
        });
    });
}

LAME_ENC_EXPORT BeErr beDeinitStream(BeStream stream, uint8_t* output, uint32_t* outputBytes) {
    return Guarded([&] {
        return StreamTable::Instance().With(
            stream, [&](LameStream& s) { return s.Flush(output, outputBytes); });
    });
}

LAME_ENC_EXPORT BeErr beCloseStream(BeStream stream) {
    return Guarded([&] { return StreamTable::Instance().Close(stream); });
}

LAME_ENC_EXPORT BeErr beWriteInfoTag(BeStream stream, const char* fileName) {
    return Guarded([&] { return WriteInfoTagOf(stream, fileName); });
}

LAME_ENC_EXPORT BeErr beWriteVBRHeader(const char* fileName) {
    return Guarded([&] { return WriteInfoTagOf(StreamTable::LastClosedOnThisThread(), fileName); });
}
