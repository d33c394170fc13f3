#include "plugin/directories/scandocs/ScanDocStorage.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace velta::directories::scandocs {

namespace {

const QString kRootPath = QStringLiteral("\\DEXE\\ScanDocuments\\");

// A path in the form the logic compares: Windows-style when it lies on a drive folder.
QString comparable(const QString& path)
{
    QString text = Paths::fromNative(path);
    if (Paths::isWindowsPath(text))
        text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return text;
}

} // namespace

QString StorageRoot(int workplaceKind)
{
    const bool remote = workplaceKind == 1 || workplaceKind == 2;
    return (remote ? QStringLiteral("S:") : QStringLiteral("C:")) + kRootPath;
}

QString StationFolder(const QString& root, const QString& stationName)
{
    return root + stationName + QLatin1Char('\\');
}

QString PageFileName(const QString& prefix, int id, int page, const QString& sourcePath)
{
    return prefix + QStringLiteral("%1").arg(id, 3, 10, QLatin1Char('0')) + QLatin1Char('_') + QString::number(page)
           + Paths::extractFileExt(sourcePath);
}

QStringList PagePathsOf(const QString& fileNames, const QString& root)
{
    QStringList pages;
    for (const QString& line : fileNames.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString name = line.trimmed();
        if (!name.isEmpty())
            pages << root + name;
    }
    if (pages.isEmpty())
        pages << QString();
    return pages;
}

QStringList MissingFiles(const QStringList& pages)
{
    QStringList missing;
    for (const QString& page : pages)
        if (!page.isEmpty() && !Paths::fileExists(page))
            missing << page;
    return missing;
}

bool LiesUnder(const QString& path, const QString& folder)
{
    return comparable(path).startsWith(comparable(folder), Qt::CaseInsensitive);
}

bool SamePath(const QString& a, const QString& b)
{
    if (comparable(a).compare(comparable(b), Qt::CaseInsensitive) == 0)
        return true;
    return QFileInfo(Paths::toNative(a)).absoluteFilePath().compare(QFileInfo(Paths::toNative(b)).absoluteFilePath(),
                                                                   Qt::CaseInsensitive) == 0;
}

StoredPages StorePages(const QStringList& pages, const QString& root, const QString& stationName,
                       const QString& prefix, int id)
{
    StoredPages stored;
    const QString folder = StationFolder(root, stationName);
    for (int i = 0; i < pages.size(); ++i) {
        const QString& source = pages.at(i);
        const QString name = PageFileName(prefix, id, i + 1, source);
        const QString target = folder + name;
        if (!SamePath(source, target)) {
            QFile existing(Paths::toNative(target));
            if (existing.exists() && !existing.remove())
                throw Exception(Format(QStringLiteral("При удалении старого файла \"%s\": %s"),
                                       {Variant(target), Variant(existing.errorString())}));
            QFile file(Paths::toNative(source));
            if (!file.copy(Paths::toNative(target)))
                throw Exception(Format(QStringLiteral("При копировании файла \"%s\" в \"%s\" возникла ошибка: %s"),
                                       {Variant(source), Variant(target), Variant(file.errorString())}));
            stored.copied << target;
        }
        if (!LiesUnder(source, root))
            stored.outsideRoot << source;
        stored.lines << stationName + QLatin1Char('\\') + name;
    }
    return stored;
}

void DeleteFiles(const QStringList& files)
{
    for (const QString& file : files)
        QFile::remove(Paths::toNative(file));
}

} // namespace velta::directories::scandocs
