#include "lame_enc/StreamTable.h"

#include <algorithm>

namespace tonquill::lameenc {
namespace {

thread_local BeStream lastClosed = 0;

}  // namespace

StreamTable& StreamTable::Instance() {
    static StreamTable table;
    return table;
}

BeStream StreamTable::Add(std::unique_ptr<LameStream> stream) {
    std::lock_guard lock(mutex_);
    // Handles are never 0 and never reused while the old one could still be passed in.
    while (next_ == 0 || streams_.count(next_)) {
        ++next_;
    }
    const BeStream handle = next_++;
    streams_.emplace(handle, std::move(stream));
    return handle;
}

BeErr StreamTable::With(BeStream handle, const std::function<BeErr(LameStream&)>& fn) {
    std::shared_ptr<LameStream> stream;
    {
        std::lock_guard lock(mutex_);
        auto it = streams_.find(handle);
        if (it == streams_.end()) {
            return BeErrInvalidHandle;
        }
        stream = it->second;
    }
    return fn(*stream);
}

BeErr StreamTable::Close(BeStream handle) {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(handle);
    if (it == streams_.end()) {
        return BeErrInvalidHandle;
    }
    it->second->Close();
    if (!it->second->Flushed()) {
        streams_.erase(it);
        return BeErrSuccessful;
    }
    lastClosed = handle;
    keptClosed_.push_back(handle);
    if (keptClosed_.size() > MaxKeptClosed) {
        streams_.erase(keptClosed_.front());
        keptClosed_.pop_front();
    }
    return BeErrSuccessful;
}

void StreamTable::Remove(BeStream handle) {
    std::lock_guard lock(mutex_);
    streams_.erase(handle);
    keptClosed_.erase(std::remove(keptClosed_.begin(), keptClosed_.end(), handle),
                      keptClosed_.end());
}

BeStream StreamTable::LastClosedOnThisThread() {
    return lastClosed;
}

}  // namespace tonquill::lameenc
