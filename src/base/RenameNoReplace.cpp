#include "base/RenameNoReplace.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace tonquill {

int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP) {
        return error;
    }
    // No RENAME_NOREPLACE here: link() refuses an existing name just as firmly.
    if (link(from.c_str(), to.c_str()) != 0) {
        return errno;
    }
    if (unlink(from.c_str()) != 0) {
        const int unlinkError = errno;
        unlink(to.c_str());
        return unlinkError;
    }
    return 0;
}

}  // namespace tonquill
