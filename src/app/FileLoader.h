#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/ConversionObserver.h"
#include "metadata/FileListRow.h"

namespace tonquill {

class RowLoader;

// The loader thread: finds the files of one load, has them probed and keeps the finished rows,
// in the order the files were found, for the window's thread to take in batches. Probing is most
// of a load's time, so a few probe threads (one per core, at most four) each read their own
// files. Nothing here touches a widget; the window polls. It stops between two files as soon as
// the load's run flag is cleared. One load at a time.
class FileLoader {
public:
    enum class Kind {
        Files,   // files chosen in the file dialog, taken whatever their type
        Folder,  // one folder (and its subfolders when asked), files of the accepted types
        Drop,    // dropped paths: folders with their subfolders, files of any known type
    };
    struct Job {
        Kind kind = Kind::Folder;
        std::vector<std::string> paths;
        bool subfolders = false;
        std::vector<std::string> extensions;  // upper case, the folder scan's order
    };

    // run: set while the load may go on; the window clears it to stop the load.
    explicit FileLoader(std::atomic<int>& run);
    ~FileLoader();
    FileLoader(const FileLoader&) = delete;
    FileLoader& operator=(const FileLoader&) = delete;

    // Starts a thread for job. A previous thread that has ended is joined first; one still
    // running is left alone and the job refused (false): a thread is never replaced running.
    bool Start(Job job);
    // Waits up to timeout for the thread's body to return; true when it has.
    bool WaitFor(std::chrono::milliseconds timeout);
    void Join();
    bool HasThread() const { return thread_.joinable(); }
    // The body has returned (rows may still wait to be taken).
    bool Ended() const { return ended_.load(std::memory_order_acquire); }
    bool Failed() const { return failed_.load(std::memory_order_acquire); }
    Kind CurrentKind() const { return job_.kind; }

    // Window thread: up to max finished rows, in the order the files were found.
    std::vector<std::unique_ptr<PlainFileListRow>> TakeRows(size_t max);
    // Window thread: the loading window's latest title, when it changed since the last call.
    bool TakeTitle(std::string& title);
    // Window thread: a probe's message waiting to be shown; AnswerMessage lets the probe go on.
    bool PendingMessage(std::string& text, MessageIcon& icon);
    void AnswerMessage();

private:
    // Hands the probe's messages to the window's thread and waits for them to be seen, or for
    // the load to be stopped.
    class MessageObserver : public LogAndMessageObserver {
    public:
        explicit MessageObserver(FileLoader& loader) : loader_(loader) {}
        void Log(const std::string&, LogLevel) override {}
        void Message(const std::string& text, MessageIcon icon) override;

    private:
        FileLoader& loader_;
    };

    void Run();
    bool Keep() const { return run_.load(std::memory_order_acquire) != 0; }
    bool ScanFolderOf(const std::string& folder, bool subfolders);
    // Queues a found file for the probe threads.
    // baseFolder: the folder the file was found under, ending with '/'; empty for a file given
    // on its own.
    void AppendFile(const std::string& path, const std::string& baseFolder = std::string());
    void ProbeFiles(RowLoader& rowLoader);
    void SetTitle(const std::string& title);

    std::atomic<int>& run_;
    MessageObserver observer_;
    std::mutex messageOrder_;                             // one probe's message at a time
    std::vector<std::unique_ptr<RowLoader>> rowLoaders_;  // one per probe thread, kept
    Job job_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::atomic<bool> failed_{false};

    std::mutex mutex_;
    std::condition_variable answered_;
    std::condition_variable work_;
    // Found files by their number; probed rows wait in probed_ until every earlier one is
    // done, then move on to rows_ for the window.
    struct FoundFile {
        std::string path;
        std::string baseFolder;
    };
    std::vector<FoundFile> found_;
    size_t nextToProbe_ = 0;
    bool scanDone_ = false;
    std::vector<std::unique_ptr<PlainFileListRow>> probed_;
    std::vector<char> finished_;
    size_t nextInOrder_ = 0;
    std::vector<std::unique_ptr<PlainFileListRow>> rows_;
    size_t rowsTaken_ = 0;
    std::string title_;
    bool titleChanged_ = false;
    bool messagePending_ = false;
    bool messageAnswered_ = false;
    std::string messageText_;
    MessageIcon messageIcon_ = MessageIcon::Information;
};

}  // namespace tonquill
