#include "plugin/viewer/export/TextFileSave.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"
#include "plugin/ui/Dialogs.h"

#include <cerrno>

namespace velta::viewer {

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
    const FileIO::Outcome outcome = FileIO::writeWholeFile(native, bytes);
    if (outcome == FileIO::Outcome::Written)
        return;
    const QString reason = SystemError::message(SystemError::setLastFromErrnoForPath(errno, native));
    if (outcome == FileIO::Outcome::CreateFailed)
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
    throw EInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, reason));
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
