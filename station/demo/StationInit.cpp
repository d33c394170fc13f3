#include "station/demo/StationInit.h"

#include "common/Exception.h"
#include "station/demo/DemoCatalog.h"
#include "station/demo/DemoForms.h"
#include "station/db/FirebirdFile.h"
#include "station/db/Schema.h"
#include "station/db/StationDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace velta::station {
namespace {

// Removes the files it was given unless released: a failed init leaves no
// half-made database behind.
class CreatedFiles {
public:
    ~CreatedFiles()
    {
        if (!released_)
            for (const QString& path : paths_)
                QFile::remove(path);
    }
    void add(const QString& path) { paths_ << path; }
    void release() { released_ = true; }

private:
    QStringList paths_;
    bool released_ = false;
};

void prepareTarget(const QString& path, bool force)
{
    if (!QFileInfo::exists(path))
        return;
    if (!force)
        throw Exception(QStringLiteral("Database %1 already exists; use --force to replace it").arg(path));
    if (!QFile::remove(path))
        throw Exception(QStringLiteral("Cannot remove the existing database %1").arg(path));
}

} // namespace

InitResult initStation(const InitOptions& options)
{
    if (options.root.trimmed().isEmpty())
        throw Exception(QStringLiteral("No root folder given"));
    if (options.sales < 0)
        throw Exception(QStringLiteral("The number of sales cannot be negative"));
    if (!QDir().mkpath(options.root))
        throw Exception(QStringLiteral("Cannot create the folder %1").arg(options.root));

    QElapsedTimer timer;
    timer.start();
    InitResult result;
    result.stationPath = stationDatabasePath(options.root);
    result.officePath = officeDatabasePath(options.root);
    // Both are checked before anything is touched, so a refusal changes nothing.
    if (!options.force)
        for (const QString& path : {result.stationPath, result.officePath})
            prepareTarget(path, false);
    prepareTarget(result.stationPath, options.force);
    prepareTarget(result.officePath, options.force);

    CreatedFiles created;
    const SchemaOptions schema = options.legacy ? SchemaOptions::legacy() : SchemaOptions::current();
    created.add(result.stationPath);
    createDatabaseFile(result.stationPath);
    setForcedWrites(result.stationPath, false); // bulk load first, safe writes afterwards
    {
        StationDatabase db(result.stationPath);
        applySchema(db, stationSchemaStatements(schema));
        result.summary = writeStationDemo(db, schema, options.sales);
        applySchema(db, stationIndexStatements(schema));
        syncGenerators(db);
    }
    setForcedWrites(result.stationPath, true);

    created.add(result.officePath);
    createDatabaseFile(result.officePath);
    {
        StationDatabase office(result.officePath);
        applySchema(office, officeSchemaStatements());
        writeOfficeStations(office);
    }
    created.release();
    if (!options.formsFolder.isEmpty())
        result.forms = installDemoForms(options.formsFolder);
    result.milliseconds = timer.elapsed();
    return result;
}

} // namespace velta::station
