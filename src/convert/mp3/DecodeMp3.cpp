#include <cstring>
#include <vector>

#include <mpg123.h>

#include "base/Format.h"
#include "convert/Codecs.h"

namespace tonquill {

namespace {

// Why no first frame could be read: an empty file (or one without MPEG frames) ends with
// MPG123_DONE, anything else carries the handle's own error.
std::string Mp3ErrorText(mpg123_handle* handle, int rc) {
    if (rc == MPG123_DONE) {
        return "no MPEG audio frame found";
    }
    if (mpg123_errcode(handle) != MPG123_OK) {
        return mpg123_strerror(handle);
    }
    return mpg123_plain_strerror(rc);
}

}  // namespace

bool DecodeMp3(PipelineContext& ctx, CConversionTask& task) {
    mpg123_handle* handle = ctx.Mp3DecodeHandle;
    if (!handle) {
        ctx.PostLog(Format("Trouble with mpg123: %s", mpg123_plain_strerror(MPG123_ERR)),
                    LogLevel::Error);
        return false;
    }
    // Library chatter about damaged frames would only clutter the terminal; the decoder reports
    // what matters in the log.
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // By default the library gives up after 1 KiB of damage and the rest of the file is lost;
    // searching on to the next good frame keeps everything after the damage, as other decoders
    // do.
    mpg123_param(handle, MPG123_RESYNC_LIMIT, -1, 0.0);
    // The stages take the stream at its own rate, so libmpg123 must never resample it: a frame
    // at another rate is a changed file. Its resampler would also walk every frame an info
    // frame claims while setting up, tens of seconds for a damaged 1 KB file claiming billions.
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0.0);

    // Accept exactly the rate and channel count the stages were set up for, at full precision.
    const int channelMode =
        task.SourceChannels == 1 ? MPG123_MONO : (task.SourceChannels == 2 ? MPG123_STEREO : 0);
    mpg123_format_none(handle);
    if (channelMode == 0 ||
        mpg123_format(handle, task.SourceRate, channelMode, MPG123_ENC_SIGNED_32) != MPG123_OK ||
        (mpg123_format_support(handle, task.SourceRate, MPG123_ENC_SIGNED_32) & channelMode) == 0) {
        ctx.PostLog("Invalid Format!", LogLevel::Error);
        return false;
    }

    if (mpg123_open(handle, task.SourcePath.c_str()) != MPG123_OK) {
        ctx.PostLog(Format("Trouble with mpg123: %s", mpg123_strerror(handle)), LogLevel::Error);
        mpg123_close(handle);
        return false;
    }

    // Reading the format finds the first frame. A file without one (empty, or another format
    // under an .mp3 name) is an error, not an empty success.
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    const int rc = mpg123_getformat(handle, &rate, &channels, &encoding);
    mpg123_frameinfo info{};
    const bool known = rc == MPG123_OK && mpg123_info(handle, &info) == MPG123_OK;
    // The stages were set up for the facts the list read; a file changed since then must not be
    // resampled or remixed behind their back.
    const int fileChannels = info.mode == MPG123_M_MONO ? 1 : 2;
    if ((known && (info.rate != task.SourceRate || fileChannels != task.SourceChannels)) ||
        (rc != MPG123_OK && mpg123_errcode(handle) == MPG123_BAD_OUTFORMAT)) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        mpg123_close(handle);
        return false;
    }
    if (!known) {
        ctx.PostLog(Format("Trouble with mpg123: %s", Mp3ErrorText(handle, rc).c_str()),
                    LogLevel::Error);
        mpg123_close(handle);
        return false;
    }

    // Whole frames only, so every write leaves the ring on a frame boundary.
    const size_t frameBytes = sizeof(int32_t) * task.SourceChannels;
    const size_t blockBytes = mpg123_outblock(handle) / frameBytes * frameBytes;
    std::vector<int32_t> samples(blockBytes / sizeof(int32_t));
    const uint32_t blockSamples = static_cast<uint32_t>(samples.size());

    while (WaitForRoom(ctx, ctx.DecodedRing, blockSamples)) {
        size_t done = 0;
        const int result = mpg123_read(handle, reinterpret_cast<unsigned char*>(samples.data()),
                                       blockBytes, &done);
        const uint32_t n = static_cast<uint32_t>(done / sizeof(int32_t));
        if (n > 0) {
            ctx.DecodedRing.Write(samples.data(), n);
        }
        // The end of the file, a change of format and damage the library cannot step over all
        // end the stream here.
        if (result != MPG123_OK) {
            break;
        }
    }
    mpg123_close(handle);
    return true;
}

}  // namespace tonquill
