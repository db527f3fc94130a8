#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// Recovery copies: while a score has unsaved changes the editor keeps a copy
// of it in the native format in a folder of the user's, with a small side
// file saying what the copy stands for. A copy that outlives its editor (a
// crash, a kill, a power cut) is offered back at the next start.
namespace recovery {

// What the side file records.
struct Info {
    std::string originalPath; // empty for a score never saved
    std::int64_t savedAt = 0; // seconds since the epoch
    std::string version;      // of the program that wrote the copy

    bool operator==(const Info&) const = default;
};

// The side file's text, and back. parseInfo accepts exactly what formatInfo
// writes: anything else is a damaged side file.
std::string formatInfo(const Info& info);
std::optional<Info> parseInfo(std::string_view text);

// A copy left by an editor that is no longer running.
struct Entry {
    std::string id;
    std::string copyPath;
    std::string infoPath;
    bool hasCopy = false;
    std::optional<Info> info; // none when the side file is missing or damaged
};

// One editor's place in the recovery folder. Each editor claims an id of its
// own and holds a lock on it while it runs, so two editors never share a copy
// and neither offers the other's live copy as left over.
class Store {
public:
    explicit Store(std::string folder);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const std::string& folder() const { return folder_; }
    // Creates the folder and claims an id. Empty on success, else the reason.
    std::string claim();
    bool claimed() const { return lockFd_ >= 0; }
    const std::string& id() const { return id_; }
    std::string copyPath() const { return pathFor(id_, kCopySuffix); }
    std::string infoPath() const { return pathFor(id_, kInfoSuffix); }

    // Writes this editor's copy, then its side file, each atomically (a crash
    // in between leaves the previous pair or a newer copy with the old side
    // file, both usable). Empty on success, else the reason.
    std::string write(const std::string& scoreBytes, const Info& info) const;
    // Removes this editor's copy and side file.
    void remove() const;
    bool hasCopy() const;

    // Copies left by editors that are gone, oldest first. Lock files of gone
    // editors that left nothing are tidied away on the way.
    std::vector<Entry> leftOver() const;
    // Deletes a left-over copy and its side file.
    static void discard(const Entry& entry);
    // Moves a left-over copy that cannot be read into the folder's "damaged"
    // folder, where it stays for the user. Returns that folder, or empty when
    // the move failed (the files then stay where they were).
    std::string setAside(const Entry& entry) const;
    // Makes a recovered copy this editor's own, so it stays safe until the
    // score is saved. False when the copy is gone (another editor took it).
    bool adopt(const Entry& entry) const;

    static constexpr const char* kCopySuffix = ".tbf";
    static constexpr const char* kInfoSuffix = ".info";
    static constexpr const char* kLockSuffix = ".lock";
    static constexpr const char* kDamagedFolder = "damaged";

private:
    std::string pathFor(const std::string& id, const char* suffix) const { return folder_ + "/" + id + suffix; }
    // True while some editor holds the id's lock.
    bool isLive(const std::string& id) const;

    std::string folder_;
    std::string id_;
    int lockFd_ = -1;
};

// Writes recovery copies on a thread of its own so that the disk's flushes
// never hold up typing. Requests are served in order, except that a write
// still waiting is replaced by a newer write or cancelled by a removal.
class BackgroundWriter {
public:
    explicit BackgroundWriter(const Store& store);
    // Finishes what was asked before returning.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Called on the worker thread after each write with its result (empty on success).
    void setWriteHandler(std::function<void(const std::string&)> handler);

    void write(std::string scoreBytes, Info info);
    void remove();
    // Blocks until every request made so far is done.
    void flush();

private:
    struct Job {
        bool remove = false;
        std::string bytes;
        Info info;
    };
    void post(Job job);
    void run();

    const Store& store_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    // Whatever waits is superseded by the newest request: a newer copy makes
    // an older one pointless, a removal makes both pointless.
    std::optional<Job> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    std::function<void(const std::string&)> onWritten_;
    std::thread thread_;
};

// When to write: never before `interval` has passed since the first unsaved
// change, and then at most once per interval while changes go on. Plain
// clock values in milliseconds, so tests drive it without waiting.
class Schedule {
public:
    explicit Schedule(std::int64_t intervalMs) : interval_(intervalMs) {}

    std::int64_t interval() const { return interval_; }
    // Looks at the document's state at time now; true when a copy is due.
    bool due(bool modified, std::int64_t now);
    // A copy was written (or found unchanged) at time now.
    void written(std::int64_t now) { lastWrite_ = now; }
    // The score was saved, replaced or closed: back to the start.
    void reset()
    {
        firstChange_.reset();
        lastWrite_.reset();
    }

private:
    std::int64_t interval_;
    std::optional<std::int64_t> firstChange_;
    std::optional<std::int64_t> lastWrite_;
};

} // namespace recovery
