#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace tonquill::test {

struct CliResult {
    int exitCode = -1;  // 128 + the signal's number when a signal ended the program
    int signal = 0;     // the signal that ended the program, 0 when it exited
    std::string out;
    std::string err;
};

// Runs the program at path with args and changes to the environment ("NAME=value" sets NAME,
// a bare "NAME" removes it), with the output streams captured. A run that does not end within
// the timeout is killed and reported with exit code -1, so a hang fails the test instead of
// stopping it.
CliResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment = {}, int timeoutSeconds = 120);

// A program started with its output streams captured, for a test that acts while it runs.
class StartedProgram {
public:
    StartedProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::vector<std::string>& environment = {});
    ~StartedProgram();  // kills a program still running
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    bool Running();
    // Whether the program has set a handler for signal (its /proc status says so).
    bool Catches(int signal) const;
    void Signal(int signal) const;
    std::string Output() const;  // what it has written to standard output so far
    // Waits for the end; a program still running after the timeout is killed and reported with
    // exit code -1.
    CliResult Wait(int timeoutSeconds = 120);

private:
    TempDir streams_;
    std::string outPath_;
    std::string errPath_;
    int pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

// RunProgram on the built tonquill-cli.
CliResult RunCli(const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, int timeoutSeconds = 120);

// StartedProgram on the built tonquill-cli.
std::unique_ptr<StartedProgram> StartCli(const std::vector<std::string>& args);

// The lines of text that start with the numbered, timed prefix of the log ("001 12:34:56 ").
std::vector<std::string> LogTexts(const std::string& text);

}  // namespace tonquill::test
