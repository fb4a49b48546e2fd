// Writes the starting inputs of every harness into one folder per harness, all made by the
// project's own fixture writers (libsndfile, our encoders and tag writer, TagLib, the settings
// store and the layout writers), so no sample file from elsewhere enters the corpus.
//
//   tonquill-fuzz-seeds OUTPUT-FOLDER

#include <sndfile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/wavfile.h>

#include <QByteArray>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "base/ProgramFolder.h"
#include "convert/DecoderFixtures.h"
#include "metadata/ProbeFixtures.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"
#include "tags/OutputTagWriter.h"
#include "ui/ColumnSortInfo.h"
#include "ui/ReportColumnLayout.h"
#include "ui/WindowPlacementStore.h"

namespace {

using namespace tonquill;
namespace fs = std::filesystem;

TagSet SampleTags() {
    TagSet tags;
    tags.artist = "Seed Artist";
    tags.albumArtist = "Seed Band";
    tags.album = "Seed Album \xC3\xA9";
    tags.track = "3/12";
    tags.title = "Seed Title";
    tags.genre = "Rock";
    tags.date = "2004";
    tags.comment = "made by the seed writer";
    return tags;
}

// A small picture: a PNG signature and a few bytes; no reader looks further.
const std::string CoverBytes = std::string("\x89PNG\r\n\x1a\n", 8) + "seed cover";

// The disc, composer, an identifier and a cover, as the tag step carries them.
ExtraTags SampleExtras() {
    ExtraTags extras;
    extras.discNumber = "1/2";
    extras.composer = "Seed Composer";
    extras.musicBrainz.emplace_back("MUSICBRAINZ_TRACKID", "0f1e2d3c-0000-4000-8000-123456789abc");
    extras.hasCover = true;
    extras.cover = {"image/png", "front", CoverBytes};
    return extras;
}

// Copies source to path and puts every tag kind our tag writer gives that format on it, with a
// cover when withExtras.
void WriteTaggedCopy(const std::string& source, const std::string& path, int format,
                     bool withExtras = false) {
    fs::copy_file(source, path, fs::copy_options::overwrite_existing);
    const OutputTagResult result = WriteOutputTags(
        path, format, TagKindID3v1 | TagKindID3v2 | TagKindAPE | TagKindASF | TagKindXiph,
        SampleTags(), withExtras ? SampleExtras() : ExtraTags{});
    if (!result.saved) {
        throw std::runtime_error("cannot tag " + path);
    }
}

// The WAV writer has no tags of its own; TagLib puts a RIFF INFO list and an ID3v2 chunk (with
// a cover) on it.
void WriteTaggedWav(const std::string& source, const std::string& path) {
    fs::copy_file(source, path, fs::copy_options::overwrite_existing);
    TagLib::RIFF::WAV::File file(path.c_str(), false);
    file.tag()->setArtist("Seed Artist");
    file.tag()->setTitle("Seed Title");
    file.InfoTag()->setAlbum("Seed Album");
    file.InfoTag()->setGenre("Rock");
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    picture->setMimeType("image/png");
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setPicture(TagLib::ByteVector(CoverBytes.data(), CoverBytes.size()));
    file.ID3v2Tag()->addFrame(picture);
    if (!file.save()) {
        throw std::runtime_error("cannot tag " + path);
    }
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void WriteBytes(const std::string& path, char first, const QByteArray& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.put(first);
    out.write(bytes.constData(), bytes.size());
}

void MediaSeeds(const fs::path& root) {
    // The same files start the probe and the conversion harness of their type.
    for (const char* kind : {"probe", "convert"}) {
        const auto folder = [&](const char* type) {
            const fs::path f = root / (std::string(kind) + "_" + type);
            fs::create_directories(f);
            return f;
        };
        const fs::path wav = folder("wav");
        test::WriteWavFixture((wav / "stereo16.wav").string(), 44100, 2, 0.05);
        test::WriteSoundFile((wav / "mono8.wav").string(), SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000,
                             1, test::TestSignal16(400, 1, 2));
        test::WriteSoundFile((wav / "six24.wav").string(), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 22050,
                             6, test::TestSignal16(300, 6, 3));
        test::WriteSoundFile((wav / "float.wav").string(), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 48000,
                             2, test::TestSignal16(500, 2, 4));
        test::WriteSoundFile((wav / "extensible.wav").string(), SF_FORMAT_WAVEX | SF_FORMAT_PCM_16,
                             32000, 2, test::TestSignal16(500, 2, 5));
        WriteTaggedWav((wav / "stereo16.wav").string(), (wav / "tagged.wav").string());

        const fs::path mp3 = folder("mp3");
        test::WriteMp3Fixture((mp3 / "cbr.mp3").string(), 44100, 2, 0.1);
        test::WriteMp3((mp3 / "vbr-mono.mp3").string(), 22050, 1,
                       test::ChirpSignal(22050, 1, 0.15));
        WriteTaggedCopy((mp3 / "cbr.mp3").string(), (mp3 / "tagged.mp3").string(), FormatMp3);

        const fs::path ogg = folder("ogg");
        test::WriteOggFixture((ogg / "stereo.ogg").string(), 44100, 2, 0.1);
        test::WriteOgg((ogg / "mono.ogg").string(), 16000, 1, test::ChirpSignal(16000, 1, 0.1));
        WriteTaggedCopy((ogg / "mono.ogg").string(), (ogg / "tagged.ogg").string(), FormatOgg);

        const fs::path wma = folder("wma");
        test::WriteWmaFixture((wma / "stereo.wma").string(), 0.1);
        test::WriteWma((wma / "mono.wma").string(), 22050, 1, test::ChirpSignal(22050, 1, 0.1), 24);
        WriteTaggedCopy((wma / "mono.wma").string(), (wma / "tagged.wma").string(), FormatWma);

        const fs::path flac = folder("flac");
        test::WriteFlac((flac / "stereo24.flac").string(), 44100, 2,
                        test::ChirpSignal(44100, 2, 0.1));
        test::WriteFlac((flac / "mono.flac").string(), 96000, 1, test::ChirpSignal(96000, 1, 0.05));

        const fs::path opus = folder("opus");
        test::WriteOpus((opus / "stereo.opus").string(), 48000, 2,
                        test::ChirpSignal(48000, 2, 0.1));
        test::WriteOpus((opus / "mono.opus").string(), 48000, 1, test::ChirpSignal(48000, 1, 0.1));

        const fs::path aiff = folder("aiff");
        test::WriteSoundFile((aiff / "stereo16.aiff").string(), SF_FORMAT_AIFF | SF_FORMAT_PCM_16,
                             44100, 2, test::TestSignal16(500, 2, 6));
        test::WriteSoundFile((aiff / "mono24.aiff").string(), SF_FORMAT_AIFF | SF_FORMAT_PCM_24,
                             96000, 1, test::TestSignal16(400, 1, 7));
        WriteTaggedCopy((aiff / "stereo16.aiff").string(), (aiff / "tagged.aiff").string(),
                        FormatAiff, true);
        test::WriteAiffWithTag((aiff / "chapters.aiff").string(), test::ChapterTag(), 0.05);
    }
}

// The seeds of the harnesses that convert every source type to a tagged output: tagged files
// with covers, and ID3 tags holding nested chapter frames, each behind the byte that picks its
// type (its place in the harness's list: WAV, MP3, Ogg, WMA, FLAC, Opus, AIFF).
void TagSeeds(const fs::path& root) {
    const fs::path work = fuzz::WorkFolder() / "tag-seeds";
    fs::create_directories(work);
    const auto file = [&](const char* name) { return (work / name).string(); };
    test::WriteWavFixture(file("plain.wav"), 44100, 2, 0.05);
    test::WriteMp3Fixture(file("plain.mp3"), 44100, 2, 0.1);
    test::WriteOggFixture(file("plain.ogg"), 44100, 2, 0.1);
    test::WriteWmaFixture(file("plain.wma"), 0.1);
    test::WriteFlac(file("plain.flac"), 44100, 2, test::ChirpSignal(44100, 2, 0.1));
    test::WriteOpus(file("plain.opus"), 48000, 2, test::ChirpSignal(48000, 2, 0.1));
    test::WriteSoundFile(file("plain.aiff"), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 2,
                         test::TestSignal16(2205, 2));

    WriteTaggedWav(file("plain.wav"), file("cover.wav"));
    test::WriteWavWithTag(file("chapters.wav"), test::ChapterTag(), 0.05);
    WriteTaggedCopy(file("plain.mp3"), file("cover.mp3"), FormatMp3, true);
    test::WriteMp3WithTag(file("chapters.mp3"), test::ChapterTag(), 0.1);
    WriteTaggedCopy(file("plain.ogg"), file("cover.ogg"), FormatOgg, true);
    WriteTaggedCopy(file("plain.wma"), file("cover.wma"), FormatWma, true);
    WriteTaggedCopy(file("plain.flac"), file("cover.flac"), FormatFlac, true);
    test::WriteFlacWithTag(file("chapters.flac"), test::ChapterTag(), 0.05);
    WriteTaggedCopy(file("plain.opus"), file("cover.opus"), FormatOpus, true);
    WriteTaggedCopy(file("plain.aiff"), file("cover.aiff"), FormatAiff, true);
    test::WriteAiffWithTag(file("chapters.aiff"), test::ChapterTag(), 0.05);

    const std::pair<const char*, char> seeds[] = {
        {"cover.wav", 0},  {"chapters.wav", 0}, {"cover.mp3", 1},     {"chapters.mp3", 1},
        {"cover.ogg", 2},  {"cover.wma", 3},    {"cover.flac", 4},    {"chapters.flac", 4},
        {"cover.opus", 5}, {"cover.aiff", 6},   {"chapters.aiff", 6},
    };
    for (const char* harness : {"convert_tags_mp3", "convert_tags_flac"}) {
        const fs::path folder = root / harness;
        fs::create_directories(folder);
        for (const auto& [name, type] : seeds) {
            const std::vector<char> bytes = test::ReadBytes(file(name));
            WriteBytes((folder / name).string(), type,
                       QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
    }
}

void SettingsSeeds(const fs::path& root) {
    const fs::path folder = root / "ini";
    fs::create_directories(folder);
    NullObserver observer;
    const fs::path work = fuzz::WorkFolder() / "settings";
    fs::create_directories(work);
    SettingsStore store(work, observer);

    ConversionSettings defaults;
    defaults.OUTPUT.DesDir = "/home/someone/Music/";
    store.SaveSettings(defaults, "/home/someone/");
    fs::copy_file(store.ConfigPath(), folder / "defaults.ini",
                  fs::copy_options::overwrite_existing);

    ConversionSettings changed = defaults;
    changed.OUTPUT.OutputFormat = FormatOgg;
    changed.OUTPUT.SameAsSrc = 1;
    changed.OUTPUT.Filter = FilterMp3 | FilterOgg;
    changed.WAV.SubFormat = 0;
    changed.WAV.Freq = 3;
    changed.MP3.LameBits = 16;
    changed.WMA.Profile = 55;
    changed.OGG.QualityCompression = -1;
    store.SaveSettings(changed, "/tmp/a b/");
    fs::copy_file(store.ConfigPath(), folder / "changed.ini", fs::copy_options::overwrite_existing);
    // Another editor's habits: a byte-order mark, CR LF line ends, comments and quotes.
    WriteText((folder / "edited.ini").string(),
              "\xEF\xBB\xBF; edited by hand\r\n[output]\r\nDesDir = \"/music/\"\r\n"
              "OutputFormat=-3x\r\n\r\n[Other]\r\nkey=value\r\n[WMA]\r\nProfile=+47\r\n");
}

void LayoutSeeds(const fs::path& root) {
    const fs::path folder = root / "layouts";
    fs::create_directories(folder);
    std::vector<ColumnLayoutRecord> columns;
    for (int column = 0; column < 18; ++column) {
        columns.push_back({column % 5 == 3 ? 0 : 1, 60 + 10 * column});
    }
    WriteBytes((folder / "columns").string(), 0, ReportColumnLayout(columns).ToBytes());
    WriteBytes((folder / "sort").string(), 1,
               SortKeysToBytes({{4, 1}, {0, 0}, {7, 1}, {12, 0}, {17, 1}, {15, 1}}));
    WindowPlacement placement;
    placement.SetNormalRect(QRect(100, 80, 800, 600));
    WriteBytes((folder / "placement-normal").string(), 2, placement.ToBytes());
    placement.showCmd = WindowPlacement::ShowMinimized;
    placement.flags = WindowPlacement::RestoreToMaximized;
    WriteBytes((folder / "placement-minimised").string(), 2, placement.ToBytes() + char(0));
}

void PresetSeeds(const fs::path& root) {
    const fs::path folder = root / "wma_presets";
    fs::create_directories(folder);
    fs::copy_file(ProgramFolder() + "Tonquill.prx", folder / "Tonquill.prx",
                  fs::copy_options::overwrite_existing);
    WriteText((folder / "short.prx").string(),
              "# two presets\r\n12|8000|1|0| WMA 9.2    0kbps;  8000 Hz;   Mono; CBR;\r\n"
              "47|44100|2|128000| WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;\r\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const fs::path root = argv[1];
        MediaSeeds(root);
        TagSeeds(root);
        SettingsSeeds(root);
        LayoutSeeds(root);
        PresetSeeds(root);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "seed writer: %s\n", error.what());
        return 1;
    }
    return 0;
}
