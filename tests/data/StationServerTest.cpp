// Client datasets against the real station server over a fresh demo station:
// the data module's providers with their persistent fields, filters, locates,
// parameters, packets on demand, and edits applied and read back.
#include "DataTestUtil.h"
#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/data/DCOMConnection.h"
#include "tests/support/SharedStationTest.h"

#include <gtest/gtest.h>

using namespace velta;
using namespace velta::test;

namespace {

class StationServerTest : public SharedStationTest<1500> {
protected:
    void bind(TClientDataSet& ds, const QString& provider, int packetRecords = -1, const QString& sql = QString())
    {
        ds.SetRemoteServer(&connection);
        ds.SetProviderName(provider);
        ds.SetPacketRecords(packetRecords);
        ds.SetCommandText(sql);
    }
    // A number the server counts with SQL.
    int count(const QString& sql)
    {
        TClientDataSet q;
        bind(q, "DSPRepCustomSQL", -1, sql);
        q.Open();
        return q.Fields(0).AsInteger();
    }

    TDCOMConnection connection;
};

TEST_F(StationServerTest, EveryProviderOfTheDataModuleOpens)
{
    const struct {
        const char* provider;
        int packet;
        const char* sql;
    } cases[] = {
        {"SmLogProvider", -1, ""},
        {"PrxLogProvider", 10, ""},
        {"PrxLogProvider", 101, "SELECT DISTINCT Trk FROM Trk ORDER BY Trk"},
        {"PrxLogProvider", 10, "SELECT DISTINCT CarName FROM Prx ORDER BY CarName"},
        {"DSPTRKHistory", 100, ""},
        {"DSPRepTTN", -1, ""},
        {"DSPRepTTNDet", -1, ""},
        {"DSPRepTTNID", 100, ""},
        {"DSPRepLogTran", 100, ""},
        {"DSPRepAllLogTran", 100, ""},
        {"DSPRepScanDoc", -1, ""},
        {"DSPRepScanDocTypes", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.provider + std::string(" ") + c.sql);
        TClientDataSet ds;
        bind(ds, c.provider, c.packet, c.sql);
        if (QLatin1String(c.provider) == QLatin1String("DSPTRKHistory"))
            ds.Params().CreateParam(FieldType::String, "TrkName", ptInput).SetAsString("1");
        ASSERT_NO_THROW(ds.Open());
        EXPECT_FALSE(ds.IsEmpty());
        if (c.packet > 0) {
            EXPECT_LE(ds.RecordCount(), c.packet);
        }
        ds.Last();
        EXPECT_FALSE(ds.HasMoreRows());
    }
    TClientDataSet connect;
    bind(connect, "DSPRepDBConnect");
    EXPECT_NO_THROW(connect.Open());
    EXPECT_EQ(connection.GetAZSConfig().at(3).at(3).at(0).toString(), "10") << "the fourth dispenser";
}

TEST_F(StationServerTest, PersistentFieldsOfTheReceiptJournalBindAndFilter)
{
    TClientDataSet prx;
    const struct {
        const char* name;
        FieldType type;
    } fields[] = {{"OpNum", FieldType::Int32},      {"Date", FieldType::Date},
                  {"SmNum", FieldType::Int32},      {"Operator", FieldType::String},
                  {"GSMName", FieldType::String},   {"CarVolTTN", FieldType::Currency},
                  {"SiloName", FieldType::String},  {"BegTime", FieldType::DateTime},
                  {"EndTime", FieldType::DateTime}, {"SiloLevelBefore", FieldType::Currency},
                  {"SiloLevelAfter", FieldType::Currency}, {"Fact1", FieldType::Currency},
                  {"Dopusk", FieldType::Currency},  {"Delta", FieldType::Currency},
                  {"UdVes", FieldType::Currency},   {"Temper", FieldType::Currency},
                  {"FactPlotn", FieldType::Currency}, {"Cor", FieldType::Int32},
                  {"Prihod", FieldType::Int32},     {"Prim", FieldType::String},
                  {"AUTO", FieldType::Int32}};
    for (const auto& f : fields)
        prx.AddField(f.name, f.type).SetVisible(false);
    bind(prx, "PrxLogProvider", 10);
    prx.Open();
    EXPECT_EQ(prx.FieldCount(), 21) << "CarName comes from the provider but has no field";
    EXPECT_EQ(prx.FindField("CarName"), nullptr);

    prx.SetFilter("Prihod = 1 AND AUTO <> 4 ");
    prx.SetFiltered(true);
    int passed = 0;
    for (prx.First(); !prx.Eof(); prx.Next()) {
        EXPECT_EQ(prx.FieldByName("Prihod").AsInteger(), 1);
        ++passed;
    }
    EXPECT_EQ(passed, count("SELECT COUNT(*) FROM PRX WHERE PRIHOD = 1 AND AUTO <> 4"));
    EXPECT_GT(passed, 0);
}

TEST_F(StationServerTest, DispenserJournalTakesItsParameterAndComesInPackets)
{
    TClientDataSet trkLog;
    trkLog.Params().CreateParam(FieldType::String, "TrkName", ptInput).SetAsString("10");
    bind(trkLog, "DSPTRKHistory", 100);
    trkLog.Open();
    const int total = count("SELECT COUNT(*) FROM TRK WHERE TRK = '10'");
    ASSERT_GT(total, 100) << "the demo journal is long enough to need packets";
    EXPECT_EQ(trkLog.RecordCount(), 100);
    int rows = 0;
    for (trkLog.First(); !trkLog.Eof(); trkLog.Next())
        ++rows;
    EXPECT_EQ(rows, total);
    EXPECT_EQ(trkLog.RecordCount(), total);
}

TEST_F(StationServerTest, CyrillicNamesLocatedAndFilteredWithoutRegardToCase)
{
    TClientDataSet org;
    bind(org, "OrgListProvider");
    org.Open();
    org.First();
    const QString name = org.FieldByName("NAME").AsString();
    ASSERT_GE(name.size(), 4);
    const QString part = name.mid(1, 3).toLower();
    int expected = 0;
    for (org.First(); !org.Eof(); org.Next())
        expected += org.FieldByName("NAME").AsString().contains(part, Qt::CaseInsensitive) ? 1 : 0;
    org.SetFilterOptions(foCaseInsensitive);
    org.SetFilter(QStringLiteral("NAME LIKE '%%1%'").arg(part));
    org.SetFiltered(true);
    EXPECT_EQ(org.RecordCount(), expected);
    org.SetFiltered(false);

    org.Last();
    EXPECT_TRUE(org.Locate("NAME", name.left(3).toUpper(), loCaseInsensitive | loPartialKey));
    EXPECT_TRUE(org.FieldByName("NAME").AsString().startsWith(name.left(3), Qt::CaseInsensitive));
    EXPECT_LE(org.RecNo(), 1 + expected);
}

TEST_F(StationServerTest, QuotedDatesAgainstSaleTimes)
{
    TClientDataSet sales;
    bind(sales, "DSPRepAllLogTran", 100);
    sales.Open();
    const TDateTime day = DateOf(sales.FieldByName("TIDEDATE").AsDateTime());
    const QString from = FormatDateTime("dd.mm.yyyy", day);
    const QString to = FormatDateTime("dd.mm.yyyy", day + 1);
    sales.SetFilter(QStringLiteral("TIDEDATE >= '%1' AND TIDEDATE < '%2'").arg(from, to));
    sales.SetFiltered(true);
    sales.Last();
    const int expected = count(QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE DATA >= '%1' AND DATA < '%2'")
                                   .arg(FormatDateTime("yyyy-mm-dd", day), FormatDateTime("yyyy-mm-dd", day + 1)));
    EXPECT_EQ(sales.RecordCount(), expected);
    EXPECT_GT(expected, 0);
}

TEST_F(StationServerTest, EditsAreAppliedAndReadBack)
{
    TClientDataSet types;
    bind(types, "DSPRepScanDocTypes");
    types.Open();
    types.SetIndexFieldNames("ID");
    types.Last();
    const int newId = types.FieldByName("ID").AsInteger() + 1;
    types.First();
    const int firstId = types.FieldByName("ID").AsInteger();
    types.Edit();
    types.FieldByName("NAME").SetAsString("Акт сверки");
    types.Post();
    types.AppendRecord({newId, "Доверенность", "dov"});
    EXPECT_EQ(types.ApplyUpdates(0), 0);
    EXPECT_EQ(types.ChangeCount(), 0);

    TClientDataSet check;
    bind(check, "DSPRepScanDocTypes");
    check.Open();
    EXPECT_EQ(check.Lookup("ID", firstId, "NAME").toString(), "Акт сверки");
    EXPECT_EQ(check.Lookup("ID", newId, "FILEPREFIX").toString(), "dov");
}

TEST_F(StationServerTest, RefusedApplyWritesNothing)
{
    TClientDataSet types;
    bind(types, "DSPRepScanDocTypes");
    types.Open();
    types.First();
    const int firstId = types.FieldByName("ID").AsInteger();
    const QString oldName = types.FieldByName("NAME").AsString();
    types.Edit();
    types.FieldByName("NAME").SetAsString("Не должно сохраниться");
    types.Post();
    types.AppendRecord({firstId, "Дубликат", "dup"}); // the key exists
    EXPECT_THROW(types.ApplyUpdates(0), EDatabaseError);
    EXPECT_EQ(types.ChangeCount(), 2);

    TClientDataSet check;
    bind(check, "DSPRepScanDocTypes");
    check.Open();
    EXPECT_EQ(check.Lookup("ID", firstId, "NAME").toString(), oldName);
    EXPECT_FALSE(check.Locate("NAME", "Дубликат", 0));
}

} // namespace
