#include "RecoveryStore.h"

#include "FileIo.h"

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace recovery {
namespace {

constexpr std::string_view kHeader = "Fretlark recovery 1\n";
constexpr std::size_t kLongestInfo = 64 * 1024;

// One value per line: a backslash and a line break are the only characters
// that need escaping.
std::string escaped(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::optional<std::string> unescaped(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\0')
            return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        if (value[i] == '\\')
            out += '\\';
        else if (value[i] == 'n')
            out += '\n';
        else
            return std::nullopt;
    }
    return out;
}

// The value of the line "key=value\n" at the front of text, which moves past it.
std::optional<std::string_view> takeLine(std::string_view& text, std::string_view key)
{
    if (text.size() <= key.size() || text.substr(0, key.size()) != key || text[key.size()] != '=')
        return std::nullopt;
    const auto end = text.find('\n');
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view value = text.substr(key.size() + 1, end - key.size() - 1);
    text.remove_prefix(end + 1);
    return value;
}

std::string randomTag()
{
    std::random_device device;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string tag;
    for (int i = 0; i < 8; ++i)
        tag += "0123456789abcdef"[digit(device)];
    return tag;
}

bool endsWith(const std::string& s, std::string_view tail)
{
    return s.size() > tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::string formatInfo(const Info& info)
{
    std::string text(kHeader);
    text += "path=" + escaped(info.originalPath) + "\n";
    text += "time=" + std::to_string(info.savedAt) + "\n";
    text += "version=" + escaped(info.version) + "\n";
    return text;
}

std::optional<Info> parseInfo(std::string_view text)
{
    if (text.size() > kLongestInfo || text.substr(0, kHeader.size()) != kHeader)
        return std::nullopt;
    const std::string_view whole = text;
    text.remove_prefix(kHeader.size());
    const auto path = takeLine(text, "path");
    const auto time = path ? takeLine(text, "time") : std::nullopt;
    const auto version = time ? takeLine(text, "version") : std::nullopt;
    if (!version || !text.empty())
        return std::nullopt;
    Info info;
    const auto [end, error] = std::from_chars(time->data(), time->data() + time->size(), info.savedAt);
    if (error != std::errc() || end != time->data() + time->size())
        return std::nullopt;
    auto originalPath = unescaped(*path);
    auto programVersion = unescaped(*version);
    if (!originalPath || !programVersion)
        return std::nullopt;
    info.originalPath = std::move(*originalPath);
    info.version = std::move(*programVersion);
    // Only the writer's own spelling is accepted ("+5", "007" and the like are
    // not), so a side file that reads is one this program wrote.
    if (formatInfo(info) != whole)
        return std::nullopt;
    return info;
}

// ---- Store ----

Store::Store(std::string folder) : folder_(std::move(folder))
{
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

Store::~Store()
{
    if (lockFd_ < 0)
        return;
    // A copy still here is left for the next start; without one the lock
    // file has nothing left to guard.
    if (!hasCopy())
        ::unlink(pathFor(id_, kLockSuffix).c_str());
    ::close(lockFd_);
}

std::string Store::claim()
{
    if (claimed())
        return {};
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error)
        return error.message();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string id = std::to_string(::getpid()) + "-" + randomTag();
        const std::string lockPath = pathFor(id, kLockSuffix);
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return std::strerror(errno);
        }
        // Another editor's listing may hold the lock for a moment, and may
        // delete the file when it finds nothing beside it: keep the lock only
        // on the file that is still there.
        struct stat held {}, named {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            id_ = id;
            lockFd_ = fd;
            return {};
        }
        ::close(fd);
    }
    return "no free name in the recovery folder";
}

std::string Store::write(const std::string& scoreBytes, const Info& info) const
{
    if (!claimed())
        return "no recovery folder";
    std::string why = fileio::writeAtomically(copyPath(), scoreBytes);
    if (why.empty())
        why = fileio::writeAtomically(infoPath(), formatInfo(info));
    return why;
}

void Store::remove() const
{
    if (!claimed())
        return;
    ::unlink(copyPath().c_str());
    ::unlink(infoPath().c_str());
}

bool Store::hasCopy() const
{
    struct stat st {};
    return claimed() && ::stat(copyPath().c_str(), &st) == 0;
}

bool Store::isLive(const std::string& id) const
{
    if (id == id_)
        return true;
    const int fd = ::open(pathFor(id, kLockSuffix).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return !free;
}

std::vector<Entry> Store::leftOver() const
{
    std::vector<Entry> entries;
    std::vector<std::string> lockOnly;
    std::error_code error;
    std::vector<std::string> ids;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const std::string name = it->path().filename().string();
        for (const char* suffix : {kCopySuffix, kInfoSuffix, kLockSuffix})
            if (endsWith(name, suffix)) {
                ids.push_back(name.substr(0, name.size() - std::strlen(suffix)));
                break;
            }
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());

    for (const std::string& id : ids) {
        if (isLive(id))
            continue;
        Entry entry;
        entry.id = id;
        entry.copyPath = pathFor(id, kCopySuffix);
        entry.infoPath = pathFor(id, kInfoSuffix);
        struct stat st {};
        entry.hasCopy = ::stat(entry.copyPath.c_str(), &st) == 0;
        const bool hasInfo = ::stat(entry.infoPath.c_str(), &st) == 0;
        if (!entry.hasCopy && !hasInfo) {
            ::unlink(pathFor(id, kLockSuffix).c_str());
            continue;
        }
        if (hasInfo)
            if (const auto text = fileio::readAll(entry.infoPath))
                entry.info = parseInfo(*text);
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const std::int64_t ta = a.info ? a.info->savedAt : 0;
        const std::int64_t tb = b.info ? b.info->savedAt : 0;
        return ta < tb;
    });
    return entries;
}

void Store::discard(const Entry& entry)
{
    ::unlink(entry.copyPath.c_str());
    ::unlink(entry.infoPath.c_str());
    const auto dot = entry.copyPath.rfind('.');
    if (dot != std::string::npos)
        ::unlink((entry.copyPath.substr(0, dot) + kLockSuffix).c_str());
}

std::string Store::setAside(const Entry& entry) const
{
    const std::string aside = folder_ + "/" + kDamagedFolder;
    std::error_code error;
    fs::create_directories(aside, error);
    if (error)
        return {};
    for (const std::string& path : {entry.copyPath, entry.infoPath}) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        const std::string target = aside + "/" + fs::path(path).filename().string();
        if (::rename(path.c_str(), target.c_str()) != 0)
            return {};
    }
    ::unlink(pathFor(entry.id, kLockSuffix).c_str());
    return aside;
}

bool Store::adopt(const Entry& entry) const
{
    if (!claimed() || entry.id == id_)
        return false;
    if (::rename(entry.copyPath.c_str(), copyPath().c_str()) != 0)
        return false;
    ::rename(entry.infoPath.c_str(), infoPath().c_str());
    ::unlink(pathFor(entry.id, kLockSuffix).c_str());
    return true;
}

// ---- BackgroundWriter ----

BackgroundWriter::BackgroundWriter(const Store& store) : store_(store), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void BackgroundWriter::setWriteHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard<std::mutex> lock(mutex_);
    onWritten_ = std::move(handler);
}

void BackgroundWriter::post(Job job)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        pending_ = std::move(job);
    }
    wake_.notify_all();
}

void BackgroundWriter::write(std::string scoreBytes, Info info)
{
    post(Job{false, std::move(scoreBytes), std::move(info)});
}

void BackgroundWriter::remove()
{
    post(Job{true, {}, {}});
}

void BackgroundWriter::flush()
{
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

void BackgroundWriter::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ || stopping_; });
        if (!pending_)
            return; // stopping with nothing left to do
        Job job = std::move(*pending_);
        pending_.reset();
        busy_ = true;
        const auto handler = onWritten_;
        lock.unlock();
        if (job.remove) {
            store_.remove();
        } else {
            const std::string why = store_.write(job.bytes, job.info);
            if (handler)
                handler(why);
        }
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

// ---- Schedule ----

bool Schedule::due(bool modified, std::int64_t now)
{
    if (!modified) {
        firstChange_.reset();
        return false;
    }
    if (!firstChange_)
        firstChange_ = now;
    return now - *firstChange_ >= interval_ && (!lastWrite_ || now - *lastWrite_ >= interval_);
}

} // namespace recovery
