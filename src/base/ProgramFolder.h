#pragma once

#include <string>

namespace tonquill {

// The folder of the running program, ending in '/': lame_enc.so, Tonquill.prx and the help page
// are installed there.
std::string ProgramFolder();

}  // namespace tonquill
