#include "tests/directories/DirectoryStation.h"

#include "plugin/data/Field.h"
#include "station/db/StationPaths.h"

namespace velta::directories::test {

void DirectoryStationTest::SetUp()
{
    MenuStationTest::SetUp();
    if (!stationReady())
        return;
    // Each test writes contragents: a station of its own.
    const QString root = env.path(QStringLiteral("station"));
    ASSERT_EQ(velta::test::StationServer::initStation(root, 5), QString());
    prepareStation(station::stationDatabasePath(root));
    own_ = std::make_unique<velta::test::StationServer>(root);
    ASSERT_NE(own_->port(), 0) << own_->error().toStdString();
    serving = own_.get();
    qputenv("VELTA_STATION_PORT", QByteArray::number(own_->port()));
    data_ = std::make_unique<core::TDBFrm>();
}

void DirectoryStationTest::TearDown()
{
    data_.reset();
    own_.reset();
    MenuStationTest::TearDown();
}

std::unique_ptr<TClientDataSet> DirectoryStationTest::query(const QString& sql)
{
    return data_->OpenSQL(sql);
}

QStringList DirectoryStationTest::contragentsNamed(const QString& name)
{
    QString quoted = name.toUpper();
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    const auto rows = query(QStringLiteral("SELECT NAME, ISDELETE FROM CONTRAGENT WHERE UPPER(NAME) = '%1' ORDER BY CONTR_ID").arg(quoted));
    QStringList found;
    for (rows->First(); !rows->Eof(); rows->Next())
        found << rows->Fields(0).AsString() + QLatin1Char('|') + rows->Fields(1).AsString();
    return found;
}

QStringList DirectoryStationTest::roleRowsOf(int id)
{
    const auto rows = query(QStringLiteral("SELECT CTYPE, PARAM1 FROM CONTRAGENTTYPE WHERE CONTR_ID = %1 ORDER BY CTYPE, PARAM1").arg(id));
    QStringList found;
    for (rows->First(); !rows->Eof(); rows->Next())
        found << rows->Fields(0).AsString() + QLatin1Char(':') + rows->Fields(1).AsString();
    return found;
}

int DirectoryStationTest::idOf(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    const auto rows = query(QStringLiteral("SELECT CONTR_ID FROM CONTRAGENT WHERE NAME = '%1'").arg(quoted));
    return rows->IsEmpty() ? 0 : rows->Fields(0).AsInteger();
}

} // namespace velta::directories::test
