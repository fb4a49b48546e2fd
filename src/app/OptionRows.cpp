#include "app/OptionRows.h"

#include "convert/ParallelBatch.h"

namespace tonquill {

QStringList OptionJobsRows(int cores) {
    QStringList rows{cores == 1 ? QStringLiteral(" Automatic (1 file)")
                                : QStringLiteral(" Automatic (%1 files)").arg(cores)};
    for (int jobs = 1; jobs <= MaxPipelines; ++jobs) {
        rows << QStringLiteral(" %1").arg(jobs);
    }
    return rows;
}

}  // namespace tonquill
