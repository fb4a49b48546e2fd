#pragma once

#include <string>

namespace tonquill {

// The extension of Ogg files whose codec the name does not tell.
inline constexpr const char* OggAudioExtension = "OGA";

// The format of an Ogg file's first stream from its first packet: Vorbis (FormatOgg), FLAC or
// Opus; 0 for anything else or a file that cannot be read.
int OggContentFormat(const std::string& path);

// The format code of a file for the list: by its extension, and for an .oga file by what it
// holds. 0 for a file no format reads.
int TypeOfFile(const std::string& path);

}  // namespace tonquill
