#include "base/RenameNoReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
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
    // The file system cannot refuse a replacement itself. A folder first claims the new name
    // with an empty folder of its own (which fails when the name is taken) and then moves over
    // that placeholder; a file is linked under the new name (link() refuses an existing name just
    // as firmly), then unlinked.
    struct stat st {};
    if (lstat(from.c_str(), &st) != 0) {
        return errno;
    }
    if (S_ISDIR(st.st_mode)) {
        if (mkdir(to.c_str(), 0700) != 0) {
            return errno;
        }
        if (rename(from.c_str(), to.c_str()) != 0) {
            const int renameError = errno;
            rmdir(to.c_str());
            return renameError;
        }
        return 0;
    }
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
