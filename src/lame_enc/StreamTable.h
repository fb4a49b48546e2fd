#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "lame_enc/LameEncApi.h"
#include "lame_enc/LameStream.h"

namespace tonquill::lameenc {

// The streams of the library by handle. A closed stream that was flushed stays until its
// information frame has been written; only the most recent of those are kept, so a caller that
// never asks for the frame cannot make the table grow. Every call may come from any thread.
class StreamTable {
public:
    static StreamTable& Instance();

    BeStream Add(std::unique_ptr<LameStream> stream);
    // Runs fn on the stream of handle; BeErrInvalidHandle when there is no such stream. The
    // table is not locked meanwhile, so streams of different threads encode in parallel; one
    // stream is used by one thread at a time.
    BeErr With(BeStream handle, const std::function<BeErr(LameStream&)>& fn);
    // Closes the encoder of a stream. A flushed stream is kept for its information frame and
    // becomes the calling thread's last closed stream; any other is removed.
    BeErr Close(BeStream handle);
    // Removes a stream whatever its state.
    void Remove(BeStream handle);
    // The stream this thread closed last, or 0.
    static BeStream LastClosedOnThisThread();

private:
    static constexpr size_t MaxKeptClosed = 64;

    std::mutex mutex_;
    std::map<BeStream, std::shared_ptr<LameStream>> streams_;
    std::deque<BeStream> keptClosed_;
    BeStream next_ = 1;
};

}  // namespace tonquill::lameenc
