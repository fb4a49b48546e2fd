#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "base/ConversionObserver.h"

namespace tonquill::fuzz {

// One folder per fuzzing process under the system's temporary folder, removed at exit.
const std::filesystem::path& WorkFolder();

// Writes data to WorkFolder()/name, replacing what an earlier input left there; returns the path.
std::string WriteInput(const std::string& name, const uint8_t* data, size_t size);

// True when the file at path holds exactly these bytes.
bool FileHolds(const std::string& path, const uint8_t* data, size_t size);

// The size of the file at path, -1 when there is none.
long long FileSize(const std::string& path);

// Empties a folder inside WorkFolder() (creating it when missing) and returns its path ending
// in '/'.
std::string FreshFolder(const std::string& name);

}  // namespace tonquill::fuzz
