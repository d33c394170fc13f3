// The data module against a real station server: every declared dataset
// opens on its provider with its persistent fields bound, the computer rule
// decides where the connection goes, OpenSQL and DBConnect, the document type
// lookup, and a new document type posted with a generator identifier.
#include "ReportCallsTestHost.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/ReportCalls.h"
#include "tests/support/SharedStationTest.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::core;
using namespace velta::test;

namespace {

class DBFormStationTest : public SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        host.privValues[11] = Variant(1);
    }
    void TearDown() override
    {
        frm.reset();
        SharedStationTest<>::TearDown();
    }

    TestEnv env;
    ScriptedHost host;
    std::unique_ptr<TDBFrm> frm = std::make_unique<TDBFrm>();
};

TEST_F(DBFormStationTest, EveryServerDataSetOpensWithItsFieldsBound)
{
    const QList<TClientDataSet*> dataSets{&frm->SmLogtable, &frm->PrxTable,  &frm->cdsTrkList,  &frm->cdsAutoList,
                                          &frm->TrkLog,     &frm->dsTTNList, &frm->dsTTNDetail, &frm->dsTTNID,
                                          &frm->dsLogTran,  &frm->dsAllLogTran, &frm->dsScanDoc, &frm->dsScanDocTypes};
    for (TClientDataSet* dataSet : dataSets) {
        SCOPED_TRACE(dataSet->Name().toStdString());
        ASSERT_NO_THROW(dataSet->Open());
        for (int i = 0; i < dataSet->FieldCount(); ++i) {
            const TField& field = dataSet->Fields(i);
            if (field.FieldKind() == fkData) {
                EXPECT_GE(field.FieldNo(), 0) << field.FieldName().toStdString() << " has no column";
            }
        }
        dataSet->Close();
    }
}

TEST_F(DBFormStationTest, AScannedDocumentShowsTheNameOfItsType)
{
    frm->dsScanDocTypes.Open();
    frm->dsScanDoc.Open();
    ASSERT_FALSE(frm->dsScanDoc.IsEmpty());
    const Variant type = frm->dsScanDoc.FieldByName("DOCTYPE").Value();
    ASSERT_FALSE(type.isEmptyOrNull());
    const Variant name = frm->dsScanDocTypes.Lookup(QStringLiteral("ID"), type, QStringLiteral("NAME"));
    EXPECT_EQ(frm->dsScanDoc.FieldByName("SDOCTYPE").AsString(), name.toString());
    EXPECT_FALSE(name.toString().isEmpty());
}

TEST_F(DBFormStationTest, TheConnectionGoesWhereThePrivilegesSay)
{
    // Local: the computer named by code 13 is not even asked.
    host.privValues[13] = Variant(QStringLiteral("no-such-station.invalid"));
    frm->VeltaServer.Open();
    EXPECT_TRUE(frm->VeltaServer.Connected());
    EXPECT_EQ(frm->VeltaServer.ComputerName(), QString());
    frm->VeltaServer.Close();

    // Not local: the named computer, which here does not exist.
    host.privValues[11] = Variant(0);
    EXPECT_THROW(frm->VeltaServer.Open(), Exception);
    EXPECT_FALSE(frm->VeltaServer.Connected());
    EXPECT_EQ(frm->VeltaServer.ComputerName(), QStringLiteral("no-such-station.invalid"));

    host.privValues[13] = Variant(QStringLiteral("127.0.0.1"));
    frm->VeltaServer.Open();
    EXPECT_TRUE(frm->VeltaServer.Connected());
}

TEST_F(DBFormStationTest, OpenSQLGivesAnOpenDataSetAndPassesFailuresOn)
{
    std::unique_ptr<TClientDataSet> shifts = frm->OpenSQL(QStringLiteral("SELECT COUNT(*) AS N FROM SMLOG"));
    ASSERT_TRUE(shifts->Active());
    EXPECT_GT(shifts->FieldByName("N").AsInteger(), 0);
    EXPECT_EQ(shifts->RemoteServer(), &frm->VeltaServer);

    EXPECT_THROW(frm->OpenSQL(QStringLiteral("SELECT * FROM NO_SUCH_TABLE")), Exception);
}

TEST_F(DBFormStationTest, DBConnectNeverRaisesEvenWithoutAServer)
{
    EXPECT_NO_THROW(frm->DBConnect());
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    qputenv("VELTA_STATION_PORT", QByteArray::number(closedPort));
    frm->VeltaServer.Close();
    EXPECT_NO_THROW(frm->DBConnect());
    EXPECT_THROW(frm->OpenSQL(QStringLiteral("SELECT 1 FROM RDB$DATABASE")), Exception);
}

TEST_F(DBFormStationTest, ANewDocumentTypeIsPostedAndAppliedWithAGeneratorIdentifier)
{
    WireClient hostConnection;
    hostConnection.connect(QStringLiteral("127.0.0.1"), station_->port());
    host.onReport = [&hostConnection](QString& text, int reportNo, const Variant& params) {
        text = hostConnection.call(QString::fromLatin1(station::kGetReport), {Variant(reportNo), params}).toString();
    };
    TClientDataSet& types = frm->dsScanDocTypes;
    types.Open();
    const int before = types.RecordCount();
    types.Append();
    types.FieldByName("NAME").SetAsString(QStringLiteral("Доверенность"));
    types.FieldByName("FILEPREFIX").SetAsString(QStringLiteral("dov|2"));
    types.Post();
    const int id = types.FieldByName("ID").AsInteger();
    EXPECT_GT(id, 0);
    EXPECT_EQ(types.ApplyUpdates(0), 0);

    std::unique_ptr<TClientDataSet> check =
        frm->OpenSQL(QStringLiteral("SELECT NAME FROM SCANDOCTYPE WHERE ID = %1").arg(id));
    ASSERT_EQ(check->RecordCount(), 1);
    EXPECT_EQ(check->FieldByName("NAME").AsString(), QStringLiteral("Доверенность"));
    types.Close();
    types.Open();
    EXPECT_EQ(types.RecordCount(), before + 1);
}

} // namespace
