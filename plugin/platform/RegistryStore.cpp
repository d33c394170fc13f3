#include "plugin/platform/RegistryStore.h"

#include "plugin/platform/ProcessSingleton.h"

#include "plugin/platform/FileIO.h"
#include "plugin/platform/NamedLock.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

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
ProcessSingleton<std::map<QString, CacheEntry>> g_cache;

std::map<QString, CacheEntry>& cache()
{
    return g_cache.get();
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
    if (!FileIO::readAll(fd, bytes)) {
        error = errno;
        ::close(fd);
        return ReadResult::Failed;
    }
    ::close(fd);
    return ReadResult::Read;
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
    if (FileIO::replaceFile(path, hive->serialize()) != FileIO::Outcome::Written) {
        SystemError::setLastFromErrnoForPath(errno, path);
        return ChangeResult::WriteFailed;
    }
    FileIdentity id;
    if (identify(encoded, id))
        remember(path, id, std::move(hive));
    return ChangeResult::Applied;
}

void releaseCache()
{
    std::lock_guard guard(g_cacheMutex);
    g_cache.release();
}

} // namespace velta::RegistryStore
