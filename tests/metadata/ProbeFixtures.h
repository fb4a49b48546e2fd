#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonquill::test {

// Audio files of each source format with known facts, for the probe tests.

// 16-bit PCM WAV of the test signal.
void WriteWavFixture(const std::string& path, int rate, int channels, double seconds);
// Constant 128 kbit/s MP3 through libmp3lame, without a VBR/Info frame, so every reader sees
// the plain frame bitrate.
void WriteMp3Fixture(const std::string& path, int rate, int channels, double seconds);
// Ogg Vorbis through libsndfile.
void WriteOggFixture(const std::string& path, int rate, int channels, double seconds);
// WMA through our own component, with the preset of that rate and channel count at 128 kbit/s
// (or the nearest the preset file has).
void WriteWmaFixture(const std::string& path, double seconds);

std::vector<char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<char>& bytes);

// One raw ID3v2 frame of the given major version (2.4 frames count their bytes sync-safe).
std::string Id3v2Frame(int majorVersion, const std::string& id, const std::string& payload);
// A raw ID3v2 tag whose header carries versionByte as its major version; its frames are
// (identifier, payload) pairs written as given.
std::vector<char> Id3v2Tag(unsigned char versionByte,
                           const std::vector<std::pair<std::string, std::string>>& frames);
// A raw ID3v2.3 tag; frames are (identifier, payload) pairs written as given, so a test can
// put anything into a frame.
std::vector<char> Id3v23Tag(const std::vector<std::pair<std::string, std::string>>& frames);

bool IsValidUtf8(const std::string& text);

}  // namespace tonquill::test
