#pragma once

#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

// Exit codes of the program.
enum ExitCode : int { ExitOk = 0, ExitFailed = 1, ExitUsage = 2, ExitInterrupted = 130 };

// The settings a command starts from: Config.ini as the window left it (never written here),
// or the defaults with noConfig; then the command line's values.
ConversionSettings LoadCliSettings(const CommandLine& line, Console& console);

int RunConvert(const CommandLine& line, Console& console);
int RunProbe(const CommandLine& line, Console& console);
int RunSettings(const CommandLine& line, Console& console);

// The whole program after its name; the return value is the exit code.
int RunCli(const std::vector<std::string>& args);

}  // namespace tonquill
