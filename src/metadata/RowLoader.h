#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/ConversionObserver.h"
#include "metadata/FileListRow.h"

namespace tonquill {

class MediaProbe;
class WmaComponent;

// Turns found files into file-list rows as a load does: name, folder, type, size and date
// cells, then the media probe. A WMA reader is made only when a WMA file comes along. The window's
// loader and the command-line front end both fill their rows through it.
class RowLoader {
public:
    // nameFiles: the probe's reports name the file they are about (a terminal shows many files'
    // reports in one stream), and why a file is unreadable is reported too; a list beside its
    // messages needs no name and keeps the reason in the row.
    explicit RowLoader(ConversionObserver& observer, bool nameFiles = true);
    ~RowLoader();
    RowLoader(const RowLoader&) = delete;
    RowLoader& operator=(const RowLoader&) = delete;

    std::unique_ptr<PlainFileListRow> Load(const std::string& path);

private:
    // Passes the probe's reports on, naming the file being loaded: on a terminal a message
    // such as "Trouble with mpg123: ..." would not say which of many files it is about.
    class FileNamingObserver : public LogAndMessageObserver {
    public:
        FileNamingObserver(ConversionObserver& target, bool nameFiles)
            : target_(target), nameFiles_(nameFiles) {}
        void SetPath(const std::string& path) { path_ = path; }
        bool NamesFiles() const { return nameFiles_; }
        void Log(const std::string& text, LogLevel level) override;
        void Message(const std::string& text, MessageIcon icon) override;

    private:
        std::string Named(const std::string& text) const;
        ConversionObserver& target_;
        bool nameFiles_;
        std::string path_;
    };

    FileNamingObserver observer_;
    std::unique_ptr<WmaComponent> wmaReader_;
    bool wmaTried_ = false;
    std::unique_ptr<MediaProbe> probe_;
    std::unique_ptr<MediaProbe> wmaProbe_;
};

}  // namespace tonquill
