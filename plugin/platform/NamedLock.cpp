#include "plugin/platform/NamedLock.h"

#include "plugin/platform/ProcessSingleton.h"

#include "common/Hex.h"

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sched.h>
#include <sys/file.h>
#include <sched.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace velta {

namespace {

constexpr qsizetype kMaxFileNameBytes = 200;
constexpr qsizetype kKeptPrefixBytes = 150;
constexpr std::size_t kIdleEntriesKept = 128;

bool isPlainByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-'
        || c == '.' || c == ' ' || c == '(' || c == ')' || c == ',' || c == '+' || c == '=' || c == '@'
        || c >= 0x80; // bytes of UTF-8 sequences: Cyrillic stays readable
}

// Percent-escapes every byte that is not plain (the percent sign and "~" too),
// so the mapping is one-to-one; a leading dot is escaped to keep the file visible.
QByteArray escapeName(const QByteArray& utf8)
{
    QByteArray out;
    out.reserve(utf8.size() + 8);
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (isPlainByte(c) && !(i == 0 && c == '.')) {
            out += char(c);
        } else {
            out += '%';
            out += HexDigitChar(c >> 4);
            out += HexDigitChar(c);
        }
    }
    return out;
}

// Cuts an escaped name to at most max bytes without splitting an escape or a
// UTF-8 sequence.
QByteArray cutEscaped(const QByteArray& escaped, qsizetype max)
{
    qsizetype end = 0;
    qsizetype i = 0;
    while (i < escaped.size()) {
        const auto c = static_cast<unsigned char>(escaped[i]);
        qsizetype len = 1;
        if (c == '%')
            len = 3;
        else if (c >= 0xF0)
            len = 4;
        else if (c >= 0xE0)
            len = 3;
        else if (c >= 0xC0)
            len = 2;
        if (i + len > max)
            break;
        i += len;
        end = i;
    }
    return escaped.left(end);
}

QString environmentFolder()
{
    const char* value = std::getenv("VELTA_LOCK_DIR");
    QString folder = value && *value ? QFile::decodeName(value) : QStringLiteral("/tmp/velta-locks");
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// Makes the lock folder world-writable with the sticky bit, whatever the umask.
void ensureFolder(const QByteArray& folder)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0)
        ensureFolder(folder.left(slash));
    if (::mkdir(folder.constData(), 01777) == 0)
        ::chmod(folder.constData(), 01777);
}

int openLockFile(const QByteArray& path)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_mode & 0777) != 0666 && st.st_uid == ::geteuid())
        ::fchmod(fd, 0666);
    return fd;
}

int flockRetrying(int fd, int operation)
{
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Takes the file lock, waiting when asked. Holders keep these locks for
// microseconds, so a waiter first retries without blocking for a short while:
// a blocked waiter would pay for being put to sleep and woken up, which costs
// more than the hold it waits for.
int flockExclusive(int fd, bool wait)
{
    if (!wait)
        return flockRetrying(fd, LOCK_EX | LOCK_NB);
    constexpr int kSpinAttempts = 64;
    for (int attempt = 0; attempt < kSpinAttempts; ++attempt) {
        if (flockRetrying(fd, LOCK_EX | LOCK_NB) == 0)
            return 0;
        if (errno != EWOULDBLOCK)
            return -1;
        if (attempt >= 8)
            ::sched_yield();
    }
    return flockRetrying(fd, LOCK_EX);
}

} // namespace

// The state of one lock file shared by every NamedLock of the process that
// names it: the owning thread, its hold count and the descriptor holding flock.
struct NamedLock::Shared {
    QByteArray path;
    int fd = -1;
    std::mutex mutex;
    std::condition_variable released;
    std::thread::id owner;
    int count = 0;
    bool fileLocked = false;

    ~Shared()
    {
        if (fd >= 0)
            ::close(fd);
    }

    // True when the descriptor still refers to the file at the path: a lock
    // file removed (by a clean-up of /tmp) or replaced has no links left, and
    // new openers would lock another file. fstat avoids a path lookup.
    bool descriptorCurrent() const
    {
        struct stat st {};
        return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
    }

    void adopt(int fresh)
    {
        if (fd >= 0)
            ::close(fd);
        fd = fresh;
    }

    // Takes the file lock for the process (blocking or not). Called with the
    // process-wide hold already reserved for the calling thread.
    bool lockFile(bool wait)
    {
        for (int attempt = 0; attempt < 8; ++attempt) {
            if (flockExclusive(fd, wait) != 0)
                return false;
            if (descriptorCurrent())
                return true;
            flockRetrying(fd, LOCK_UN);
            const int fresh = openLockFile(path);
            if (fresh < 0)
                return false;
            adopt(fresh);
        }
        return false;
    }
};

namespace {

struct Table {
    std::mutex mutex;
    std::map<QByteArray, std::shared_ptr<NamedLock::Shared>> entries;
};

ProcessSingleton<Table> g_table;

Table& table()
{
    return g_table.get();
}

void dropIdleEntries(Table& t)
{
    for (auto it = t.entries.begin(); it != t.entries.end();) {
        bool idle = it->second.use_count() == 1;
        if (idle) {
            std::lock_guard guard(it->second->mutex);
            idle = it->second->count == 0;
        }
        it = idle ? t.entries.erase(it) : std::next(it);
    }
}

} // namespace

void NamedLock::releaseTable()
{
    g_table.release();
}

QString NamedLock::lockFolder()
{
    return environmentFolder();
}

QString NamedLock::fileNameFor(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("%.lock");
    const QByteArray utf8 = name.toUtf8();
    QByteArray escaped = escapeName(utf8);
    if (escaped.size() > kMaxFileNameBytes) {
        const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex().left(32);
        escaped = cutEscaped(escaped, kKeptPrefixBytes) + '~' + hash;
    }
    return QString::fromUtf8(escaped) + QStringLiteral(".lock");
}

NamedLock::NamedLock(const QString& name)
    : name_(name)
{
    const QByteArray folder = QFile::encodeName(lockFolder());
    const QByteArray path = folder + '/' + QFile::encodeName(fileNameFor(name));
    Table& t = table();
    std::lock_guard guard(t.mutex);
    auto it = t.entries.find(path);
    if (it != t.entries.end()) {
        shared_ = it->second;
        return;
    }
    ensureFolder(folder);
    const int fd = openLockFile(path);
    if (fd < 0)
        return;
    if (t.entries.size() >= kIdleEntriesKept)
        dropIdleEntries(t);
    auto shared = std::make_shared<Shared>();
    shared->path = path;
    shared->adopt(fd);
    shared_ = std::move(shared);
    t.entries.emplace(path, shared_);
}

NamedLock::~NamedLock()
{
    if (!shared_)
        return;
    bool owned;
    {
        std::lock_guard guard(shared_->mutex);
        owned = shared_->owner == std::this_thread::get_id();
    }
    while (owned && ownHolds_ > 0)
        unlock();
}

bool NamedLock::isValid() const
{
    return shared_ != nullptr;
}

void NamedLock::lock()
{
    if (!shared_)
        return;
    Shared& s = *shared_;
    const auto self = std::this_thread::get_id();
    std::unique_lock guard(s.mutex);
    if (s.count > 0 && s.owner == self) {
        ++s.count;
        ++ownHolds_;
        return;
    }
    s.released.wait(guard, [&] { return s.count == 0; });
    // Reserve the hold for this thread, then wait for the other processes
    // without blocking the threads of this one that only test the lock.
    s.owner = self;
    s.count = 1;
    guard.unlock();
    const bool locked = s.lockFile(true);
    guard.lock();
    s.fileLocked = locked;
    ++ownHolds_;
}

bool NamedLock::tryLock()
{
    if (!shared_)
        return true;
    Shared& s = *shared_;
    const auto self = std::this_thread::get_id();
    std::lock_guard guard(s.mutex);
    if (s.count > 0) {
        if (s.owner != self)
            return false;
        ++s.count;
        ++ownHolds_;
        return true;
    }
    if (!s.lockFile(false))
        return false;
    s.owner = self;
    s.count = 1;
    s.fileLocked = true;
    ++ownHolds_;
    return true;
}

void NamedLock::unlock()
{
    if (!shared_)
        return;
    Shared& s = *shared_;
    std::unique_lock guard(s.mutex);
    // Like releasing a mutex the thread does not own: refused.
    if (s.count == 0 || s.owner != std::this_thread::get_id())
        return;
    if (ownHolds_ > 0)
        --ownHolds_;
    if (--s.count > 0)
        return;
    if (s.fileLocked)
        flockRetrying(s.fd, LOCK_UN);
    s.fileLocked = false;
    s.owner = std::thread::id();
    guard.unlock();
    s.released.notify_one();
}

} // namespace velta
