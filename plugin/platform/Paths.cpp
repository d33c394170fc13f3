#include "plugin/platform/Paths.h"

#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace velta::Paths {

namespace {

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool hasDrive(const QString& path)
{
    return path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == u':';
}

QString environment(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? QFile::decodeName(value) : QString();
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

bool nativeExists(const QString& native)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(native).constData(), &st) == 0;
}

bool nativeIsDir(const QString& native)
{
    struct stat st {};
    return ::stat(QFile::encodeName(native).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of a folder whose name equals the component regardless of case;
// an exact match is preferred. Empty when there is none.
QString matchEntry(const QString& folder, const QString& component)
{
    if (nativeExists(folder + u'/' + component))
        return component;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (QString::compare(name, component, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

// The top folder a Windows-style path starts from, and where its components begin.
QString windowsBase(const QString& path, qsizetype& rest)
{
    if (hasDrive(path)) {
        rest = 2;
        return root() + u'/' + path[0].toUpper();
    }
    if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        rest = 2;
        return root() + QStringLiteral("/UNC");
    }
    // Rooted without a drive ("\DEXE\..."): the current drive, which is C:.
    rest = 0;
    return root() + QStringLiteral("/C");
}

} // namespace

QString root()
{
    const QString value = environment("VELTA_ROOT");
    if (!value.isEmpty())
        return withoutTrailingSlash(value);
    return QDir::homePath() + QStringLiteral("/.local/share/velta");
}

bool isWindowsPath(const QString& path)
{
    if (hasDrive(path))
        return true;
    return !path.isEmpty() && path[0] == u'\\';
}

QString fromNative(const QString& path)
{
    if (isWindowsPath(path))
        return path;
    const QString base = root() + u'/';
    if (!path.startsWith(base) || path.size() < base.size() + 1)
        return path;
    const QChar drive = path[base.size()];
    const bool driveFolder = drive >= u'A' && drive <= u'Z'
        && (path.size() == base.size() + 1 || path[base.size() + 1] == u'/');
    if (!driveFolder)
        return path;
    QString rest = path.mid(base.size() + 2);
    rest.replace(u'/', u'\\');
    return QString(drive) + QStringLiteral(":\\") + rest;
}

QString toNative(const QString& path)
{
    if (!isWindowsPath(path))
        return path;
    qsizetype rest = 0;
    const QString base = windowsBase(path, rest);

    QStringList components;
    qsizetype start = rest;
    for (qsizetype i = rest; i <= path.size(); ++i) {
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        const QString part = path.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!components.isEmpty())
                components.removeLast();
            continue;
        }
        components << part;
    }
    const bool trailing = path.size() > rest && isSeparator(path.back()) && !components.isEmpty();

    // Fast path: the path exists with the given spelling.
    QString exact = base;
    for (const QString& c : components)
        exact += u'/' + c;
    if (components.isEmpty() || nativeExists(exact))
        return trailing ? exact + u'/' : exact;

    QString result = base;
    bool matching = nativeIsDir(base);
    for (const QString& component : components) {
        if (matching) {
            const QString found = matchEntry(result, component);
            if (found.isEmpty()) {
                matching = false;
                result += u'/' + component;
            } else {
                result += u'/' + found;
                matching = nativeIsDir(result);
            }
        } else {
            result += u'/' + component;
        }
    }
    return trailing ? result + u'/' : result;
}

namespace {
// A system folder always exists on a station: make it on first use.
QString existingSystemFolder(const QString& folder)
{
    const QString native = toNative(folder);
    if (!nativeIsDir(native))
        QDir().mkpath(native);
    return folder;
}
} // namespace

QString windowsFolder()
{
    return existingSystemFolder(QStringLiteral("C:\\WINDOWS\\"));
}

QString tempFolder()
{
    return existingSystemFolder(QStringLiteral("C:\\WINDOWS\\TEMP\\"));
}

QString executableFolder()
{
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return QDir::currentPath() + u'/';
    const QString exe = QFile::decodeName(QByteArray(buffer, length));
    return exe.left(exe.lastIndexOf(u'/') + 1);
}

namespace {
// Index of the last character that ends the folder part: a separator, or the
// colon of a drive.
qsizetype lastDelimiter(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (isSeparator(path[i]))
            return i;
        if (i == 1 && hasDrive(path))
            return i;
    }
    return -1;
}
} // namespace

QString extractFilePath(const QString& path)
{
    return path.left(lastDelimiter(path) + 1);
}

QString extractFileName(const QString& path)
{
    return path.mid(lastDelimiter(path) + 1);
}

QString extractFileExt(const QString& path)
{
    const QString name = extractFileName(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString includeTrailingDelimiter(const QString& path)
{
    // An empty path stays empty: a lone separator would name the root folder.
    if (path.isEmpty() || isSeparator(path.back()))
        return path;
    const bool windows = isWindowsPath(path) || (path.contains(u'\\') && !path.contains(u'/'));
    return path + (windows ? u'\\' : u'/');
}

bool forceDirectories(const QString& path)
{
    if (path.isEmpty()) {
        SystemError::setLast(SystemError::InvalidName);
        return false;
    }
    const QString native = toNative(path);
    if (nativeIsDir(native))
        return true;
    const QByteArray encoded = QFile::encodeName(withoutTrailingSlash(native));
    // Create each missing level, so that a failure reports its own errno.
    for (qsizetype i = 1; i <= encoded.size(); ++i) {
        if (i < encoded.size() && encoded[i] != '/')
            continue;
        const QByteArray level = encoded.left(i);
        if (::mkdir(level.constData(), 0777) != 0 && errno != EEXIST) {
            SystemError::setLastFromErrno(errno);
            return false;
        }
    }
    if (!nativeIsDir(native)) {
        SystemError::setLast(SystemError::PathNotFound);
        return false;
    }
    return true;
}

bool fileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st {};
    return ::stat(QFile::encodeName(toNative(path)).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace velta::Paths
