#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tonquill {

// A mistake in the command line; the text says what was wrong and what would be right.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CliCommand { Help, Version, Convert, Probe, Settings, Completion };

// Setting values given on the command line, already checked against their tables. Rate and
// channels are kept as given, since their meaning depends on the output format in effect.
struct SettingOverrides {
    std::optional<int> outputFormat;      // FormatCode
    std::optional<int> bitrateKbps;       // MP3 (one of Mp3BitrateTable) or Opus bitrate
    std::optional<int> oggQuality;        // quality times ten
    std::optional<int> freqIndex;         // index of SampleRateTable, 0 automatic
    std::optional<std::string> channels;  // auto, mono, stereo, joint, dual
    std::optional<int> wavSubFormat;      // 0 unsigned 8-bit, 1 signed 16-bit, 2 signed 24-bit
    std::optional<int> flacLevel;         // 0 to 8
    std::optional<int> sampleBits;        // 8, 16 or 24: WAV or FLAC sample size
    std::optional<int> wmaProfile;        // preset number
    std::optional<std::string> outDir;
    bool sameAsSource = false;
    bool keepFolders = false;
    std::optional<std::string> namePattern;
    bool copyCovers = false;

    // Whether any setting was given.
    bool Any() const;
};

struct CommandLine {
    CliCommand command = CliCommand::Help;
    std::vector<std::string> paths;
    SettingOverrides overrides;
    bool recursive = false;
    bool noConfig = false;
    std::optional<int> jobs;  // as OUTPUT/Jobs: 0 one per core, 1 to 16; none: OUTPUT/Jobs
    bool save = false;        // settings: store the changed settings in Config.ini
    bool keepGoing = false;
    bool quiet = false;
    bool json = false;
};

// Parses the arguments after the program name. Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

// The bash completion script of `completion bash`: the commands, each command's options and the
// values each option's table allows, folders after --out and files elsewhere. Built from the same
// option table as --help, so the two cannot drift apart.
std::string BashCompletionScript();

}  // namespace tonquill
