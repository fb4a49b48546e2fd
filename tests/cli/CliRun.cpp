#include "cli/CliRun.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

extern char** environ;

namespace tonquill::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The name part of "NAME=value" (all of a bare "NAME").
std::string EnvName(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& environment,
                 int timeoutSeconds) {
    return RunProgram(TONQUILL_CLI_PATH, args, environment, timeoutSeconds);
}

CliResult RunProgram(const std::string& path, const std::vector<std::string>& args,
                     const std::vector<std::string>& environment, int timeoutSeconds) {
    StartedProgram program(path, args, environment);
    return program.Wait(timeoutSeconds);
}

std::unique_ptr<StartedProgram> StartCli(const std::vector<std::string>& args) {
    return std::make_unique<StartedProgram>(TONQUILL_CLI_PATH, args);
}

StartedProgram::StartedProgram(const std::string& path, const std::vector<std::string>& args,
                               const std::vector<std::string>& environment) {
    outPath_ = streams_ / "out.txt";
    errPath_ = streams_ / "err.txt";

    std::vector<std::string> argStrings{path};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argStrings) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    // Each change replaces the inherited entry of its name, which getenv would find first.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool changed = std::any_of(
            environment.begin(), environment.end(),
            [&](const std::string& change) { return EnvName(change) == EnvName(entry); });
        if (!changed) {
            envStrings.push_back(entry);
        }
    }
    for (const std::string& change : environment) {
        if (change.find('=') != std::string::npos) {
            envStrings.push_back(change);
        }
    }
    std::vector<char*> envp;
    for (auto& entry : envStrings) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        pid_ = pid;
    } else {
        ended_ = true;
        status_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

StartedProgram::~StartedProgram() {
    if (!ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool StartedProgram::Running() {
    if (!ended_ && waitpid(pid_, &status_, WNOHANG) == pid_) {
        ended_ = true;
    }
    return !ended_;
}

bool StartedProgram::Catches(int signal) const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signal - 1)) & 1;
        }
    }
    return false;
}

void StartedProgram::Signal(int signal) const {
    if (!ended_) {
        kill(pid_, signal);
    }
}

std::string StartedProgram::Output() const {
    return ReadAll(outPath_);
}

CliResult StartedProgram::Wait(int timeoutSeconds) {
    CliResult result;
    if (pid_ < 0) {
        result.err = "cannot start the program";
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (Running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            ended_ = true;
            result.out = ReadAll(outPath_);
            result.err = ReadAll(errPath_) + "\n[killed after the timeout]";
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFSIGNALED(status_)) {
        result.signal = WTERMSIG(status_);
        result.exitCode = 128 + result.signal;
    } else {
        result.exitCode = WEXITSTATUS(status_);
    }
    result.out = ReadAll(outPath_);
    result.err = ReadAll(errPath_);
    return result;
}

std::vector<std::string> LogTexts(const std::string& text) {
    static const std::regex prefix(R"(^\d{3,} \d\d:\d\d:\d\d (.*)$)");
    std::vector<std::string> texts;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (std::regex_match(line, match, prefix)) {
            texts.push_back(match[1]);
        }
    }
    return texts;
}

}  // namespace tonquill::test
