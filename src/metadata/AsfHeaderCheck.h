#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tonquill {

// TagLib reads an ASF header by the counts it declares, not by the bytes it holds: a descriptor
// count of 65 535 in a file of a few hundred bytes makes it build 65 535 empty attributes, and an
// object size past the header makes it read on into the audio. These checks tell whether every
// object, descriptor and metadata record the header declares lies inside the bytes that hold
// it, so the probe only hands sound headers to TagLib.

// The header object given as bytes (it may be followed by anything).
bool AsfHeaderIsSound(const uint8_t* bytes, size_t size);
// The header object at the start of the file at path; false when the file cannot be read.
bool AsfFileHeaderIsSound(const std::string& path);

}  // namespace tonquill
