#include "plugin/foundation/ini/IniFileIO.h"

#include "plugin/foundation/ini/IniFileCache.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velta::IniFileIO {

namespace {

bool isBareName(const QString& fileName)
{
    return !fileName.contains(u'/') && !fileName.contains(u'\\');
}

QString mapPath(const QString& fileName)
{
    if (isBareName(fileName))
        return Paths::toNative(Paths::windowsFolder() + fileName);
    return Paths::toNative(fileName);
}

int statErrnoOf(const QString& path, struct stat& st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? 0 : errno;
}

} // namespace

QString resolvePath(const QString& fileName, struct stat& st, int& statErrno)
{
    if (!Paths::isWindowsPath(fileName) && !isBareName(fileName)) {
        statErrno = statErrnoOf(fileName, st);
        return fileName;
    }
    IniFileCache& cache = IniFileCache::instance();
    const QString key = Paths::root() + u'\n' + fileName;
    QString path = cache.mappedPath(key);
    if (!path.isEmpty()) {
        statErrno = statErrnoOf(path, st);
        if (statErrno == 0)
            return path;
    }
    // Not mapped yet, or the file went away: map again (a folder of another spelling may exist now).
    path = mapPath(fileName);
    statErrno = statErrnoOf(path, st);
    if (statErrno == 0)
        cache.storeMappedPath(key, path);
    return path;
}

bool readFile(const QString& path, QByteArray& bytes, struct stat& st)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SystemError::setLastFromErrno(errno);
        return false;
    }
    int failure = 0;
    if (::fstat(fd, &st) != 0)
        failure = errno;
    else if (!S_ISREG(st.st_mode))
        failure = EISDIR;
    else if (!FileIO::readAll(fd, bytes, st.st_size))
        failure = errno;
    ::close(fd);
    if (failure != 0) {
        SystemError::setLastFromErrno(failure);
        return false;
    }
    return true;
}

bool replaceFile(const QString& path, const QByteArray& content)
{
    const FileIO::Outcome outcome = FileIO::replaceFile(path, content);
    if (outcome == FileIO::Outcome::Written)
        return true;
    if (outcome == FileIO::Outcome::CreateFailed && (errno == ENOENT || errno == ENOTDIR))
        SystemError::setLast(SystemError::PathNotFound);
    else
        SystemError::setLastFromErrno(errno);
    return false;
}

} // namespace velta::IniFileIO
