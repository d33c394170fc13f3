#include "plugin/viewer/export/TextFileSave.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"
#include "plugin/ui/Dialogs.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace velta::viewer {

namespace {

// The reason of a failed open or write, in the system's words where errno
// tells it, else Qt's.
QString failureReason(const QFileDevice& file, const QString& nativePath)
{
    const int error = errno;
    if (error != 0)
        return SystemError::message(SystemError::setLastFromErrnoForPath(error, nativePath));
    return file.errorString();
}

} // namespace

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar ch = text.at(i);
        if (ch != u'\r' && ch != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (ch == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines << text.mid(start);
    return lines;
}

QString JoinLinesCrLf(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes)
{
    const QString native = Paths::toNative(fileName);
    // A device or pipe is written in place; a regular file is replaced only
    // once the new content is complete, so a failed write keeps the old one.
    const QFileInfo info(native);
    const bool inPlace = info.exists() && !info.isFile() && !info.isDir();
    QFile device(native);
    QSaveFile replacement(native);
    replacement.setDirectWriteFallback(true); // folders without room for a side file
    QFileDevice& file = inPlace ? static_cast<QFileDevice&>(device) : replacement;

    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, failureReason(file, native)));
    errno = 0;
    bool written = file.write(bytes) == bytes.size() && file.flush();
    if (written && inPlace) {
        device.close();
        written = device.error() == QFileDevice::NoError;
    } else if (written) {
        written = replacement.commit();
    }
    if (!written) {
        const QString reason = failureReason(file, native);
        if (!inPlace)
            replacement.cancelWriting();
        throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, reason));
    }
}

void SaveTextFile(const QStringList& lines, Dialogs& dialogs)
{
    FileDialogOptions options;
    options.filter = QStringLiteral("Text files (*.txt)|*.TXT");
    options.defaultExt = QStringLiteral("txt");
    const std::optional<QString> fileName = dialogs.saveFile(options);
    if (!fileName)
        return;
    WriteWholeFile(*fileName, codec::toCp1251(JoinLinesCrLf(lines)));
}

} // namespace velta::viewer
