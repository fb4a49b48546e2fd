#pragma once

#include <QStringList>

namespace tonquill {

// Files converted at once: row r is OUTPUT.Jobs r, row 0 "Automatic" (one per core; cores is
// how many that is here). The encoder lists' rows are their formats' own
// (convert/OutputSettings.h).
QStringList OptionJobsRows(int cores);

}  // namespace tonquill
