#include "convert/ogg/OggSerial.h"

#include <cstdlib>
#include <ctime>
#include <mutex>

namespace tonquill {

int NewOggSerial() {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return std::rand();
}

}  // namespace tonquill
