#pragma once

#include <QString>

namespace tonquill {

// The type list of the Add File(s) dialog: every readable type at once first, then each type on
// its own, then every file; built from the format table, so a new format shows up by itself.
QString AudioFileFilter();

}  // namespace tonquill
