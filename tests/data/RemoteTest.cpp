// Client datasets against a station server (the in-process fake speaking the
// station protocol): providers, parameters, packets on demand, applying
// change logs, the connection and the dispatch methods.
#include "DataTestUtil.h"
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "plugin/data/DCOMConnection.h"
#include "tests/support/TestEnv.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::test;

namespace {

QVector<FieldDef> trkFields()
{
    return {keyField("ID", FieldType::Int32), FieldDef("Trk", FieldType::String, 10),
            FieldDef("Liters", FieldType::Currency)};
}

DataPacket trkTable(int rows)
{
    QVector<QVector<Variant>> data;
    for (int i = 1; i <= rows; ++i)
        data.append({i, QString::number(i % 3 + 1), Currency{i * 10000LL}});
    return makePacket(trkFields(), data);
}

class RemoteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.start();
        qputenv("VELTA_STATION_PORT", QByteArray::number(server.port()));
        qunsetenv("VELTA_STATION_KEY");
        server.setTable("DSPTRKHistory", trkTable(25));
    }
    void TearDown() override
    {
        qunsetenv("VELTA_STATION_PORT");
        qunsetenv("VELTA_STATION_KEY");
    }

    void openHistory(TClientDataSet& ds, int packetRecords)
    {
        ds.SetRemoteServer(&connection);
        ds.SetProviderName("DSPTRKHistory");
        ds.SetPacketRecords(packetRecords);
        ds.Open();
    }

    TestEnv env;
    FakeStationServer server;
    TDCOMConnection connection;
};

TEST_F(RemoteTest, OpeningConnectsAndSendsParameters)
{
    TClientDataSet trkLog;
    trkLog.Params().CreateParam(FieldType::String, "TrkName", ptInput).SetAsString("1");
    EXPECT_FALSE(connection.Connected());
    openHistory(trkLog, -1);
    EXPECT_TRUE(connection.Connected());
    EXPECT_EQ(trkLog.RecordCount(), 25);
    const Variant::Array params = server.lastParams();
    ASSERT_EQ(params.size(), 1);
    EXPECT_EQ(params[0].at(0).toString(), "TrkName");
    EXPECT_EQ(params[0].at(1).toString(), "1");
    EXPECT_EQ(trkLog.FieldByName("Liters").AsCurrency().scaled, 10000);
}

TEST_F(RemoteTest, PacketsAreFetchedWhenNavigationReachesTheEnd)
{
    TClientDataSet ds;
    openHistory(ds, 10);
    EXPECT_EQ(ds.RecordCount(), 10) << "only the rows loaded so far";
    EXPECT_EQ(server.openCursors(), 1);
    ds.MoveBy(9);
    EXPECT_EQ(server.calls(station::kFetchRows), 0);
    ds.Next();
    EXPECT_EQ(server.calls(station::kFetchRows), 1);
    EXPECT_EQ(ds.RecordCount(), 20);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 11);
    EXPECT_FALSE(ds.Eof());
    ds.Last();
    EXPECT_EQ(ds.RecordCount(), 25);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 25);
    EXPECT_EQ(server.openCursors(), 0) << "the server closed the finished cursor";
    ds.Next();
    EXPECT_TRUE(ds.Eof());
}

TEST_F(RemoteTest, FilterAndLocateSeeRowsStillOnTheServer)
{
    TClientDataSet ds;
    openHistory(ds, 4);
    ds.SetFilter("Trk = '2'");
    ds.SetFiltered(true);
    int seen = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        ++seen;
    EXPECT_EQ(seen, 9) << "Next fetches on through the filter (IDs 1, 4, ..., 25)";

    TClientDataSet other;
    openHistory(other, 4);
    EXPECT_TRUE(other.Locate("ID", 23, 0));
    EXPECT_EQ(other.RecordCount(), 25);
}

TEST_F(RemoteTest, AFilterSetBeforeOpeningFindsItsFirstRowBeyondTheFirstPackets)
{
    // Only IDs 21 and 24 pass; the first packets of four rows hold none of them.
    TClientDataSet ds;
    ds.SetFilter("ID > 20 AND Trk = '1'");
    ds.SetFiltered(true);
    openHistory(ds, 4);
    EXPECT_FALSE(ds.IsEmpty());
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 21);
    EXPECT_TRUE(ds.HasMoreRows()) << "fetching stops at the first row shown";

    TClientDataSet none;
    none.SetFilter("ID > 99");
    none.SetFiltered(true);
    openHistory(none, 4);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_TRUE(none.Eof());
    EXPECT_FALSE(none.HasMoreRows());
}

TEST_F(RemoteTest, ClosingReleasesTheServerCursor)
{
    TClientDataSet ds;
    openHistory(ds, 5);
    EXPECT_EQ(server.openCursors(), 1);
    ds.Close();
    EXPECT_EQ(server.openCursors(), 0);
}

TEST_F(RemoteTest, ClonesFetchOnAfterTheirSourceIsGone)
{
    auto source = std::make_unique<TClientDataSet>();
    openHistory(*source, 5);
    TClientDataSet clone;
    clone.CloneCursor(*source);
    source.reset();
    EXPECT_EQ(server.openCursors(), 1) << "the clone still needs the server's cursor";
    clone.Last();
    EXPECT_EQ(clone.RecordCount(), 25);
    EXPECT_EQ(server.openCursors(), 0);

    TClientDataSet other;
    openHistory(other, 5);
    TClientDataSet otherClone;
    otherClone.CloneCursor(other);
    other.Close();
    otherClone.Close();
    EXPECT_EQ(server.openCursors(), 0) << "the last cursor over the data gives the server's cursor back";
}

TEST_F(RemoteTest, FetchingAfterTheConnectionClosedFails)
{
    TClientDataSet ds;
    openHistory(ds, 5);
    connection.Close();
    EXPECT_EQ(ds.RecordCount(), 5) << "loaded rows stay";
    ds.MoveBy(4);
    EXPECT_THROW(ds.Next(), EDatabaseError) << "never a silently short result";
}

TEST_F(RemoteTest, AppliedEditsReachTheServerAndMergeTheLog)
{
    TClientDataSet ds;
    openHistory(ds, -1);
    ASSERT_TRUE(ds.Locate("ID", 3, 0));
    ds.Edit();
    ds.FieldByName("Liters").SetAsString("99,5");
    ds.Post();
    ds.Append();
    ds.FieldByName("ID").SetAsInteger(100);
    ds.FieldByName("Trk").SetAsString("10");
    ds.Post();
    ASSERT_TRUE(ds.Locate("ID", 1, 0));
    ds.Delete();
    EXPECT_EQ(ds.ApplyUpdates(0), 0);
    EXPECT_EQ(ds.ChangeCount(), 0);

    TClientDataSet fresh;
    openHistory(fresh, -1);
    EXPECT_EQ(fresh.RecordCount(), 25);
    ASSERT_TRUE(fresh.Locate("ID", 3, 0));
    EXPECT_EQ(fresh.FieldByName("Liters").AsCurrency().scaled, 995000);
    EXPECT_TRUE(fresh.Locate("Trk", "10", 0));
    EXPECT_FALSE(fresh.Locate("ID", 1, 0));
}

TEST_F(RemoteTest, RefusedApplyLeavesLogAndServerAsTheyWere)
{
    TClientDataSet ds;
    openHistory(ds, -1);
    ds.First();
    ds.Edit();
    ds.FieldByName("Trk").SetAsString("7");
    ds.Post();
    ds.Next();
    ds.Delete();
    server.failNextApply("violation of FOREIGN KEY constraint \"FK_TRK\"");
    try {
        ds.ApplyUpdates(0);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "violation of FOREIGN KEY constraint \"FK_TRK\"");
    }
    EXPECT_EQ(ds.ChangeCount(), 2);
    EXPECT_EQ(server.table("DSPTRKHistory"), trkTable(25)) << "nothing half-written";
    EXPECT_EQ(ds.ApplyUpdates(0), 0) << "the same log goes through once the cause is gone";
    EXPECT_EQ(server.table("DSPTRKHistory").rowCount(), 24);
}

TEST_F(RemoteTest, RecordChangedOnTheServerIsReported)
{
    TClientDataSet a;
    TClientDataSet b;
    openHistory(a, -1);
    openHistory(b, -1);
    a.First();
    a.Delete();
    a.ApplyUpdates(0);
    b.First();
    b.Edit();
    b.FieldByName("Trk").SetAsString("9");
    b.Post();
    EXPECT_THROW(b.ApplyUpdates(0), EDatabaseError);
    EXPECT_EQ(b.ChangeCount(), 1);
}

TEST_F(RemoteTest, SeveralDatasetsApplyAllOrNothing)
{
    server.setTable("DSPRepTTN", makePacket({keyField("TTN_ID", FieldType::Int32), FieldDef("NUM", FieldType::String, 10)},
                                            {{1, "A-1"}}));
    server.setRowCheck("DSPRepTTN", [](const QVector<Variant>& row) {
        return row.value(1).toString().isEmpty() ? QString("NUM must not be empty") : QString();
    });
    TClientDataSet ttn;
    ttn.SetRemoteServer(&connection);
    ttn.SetProviderName("DSPRepTTN");
    ttn.Open();
    TClientDataSet lines;
    openHistory(lines, -1);

    lines.First();
    lines.Delete();
    ttn.Edit();
    ttn.FieldByName("NUM").SetAsString("");
    ttn.Post();
    EXPECT_THROW(TClientDataSet::ApplyUpdatesTogether({&lines, &ttn}), EDatabaseError);
    EXPECT_EQ(server.table("DSPTRKHistory").rowCount(), 25) << "the first dataset's delete was rolled back";
    EXPECT_EQ(lines.ChangeCount(), 1);

    ttn.Edit();
    ttn.FieldByName("NUM").SetAsString("A-2");
    ttn.Post();
    TClientDataSet::ApplyUpdatesTogether({&lines, &ttn});
    EXPECT_EQ(server.table("DSPTRKHistory").rowCount(), 24);
    EXPECT_EQ(server.table("DSPRepTTN").value(0, 1).toString(), "A-2");
    EXPECT_EQ(lines.ChangeCount() + ttn.ChangeCount(), 0);
    EXPECT_EQ(server.calls(station::kApplyUpdates), 2);
}

TEST_F(RemoteTest, CustomSqlAndLocalDatasetsWithoutProvider)
{
    const QString sql = "SELECT DISTINCT Trk FROM Trk ORDER BY Trk";
    server.setQuery(sql, makePacket({FieldDef("TRK", FieldType::String, 10)}, {{"1"}, {"10"}, {"2"}}));
    TClientDataSet list;
    list.SetRemoteServer(&connection);
    list.SetProviderName("DSPRepCustomSQL");
    list.SetCommandText(sql);
    list.SetPacketRecords(101);
    list.Open();
    EXPECT_EQ(columnTexts(list, "Trk"), QStringList({"1", "10", "2"}));
    EXPECT_EQ(server.lastCommandText(), sql);

    TClientDataSet unknown;
    unknown.SetRemoteServer(&connection);
    unknown.SetProviderName("NoSuchProvider");
    EXPECT_THROW(unknown.Open(), EDatabaseError);
    EXPECT_FALSE(unknown.Active());

    TClientDataSet local;
    local.FieldDefs = {FieldDef("ID", FieldType::Int32)};
    local.CreateDataSet();
    local.AppendRecord({1});
    EXPECT_THROW(local.ApplyUpdates(0), EDatabaseError) << "no provider to apply to";
}

TEST_F(RemoteTest, DispatchMethods)
{
    server.setConfig(Variant(Variant::Array{1, 2, 3,
                                            Variant(Variant::Array{Variant(Variant::Array{"1"}),
                                                                   Variant(Variant::Array{"10"})})}));
    const Variant config = connection.GetAZSConfig();
    ASSERT_EQ(config.arrayCount(), 4);
    EXPECT_EQ(config.at(3).at(1).at(0).toString(), "10");
    const int first = connection.GetNewContragentNumber();
    EXPECT_EQ(connection.GetNewContragentNumber(), first + 1);
    EXPECT_EQ(connection.GetReportEx(45, Variant(Variant::Array{})), "Отчет 45");
    EXPECT_THROW(connection.call("NoSuchMethod"), EOleException);
    EXPECT_TRUE(connection.Connected()) << "an error answer leaves the connection usable";
}

TEST_F(RemoteTest, BeforeConnectMayChooseTheComputer)
{
    int events = 0;
    connection.SetComputerName("no-such-host.invalid");
    connection.BeforeConnect = [&](TDCOMConnection& c) {
        ++events;
        c.SetComputerName("");
    };
    connection.Open();
    EXPECT_EQ(events, 1);
    EXPECT_EQ(connection.host(), "127.0.0.1");
    connection.SetConnected(false);
    EXPECT_FALSE(connection.Connected());
}

TEST_F(RemoteTest, UnreachableServerNamesComputerAndPort)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 freePort = probe.serverPort();
    probe.close();
    qputenv("VELTA_STATION_PORT", QByteArray::number(freePort));
    TClientDataSet ds;
    try {
        openHistory(ds, -1);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_TRUE(e.message().contains(QString("127.0.0.1:%1").arg(freePort))) << e.message().toStdString();
    }
    EXPECT_FALSE(connection.Connected());
}

TEST_F(RemoteTest, KeyIsPresentedFirst)
{
    server.setRequiredKey("s3cret");
    TClientDataSet ds;
    EXPECT_THROW(openHistory(ds, -1), EOleException) << "no key";
    connection.Close();
    qputenv("VELTA_STATION_KEY", "wrong");
    EXPECT_THROW(connection.Open(), EOleException);
    EXPECT_FALSE(connection.Connected());
    qputenv("VELTA_STATION_KEY", "s3cret");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 25);
}

} // namespace
