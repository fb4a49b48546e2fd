#pragma once

#include <cstdint>
#include <string>

namespace tonquill {

// The extension of Ogg files whose codec the name does not tell.
inline constexpr const char* OggAudioExtension = "OGA";

// The format of an Ogg file's first stream from its first packet (the formats whose first
// packet start the table knows); 0 for anything else or a file that cannot be read.
int OggContentFormat(const std::string& path);

// The granule position of the last page of the file's first stream that ends a packet: for
// FLAC and Vorbis in Ogg, the frames before its end. 0 when none is found within the file's last
// 64 KiB. A FLAC stream written where its writer could not seek back (ffmpeg does so for Ogg)
// leaves the length in its stream information 0 and has only this one.
uint64_t OggLastGranule(const std::string& path);

// The format code of a file for the list: by its extension, and for an .oga file by what it
// holds. 0 for a file no format reads.
int TypeOfFile(const std::string& path);

}  // namespace tonquill
