#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "base/AsciiCase.h"
#include "base/AudioFormat.h"
#include "base/Format.h"
#include "convert/OutputSettings.h"
#include "convert/ParallelBatch.h"
#include "settings/ConversionSettings.h"

namespace tonquill {
namespace {

// A whole decimal number and nothing else.
std::optional<long> ParseInteger(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

template <typename Table>
std::string JoinValues(const Table& table, size_t first = 0) {
    std::string joined;
    for (size_t i = first; i < table.size(); ++i) {
        joined += (joined.empty() ? "" : ", ") + std::to_string(table[i]);
    }
    return joined;
}

[[noreturn]] void Invalid(const std::string& what, const std::string& value,
                          const std::string& valid) {
    throw UsageError(
        Format("invalid %s '%s' (valid: %s)", what.c_str(), value.c_str(), valid.c_str()));
}

int ParseFormat(const std::string& value) {
    std::string valid;
    for (const auto& info : FormatTable) {
        if (AsciiLower(value) == info.extension) {
            return info.code;
        }
    }
    for (const auto& info : FormatTable) {
        valid += (valid.empty() ? "" : ", ") + std::string(info.extension);
    }
    Invalid("format", value, valid);
}

// Any bitrate of either table: MP3's fixed list or Opus's range. Which one applies is settled
// once the output format is known.
int ParseBitrate(const std::string& value) {
    if (auto kbps = ParseInteger(value)) {
        const bool mp3 = std::find(Mp3BitrateTable.begin(), Mp3BitrateTable.end(), *kbps) !=
                         Mp3BitrateTable.end();
        if (mp3 || (*kbps >= MinOpusBitrate && *kbps <= MaxOpusBitrate)) {
            return static_cast<int>(*kbps);
        }
    }
    Invalid("bitrate", value,
            "MP3: " + JoinValues(Mp3BitrateTable) +
                Format("; OPUS: %d to %d (kbit/s)", MinOpusBitrate, MaxOpusBitrate));
}

int ParseQuality(const std::string& value) {
    errno = 0;
    char* end = nullptr;
    double q = std::strtod(value.c_str(), &end);
    if (!value.empty() && errno == 0 && *end == '\0' && std::isfinite(q)) {
        double tenths = std::round(q * 10.0);
        if (std::fabs(q * 10.0 - tenths) < 1e-6 && tenths >= -1 && tenths <= 10) {
            return static_cast<int>(tenths);
        }
    }
    Invalid("quality", value, "-0.1 to 1.0 in steps of 0.1");
}

int ParseRate(const std::string& value) {
    if (AsciiLower(value) == "auto") {
        return 0;
    }
    if (auto hz = ParseInteger(value)) {
        for (size_t i = 1; i < SampleRateTable.size(); ++i) {
            if (SampleRateTable[i] == *hz) {
                return static_cast<int>(i);
            }
        }
    }
    Invalid("rate", value, "auto, " + JoinValues(SampleRateTable, 1) + " (Hz)");
}

std::string ParseChannels(const std::string& value) {
    const std::string lower = AsciiLower(value);
    for (const char* name : {"auto", "mono", "stereo", "joint", "dual"}) {
        if (lower == name) {
            return lower;
        }
    }
    Invalid("channels", value, "auto, mono, stereo, joint, dual");
}

int ParseWavBits(const std::string& value) {
    if (value == "8") {
        return 0;
    }
    if (value == "16") {
        return 1;
    }
    if (value == "24") {
        return 2;
    }
    Invalid("WAV sample size", value, "8, 16, 24");
}

int ParseSampleBits(const std::string& value) {
    if (value == "8" || value == "16" || value == "24") {
        return std::stoi(value);
    }
    Invalid("sample size", value, "8, 16, 24");
}

int ParseFlacLevel(const std::string& value) {
    auto number = ParseInteger(value);
    if (number && *number >= 0 && *number <= 8) {
        return static_cast<int>(*number);
    }
    Invalid("FLAC compression level", value, "0 to 8");
}

int ParseWmaPreset(const std::string& value) {
    auto number = ParseInteger(value);
    if (number && *number >= 12 && *number <= 55) {
        return static_cast<int>(*number);
    }
    Invalid("WMA preset", value, "12 to 55");
}

// The values OUTPUT/Jobs takes, so a run can be tried on the command line and then stored.
int ParseJobs(const std::string& value) {
    auto number = ParseInteger(value);
    if (number && *number >= 0 && *number <= MaxPipelines) {
        return static_cast<int>(*number);
    }
    Invalid("job count", value, Format("0 (one per processor core) to %d", MaxPipelines));
}

// One option: its names, the value it takes, the commands it belongs to, its line of --help and
// what it does.
struct OptionSpec {
    char shortName;  // 0 when none
    const char* longName;
    const char* valueName;  // as --help names the value; null when it takes none
    bool forConvert;
    bool forProbe;
    bool forSettings;
    std::string help;  // '\n' starts a continuation line
    std::function<void(CommandLine&, const std::string&)> apply;

    bool TakesValue() const { return valueName != nullptr; }
};

// "mp3|ogg|...": the output formats in the order of the window's Format menu.
const char* FormatChoices() {
    static const std::string choices = [] {
        std::string text;
        for (const FormatInfo* format : FormatsInMenuOrder()) {
            text += (text.empty() ? "" : "|") + std::string(format->extension);
        }
        return text;
    }();
    return choices.c_str();
}

// "sample size of the output: WAV 8, 16, 24; FLAC 16, 24": each format that takes --bits.
std::string SampleBitsHelp() {
    std::string sizes;
    for (const FormatInfo& format : FormatTable) {
        const OutputSettings* output = FindOutputSettings(format.code);
        if (output && output->storeSampleBits) {
            sizes += (sizes.empty() ? "" : "; ") + std::string(format.name) + " " +
                     output->sampleBitsValues;
        }
    }
    return "sample size of the output: " + sizes;
}

const std::vector<OptionSpec>& Options() {
    static const std::vector<OptionSpec> options = {
        {'f', "format", FormatChoices(), true, false, true, "output format",
         [](CommandLine& c, const std::string& v) { c.overrides.outputFormat = ParseFormat(v); }},
        {'b', "bitrate", "KBPS", true, false, true,
         "MP3 bitrate: " + JoinValues(Mp3BitrateTable) +
             Format("\nOpus bitrate: %d to %d", MinOpusBitrate, MaxOpusBitrate),
         [](CommandLine& c, const std::string& v) { c.overrides.bitrateKbps = ParseBitrate(v); }},
        {'q', "quality", "Q", true, false, true, "Ogg Vorbis quality, -0.1 to 1.0 in steps of 0.1",
         [](CommandLine& c, const std::string& v) { c.overrides.oggQuality = ParseQuality(v); }},
        {'r', "rate", "auto|HZ", true, false, true,
         "output rate of the format: auto, " + JoinValues(SampleRateTable, 1),
         [](CommandLine& c, const std::string& v) { c.overrides.freqIndex = ParseRate(v); }},
        {'c', "channels", "auto|mono|stereo|joint|dual", true, false, true,
         "output channels (joint and dual: MP3 only)",
         [](CommandLine& c, const std::string& v) { c.overrides.channels = ParseChannels(v); }},
        {0, "wav-bits", "8|16|24", true, false, true, "WAV sample size",
         [](CommandLine& c, const std::string& v) { c.overrides.wavSubFormat = ParseWavBits(v); }},
        {0, "bits", "8|16|24", true, false, true, SampleBitsHelp(),
         [](CommandLine& c, const std::string& v) { c.overrides.sampleBits = ParseSampleBits(v); }},
        {0, "flac-level", "N", true, false, true, "FLAC compression level, 0 to 8",
         [](CommandLine& c, const std::string& v) { c.overrides.flacLevel = ParseFlacLevel(v); }},
        {0, "wma-preset", "N", true, false, true, "WMA preset, 12 to 55",
         [](CommandLine& c, const std::string& v) { c.overrides.wmaProfile = ParseWmaPreset(v); }},
        {'o', "out", "DIR", true, false, true, "write every output into DIR",
         [](CommandLine& c, const std::string& v) {
             if (v.empty()) {
                 throw UsageError("the output folder of -o/--out is empty");
             }
             c.overrides.outDir = v;
         }},
        {0, "same-as-source", nullptr, true, false, true, "write each output beside its source",
         [](CommandLine& c, const std::string&) { c.overrides.sameAsSource = true; }},
        {0, "keep-folders", nullptr, true, false, true,
         "keep the subfolders between a folder given and its files\n"
         "(library/a/b/song.wav -> DIR/a/b/song.mp3)",
         [](CommandLine& c, const std::string&) { c.overrides.keepFolders = true; }},
        {0, "name-pattern", "PATTERN", true, false, true,
         "name outputs from their tags, '/' making folders:\n"
         "{artist} {albumartist} {album} {track} {title} {genre} {date}\n"
         "{comment} {disc} {name}; {a|b} takes the first not empty,\n"
         "e.g. '{albumartist|artist}/{album}/{track} {title}'",
         [](CommandLine& c, const std::string& v) { c.overrides.namePattern = v; }},
        {0, "copy-covers", nullptr, true, false, true,
         "copy cover.jpg, folder.jpg and front.* beside the sources\n"
         "to their outputs' folders",
         [](CommandLine& c, const std::string&) { c.overrides.copyCovers = true; }},
        {0, "no-config", nullptr, true, false, true,
         "start from the default settings instead of Config.ini",
         [](CommandLine& c, const std::string&) { c.noConfig = true; }},
        {0, "save", nullptr, false, false, true,
         "store the settings shown in Config.ini, as the window's Options\n"
         "dialog does (without it, settings shows them and saves nothing)",
         [](CommandLine& c, const std::string&) { c.save = true; }},
        {'R', "recursive", nullptr, true, true, false, "scan subfolders too",
         [](CommandLine& c, const std::string&) { c.recursive = true; }},
        {'j', "jobs", "N", true, false, false,
         Format("convert N files at once, 0 (one per processor core) to %d\n"
                "(default: OUTPUT/Jobs of Config.ini)",
                MaxPipelines),
         [](CommandLine& c, const std::string& v) { c.jobs = ParseJobs(v); }},
        {0, "keep-going", nullptr, true, false, false,
         "convert every file and report the failures at the end\n"
         "(default: stop after the first failure)",
         [](CommandLine& c, const std::string&) { c.keepGoing = true; }},
        {0, "quiet", nullptr, true, true, false, "print errors only",
         [](CommandLine& c, const std::string&) { c.quiet = true; }},
        {0, "json", nullptr, false, true, false, "print the rows as JSON instead of a table",
         [](CommandLine& c, const std::string&) { c.json = true; }},
    };
    return options;
}

// The options of one group of --help, each as "  -x, --name VALUE   help", the help starting
// in one column and wrapped to lines of at most 100 characters.
std::string OptionLines(bool (*inGroup)(const OptionSpec&)) {
    constexpr size_t HelpColumn = 35;
    constexpr size_t LineWidth = 100;
    const std::string indent(HelpColumn, ' ');
    std::string text;
    for (const OptionSpec& option : Options()) {
        if (!inGroup(option)) {
            continue;
        }
        std::string names = option.shortName ? Format("  -%c, --", option.shortName) : "      --";
        names += option.longName;
        if (option.TakesValue()) {
            names += std::string(" ") + option.valueName;
        }
        text += names.size() + 1 < HelpColumn ? names + std::string(HelpColumn - names.size(), ' ')
                                              : names + "\n" + indent;
        // Words go onto the line while they fit; '\n' in the help starts a new line.
        size_t column = HelpColumn;
        size_t start = 0;
        while (start < option.help.size()) {
            if (option.help[start] == '\n') {
                text += "\n" + indent;
                column = HelpColumn;
                ++start;
                continue;
            }
            size_t end = option.help.find_first_of(" \n", start);
            end = end == std::string::npos ? option.help.size() : end;
            const std::string word = option.help.substr(start, end - start);
            if (column > HelpColumn && column + 1 + word.size() > LineWidth) {
                text += "\n" + indent;
                column = HelpColumn;
            } else if (column > HelpColumn) {
                text += ' ';
                ++column;
            }
            text += word;
            column += word.size();
            start = end < option.help.size() && option.help[end] == ' ' ? end + 1 : end;
        }
        text += '\n';
    }
    return text;
}

bool Allowed(const OptionSpec& spec, CliCommand command) {
    return (command == CliCommand::Convert && spec.forConvert) ||
           (command == CliCommand::Probe && spec.forProbe) ||
           (command == CliCommand::Settings && spec.forSettings);
}

const char* CommandName(CliCommand command) {
    switch (command) {
        case CliCommand::Convert:
            return "convert";
        case CliCommand::Probe:
            return "probe";
        default:
            return "settings";
    }
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) {
        throw UsageError("missing command (valid: convert, probe, settings)");
    }
    const std::map<std::string, CliCommand> commands = {
        {"convert", CliCommand::Convert},   {"probe", CliCommand::Probe},
        {"settings", CliCommand::Settings}, {"help", CliCommand::Help},
        {"--help", CliCommand::Help},       {"-h", CliCommand::Help},
        {"--version", CliCommand::Version}, {"completion", CliCommand::Completion}};
    auto found = commands.find(args[0]);
    if (found == commands.end()) {
        throw UsageError(
            Format("unknown command '%s' (valid: convert, probe, settings)", args[0].c_str()));
    }
    line.command = found->second;
    if (line.command == CliCommand::Help || line.command == CliCommand::Version) {
        return line;
    }
    if (line.command == CliCommand::Completion) {
        if (args.size() != 2 || args[1] != "bash") {
            throw UsageError("completion takes the shell's name (valid: bash)");
        }
        return line;
    }

    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.command = CliCommand::Help;
            return line;
        }

        // Split "--name=value", "--name", "-xVALUE" and "-x" into the option and its value.
        const OptionSpec* spec = nullptr;
        std::optional<std::string> value;
        std::string shown = arg;
        if (arg[1] == '-') {
            std::string name = arg.substr(2);
            size_t eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name = name.substr(0, eq);
            }
            shown = "--" + name;
            for (const auto& option : Options()) {
                if (name == option.longName) {
                    spec = &option;
                }
            }
        } else {
            shown = arg.substr(0, 2);
            for (const auto& option : Options()) {
                if (option.shortName == arg[1]) {
                    spec = &option;
                }
            }
            if (arg.size() > 2) {
                value = arg.substr(2);
            }
        }
        if (!spec || !Allowed(*spec, line.command)) {
            throw UsageError(
                Format("unknown option '%s' for %s", shown.c_str(), CommandName(line.command)));
        }
        if (spec->TakesValue() && !value) {
            if (i + 1 >= args.size()) {
                throw UsageError(Format("option '%s' needs a value", shown.c_str()));
            }
            value = args[++i];
        } else if (!spec->TakesValue() && value) {
            throw UsageError(Format("option '%s' takes no value", shown.c_str()));
        }
        spec->apply(line, value.value_or(""));
    }

    if (line.overrides.outDir && line.overrides.sameAsSource) {
        throw UsageError("-o/--out and --same-as-source exclude each other");
    }
    if (line.command != CliCommand::Settings && line.paths.empty()) {
        throw UsageError(Format("%s needs at least one file or folder", CommandName(line.command)));
    }
    if (line.command == CliCommand::Settings && !line.paths.empty()) {
        throw UsageError(Format("settings takes no files ('%s')", line.paths[0].c_str()));
    }
    return line;
}

bool SettingOverrides::Any() const {
    return outputFormat || bitrateKbps || oggQuality || freqIndex || channels || wavSubFormat ||
           flacLevel || sampleBits || wmaProfile || outDir || sameAsSource || keepFolders ||
           namePattern || copyCovers;
}

std::string UsageText() {
    return std::string(R"(Usage: tonquill-cli convert [options] PATH...
  or:  tonquill-cli probe [--json] [-R] [--quiet] PATH...
  or:  tonquill-cli settings [setting options] [--no-config] [--save]
  or:  tonquill-cli completion bash
  or:  tonquill-cli --help | --version

Converts audio files with the settings of the Tonquill window (Config.ini), changed by the
options below. Folders are scanned for the file types the settings accept. An existing file is
never overwritten: the output takes the name "name (2).ext".
)") +
           "Formats read and written: " + FormatNamesText() + ".\n" + R"(
Setting options (convert, settings):
)" + OptionLines([](const OptionSpec& o) { return o.forSettings && o.forConvert; }) +
           "\nConvert options:\n" +
           OptionLines([](const OptionSpec& o) { return o.forConvert && !o.forSettings; }) +
           "\nSettings options:\n" +
           OptionLines([](const OptionSpec& o) { return o.forSettings && !o.forConvert; }) +
           "\nProbe options:\n" + OptionLines([](const OptionSpec& o) { return o.forProbe; }) +
           R"(
Exit status: 0 all done, 1 a file failed or could not be read, 2 usage error,
130 interrupted (Ctrl-C).

"completion bash" prints the bash completion script (installed with the program).
)";
}

namespace {

// The words an option's value may be, as completion offers them; empty: anything (a number, a
// folder, ...).
std::string OptionValues(const OptionSpec& option) {
    const std::string name = option.longName;
    // "a|b" and "a, b" both become "a b".
    auto spaced = [](const std::string& text) {
        std::string words;
        for (char c : text) {
            if (c == '|' || c == ',') {
                c = ' ';
            }
            if (c != ' ' || (!words.empty() && words.back() != ' ')) {
                words += c;
            }
        }
        return words;
    };
    if (name == "bitrate") {
        return spaced(JoinValues(Mp3BitrateTable));
    }
    if (name == "quality") {
        std::string words = "-0.1";
        for (int tenth = 0; tenth <= 10; ++tenth) {
            words += Format(" %d.%d", tenth / 10, tenth % 10);
        }
        return words;
    }
    if (name == "rate") {
        return "auto " + spaced(JoinValues(SampleRateTable, 1));
    }
    if (name == "wma-preset") {
        std::string words;
        for (int preset = 12; preset <= 55; ++preset) {
            words += (words.empty() ? "" : " ") + std::to_string(preset);
        }
        return words;
    }
    // A value name of lower-case choices lists them itself: mp3|ogg|wav|wma, 8|16, ...
    const std::string value = option.valueName;
    const bool choices = value.find('|') != std::string::npos &&
                         std::none_of(value.begin(), value.end(), [](char c) {
                             return std::isupper(static_cast<unsigned char>(c));
                         });
    return choices ? spaced(value) : "";
}

std::string OptionWords(bool (*inGroup)(const OptionSpec&)) {
    std::string words;
    for (const OptionSpec& option : Options()) {
        if (inGroup(option)) {
            if (option.shortName) {
                words += Format("-%c ", option.shortName);
            }
            words += Format("--%s ", option.longName);
        }
    }
    return words + "--help";
}

}  // namespace

std::string BashCompletionScript() {
    std::string valueCases;
    std::string anyValue;
    for (const OptionSpec& option : Options()) {
        if (!option.TakesValue()) {
            continue;
        }
        std::string names = std::string("--") + option.longName;
        if (option.shortName) {
            names = Format("-%c|", option.shortName) + names;
        }
        const std::string values = OptionValues(option);
        if (std::string(option.longName) == "out") {
            valueCases += Format(
                "        %s)\n"
                "            compopt -o filenames 2>/dev/null\n"
                "            mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n"
                "            return ;;\n",
                names.c_str());
        } else if (!values.empty()) {
            valueCases += Format(
                "        %s)\n"
                "            mapfile -t COMPREPLY < <(compgen -W \"%s\" -- \"$cur\")\n"
                "            return ;;\n",
                names.c_str(), values.c_str());
        } else {
            anyValue += (anyValue.empty() ? "" : "|") + names;
        }
    }
    if (!anyValue.empty()) {
        valueCases += Format("        %s)\n            return ;;\n", anyValue.c_str());
    }
    const std::string convertWords = OptionWords([](const OptionSpec& o) { return o.forConvert; });
    const std::string probeWords = OptionWords([](const OptionSpec& o) { return o.forProbe; });
    const std::string settingsWords =
        OptionWords([](const OptionSpec& o) { return o.forSettings; });
    return Format(R"(# bash completion for tonquill-cli; made by "tonquill-cli completion bash".
_tonquill_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD-1]}
    COMPREPLY=()
    if [[ $COMP_CWORD -eq 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "convert probe settings completion --help --version" -- "$cur")
        return
    fi
    local command=${COMP_WORDS[1]}
    if [[ $command == completion ]]; then
        [[ $COMP_CWORD -eq 2 ]] && mapfile -t COMPREPLY < <(compgen -W "bash" -- "$cur")
        return
    fi
    case $prev in
%s    esac
    if [[ $cur == -* ]]; then
        local words
        case $command in
            convert) words="%s" ;;
            probe) words="%s" ;;
            settings) words="%s" ;;
            *) return ;;
        esac
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
        return
    fi
    if [[ $command == convert || $command == probe ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}
complete -F _tonquill_cli tonquill-cli
)",
                  valueCases.c_str(), convertWords.c_str(), probeWords.c_str(),
                  settingsWords.c_str());
}

}  // namespace tonquill
