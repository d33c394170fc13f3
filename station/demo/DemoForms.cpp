#include "station/demo/DemoForms.h"

#include "common/Exception.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

// Resources of a static library are registered by name, outside any namespace.
static void registerDemoForms()
{
    Q_INIT_RESOURCE(DemoForms);
}

namespace velta::station {

QString formsFolderOf(const QString& veltaRoot)
{
    return QDir(veltaRoot).filePath(QStringLiteral("C/DEXE/FORMS"));
}

QStringList installDemoForms(const QString& formsFolder)
{
    registerDemoForms();
    const QString prefix = QStringLiteral(":/forms/");
    QStringList written;
    QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = QDir(formsFolder).filePath(source.mid(prefix.size()));
        if (QFileInfo::exists(target))
            continue;
        if (!QDir().mkpath(QFileInfo(target).absolutePath()))
            throw Exception(QStringLiteral("Cannot create the folder of %1").arg(target));
        QFile::remove(target);
        if (!QFile::copy(source, target))
            throw Exception(QStringLiteral("Cannot write the form %1").arg(target));
        // Resource copies are read-only; a station's forms are edited in place.
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                          QFileDevice::ReadOther);
        written << target;
    }
    written.sort();
    return written;
}

} // namespace velta::station
