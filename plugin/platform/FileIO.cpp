#include "plugin/platform/FileIO.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velta::FileIO {

namespace {

// The folder of a native path as open() takes it.
QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

// The file a link points to; the path itself when it is no link or a dangling one.
QByteArray followLink(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : path;
}

// Makes the folder entry of a rename durable; a folder that cannot be flushed
// leaves the rename as durable as the file system makes it by itself.
void syncFolder(const QByteArray& path)
{
    const int fd = ::open(folderOf(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Outcome writeInPlace(const QByteArray& path, QByteArrayView bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return Outcome::CreateFailed;
    const bool written = writeAll(fd, bytes);
    const int error = errno;
    if (::close(fd) != 0 && written)
        return Outcome::WriteFailed;
    errno = error;
    return written ? Outcome::Written : Outcome::WriteFailed;
}

} // namespace

bool writeAll(int fd, const char* data, std::size_t count)
{
    while (count > 0) {
        const ssize_t done = ::write(fd, data, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            return false;
        }
        data += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    return writeAll(fd, bytes.data(), static_cast<std::size_t>(bytes.size()));
}

bool readAll(int fd, QByteArray& bytes, qint64 sizeHint)
{
    bytes.clear();
    bytes.reserve(sizeHint + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, n);
    }
}

Replacement::~Replacement()
{
    discard();
}

Replacement::Replacement(Replacement&& other) noexcept
    : fd_(std::exchange(other.fd_, -1))
    , synced_(other.synced_)
    , target_(std::move(other.target_))
    , temp_(std::exchange(other.temp_, {}))
{
}

Replacement& Replacement::operator=(Replacement&& other) noexcept
{
    if (this != &other) {
        discard();
        fd_ = std::exchange(other.fd_, -1);
        synced_ = other.synced_;
        target_ = std::move(other.target_);
        temp_ = std::exchange(other.temp_, {});
    }
    return *this;
}

bool Replacement::create(const QString& nativeTarget)
{
    discard();
    const QByteArray target = followLink(QFile::encodeName(nativeTarget));
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray prefix = folderOf(target) + "/." + target.mid(slash + 1) + '.' + QByteArray::number(::getpid()) + '.';
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (open(target, prefix + QByteArray::number(counter.fetch_add(1)) + ".tmp", true))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool Replacement::create(const QString& nativeTarget, const QString& nativeTempPath)
{
    discard();
    return open(QFile::encodeName(nativeTarget), QFile::encodeName(nativeTempPath), false);
}

bool Replacement::open(const QByteArray& target, const QByteArray& temp, bool exclusive)
{
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    // Until it has the old file's permissions, the new file is the owner's alone.
    const int flags = O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    fd_ = ::open(temp.constData(), flags, exists ? 0600 : 0666);
    if (fd_ < 0)
        return false;
    target_ = target;
    temp_ = temp;
    synced_ = true;
    if (exists) {
        ::fchmod(fd_, old.st_mode & 07777);
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // Only the owner or root may give a file away; the permissions above still hold.
        }
    }
    return true;
}

QString Replacement::tempPath() const
{
    return QFile::decodeName(temp_);
}

bool Replacement::write(QByteArrayView bytes)
{
    synced_ = false;
    return writeAll(fd_, bytes);
}

bool Replacement::sync()
{
    if (!synced_ && ::fsync(fd_) != 0)
        return false;
    synced_ = true;
    return true;
}

bool Replacement::finish(bool keepOpen, RenameSync renameSync, FileSync fileSync)
{
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    bool ok = fileSync == FileSync::ByCaller || sync();
    if (ok && !keepOpen)
        ok = ::close(std::exchange(fd_, -1)) == 0;
    if (ok)
        ok = ::rename(temp_.constData(), target_.constData()) == 0;
    if (!ok) {
        discard();
        return false;
    }
    temp_.clear();
    if (renameSync == RenameSync::Folder)
        syncFolder(target_);
    return true;
}

bool Replacement::commit(RenameSync renameSync)
{
    return finish(false, renameSync, FileSync::BeforeRename);
}

int Replacement::commitKeepingOpen(RenameSync renameSync, FileSync fileSync)
{
    return finish(true, renameSync, fileSync) ? std::exchange(fd_, -1) : -1;
}

void Replacement::discard() noexcept
{
    const int error = errno;
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
    temp_.clear();
    errno = error;
}

Outcome replaceFile(const QString& nativePath, QByteArrayView bytes)
{
    Replacement replacement;
    if (!replacement.create(nativePath))
        return Outcome::CreateFailed;
    return replacement.write(bytes) && replacement.commit() ? Outcome::Written : Outcome::WriteFailed;
}

Outcome writeWholeFile(const QString& nativePath, QByteArrayView bytes)
{
    const QByteArray encoded = QFile::encodeName(nativePath);
    struct stat st {};
    const bool exists = ::stat(encoded.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return writeInPlace(encoded, bytes);
    Replacement replacement;
    if (!replacement.create(nativePath))
        return exists && S_ISREG(st.st_mode) ? writeInPlace(encoded, bytes) : Outcome::CreateFailed;
    return replacement.write(bytes) && replacement.commit() ? Outcome::Written : Outcome::WriteFailed;
}

} // namespace velta::FileIO
