#include <cstdio>
#include <exception>
#include <filesystem>

#include "cli/CliCommands.h"
#include "cli/TerminalText.h"
#include "settings/SettingsStore.h"

#ifndef TONQUILL_VERSION
#define TONQUILL_VERSION "unknown"
#endif

namespace tonquill {

ConversionSettings LoadCliSettings(const CommandLine& line, Console& console) {
    ConversionSettings settings;
    settings.OUTPUT.DesDir = SettingsStore::DefaultOutputFolder();
    if (!line.noConfig) {
        ConsoleObserver observer(console, true);
        SettingsStore store(SettingsStore::DefaultSettingsFolder(), observer);
        std::error_code ec;
        if (std::filesystem::exists(store.ConfigPath(), ec)) {
            store.LoadSettings(settings);
        }
    }
    return settings;
}

int RunCli(const std::vector<std::string>& args) {
    CommandLine line;
    try {
        line = ParseCommandLine(args);
        if (line.command == CliCommand::Help) {
            std::fputs(UsageText().c_str(), stdout);
            return ExitOk;
        }
        if (line.command == CliCommand::Completion) {
            std::fputs(BashCompletionScript().c_str(), stdout);
            return ExitOk;
        }
        if (line.command == CliCommand::Version) {
            std::printf("tonquill-cli %s\n", TONQUILL_VERSION);
            return ExitOk;
        }
        Console console(stdout, stderr, line.quiet);
        switch (line.command) {
            case CliCommand::Convert:
                return RunConvert(line, console);
            case CliCommand::Probe:
                return RunProbe(line, console);
            default:
                return RunSettings(line, console);
        }
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tonquill-cli: %s\nTry 'tonquill-cli --help'.\n",
                     TerminalText(error.what()).c_str());
        return ExitUsage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tonquill-cli: %s\n", TerminalText(error.what()).c_str());
        return ExitFailed;
    }
}

}  // namespace tonquill
