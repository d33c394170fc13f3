#pragma once
// The station database's structure (domains, tables, keys, generators,
// indices) and the head-office database's, as DDL statements. Older stations
// lack the consignment note lines and a few later columns: SchemaOptions
// leaves them out.
#include <QString>
#include <QStringList>
#include <QVector>

namespace velta::station {

class StationDatabase;

struct SchemaOptions {
    bool ttnDetail = true;        // table TTNDETAIL (consignment notes with several lines)
    bool ttnDetailPressure = true; // TTNDETAIL.PRESSURE
    bool ttnKvit = true;          // TTN.KVITNUMBER and TTN.KVITDATE
    bool saleMeterColumns = true; // LOGTRAN.TRKDENSITY, MASSAPLM and ID2CNT

    static SchemaOptions current() { return {}; }
    static SchemaOptions legacy() { return {false, false, false, false}; }
};

// Generators of new numbers, one per numbered table; each is left at the
// highest number in use, so NEXT VALUE FOR gives the next free one.
struct GeneratorKey {
    const char* generator;
    const char* table;
    const char* column;
};
const QVector<GeneratorKey>& stationGenerators();

// Tables, generators and the triggers that number new rows.
QStringList stationSchemaStatements(const SchemaOptions& options);
// Indices and foreign keys, applied after the bulk load so it runs faster.
QStringList stationIndexStatements(const SchemaOptions& options);
QStringList officeSchemaStatements();

// Runs the statements on an empty database, each committed on its own (the
// engine needs a table committed before it can be referenced).
void applySchema(StationDatabase& db, const QStringList& statements);

// Moves every generator of the station to the highest number its table holds.
void syncGenerators(StationDatabase& db);

} // namespace velta::station
