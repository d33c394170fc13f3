#include "plugin/platform/RegistryStore.h"

#include "plugin/platform/NamedLock.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "plugin/platform/Paths.h"

namespace velta::RegistryStore {

namespace {

// What identifies one version of a file: a rewrite renames a new file over
// the old one, so the inode changes as well as the size or time.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 mtimeNs = 0;
    qint64 ctimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

bool identify(const QByteArray& path, FileIdentity& id)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
    return true;
}

struct CacheEntry {
    FileIdentity identity;
    std::shared_ptr<const RegistryHive> hive;
};

std::mutex g_cacheMutex;
std::map<QString, CacheEntry>& cache()
{
    static auto* entries = new std::map<QString, CacheEntry>;
    return *entries;
}

void remember(const QString& path, const FileIdentity& id, std::shared_ptr<const RegistryHive> hive)
{
    std::lock_guard guard(g_cacheMutex);
    cache()[path] = {id, std::move(hive)};
}

enum class ReadResult { Read, Missing, Failed };

ReadResult readWhole(const QByteArray& path, QByteArray& bytes, int& error)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return ReadResult::Read;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

QString environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? QFile::decodeName(value) : QString();
}

} // namespace

QString hivePath(RootKey root)
{
    if (root == RootKey::LocalMachine)
        return Paths::root() + QStringLiteral("/registry/HKLM.reg");
    QString config = environment("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/velta/HKCU.reg");
}

std::shared_ptr<const RegistryHive> load(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    FileIdentity id;
    if (!identify(encoded, id))
        return std::make_shared<const RegistryHive>();
    {
        std::lock_guard guard(g_cacheMutex);
        const auto it = cache().find(path);
        if (it != cache().end() && it->second.identity == id)
            return it->second.hive;
    }
    QByteArray bytes;
    int error = 0;
    if (readWhole(encoded, bytes, error) != ReadResult::Read)
        return std::make_shared<const RegistryHive>();
    auto hive = std::make_shared<const RegistryHive>(RegistryHive::parse(bytes));
    // Remember it only when the file did not change while it was read.
    FileIdentity after;
    if (identify(encoded, after) && after == id)
        remember(path, id, hive);
    return hive;
}

ChangeResult change(const QString& path, const std::function<bool(RegistryHive&)>& apply)
{
    NamedLock lock(QStringLiteral("velta registry ") + path);
    NamedLockGuard guard(&lock);

    const QByteArray encoded = QFile::encodeName(path);
    QByteArray bytes;
    int error = 0;
    const ReadResult read = readWhole(encoded, bytes, error);
    if (read == ReadResult::Failed) {
        SystemError::setLastFromErrnoForPath(error, path);
        return ChangeResult::WriteFailed;
    }
    auto hive = std::make_shared<RegistryHive>(read == ReadResult::Read ? RegistryHive::parse(bytes) : RegistryHive());
    if (!apply(*hive))
        return ChangeResult::Refused;

    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0 && !QDir().mkpath(path.left(slash))) {
        SystemError::setLast(SystemError::PathNotFound);
        return ChangeResult::WriteFailed;
    }
    if (!writeFileAtomically(path, hive->serialize()))
        return ChangeResult::WriteFailed;
    FileIdentity id;
    if (identify(encoded, id))
        remember(path, id, std::move(hive));
    return ChangeResult::Applied;
}

bool writeFileAtomically(const QString& nativePath, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(nativePath);
    QByteArray folder = ".";
    const qsizetype slash = target.lastIndexOf('/');
    if (slash == 0)
        folder = "/";
    else if (slash > 0)
        folder = target.left(slash);
    // A new name beside the target; created with the usual permissions (the
    // umask applies), or those of the file being replaced.
    static std::atomic<unsigned> counter{0};
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = folder + "/." + target.mid(slash + 1) + ".tmp" + QByteArray::number(::getpid()) + '-'
            + QByteArray::number(counter.fetch_add(1) ^ quint32(QRandomGenerator::global()->generate() & 0xFFFF0000u));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        SystemError::setLastFromErrnoForPath(errno, nativePath);
        return false;
    }
    struct stat old {};
    if (::stat(target.constData(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !ok || ::rename(temp.constData(), target.constData()) != 0) {
        SystemError::setLastFromErrnoForPath(ok ? errno : writeError, nativePath);
        ::unlink(temp.constData());
        return false;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace velta::RegistryStore
