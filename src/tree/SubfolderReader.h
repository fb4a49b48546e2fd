#pragma once

#include <QString>
#include <vector>

namespace tonquill {

class CMountTable;

// Reads the subfolders the tree shows: directories (or links to them) whose names do not start
// with ".". Straight from the directory entries, so a folder of ten thousand subfolders reads
// in milliseconds.
class CSubfolderReader {
public:
    // The shown subfolders' names, unsorted; false when the folder cannot be read. With a mount
    // table, an entry whose kind the directory does not record and that is (or links into) a
    // network, removable or optical volume counts as a folder without being looked at.
    static bool Read(const QString& folder, std::vector<QString>& names,
                     const CMountTable* mounts = nullptr);
    // True as soon as one shown subfolder is found; the rest of the folder is not read.
    static bool HasSubfolder(const QString& folder, const CMountTable* mounts = nullptr);
};

}  // namespace tonquill
