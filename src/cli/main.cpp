#include <string>
#include <vector>

#include "cli/CliCommands.h"

int main(int argc, char** argv) {
    return tonquill::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
