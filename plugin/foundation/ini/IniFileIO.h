#pragma once
// The disk side of the INI store: where a file name lies, reading a file
// whole, and replacing it atomically. Failures set SystemError's last error.
#include <QByteArray>
#include <QString>

struct stat;

namespace velta::IniFileIO {

// The native path of a file name: Windows-style names are mapped through
// Paths (the mapping is cached while the mapped file exists), a bare file name
// lies in the Windows folder, any other native path is kept. Stats the path
// into st; statErrno is 0 or the stat's errno.
QString resolvePath(const QString& fileName, struct stat& st, int& statErrno);

// Reads a regular file whole; st is the stat of the file as opened, which
// matches what was read.
bool readFile(const QString& path, QByteArray& bytes, struct stat& st);

// Replaces the file's content atomically: at every moment the file holds the
// old or the new content, whole. A missing folder fails with "path not found".
bool replaceFile(const QString& path, const QByteArray& content);

} // namespace velta::IniFileIO
