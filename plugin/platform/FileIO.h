#pragma once
// Low-level file work shared by everything that writes files: a descriptor
// written or read whole, and a file replaced atomically (a new file beside it,
// flushed to disk, renamed over it, the rename flushed too), so that readers,
// and a crash at any moment, see the old or the new content, whole.
// Failures return false (or the step that failed) with errno set, for each
// caller's own error mapping.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>

namespace velta::FileIO {

// Writes count bytes, retrying interrupted and short writes. false with errno
// set (EIO when the system took nothing and reported no error).
bool writeAll(int fd, const char* data, std::size_t count);
bool writeAll(int fd, QByteArrayView bytes);

// Reads fd to its end into bytes, retrying interrupted reads; sizeHint is the
// size expected. false with errno set.
bool readAll(int fd, QByteArray& bytes, qint64 sizeHint = 0);

// Whether commit flushes the folder so that the rename itself survives a
// crash; without it a crash may leave the old file, whole.
enum class RenameSync { Folder, None };

// Whether commit flushes the file before the rename, or leaves that to the
// caller (who flushes it soon after, outside whatever it holds meanwhile).
enum class FileSync { BeforeRename, ByCaller };

// A new file that replaces a target in one rename. It is created in the
// target's folder with the permissions (and, where allowed, the owner) of the
// file it replaces, open for reading and appending. The target is untouched
// until commit(); a replacement dropped uncommitted removes its file. A target
// that exists and may not be written is refused (EACCES), a folder (EISDIR).
class Replacement {
public:
    Replacement() = default;
    ~Replacement();
    Replacement(Replacement&& other) noexcept;
    Replacement& operator=(Replacement&& other) noexcept;
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // Creates the file exclusively under a fresh hidden name. A target that is
    // a link: the file it points to is replaced and the link stays.
    bool create(const QString& nativeTarget);
    // Creates (or empties) the file under the name the caller gives, in the
    // target's folder; the target is replaced as named.
    bool create(const QString& nativeTarget, const QString& nativeTempPath);

    bool write(QByteArrayView bytes);
    // Flushes what was written to disk (commit does it when not done since).
    bool sync();
    // Flushes the file, closes it, renames it over the target and flushes the
    // folder. On failure the file is removed and the target keeps its content.
    bool commit(RenameSync renameSync = RenameSync::Folder);
    // As commit, but the file stays open: returns its descriptor, which the
    // caller owns from then on, or -1.
    int commitKeepingOpen(RenameSync renameSync = RenameSync::Folder, FileSync fileSync = FileSync::BeforeRename);

    int fd() const { return fd_; }
    QString tempPath() const;

private:
    bool open(const QByteArray& target, const QByteArray& temp, bool exclusive);
    bool finish(bool keepOpen, RenameSync renameSync, FileSync fileSync);
    void discard() noexcept;

    int fd_ = -1;
    bool synced_ = true;
    QByteArray target_;
    QByteArray temp_;
};

// Where a whole-file write stopped.
enum class Outcome { Written, CreateFailed, WriteFailed };

// Replaces the file (native path) with the bytes through a Replacement. On
// failure errno is set, the file keeps its content and no new file remains.
Outcome replaceFile(const QString& nativePath, QByteArrayView bytes);

// As replaceFile, except that an existing device or pipe is written in place,
// and so is an existing file whose folder takes no new file beside it.
Outcome writeWholeFile(const QString& nativePath, QByteArrayView bytes);

} // namespace velta::FileIO
