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

// Tables of contents (CTOC frames) nested twenty deep, each holding the next one twice over, as
// one raw ID3v2.4 frame: a reader that builds such frames as TagLib does parses the innermost
// one 2^20 times, while the bytes grow only linearly.
std::string NestedTableOfContents();
// An ID3v2.4 tag with the title "Chapters", the frames given (identifier, payload) and the
// nested tables above.
std::vector<char> ChapterTag(const std::vector<std::pair<std::string, std::string>>& frames = {});
// Stereo audio at 44 100 Hz with the tag in its usual place: before the MP3 frames, in an
// "id3 " chunk after a WAV file's audio, or before a FLAC stream's marker.
void WriteMp3WithTag(const std::string& path, const std::vector<char>& tag, double seconds = 0.5);
void WriteWavWithTag(const std::string& path, const std::vector<char>& tag, double seconds = 0.5);
// An AIFF file with the tag in an "ID3 " chunk after its sound.
void WriteAiffWithTag(const std::string& path, const std::vector<char>& tag, double seconds = 0.5);
void WriteFlacWithTag(const std::string& path, const std::vector<char>& tag, double seconds = 0.5);

bool IsValidUtf8(const std::string& text);

}  // namespace tonquill::test
