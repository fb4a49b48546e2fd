// Writes a small tagged music library of every accepted format into a folder: what the README's
// picture of the main window shows. Usage: tonquill-demolibrary FOLDER

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "metadata/ProbeFixtures.h"

namespace {

struct Track {
    const char* file;
    const char* artist;
    const char* album;
    unsigned track;
    const char* title;
    const char* genre;
    unsigned year;
    double seconds;
};

// Invented names: the files are a few seconds of test tone each.
constexpr Track Tracks[] = {
    {"01 Morning Harbour.mp3", "The Quill Ensemble", "Harbour Lights", 1, "Morning Harbour", "Folk",
     2024, 4.0},
    {"02 Salt and Rope.mp3", "The Quill Ensemble", "Harbour Lights", 2, "Salt and Rope", "Folk",
     2024, 3.0},
    {"03 Lantern Walk.ogg", "The Quill Ensemble", "Harbour Lights", 3, "Lantern Walk", "Folk", 2024,
     5.0},
    {"04 Tidewater.ogg", "The Quill Ensemble", "Harbour Lights", 4, "Tidewater", "Folk", 2024, 3.5},
    {"Field Recording - Rain.wav", "", "", 0, "", "", 0, 2.0},
    {"01 Copper Skies.wma", "Mira Solen", "Copper Skies", 1, "Copper Skies", "Electronic", 2025,
     3.0},
    {"02 Night Train.wma", "Mira Solen", "Copper Skies", 2, "Night Train", "Electronic", 2025, 4.5},
    {"03 Glass Garden.mp3", "Mira Solen", "Copper Skies", 3, "Glass Garden", "Electronic", 2025,
     2.5},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tonquill-demolibrary FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const Track& t : Tracks) {
        const std::string path = (folder / t.file).string();
        const std::string extension = std::filesystem::path(path).extension().string();
        if (extension == ".mp3") {
            tonquill::test::WriteMp3Fixture(path, 44100, 2, t.seconds);
        } else if (extension == ".ogg") {
            tonquill::test::WriteOggFixture(path, 44100, 2, t.seconds);
        } else if (extension == ".wma") {
            tonquill::test::WriteWmaFixture(path, t.seconds);
        } else {
            tonquill::test::WriteWavFixture(path, 44100, 2, t.seconds);
        }
        if (*t.artist == '\0') {
            continue;
        }
        TagLib::FileRef file(path.c_str());
        if (file.isNull() || file.tag() == nullptr) {
            std::fprintf(stderr, "tonquill-demolibrary: cannot tag %s\n", path.c_str());
            return 1;
        }
        TagLib::Tag* tag = file.tag();
        tag->setArtist(TagLib::String(t.artist, TagLib::String::UTF8));
        tag->setAlbum(TagLib::String(t.album, TagLib::String::UTF8));
        tag->setTitle(TagLib::String(t.title, TagLib::String::UTF8));
        tag->setGenre(TagLib::String(t.genre, TagLib::String::UTF8));
        tag->setTrack(t.track);
        tag->setYear(t.year);
        if (!file.save()) {
            std::fprintf(stderr, "tonquill-demolibrary: cannot save the tags of %s\n",
                         path.c_str());
            return 1;
        }
    }
    return 0;
}
