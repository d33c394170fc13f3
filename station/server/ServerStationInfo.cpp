#include "station/server/ServerStationInfo.h"

#include "common/Exception.h"
#include "station/providers/ProviderPacketWriter.h"
#include "station/db/StationDatabase.h"

#include <QSqlQuery>

namespace velta::station {
namespace {

QSqlQuery run(StationDatabase& db, const QString& sql)
{
    QSqlQuery q = db.query();
    if (!q.exec(sql))
        raiseQueryError(q, sql);
    return q;
}

Variant fixed(const QVariant& value)
{
    return value.isNull() ? Variant::null() : Variant(Currency{scaledFromDecimalText(value.toString())});
}

} // namespace

Variant stationConfig(StationDatabase& db)
{
    Variant::Array config(6);
    QSqlQuery station = run(db, QStringLiteral("SELECT AZS_ID, AZSNAME, ADDRESS, ISLOADINGRACK FROM STATION ORDER BY AZS_ID"));
    if (station.next()) {
        config[0] = Variant(station.value(0).toInt());
        config[1] = Variant(station.value(1).toString());
        config[2] = Variant(station.value(2).toString());
        config[4] = Variant(station.value(3).toInt() != 0);
    } else {
        config[0] = Variant(0);
        config[1] = Variant(QString());
        config[2] = Variant(QString());
        config[4] = Variant(false);
    }

    QSqlQuery guns = run(db, QStringLiteral("SELECT g.TRK, g.GUN, f.NAME, s.NAME FROM TRKGUN g "
                                            "LEFT JOIN GSM f ON f.GSM_ID = g.GSM_ID "
                                            "LEFT JOIN SILO s ON s.SILO_ID = g.SILO_ID ORDER BY g.TRK, g.GUN"));
    QHash<QString, Variant::Array> nozzles;
    while (guns.next()) {
        nozzles[guns.value(0).toString()] << Variant(Variant::Array{
            Variant(guns.value(1).toInt()), Variant(guns.value(2).toString()), Variant(guns.value(3).toString())});
    }
    Variant::Array dispensers;
    QSqlQuery list = run(db, QStringLiteral("SELECT TRK, SORTNUM FROM TRKLIST ORDER BY SORTNUM, TRK"));
    while (list.next()) {
        const QString name = list.value(0).toString();
        dispensers << Variant(Variant::Array{Variant(name), Variant(list.value(1).toInt()), Variant(nozzles.value(name))});
    }
    config[3] = Variant(dispensers);

    Variant::Array fuels;
    QSqlQuery gsm = run(db, QStringLiteral("SELECT GSM_ID, NAME, PRICE FROM GSM ORDER BY GSM_ID"));
    while (gsm.next())
        fuels << Variant(Variant::Array{Variant(gsm.value(0).toInt()), Variant(gsm.value(1).toString()), fixed(gsm.value(2))});
    config[5] = Variant(fuels);
    return Variant(config);
}

int newContragentNumber(StationDatabase& db)
{
    return db.scalar(QStringLiteral("SELECT NEXT VALUE FOR GEN_CONTR_ID FROM RDB$DATABASE")).toInt();
}

} // namespace velta::station
