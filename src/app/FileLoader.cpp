#include "app/FileLoader.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>

#include "metadata/FileListEntry.h"
#include "metadata/FileScan.h"
#include "metadata/OggContent.h"
#include "metadata/RowLoader.h"

namespace tonquill {

void FileLoader::MessageObserver::Message(const std::string& text, MessageIcon icon) {
    std::lock_guard order(loader_.messageOrder_);
    std::unique_lock lock(loader_.mutex_);
    loader_.messageText_ = text;
    loader_.messageIcon_ = icon;
    loader_.messagePending_ = true;
    loader_.messageAnswered_ = false;
    // A stopped load does not wait for a message nobody may answer any more.
    while (!loader_.messageAnswered_ && loader_.Keep()) {
        loader_.answered_.wait_for(lock, std::chrono::milliseconds(20));
    }
    loader_.messagePending_ = false;
}

FileLoader::FileLoader(std::atomic<int>& run) : run_(run), observer_(*this) {}

FileLoader::~FileLoader() {
    if (thread_.joinable()) {
        run_ = 0;
        thread_.join();
    }
}

bool FileLoader::Start(Job job) {
    if (thread_.joinable()) {
        if (!Ended()) {
            return false;
        }
        thread_.join();
    }
    job_ = std::move(job);
    {
        std::lock_guard lock(mutex_);
        rows_.clear();
        rowsTaken_ = 0;
        found_.clear();
        nextToProbe_ = 0;
        scanDone_ = false;
        probed_.clear();
        finished_.clear();
        nextInOrder_ = 0;
        title_.clear();
        titleChanged_ = false;
    }
    ended_ = false;
    failed_ = false;
    thread_ = std::thread([this] { Run(); });
    return true;
}

bool FileLoader::WaitFor(std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!Ended() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return Ended();
}

void FileLoader::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<std::unique_ptr<PlainFileListRow>> FileLoader::TakeRows(size_t max) {
    std::vector<std::unique_ptr<PlainFileListRow>> taken;
    std::lock_guard lock(mutex_);
    while (rowsTaken_ < rows_.size() && taken.size() < max) {
        taken.push_back(std::move(rows_[rowsTaken_++]));
    }
    if (rowsTaken_ == rows_.size()) {
        rows_.clear();
        rowsTaken_ = 0;
    }
    return taken;
}

bool FileLoader::TakeTitle(std::string& title) {
    std::lock_guard lock(mutex_);
    if (!titleChanged_) {
        return false;
    }
    title = title_;
    titleChanged_ = false;
    return true;
}

bool FileLoader::PendingMessage(std::string& text, MessageIcon& icon) {
    std::lock_guard lock(mutex_);
    if (!messagePending_ || messageAnswered_) {
        return false;
    }
    text = messageText_;
    icon = messageIcon_;
    return true;
}

void FileLoader::AnswerMessage() {
    {
        std::lock_guard lock(mutex_);
        messageAnswered_ = true;
    }
    answered_.notify_all();
}

void FileLoader::SetTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
    titleChanged_ = true;
}

void FileLoader::Run() {
    const unsigned cores = std::thread::hardware_concurrency();
    const size_t probeThreads = std::clamp(cores, 1u, 4u);
    std::vector<std::thread> probes;
    try {
        while (rowLoaders_.size() < probeThreads) {
            rowLoaders_.push_back(std::make_unique<RowLoader>(observer_, false));
        }
        for (size_t i = 0; i < probeThreads; ++i) {
            probes.emplace_back([this, i] { ProbeFiles(*rowLoaders_[i]); });
        }
        switch (job_.kind) {
            case Kind::Files:
                for (const std::string& path : job_.paths) {
                    struct stat info {};
                    if (!Keep()) {
                        break;
                    }
                    if (::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
                        AppendFile(path);
                    }
                }
                break;
            case Kind::Folder:
                for (const std::string& folder : job_.paths) {
                    if (!ScanFolderOf(folder, job_.subfolders)) {
                        break;
                    }
                }
                break;
            case Kind::Drop:
                // Every dropped path is looked at, a stopped load only stops adding files.
                for (const std::string& path : job_.paths) {
                    struct stat info {};
                    if (::stat(path.c_str(), &info) != 0) {
                        continue;
                    }
                    if (S_ISDIR(info.st_mode)) {
                        ScanFolderOf(path, true);
                    } else if (TypeOfFile(path) != 0) {
                        AppendFile(path);
                    }
                }
                break;
        }
    } catch (const std::exception&) {
        failed_ = true;
    }
    {
        std::lock_guard lock(mutex_);
        scanDone_ = true;
    }
    work_.notify_all();
    for (std::thread& probe : probes) {
        probe.join();
    }
    ended_.store(true, std::memory_order_release);
}

void FileLoader::ProbeFiles(RowLoader& rowLoader) {
    for (;;) {
        size_t number = 0;
        std::string path;
        std::string baseFolder;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock,
                       [this] { return nextToProbe_ < found_.size() || scanDone_ || !Keep(); });
            // A stopped load probes nothing more; the files already probed still arrive.
            if (nextToProbe_ >= found_.size() || !Keep()) {
                if (scanDone_ || !Keep()) {
                    return;
                }
                continue;
            }
            number = nextToProbe_++;
            path = found_[number].path;
            baseFolder = found_[number].baseFolder;
        }
        std::unique_ptr<PlainFileListRow> row;
        try {
            SetTitle("Reading  " + path);
            row = rowLoader.Load(path);
            row->entry.baseFolder = std::move(baseFolder);
        } catch (const std::exception&) {
            failed_ = true;
        }
        std::lock_guard lock(mutex_);
        if (probed_.size() <= number) {
            probed_.resize(number + 1);
            finished_.resize(number + 1, 0);
        }
        probed_[number] = std::move(row);
        finished_[number] = 1;
        // Rows leave in the order their files were found; a failed probe leaves no row.
        while (nextInOrder_ < finished_.size() && finished_[nextInOrder_]) {
            if (probed_[nextInOrder_]) {
                rows_.push_back(std::move(probed_[nextInOrder_]));
            }
            ++nextInOrder_;
        }
    }
}

bool FileLoader::ScanFolderOf(const std::string& folder, bool subfolders) {
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    FolderScanHooks hooks;
    hooks.enterFolder = [this](const std::string& path) {
        SetTitle("Scanning  " + path);
        return Keep();
    };
    hooks.file = [this, &base](const std::string& path) {
        if (!Keep()) {
            return false;
        }
        AppendFile(path, base);
        return true;
    };
    return ScanFolder(folder, job_.extensions, subfolders, hooks);
}

void FileLoader::AppendFile(const std::string& path, const std::string& baseFolder) {
    {
        std::lock_guard lock(mutex_);
        found_.push_back({path, baseFolder});
    }
    work_.notify_one();
}

}  // namespace tonquill
