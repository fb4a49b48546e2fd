#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tonquill::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program at path with args and changes to the environment ("NAME=value" sets NAME,
// a bare "NAME" removes it), with the output streams captured. A run that does not end within
// the timeout is killed and reported with exit code -1, so a hang fails the test instead of
// stopping it.
CliResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}, int timeoutSeconds = 120);

// RunProgram on the built tonquill-cli.
CliResult RunCli(const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, int timeoutSeconds = 120);

// The lines of text that start with the numbered, timed prefix of the log ("001 12:34:56 ").
std::vector<std::string> LogTexts(const std::string& text);

}  // namespace tonquill::test
