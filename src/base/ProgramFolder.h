#pragma once

#include <string>

namespace tonquill {

// The folder of the program's own files, ending in '/': lame_enc.so and Tonquill.prx. In the
// build tree they sit beside the executables; an installed program finds them in its private
// folder (lib/tonquill below the prefix), reached from the executable's folder.
std::string ProgramFolder();

// The same choice for an executable in exeFolder (ending in '/'): exeFolder when it holds the
// preset file, else exeFolder + privateFromBin + '/' when that holds it, else exeFolder.
std::string ProgramFolderFor(const std::string& exeFolder, const std::string& privateFromBin);

}  // namespace tonquill
