#include "host/HostFont.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace velta::host {
namespace {

const QString kTahoma = QStringLiteral("Tahoma");

bool registerFrom(const QString& folder)
{
    const QDir dir(folder);
    const QString regular = dir.filePath(QStringLiteral("tahoma.ttf"));
    if (!QFile::exists(regular) || QFontDatabase::addApplicationFont(regular) < 0)
        return false;
    const QString bold = dir.filePath(QStringLiteral("tahomabd.ttf"));
    if (QFile::exists(bold))
        QFontDatabase::addApplicationFont(bold);
    return QFontDatabase::hasFamily(kTahoma);
}

} // namespace

QStringList DefaultTahomaFolders()
{
    return {QStringLiteral("/usr/share/wine/fonts"), QStringLiteral("/usr/share/fonts/truetype/wine")};
}

bool UseTahomaFont(const QStringList& folders)
{
    bool present = QFontDatabase::hasFamily(kTahoma);
    for (qsizetype i = 0; !present && i < folders.size(); ++i)
        present = registerFrom(folders[i]);
    if (!present)
        return false;
    QFont font(kTahoma);
    font.setPointSize(8);
    QGuiApplication::setFont(font);
    return true;
}

} // namespace velta::host
