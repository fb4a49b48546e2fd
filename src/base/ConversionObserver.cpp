#include "base/ConversionObserver.h"

#include <cstring>

namespace tonquill {

std::string FileErrorText(const std::string& text, const std::string& path, int error) {
    return text + " (" + path + ": " + (error ? std::strerror(error) : "reason unknown") + ")";
}

}  // namespace tonquill
