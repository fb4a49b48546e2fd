#pragma once

#include <memory>
#include <string>
#include <vector>

#include "convert/ConversionObserver.h"
#include "metadata/FileListRow.h"

namespace tonquill {

class MediaProbe;
class WmaComponent;

// Turns found files into file-list rows as a load does: name, folder, type, size and date
// cells, then the media probe. A WMA reader is made only when a WMA file comes along.
class RowLoader {
public:
    explicit RowLoader(ConversionObserver& observer);
    ~RowLoader();
    RowLoader(const RowLoader&) = delete;
    RowLoader& operator=(const RowLoader&) = delete;

    std::unique_ptr<PlainFileListRow> Load(const std::string& path);

private:
    ConversionObserver& observer_;
    std::unique_ptr<WmaComponent> wmaReader_;
    bool wmaTried_ = false;
    std::unique_ptr<MediaProbe> probe_;
    std::unique_ptr<MediaProbe> wmaProbe_;
};

}  // namespace tonquill
