#pragma once

#include <string>

namespace tonquill {

// The folder of the program's own files, ending in '/': lame_enc.so and Tonquill.prx. In the
// build tree they sit beside the executables; an installed program finds them in its private
// folder (lib/tonquill below the prefix), reached from the executable's folder.
std::string ProgramFolder();

// The help page: beside the programs in the build tree, in share/doc/tonquill when installed.
std::string HelpPagePath();

// The folder of fileName for an executable in exeFolder (ending in '/'): exeFolder when it holds
// the file, else exeFolder + fromBin + '/' when that holds it, else exeFolder.
std::string FolderHolding(const std::string& exeFolder, const std::string& fromBin,
                          const std::string& fileName);

}  // namespace tonquill
