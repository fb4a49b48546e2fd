#pragma once

namespace tonquill {

// The window program's start: its command line (help and version need no display), the single
// instance, the main window, and the exit code.
class CTonquillApp {
public:
    static int Run(int argc, char** argv);
};

}  // namespace tonquill
