#include "host/PrintJournal.h"

#include "common/Exception.h"
#include "plugin/platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velta::host {

QString PrintJournal::defaultPath()
{
    return QDir(Paths::root()).filePath(QStringLiteral("host-journal.txt"));
}

PrintJournal::PrintJournal(QString path, QObject* parent)
    : QObject(parent), path_(std::move(path))
{
}

void PrintJournal::print(const QString& device, const QString& call, const QStringList& lines)
{
    QString block = QStringLiteral("==== %1 (%2) ====\n").arg(device, call);
    for (const QString& line : lines)
        block += line + QLatin1Char('\n');
    {
        QMutexLocker lock(&mutex_);
        QDir().mkpath(QFileInfo(path_).absolutePath());
        QFile file(path_);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(block.toUtf8()) < 0)
            throw EInOutError(QStringLiteral("Не удалось записать журнал печати %1: %2").arg(path_, file.errorString()));
        entries_.append(block);
    }
    emit printed(device, call, lines);
}

QStringList PrintJournal::entries() const
{
    QMutexLocker lock(&mutex_);
    return entries_;
}

} // namespace velta::host
