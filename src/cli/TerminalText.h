#pragma once

#include <string>

namespace tonquill {

// A text as a terminal may safely be given it: control characters (C0, DEL and the UTF-8 form
// of C1), which a file name or a tag can hold, are written as "\xHH" or "\u00HH", so a name can
// neither move the cursor, recolour the screen nor hide itself. Everything else is unchanged.
std::string TerminalText(const std::string& text);

}  // namespace tonquill
