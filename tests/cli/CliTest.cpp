#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <FLAC/stream_encoder.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include "base/AudioFormat.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace tonquill::test {
namespace {

namespace fs = std::filesystem;

bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

void WriteWav(const std::string& path, int rate, int channels, size_t frames, uint32_t seed) {
    WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, channels,
                   TestSignal16(frames, channels, seed));
}

std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What ffprobe says of a file: "key=value" lines of the format, the first stream and the title
// and artist tags wherever the container keeps them.
std::string Ffprobe(const std::string& path) {
    const std::string command =
        "ffprobe -v error -show_entries "
        "format=format_name,duration:stream=sample_rate,channels:format_tags=title,artist:"
        "stream_tags=title,artist -of default=nw=1 '" +
        path + "' 2>&1";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (fgets(buffer, sizeof buffer, pipe)) {
            text += buffer;
        }
        pclose(pipe);
    }
    return text;
}

double FfprobeDuration(const std::string& report) {
    const size_t at = report.find("duration=");
    return at == std::string::npos ? -1.0 : std::atof(report.c_str() + at + 9);
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every usage error exits with 2 and names what would have been valid.
struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* expected;
};

class CliUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, ExitsTwoNamingTheValidValues) {
    const CliResult result = RunCli(GetParam().args);
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find(GetParam().expected), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliUsageTest,
    ::testing::Values(
        UsageCase{"UnknownCommand", {"frobnicate"}, "valid: convert, probe, settings"},
        UsageCase{
            "UnknownFormat", {"convert", "-f", "aac", "a.wav"}, "wav, mp3, wma, ogg, flac, opus"},
        UsageCase{
            "BitrateOutsideTable", {"convert", "-f", "mp3", "-b", "100", "a.wav"}, "8, 16, 24, 32"},
        UsageCase{"QualityAboveOne", {"convert", "-f", "ogg", "-q", "1.5", "a.wav"}, "-0.1 to 1.0"},
        UsageCase{"QualityBetweenSteps",
                  {"convert", "-f", "ogg", "--quality=0.25", "a.wav"},
                  "-0.1 to 1.0"},
        UsageCase{"RateOutsideTable",
                  {"convert", "-f", "wav", "-r", "44000", "a.wav"},
                  "auto, 8000, 11025"},
        UsageCase{"JointStereoForOgg",
                  {"convert", "-f", "ogg", "-c", "joint", "a.wav"},
                  "auto, mono, stereo)"},
        UsageCase{"BitrateForOggOutput",
                  {"convert", "-f", "ogg", "-b", "128", "a.wav"},
                  "applies to MP3 output"},
        UsageCase{"RateForWma", {"convert", "-f", "wma", "-r", "44100", "a.wav"}, "preset"},
        UsageCase{"WmaPresetOutsideList",
                  {"convert", "-f", "wma", "--wma-preset", "7", "a.wav"},
                  "12 to 55"},
        UsageCase{"FlacLevelOutsideRange",
                  {"convert", "-f", "flac", "--flac-level", "9", "a.wav"},
                  "0 to 8"},
        UsageCase{
            "EightBitFlac", {"convert", "-f", "flac", "--bits", "8", "a.wav"}, "FLAC: 16, 24"},
        UsageCase{
            "BitsForMp3", {"convert", "-f", "mp3", "--bits", "16", "a.wav"}, "WAV: 8, 16, 24"},
        UsageCase{
            "RateForFlac", {"convert", "-f", "flac", "-r", "44100", "a.wav"}, "source's rate"},
        // --jobs takes what OUTPUT/Jobs takes, so a value tried here can be stored.
        UsageCase{"JobsAboveSixteen",
                  {"convert", "-j", "17", "a.wav"},
                  "0 (one per processor core) to 16"},
        UsageCase{"OpusBitrateBelowRange",
                  {"convert", "-f", "opus", "-b", "5", "a.wav"},
                  "OPUS: 6 to 510"},
        UsageCase{"Mp3BitrateOnlyOpusHas",
                  {"convert", "-f", "mp3", "-b", "100", "a.wav"},
                  "8, 16, 24, 32"},
        UsageCase{"NoPaths", {"convert", "-f", "wav"}, "at least one file"},
        UsageCase{"OutAndSameAsSource",
                  {"convert", "-o", "x", "--same-as-source", "a.wav"},
                  "exclude each other"},
        UsageCase{"MissingValue", {"convert", "a.wav", "--format"}, "needs a value"},
        UsageCase{"JsonIsNotAConvertOption", {"convert", "--json", "a.wav"}, "unknown option"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliTest, HelpAndVersionExitZero) {
    const CliResult help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: tonquill-cli convert"), std::string::npos);
    const CliResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("tonquill-cli ", 0), 0u) << version.out;
}

// The completion script, loaded into bash, offers what the command line accepts at each place.
TEST(CliTest, BashCompletionOffersCommandsOptionsValuesAndFolders) {
    TempDir dir;
    const CliResult script = RunCli({"completion", "bash"});
    ASSERT_EQ(script.exitCode, 0) << script.err;
    std::ofstream(dir / "tonquill-cli.bash") << script.out;
    fs::create_directories(dir / "out dir");
    std::ofstream(dir / "song.wav") << "x";

    struct Case {
        std::vector<std::string> words;  // the command line, the word being completed last
        std::string offered;             // COMPREPLY, one word a line, sorted
    };
    // -f offers every output format of the table.
    std::vector<std::string> extensions;
    for (const FormatInfo& format : FormatTable) {
        extensions.push_back(format.extension);
    }
    std::sort(extensions.begin(), extensions.end());
    std::string formatWords;
    for (const std::string& extension : extensions) {
        formatWords += extension + "\n";
    }
    const std::vector<Case> cases = {
        {{"con"}, "convert\n"},
        {{""}, "--help\n--version\ncompletion\nconvert\nprobe\nsettings\n"},
        {{"convert", "--for"}, "--format\n"},
        {{"probe", "--j"}, "--json\n"},
        {{"settings", "--j"}, ""},  // --jobs belongs to convert alone
        {{"settings", "--sav"}, "--save\n"},
        {{"convert", "-f", ""}, formatWords},
        {{"convert", "-b", "1"}, "112\n128\n16\n160\n192\n"},
        {{"settings", "--wma-preset", "5"}, "50\n51\n52\n53\n54\n55\n"},
        {{"convert", "--channels", "d"}, "dual\n"},
        {{"convert", "--quality", "-"}, "-0.1\n"},
        {{"convert", "-o", dir / "ou"}, dir / "out dir" + "\n"},
        {{"convert", dir / "so"}, dir / "song.wav" + "\n"},
        {{"completion", ""}, "bash\n"},
    };
    for (const Case& c : cases) {
        std::string words = "tonquill-cli";
        for (const std::string& word : c.words) {
            words += " '" + word + "'";
        }
        const std::string program = "source '" + dir / "tonquill-cli.bash" + "'\nCOMP_WORDS=(" +
                                    words + ")\nCOMP_CWORD=" + std::to_string(c.words.size()) +
                                    "\n_tonquill_cli\n"
                                    "[[ ${#COMPREPLY[@]} -gt 0 ]] && printf '%s\\n' "
                                    "\"${COMPREPLY[@]}\" | LC_ALL=C sort\ntrue\n";
        const CliResult run = RunProgram("/bin/bash", {"-c", program});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, c.offered) << words;
    }
}

TEST(CliTest, ConvertsAFolderWithTheNumberedLogAndExitsZero) {
    TempDir dir;
    fs::create_directories(dir / "src/sub");
    WriteWav(dir / "src/a.wav", 22050, 1, 22050, 1);
    WriteWav(dir / "src/b.WAV", 44100, 2, 30000, 2);
    WriteWav(dir / "src/sub/c.wav", 8000, 1, 8000, 3);
    fs::create_directories(dir / "src/ignored.wav");  // a folder, not a file

    const CliResult result =
        RunCli({"convert", "--no-config", "-f", "wav", "-o", dir / "out", "-j", "1", dir / "src"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;

    const auto log = LogTexts(result.out);
    ASSERT_FALSE(log.empty()) << result.out;
    EXPECT_EQ(log.front(), std::string(99, '-'));
    EXPECT_TRUE(Contains(log, "Source:  " + (dir / "src/a.wav") + "."));
    EXPECT_TRUE(Contains(log, "Destination: " + (dir / "out/b.wav") + "."));
    EXPECT_EQ(std::count(log.begin(), log.end(), "Converting status: OK."), 2);
    EXPECT_EQ(log.back().rfind("Total time elapsed ", 0), 0u) << log.back();
    // Without -R the subfolder stays out.
    EXPECT_EQ(FileNames(dir.path() / "out"), (std::vector<std::string>{"a.wav", "b.wav"}));

    const SoundFile in = ReadSoundFile(dir / "src/b.WAV");
    const SoundFile out = ReadSoundFile(dir / "out/b.wav");
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.samples, in.samples);
}

// A folder of every source format converted to each output format, checked with ffprobe.
struct OutputCase {
    const char* format;
    const char* formatName;  // ffprobe's name of the container
    std::vector<std::string> options;
    const char* rate;
    const char* channels;
    bool tags;
    bool keepsSourceRate;  // the 48 kHz Opus source stays at 48 kHz
};

class CliFormatTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(CliFormatTest, ConvertsAMixedFolder) {
    const OutputCase& c = GetParam();
    TempDir dir;
    fs::create_directories(dir / "src");
    const auto signal = TestSignal16(44100 * 2, 2, 5);
    WriteSoundFile(dir / "src/w.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, signal);
    WriteSoundFile(dir / "src/o.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, signal);
    WriteSoundFile(dir / "src/m.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, signal);
    WriteSoundFile(dir / "src/f.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, signal);
    WriteSoundFile(dir / "src/p.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2, signal);
    {
        TagLib::FileRef mp3((dir / "src/m.mp3").c_str());
        ASSERT_FALSE(mp3.isNull());
        mp3.tag()->setTitle("Night Song");
        mp3.tag()->setArtist("The Testers");
        ASSERT_TRUE(mp3.save());
    }
    const CliResult wma = RunCli(
        {"convert", "--no-config", "--quiet", "-f", "wma", "-o", dir / "src", dir / "src/w.wav"});
    ASSERT_EQ(wma.exitCode, 0) << wma.err;
    ASSERT_TRUE(fs::exists(dir / "src/w.wma"));

    std::vector<std::string> args = {"convert", "--no-config", "--quiet",  "-f",
                                     c.format,  "-o",          dir / "out"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir / "src");
    const CliResult result = RunCli(args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // w.wav and w.wma share a base name: the second one to finish gets "w (2)".
    const std::string ext = std::string(".") + c.format;
    std::vector<std::string> expected = {"f" + ext, "m" + ext,     "o" + ext,
                                         "p" + ext, "w (2)" + ext, "w" + ext};
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(FileNames(dir.path() / "out"), expected);
    for (const auto& name : expected) {
        const std::string report = Ffprobe(dir / ("out/" + name));
        EXPECT_NE(report.find(std::string("format_name=") + c.formatName), std::string::npos)
            << name << "\n"
            << report;
        const char* rate = c.keepsSourceRate && name[0] == 'p' ? "48000" : c.rate;
        EXPECT_NE(report.find(std::string("sample_rate=") + rate), std::string::npos)
            << name << "\n"
            << report;
        EXPECT_NE(report.find(std::string("channels=") + c.channels), std::string::npos)
            << name << "\n"
            << report;
        // MP3 padding adds a few hundredths per generation; a WMA stream also carries a frame
        // of silence before its audio and up to two after it, about 0.14 s at 44.1 kHz, and
        // "w (2)" from w.wma is the second generation.
        EXPECT_NEAR(FfprobeDuration(report), 2.0, 0.3) << name << "\n" << report;
    }
    // Vorbis comments name their fields in capitals.
    std::string tagged = Ffprobe(dir / ("out/m" + ext));
    std::transform(tagged.begin(), tagged.end(), tagged.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    for (const char* tag : {"tag:title=night song", "tag:artist=the testers"}) {
        EXPECT_EQ(tagged.find(tag) != std::string::npos, c.tags) << tag << "\n" << tagged;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliFormatTest,
    ::testing::Values(
        OutputCase{
            "mp3", "mp3", {"-b", "96", "-r", "22050", "-c", "mono"}, "22050", "1", true, false},
        OutputCase{"ogg", "ogg", {"-q", "0.2", "-r", "32000"}, "32000", "2", true, false},
        OutputCase{"wma", "asf", {"--wma-preset", "47"}, "44100", "2", true, false},
        OutputCase{"wav", "wav", {"--wav-bits", "8", "-c", "mono"}, "44100", "1", false, true},
        OutputCase{"flac", "flac", {"--flac-level", "8", "--bits", "24"}, "44100", "2", true, true},
        OutputCase{"opus", "ogg", {"-b", "64"}, "48000", "2", true, false}),
    [](const auto& info) { return std::string(info.param.format); });

// FLAC in Ogg, as libFLAC writes it, from 16-bit samples in the top half of 32-bit ones.
void WriteOggFlac(const std::string& path, int rate, int channels,
                  const std::vector<int32_t>& samples) {
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    ASSERT_NE(encoder, nullptr);
    FLAC__stream_encoder_set_channels(encoder, static_cast<unsigned>(channels));
    FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
    FLAC__stream_encoder_set_sample_rate(encoder, static_cast<unsigned>(rate));
    ASSERT_EQ(FLAC__stream_encoder_init_ogg_file(encoder, path.c_str(), nullptr, nullptr),
              FLAC__STREAM_ENCODER_INIT_STATUS_OK);
    std::vector<FLAC__int32> shifted(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        shifted[i] = samples[i] >> 16;
    }
    EXPECT_TRUE(FLAC__stream_encoder_process_interleaved(
        encoder, shifted.data(), static_cast<unsigned>(samples.size() / channels)));
    EXPECT_TRUE(FLAC__stream_encoder_finish(encoder));
    FLAC__stream_encoder_delete(encoder);
}

// An .oga file is read as what it holds: FLAC, Vorbis or Opus in Ogg.
TEST(CliTest, OgaFilesAreReadAsTheCodecTheyHold) {
    TempDir dir;
    fs::create_directories(dir / "src");
    const auto signal = TestSignal16(44100, 2, 3);
    WriteOggFlac(dir / "src/lossless.oga", 44100, 2, signal);
    ASSERT_FALSE(HasFatalFailure());
    WriteSoundFile(dir / "src/vorbis.oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, signal);
    WriteSoundFile(dir / "src/voice.oga", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2, signal);

    const CliResult result =
        RunCli({"convert", "--no-config", "--quiet", "-f", "wav", "-o", dir / "out", dir / "src"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(FileNames(dir.path() / "out"),
              (std::vector<std::string>{"lossless.wav", "voice.wav", "vorbis.wav"}));
    EXPECT_EQ(ReadSoundFile(dir / "out/lossless.wav").samples, signal);  // bit-exact
    EXPECT_EQ(ReadSoundFile(dir / "out/voice.wav").rate, 48000);
    EXPECT_EQ(ReadSoundFile(dir / "out/vorbis.wav").rate, 44100);
}

TEST(CliTest, NeverOverwritesAnExistingOutput) {
    TempDir dir;
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "out");
    WriteWav(dir / "src/song.wav", 22050, 1, 4000, 1);
    std::ofstream(dir / "out/song.wav") << "precious";

    for (const char* expected : {"song (2).wav", "song (3).wav"}) {
        const CliResult result = RunCli(
            {"convert", "--no-config", "-f", "wav", "-o", dir / "out", dir / "src/song.wav"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(
            Contains(LogTexts(result.out), "Destination: " + (dir / "out/") + expected + "."))
            << result.out;
        EXPECT_EQ(ReadSoundFile(dir / ("out/" + std::string(expected))).samples.size(), 4000u);
    }
    EXPECT_EQ(ReadText(dir / "out/song.wav"), "precious");
}

// A task fails when its output name cannot exist: the source's name is as long as a name may
// be, and the output's own name is taken, so the numbered name is too long to create.
TEST(CliTest, KeepGoingConvertsTheRestAndReportsTheFailure) {
    TempDir dir;
    fs::create_directories(dir / "src");
    fs::create_directories(dir / "out");
    const std::string longName = std::string(251, 'a') + ".wav";
    WriteWav(dir / ("src/" + longName), 22050, 1, 4000, 1);
    WriteWav(dir / "src/b.wav", 22050, 1, 4000, 2);
    WriteWav(dir / "src/c.wav", 22050, 1, 4000, 3);
    std::ofstream(dir / ("out/" + longName)) << "taken";

    const std::vector<std::string> args = {"convert",   "--no-config", "-f", "wav",      "-o",
                                           dir / "out", "-j",          "1",  dir / "src"};
    const CliResult stopped = RunCli(args);
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(Contains(LogTexts(stopped.err), "Converting status: ERROR.")) << stopped.err;
    EXPECT_NE(stopped.err.find("2 of 3 files were not started"), std::string::npos) << stopped.err;
    EXPECT_FALSE(fs::exists(dir / "out/b.wav"));

    auto keepGoing = args;
    keepGoing.insert(keepGoing.begin() + 1, "--keep-going");
    const CliResult result = RunCli(keepGoing);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("1 of 3 files failed:\ntonquill-cli:   " + (dir / "src/") + longName),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(fs::exists(dir / "out/b.wav"));
    EXPECT_TRUE(fs::exists(dir / "out/c.wav"));
    EXPECT_EQ(ReadText(dir / ("out/" + longName)), "taken");
}

// /proc refuses new folders with "no such file", which once sent the folder creation up and
// down the path for ever.
TEST(CliTest, AnOutputFolderThatCannotBeCreatedFailsEachTask) {
    TempDir dir;
    WriteWav(dir / "a.wav", 22050, 1, 4000, 1);
    WriteWav(dir / "b.wav", 22050, 1, 4000, 2);
    const CliResult result = RunCli({"convert", "--no-config", "--keep-going", "-f", "wav", "-o",
                                     "/proc/tonquill-nowhere/out", dir / "a.wav", dir / "b.wav"},
                                    {}, 60);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    const auto errors = LogTexts(result.err);
    // The window's line, then the folder and the system's reason.
    EXPECT_EQ(std::count(errors.begin(), errors.end(),
                         "Fail to create folder /proc/tonquill-nowhere/out ! "
                         "(/proc/tonquill-nowhere/out: No such file or directory)"),
              2)
        << result.err;
    EXPECT_NE(result.err.find("2 of 2 files failed"), std::string::npos) << result.err;
}

TEST(CliTest, TwoJobsWriteTheSameFilesAsOne) {
    TempDir dir;
    fs::create_directories(dir / "src");
    for (int i = 0; i < 5; ++i) {
        WriteWav(dir / ("src/t" + std::to_string(i) + ".wav"), 22050, 2, 10000 + 1000 * i,
                 static_cast<uint32_t>(i + 1));
    }
    for (const char* jobs : {"0", "1", "2"}) {
        const CliResult result =
            RunCli({"convert", "--no-config", "-f", "wav", "-o", dir / ("out" + std::string(jobs)),
                    "-j", jobs, dir / "src"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        // Each task's lines stay together even when two run at once.
        const auto log = LogTexts(result.out);
        for (size_t i = 0; i + 1 < log.size(); ++i) {
            if (log[i] == "Start a new converting task.") {
                EXPECT_EQ(log[i + 1].rfind("Source:  ", 0), 0u) << log[i + 1];
            }
        }
    }
    ASSERT_EQ(FileNames(dir.path() / "out1"), FileNames(dir.path() / "out2"));
    for (const auto& name : FileNames(dir.path() / "out1")) {
        EXPECT_EQ(ReadSoundFile(dir / ("out1/" + name)).samples,
                  ReadSoundFile(dir / ("out2/" + name)).samples)
            << name;
    }
}

TEST(CliTest, KeepFoldersNamePatternAndCoversShapeTheOutputFolder) {
    TempDir dir;
    fs::create_directories(dir / "library/a/b");
    fs::create_directories(dir / "library/c");
    WriteWav(dir / "library/a/b/song.wav", 8000, 1, 800, 1);
    WriteWav(dir / "library/c/song.wav", 8000, 1, 800, 2);
    WriteSoundFile(dir / "library/c/other.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 8000, 1,
                   TestSignal16(800, 1, 3));
    std::ofstream(dir / "library/c/Folder.JPG") << "picture";
    {
        TagLib::FileRef tagged((dir / "library/c/other.ogg").c_str());
        tagged.tag()->setArtist("AC/DC");
        tagged.tag()->setTitle("Live");
        TagLib::PropertyMap properties = tagged.file()->properties();
        properties.replace("DISCNUMBER", TagLib::StringList("2/3"));
        tagged.file()->setProperties(properties);
        ASSERT_TRUE(tagged.save());
    }
    const auto convert = [](std::vector<std::string> more) {
        std::vector<std::string> args = {"convert", "--no-config", "-f", "wav", "-j", "1", "-R"};
        args.insert(args.end(), more.begin(), more.end());
        return RunCli(args);
    };

    // Same names in different folders stay apart, each in its own folder; the cover goes once
    // to a folder that two outputs share.
    const CliResult kept =
        convert({"--keep-folders", "--copy-covers", "-o", dir / "kept0", dir / "library/"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(FileNames(dir.path() / "kept0/a/b"), std::vector<std::string>{"song.wav"});
    EXPECT_EQ(FileNames(dir.path() / "kept0/c"),
              (std::vector<std::string>{"Folder.JPG", "other.wav", "song.wav"}));
    EXPECT_EQ(ReadText(dir / "kept0/c/Folder.JPG"), "picture");

    // The pattern names from the tags, falling back to the source's name where they are empty.
    const CliResult result = convert(
        {"--name-pattern", "{artist}/{disc}-{title}", "-o", dir / "named", dir / "library/c"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(FileNames(dir.path() / "named"), (std::vector<std::string>{"AC_DC", "song.wav"}));
    EXPECT_EQ(FileNames(dir.path() / "named/AC_DC"), std::vector<std::string>{"2-Live.wav"});
}

TEST(CliTest, WithoutTheWmaModuleOnlyWmaFails) {
    // A program folder holding everything but wma_component.so.
    TempDir dir;
    const fs::path built = fs::path(TONQUILL_CLI_PATH).parent_path();
    fs::create_directories(dir / "bin");
    for (const char* name : {"tonquill-cli", "lame_enc.so", "Tonquill.prx"}) {
        fs::copy_file(built / name, dir.path() / "bin" / name);
    }
    WriteWav(dir / "tone.wav", 44100, 2, 4410, 1);
    const std::string program = dir / "bin/tonquill-cli";

    const CliResult mp3 = RunProgram(program, {"convert", "--no-config", "--quiet", "-f", "mp3",
                                               "-o", dir / "out", dir / "tone.wav"});
    EXPECT_EQ(mp3.exitCode, 0) << mp3.err;
    EXPECT_TRUE(fs::exists(dir / "out/tone.mp3"));

    // Two files on two pipelines: the component's messages come once, not once per pipeline.
    WriteWav(dir / "tone2.wav", 44100, 2, 4410, 2);
    const CliResult wma =
        RunProgram(program, {"convert", "--no-config", "--quiet", "-j", "2", "-f", "wma", "-o",
                             dir / "out", dir / "tone.wav", dir / "tone2.wav"});
    EXPECT_EQ(wma.exitCode, 1);
    const auto count = [&](const std::string& text) {
        size_t n = 0;
        for (size_t at = wma.err.find(text); at != std::string::npos;
             at = wma.err.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("Error on CreateInstance ActiveX WMAFile2!"), 2u) << wma.err;  // reader, writer
    EXPECT_EQ(count("Error on Initializing ActiveX Controls!"), 1u) << wma.err;
    EXPECT_FALSE(fs::exists(dir / "out/tone.wma"));
}

TEST(CliTest, ProbeJsonGivesTheRowOfEachFile) {
    TempDir dir;
    WriteWav(dir / "tone.wav", 22050, 1, 22050 * 3, 1);
    const CliResult result = RunCli({"probe", "--json", dir / "tone.wav"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const std::string& field : std::vector<std::string>{
             "\"name\": \"tone.wav\"", "\"path\": \"" + (dir / "") + "\"", "\"type\": \"WAV\"",
             "\"duration\": \"00:00:03\"", "\"frequency\": \"22050 Hz\"",
             "\"channel\": \"1 (Mono)\"", "\"unreadable\": false", "\"sampleRate\": 22050",
             "\"channels\": 1", "\"totalSamples\": 66150", "\"cover\": false"}) {
        EXPECT_NE(result.out.find(field), std::string::npos) << field << "\n" << result.out;
    }

    // A file whose tags hold a picture says so.
    const std::string flac = dir / "covered.flac";
    WriteSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, TestSignal16(22050, 1));
    {
        TagLib::FLAC::File file(flac.c_str(), false);
        auto* picture = new TagLib::FLAC::Picture;
        picture->setMimeType("image/png");
        picture->setData(TagLib::ByteVector("not much of a picture"));
        file.addPicture(picture);
        ASSERT_TRUE(file.save());
    }
    const CliResult covered = RunCli({"probe", "--json", flac});
    EXPECT_NE(covered.out.find("\"cover\": true"), std::string::npos) << covered.out;

    const CliResult missing = RunCli({"probe", "--json", dir / "absent.mp3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot access"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "[]\n");
}

TEST(CliTest, UnreadableFilesAreSkippedWithALine) {
    TempDir dir;
    fs::create_directories(dir / "src");
    std::ofstream(dir / "src/broken.wav") << "not a wave file at all";
    WriteWav(dir / "src/good.wav", 22050, 1, 4000, 1);
    const CliResult result =
        RunCli({"convert", "--no-config", "-f", "wav", "-o", dir / "out", dir / "src"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("skipping '" + (dir / "src/broken.wav") +
                              "': it cannot be read as WAV audio"),
              std::string::npos)
        << result.err;
    // The exit code says the run was incomplete; the last line says why.
    EXPECT_NE(result.err.find("1 file(s) could not be read and were skipped"), std::string::npos)
        << result.err;
    EXPECT_EQ(FileNames(dir.path() / "out"), std::vector<std::string>{"good.wav"});
}

TEST(CliTest, SettingsReadConfigIniAndNeverWriteIt) {
    TempDir dir;
    fs::create_directories(dir / "Tonquill");
    const std::string ini = "[OUTPUT]\nOutputFormat=4\n[OGG]\nQualityCompression=-1\n";
    std::ofstream(dir / "Tonquill/Config.ini") << ini;
    const std::string env = "XDG_CONFIG_HOME=" + dir.path().string();

    const CliResult stored = RunCli({"settings"}, {env});
    ASSERT_EQ(stored.exitCode, 0) << stored.err;
    EXPECT_NE(stored.out.find("OGG: Automatic Frequency; Automatic Channel; Quality : -0.1;"),
              std::string::npos)
        << stored.out;
    EXPECT_NE(stored.out.find(dir / "Tonquill/Config.ini"), std::string::npos) << stored.out;

    const CliResult changed = RunCli({"settings", "-f", "mp3", "-b", "320", "-c", "joint"}, {env});
    EXPECT_NE(changed.out.find("MP3:  CBR 320 kbps; Automatic Frequency; Joint Stereo;"),
              std::string::npos)
        << changed.out;
    EXPECT_EQ(ReadText(dir / "Tonquill/Config.ini"), ini);
    // Options without --save say that they stored nothing.
    EXPECT_NE(changed.out.find("nothing was saved (--save stores them)"), std::string::npos)
        << changed.out;
    EXPECT_EQ(stored.out.find("nothing was saved"), std::string::npos) << stored.out;

    TempDir empty;
    RunCli({"settings"}, {"XDG_CONFIG_HOME=" + empty.path().string()});
    EXPECT_FALSE(fs::exists(empty.path() / "Tonquill"));
}

// --save keeps the settings shown, so the next run and the window start from them; what the
// file held beyond the fields stays.
TEST(CliTest, SettingsSaveStoresTheChangedSettings) {
    TempDir dir;
    fs::create_directories(dir / "Tonquill");
    std::ofstream(dir / "Tonquill/Config.ini") << "[OUTPUT]\nLastDir=/music/\n[MINE]\nKept=1\n";
    const std::string env = "XDG_CONFIG_HOME=" + dir.path().string();
    const CliResult saved = RunCli({"settings", "-f", "ogg", "-q", "0.6", "--save"}, {env});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_NE(saved.out.find("Saved in " + (dir / "Tonquill/Config.ini")), std::string::npos)
        << saved.out;
    const CliResult shown = RunCli({"settings"}, {env});
    EXPECT_NE(shown.out.find("OUTPUT/OutputFormat=4\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("OGG/QualityCompression=6\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("OUTPUT/LastDir=/music/\n"), std::string::npos) << shown.out;
    EXPECT_NE(ReadText(dir / "Tonquill/Config.ini").find("[MINE]\nKept=1"), std::string::npos);

    // A folder where the settings cannot be written: the run says so and fails.
    std::ofstream(dir / "blocker") << "a file where the settings folder should be";
    const CliResult refused =
        RunCli({"settings", "-f", "wav", "--save"}, {"XDG_CONFIG_HOME=" + (dir / "blocker")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("could not be saved"), std::string::npos) << refused.err;
}

// A name may hold escape sequences; the log shows them escaped, so a file cannot recolour the
// terminal, move its cursor or hide its own name.
TEST(CliTest, ControlCharactersInNamesAreShownEscaped) {
    TempDir dir;
    const std::string hostile =
        "a\x1b[31mred\x07\xc2\x9b"
        "2J.wav";
    WriteWav(dir / hostile, 22050, 1, 4000, 1);
    std::ofstream(dir / ("bad\x1b]0;title\x07.wav")) << "not audio";
    const CliResult result = RunCli({"convert", "--no-config", "--keep-going", "-f", "wav", "-o",
                                     dir / "out", dir.path().string()});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    for (const std::string* text : {&result.out, &result.err}) {
        EXPECT_EQ(text->find('\x1b'), std::string::npos) << *text;
        EXPECT_EQ(text->find('\x07'), std::string::npos) << *text;
        EXPECT_EQ(text->find("\xc2\x9b"), std::string::npos) << *text;
    }
    EXPECT_NE(result.out.find("a\\x1B[31mred\\x07\\u009B2J.wav"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("bad\\x1B]0;title\\x07.wav"), std::string::npos) << result.err;
    // The file itself keeps its name.
    EXPECT_TRUE(fs::exists(dir.path() / "out" / hostile));
}

TEST(CliTest, OutputFolderFromConfigIniWithoutItsFinalSlashHoldsTheOutputs) {
    TempDir dir;
    fs::create_directories(dir / "Tonquill");
    std::ofstream(dir / "Tonquill/Config.ini")
        << "[OUTPUT]\nOutputFormat=1\nDesDir=" << (dir / "out") << "\n";
    WriteWav(dir / "f.wav", 22050, 1, 4000, 1);
    const CliResult result =
        RunCli({"convert", dir / "f.wav"}, {"XDG_CONFIG_HOME=" + dir.path().string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(FileNames(dir.path() / "out"), std::vector<std::string>{"f.wav"});
    EXPECT_FALSE(fs::exists(dir / "outf.wav"));
}

TEST(CliTest, ProbeNamesTheFileItCannotReadAndExitsOne) {
    TempDir dir;
    std::ofstream(dir / "empty.mp3").flush();
    WriteWav(dir / "tone.wav", 22050, 1, 22050, 1);
    const CliResult result = RunCli({"probe", dir / "empty.mp3", dir / "tone.wav"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(dir / "empty.mp3" + ": the file is empty"), std::string::npos)
        << result.err;
    // Every row is still listed, the unreadable one as "Unknown".
    EXPECT_NE(result.out.find("tone.wav"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Unknown"), std::string::npos) << result.out;
}

// A file named directly that no format takes says why: an .oga file is named for its
// container, so what it lacks is a stream that can be read.
TEST(CliTest, FilesOfNoFormatSayWhyTheyAreSkipped) {
    TempDir dir;
    std::ofstream(dir / "notes.txt") << "text";
    std::ofstream(dir / "bad.oga") << "not an Ogg stream";
    const CliResult result = RunCli({"convert", "--no-config", "-f", "wav", "-o", dir / "out",
                                     dir / "notes.txt", dir / "bad.oga"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.err.find("skipping '" + dir / "notes.txt" + "': not a " +
                              FormatNamesText("or") + " file"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("skipping '" + dir / "bad.oga" +
                              "': its Ogg content is not Vorbis, FLAC or Opus audio"),
              std::string::npos)
        << result.err;
}

// A file or folder the system refuses: the log line as the window shows it, then the path and
// the system's reason.
TEST(CliTest, RefusedOutputsAddThePathAndTheSystemsReason) {
    TempDir dir;
    WriteWav(dir / "tone.wav", 22050, 1, 4000, 1);
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    struct Case {
        std::string out;
        std::string line;
    };
    const Case cases[] = {
        {dir / "blocker/sub", "Fail to create folder " + (dir / "blocker/sub") + " ! (" +
                                  (dir / "blocker/sub") + ": Not a directory)"},
        // Nothing can be created in /proc.
        {"/proc", "Error creating file /proc/tone.ogg (/proc/tone.ogg: No such file or directory)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const CliResult result =
            RunCli({"convert", "--no-config", "-f", "ogg", "-o", c.out, dir / "tone.wav"});
        EXPECT_EQ(result.exitCode, 1);
        const std::vector<std::string> errors = LogTexts(result.err);
        EXPECT_TRUE(Contains(errors, c.line)) << result.err;
    }
}

TEST(CliTest, Mp3BitrateTheRateCannotCarryIsLoggedWithTheOneUsed) {
    TempDir dir;
    WriteWav(dir / "tone.wav", 44100, 1, 8000, 1);
    const CliResult result = RunCli(
        {"convert", "--no-config", "-f", "mp3", "-b", "8", "-o", dir / "out", dir / "tone.wav"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(LogTexts(result.out),
                         "MP3 bitrate 8 kbit/s is not possible at 44100 Hz; encoding at 32 "
                         "kbit/s, the nearest bitrate MPEG audio allows at that rate"))
        << result.out;
}

// Polls pred every few milliseconds until it holds or the timeout passes.
bool Eventually(const std::function<bool()>& pred, int timeoutSeconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

uintmax_t SizeOf(const std::string& path) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : size;
}

class CliInterruptTest : public ::testing::TestWithParam<int> {};

// Two short files convert, then the signal comes while the next two are half done and three
// wait: exit 130, the two running end as a cancel ends them (their outputs stay, closed and
// shorter than their sources), the three waiting never start, and the two finished outputs are
// left as they were.
TEST_P(CliInterruptTest, DuringTwoJobsEndsRunningFilesAndStartsNoOther) {
    const int signal = GetParam();
    TempDir dir;
    fs::create_directories(dir / "src");
    WriteWav(dir / "src/a.wav", 22050, 1, 4410, 1);
    WriteWav(dir / "src/b.wav", 22050, 1, 4410, 2);
    const size_t longFrames = 44100 * 60;
    for (const char* name : {"c", "d", "e", "f", "g"}) {
        WriteWav(dir / ("src/" + std::string(name) + ".wav"), 44100, 2, longFrames,
                 static_cast<uint32_t>(name[0]));
    }

    auto program = StartCli({"convert", "--no-config", "-f", "mp3", "-b", "128", "-j", "2", "-o",
                             dir / "out", dir / "src"});
    // With two jobs each file's lines are written when it ends: two "OK" lines mean a and b are
    // complete; c and d then run, and their outputs fill.
    ASSERT_TRUE(Eventually([&] {
        const auto log = LogTexts(program->Output());
        return std::count(log.begin(), log.end(), "Converting status: OK.") == 2 ||
               !program->Running();
    }));
    ASSERT_TRUE(program->Running()) << program->Output();
    std::map<std::string, std::pair<std::string, fs::file_time_type>> finished;
    for (const char* name : {"a.mp3", "b.mp3"}) {
        const std::string path = dir / ("out/" + std::string(name));
        finished[name] = {ReadText(path), fs::last_write_time(path)};
    }
    ASSERT_TRUE(Eventually([&] {
        return (SizeOf(dir / "out/c.mp3") > 0 && SizeOf(dir / "out/d.mp3") > 0) ||
               !program->Running();
    }));
    program->Signal(signal);
    const CliResult result = program->Wait();

    EXPECT_EQ(result.signal, 0);
    ASSERT_EQ(result.exitCode, 130) << result.err;
    EXPECT_NE(result.err.find("2 of 7 files were cut short"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("interrupted; 3 of 7 files were not started"), std::string::npos)
        << result.err;
    for (const auto& [name, before] : finished) {
        const std::string path = dir / ("out/" + name);
        EXPECT_EQ(ReadText(path), before.first) << name;
        EXPECT_EQ(fs::last_write_time(path), before.second) << name;
    }
    for (const char* name : {"c.mp3", "d.mp3"}) {
        const double seconds = FfprobeDuration(Ffprobe(dir / ("out/" + std::string(name))));
        EXPECT_GT(seconds, 0.0) << name;
        EXPECT_LT(seconds, 59.0) << name;
    }
    EXPECT_EQ(FileNames(dir.path() / "out"),
              (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3", "d.mp3"}));
    const auto log = LogTexts(result.out);
    for (const char* name : {"e", "f", "g"}) {
        EXPECT_FALSE(Contains(log, "Source:  " + (dir / ("src/" + std::string(name))) + ".wav."))
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, CliInterruptTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT ? "Sigint" : "Sigterm");
                         });

// Ctrl-C while a large folder is still being read ends the command with 130 before it converts
// or prints anything.
TEST(CliTest, InterruptWhileReadingAFolderExits130) {
    TempDir dir;
    fs::create_directories(dir / "src");
    for (int i = 0; i < 1500; ++i) {
        WriteWav(dir / ("src/f" + std::to_string(i) + ".wav"), 8000, 1, 400,
                 static_cast<uint32_t>(i));
    }
    const std::vector<std::vector<std::string>> commands = {
        {"convert", "--no-config", "-f", "wav", "-o", dir / "out", dir / "src"},
        {"probe", dir / "src"}};
    for (const auto& args : commands) {
        const std::string& command = args.front();
        auto program = StartCli(args);
        ASSERT_TRUE(Eventually([&] { return program->Catches(SIGINT) || !program->Running(); }))
            << command;
        program->Signal(SIGINT);
        const CliResult result = program->Wait();
        EXPECT_EQ(result.signal, 0) << command;
        EXPECT_EQ(result.exitCode, 130) << command << ": " << result.err;
        EXPECT_NE(result.err.find("interrupted"), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << command << ": " << result.out.substr(0, 300);
        EXPECT_FALSE(fs::exists(dir / "out")) << command;
    }
}

// The help is made from the option table, so every option a command accepts is listed under it.
TEST(CliTest, HelpListsEachOptionUnderTheCommandsThatAcceptIt) {
    const std::string help = RunCli({"--help"}).out;
    const size_t convert = help.find("Convert options:");
    const size_t probe = help.find("Probe options:");
    ASSERT_NE(convert, std::string::npos) << help;
    ASSERT_NE(probe, std::string::npos) << help;
    const std::string probeSection = help.substr(probe);
    for (const char* option : {"--json", "-R, --recursive", "--quiet"}) {
        EXPECT_NE(probeSection.find(option), std::string::npos) << option << "\n" << help;
    }
    EXPECT_EQ(probeSection.find("--jobs"), std::string::npos) << help;
    EXPECT_NE(help.find("320"), std::string::npos);  // the bitrates come from their table
    EXPECT_EQ(RunCli({"probe", "--quiet", "/nonexistent.wav"}).exitCode, 1);
}

}  // namespace
}  // namespace tonquill::test
