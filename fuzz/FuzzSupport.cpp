#include "FuzzSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tonquill::fuzz {
namespace {

class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tonquill-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& WorkFolder() {
    static TemporaryFolder folder;
    return folder.path();
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = (WorkFolder() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write the input file " + path);
    }
    return path;
}

bool FileHolds(const std::string& path, const uint8_t* data, size_t size) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return in.good() || in.eof()
               ? bytes.size() == size &&
                     std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const char*>(data))
               : false;
}

long long FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? -1 : static_cast<long long>(size);
}

std::string FreshFolder(const std::string& name) {
    const std::filesystem::path folder = WorkFolder() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string() + "/";
}

}  // namespace tonquill::fuzz
