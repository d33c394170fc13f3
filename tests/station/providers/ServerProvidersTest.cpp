// The station server's providers and methods, through a real server process.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"

namespace velta::test {
namespace {

class ServerProviders : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedStation(false); }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(served_->server.port(), 0) << served_->server.firstOutput().constData();
        client_ = served_->server.connect();
    }
    static ServedStation* served_;
    std::unique_ptr<WireClient> client_;
};
ServedStation* ServerProviders::served_ = nullptr;

const FieldDef& fieldNamed(const DataPacket& p, const QString& name)
{
    const int i = p.fieldIndex(name);
    if (i < 0)
        throw std::runtime_error(("no field " + name).toStdString());
    return p.field(i);
}

TEST_F(ServerProviders, ShiftLogCarriesTheDeclaredFieldsWithTheirSpellingAndTypes)
{
    const Opened o = openProvider(*client_, QStringLiteral("SmLogProvider"));
    EXPECT_EQ(fieldNames(o.packet),
              QStringList({"SmNum", "BegTime", "EndTime", "Operator", "InKKM", "OutKKM", "SummaTovary", "Operator2",
                           "Operator3"}));
    EXPECT_EQ(o.cursor, 0) << "all rows were asked for, so no cursor stays open";
    EXPECT_FALSE(o.packet.moreRows());
    EXPECT_GE(o.packet.rowCount(), 170);
    EXPECT_EQ(fieldNamed(o.packet, "SmNum").type, FieldType::Int32);
    EXPECT_TRUE(fieldNamed(o.packet, "SmNum").inKey());
    EXPECT_TRUE(fieldNamed(o.packet, "SmNum").required());
    EXPECT_EQ(fieldNamed(o.packet, "BegTime").type, FieldType::DateTime);
    EXPECT_EQ(fieldNamed(o.packet, "Operator").type, FieldType::String);
    EXPECT_EQ(fieldNamed(o.packet, "Operator").size, 30);
    const FieldDef& inKkm = fieldNamed(o.packet, "InKKM");
    EXPECT_EQ(inKkm.type, FieldType::Currency);
    EXPECT_EQ(inKkm.scale, 4);
    // Demo shifts open with 5000 in the till: exactly, not through a double.
    EXPECT_EQ(o.packet.value(0, o.packet.fieldIndex("InKKM")), Variant(Currency{5000 * 10000}));
}

TEST_F(ServerProviders, EveryProviderOpensWithTheColumnsItsUsersRead)
{
    const struct {
        const char* provider;
        QStringList columns;
    } cases[] = {
        {"PrxLogProvider", {"OpNum", "Date", "SmNum", "Operator", "GSMName", "CarVolTTN", "SiloName", "BegTime", "EndTime",
                            "SiloLevelBefore", "SiloLevelAfter", "Fact1", "Dopusk", "Delta", "UdVes", "Temper",
                            "FactPlotn", "Cor", "Prihod", "Prim", "AUTO", "CarName"}},
        {"DSPTRKHistory", {"Time", "Client", "Gsm", "Operation", "Op1", "AutoMobil", "Op2", "Liters", "Summa"}},
        {"DSPRepTTNID", {"TTN_ID"}},
        {"DSPRepAllLogTran", {"INDEXSALE", "TIDEDATE", "GSMNAME", "LITER", "MASSA", "SUMMA", "PLISTNUM", "CNAME",
                              "DRIVERFIO", "UDOST", "CARMARKA", "CARGOSNUM", "VIDOPL", "INN", "POKUPATEL", "BASESUMMA",
                              "TRKDENS"}},
        {"DSPRepScanDoc", {"ID", "DATA", "DOCTYPE", "DOCNUMBER", "DOCDATA", "CNTSENDER_ID", "CNTSENDER", "CNTTARGET_ID",
                           "CNTTARGET", "CNTPER_ID", "CNTPER", "OPERATOR", "DRIVER", "OTHER", "ISDELETE", "FILENAMES"}},
        {"DSPRepScanDocTypes", {"ID", "NAME", "FILEPREFIX"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.provider);
        const Opened o = openProvider(*client_, QString::fromLatin1(c.provider), {}, 0);
        EXPECT_EQ(fieldNames(o.packet), c.columns);
        EXPECT_EQ(o.packet.rowCount(), 0) << "packet size 0 sends field definitions only";
        client_->call(QString::fromLatin1(station::kCloseCursor), {Variant(o.cursor)});
    }
    for (const char* provider : {"DSPRepTTN", "DSPRepTTNDet", "DSPRepLogTran", "OrgListProvider", "OrgTypeProvider"}) {
        SCOPED_TRACE(provider);
        const Opened o = openProvider(*client_, QString::fromLatin1(provider));
        EXPECT_GT(o.packet.rowCount(), 0);
        EXPECT_FALSE(o.packet.moreRows());
    }
    const DataPacket notes = openProvider(*client_, QStringLiteral("DSPRepTTN")).packet;
    EXPECT_GE(notes.fieldIndex("KVITNUMBER"), 0);
    EXPECT_TRUE(fieldNamed(notes, "TTN_ID").inKey());
    const DataPacket types = openProvider(*client_, QStringLiteral("OrgTypeProvider")).packet;
    for (const char* key : {"CONTR_ID", "CTYPE", "PARAM1"})
        EXPECT_TRUE(fieldNamed(types, key).inKey()) << key;
}

TEST_F(ServerProviders, FixedPointAndWideBcdFieldsOfTheSalesList)
{
    const DataPacket p = openProvider(*client_, QStringLiteral("DSPRepAllLogTran"), {}, 5).packet;
    EXPECT_EQ(fieldNamed(p, "LITER").type, FieldType::Currency);
    EXPECT_EQ(fieldNamed(p, "MASSA").type, FieldType::FmtBcd);
    EXPECT_EQ(fieldNamed(p, "TIDEDATE").type, FieldType::DateTime);
    EXPECT_EQ(fieldNamed(p, "GSMNAME").size, 100);
    // The joined names are shown, not written back.
    const DataPacket docs = openProvider(*client_, QStringLiteral("DSPRepScanDoc")).packet;
    EXPECT_FALSE(fieldNamed(docs, "CNTSENDER").inUpdate());
    EXPECT_TRUE(fieldNamed(docs, "DOCNUMBER").inUpdate());
    EXPECT_EQ(fieldNamed(docs, "DOCDATA").type, FieldType::Date);
}

TEST_F(ServerProviders, RowsComeInPacketsOfTheRequestedSize)
{
    const Opened first = openProvider(*client_, QStringLiteral("DSPRepTTN"), {}, 10);
    ASSERT_NE(first.cursor, 0);
    EXPECT_EQ(first.packet.rowCount(), 10);
    EXPECT_TRUE(first.packet.moreRows());
    QList<int> ids;
    for (int r = 0; r < first.packet.rowCount(); ++r)
        ids << first.packet.value(r, 0).toInt();
    DataPacket next;
    do {
        next = fetchRows(*client_, first.cursor, 7);
        EXPECT_LE(next.rowCount(), 7);
        for (int r = 0; r < next.rowCount(); ++r)
            ids << next.value(r, 0).toInt();
    } while (next.moreRows());
    // All notes, in order, none twice, none lost at the packet borders.
    const DataPacket all = openProvider(*client_, QStringLiteral("DSPRepTTN")).packet;
    ASSERT_EQ(ids.size(), all.rowCount());
    for (int r = 0; r < all.rowCount(); ++r)
        EXPECT_EQ(ids[r], all.value(r, 0).toInt());
    // The exhausted cursor is closed by the server.
    EXPECT_THROW(fetchRows(*client_, first.cursor, 1), EDatabaseError);
}

TEST_F(ServerProviders, ExactPacketBoundaryReportsNoMoreRows)
{
    const int total = customSql(*client_, QStringLiteral("SELECT COUNT(*) FROM TTN")).value(0, 0).toInt();
    const Opened o = openProvider(*client_, QStringLiteral("DSPRepTTN"), {}, total);
    EXPECT_EQ(o.packet.rowCount(), total);
    EXPECT_FALSE(o.packet.moreRows());
    EXPECT_EQ(o.cursor, 0);
}

TEST_F(ServerProviders, ClosedCursorCannotBeFetched)
{
    const Opened o = openProvider(*client_, QStringLiteral("DSPRepTTN"), {}, 1);
    ASSERT_NE(o.cursor, 0);
    client_->call(QString::fromLatin1(station::kCloseCursor), {Variant(o.cursor)});
    EXPECT_THROW(fetchRows(*client_, o.cursor, 1), EDatabaseError);
    EXPECT_THROW(fetchRows(*client_, 424242, 1), EDatabaseError);
}

TEST_F(ServerProviders, DispenserHistoryFollowsTrkNameAndDefaultsToDispenserOne)
{
    auto countOf = [&](const Variant::Array& params) {
        return openProvider(*client_, QStringLiteral("DSPTRKHistory"), {}, -1, params).packet.rowCount();
    };
    const int one = countOf({});
    const int ten = countOf({Variant(Variant::Array{Variant("TrkName"), Variant("10")})});
    EXPECT_EQ(one, countOf({Variant(Variant::Array{Variant("TrkName"), Variant("1")})}));
    EXPECT_EQ(one, customSql(*client_, QStringLiteral("SELECT COUNT(*) FROM TRK WHERE TRK = '1'")).value(0, 0).toInt());
    EXPECT_EQ(ten, customSql(*client_, QStringLiteral("SELECT COUNT(*) FROM TRK WHERE TRK = '10'")).value(0, 0).toInt());
    EXPECT_GT(ten, 0);
    EXPECT_EQ(countOf({Variant(Variant::Array{Variant("TrkName"), Variant("nope")})}), 0);
    const DataPacket p = openProvider(*client_, QStringLiteral("DSPTRKHistory"), {}, 3).packet;
    EXPECT_EQ(p.field(p.fieldIndex("Client")).type, FieldType::Int16);
    EXPECT_EQ(p.field(p.fieldIndex("Liters")).type, FieldType::Currency);
    // A malformed parameter list is refused, not guessed at.
    EXPECT_THROW(countOf({Variant("TrkName")}), EDatabaseError);
}

TEST_F(ServerProviders, CommandTextReplacesTheOwnQueryWhereTheProviderTakesOne)
{
    const DataPacket trks = openProvider(*client_, QStringLiteral("PrxLogProvider"),
                                         QStringLiteral("SELECT DISTINCT Trk FROM Trk ORDER BY Trk"), 101).packet;
    QStringList names;
    for (int r = 0; r < trks.rowCount(); ++r)
        names << trks.value(r, trks.fieldIndex("Trk")).toString();
    EXPECT_EQ(names, QStringList({"1", "10", "2", "3"}));
    const DataPacket cars = openProvider(*client_, QStringLiteral("PrxLogProvider"),
                                         QStringLiteral("SELECT DISTINCT CarName FROM Prx ORDER BY CarName"), 10).packet;
    EXPECT_EQ(fieldNames(cars), QStringList({"CARNAME"}));
    EXPECT_THROW(openProvider(*client_, QStringLiteral("DSPRepTTNID"), QStringLiteral("SELECT 1 FROM RDB$DATABASE")),
                 EDatabaseError);
    const DataPacket newest = openProvider(*client_, QStringLiteral("DSPTRKHistory"),
                                           QStringLiteral("SELECT Trk.\"TIME\", Gsm FROM Trk WHERE (Trk.Trk = '1') "
                                                          "ORDER BY Trk.\"TIME\" DESC"), 2).packet;
    ASSERT_EQ(newest.rowCount(), 2);
    EXPECT_GT(newest.value(0, 0).toDateTime(), newest.value(1, 0).toDateTime());
}

TEST_F(ServerProviders, CustomSqlReturnsRowsAndExecutesOtherStatements)
{
    const DataPacket p = customSql(*client_, QStringLiteral("SELECT CAST(12.34567 AS NUMERIC(18,5)) AS N, "
                                                            "CAST(NULL AS INTEGER) AS Z, 'Ёж' AS T FROM RDB$DATABASE"));
    ASSERT_EQ(p.rowCount(), 1);
    EXPECT_EQ(p.field(0).type, FieldType::FmtBcd);
    EXPECT_EQ(p.value(0, 0), Variant(Currency{123457})) << "a fifth decimal rounds half away from zero";
    EXPECT_TRUE(p.isNull(0, 1));
    EXPECT_EQ(p.value(0, 2).toString(), QStringLiteral("Ёж"));

    const Variant affected = client_->call(QString::fromLatin1(station::kExecute),
                                           {Variant("DSPRepCustomSQL"),
                                            Variant("UPDATE SCANDOCTYPE SET FILEPREFIX = FILEPREFIX WHERE ID > 0"),
                                            Variant(Variant::Array{})});
    EXPECT_EQ(affected.toInt(),
              customSql(*client_, QStringLiteral("SELECT COUNT(*) FROM SCANDOCTYPE WHERE ID > 0")).value(0, 0).toInt());
    EXPECT_THROW(customSql(*client_, QStringLiteral("UPDATE SCANDOCTYPE SET NAME = NAME")), EDatabaseError);
    EXPECT_THROW(customSql(*client_, QString()), EDatabaseError);
}

TEST_F(ServerProviders, ConnectProbeAnswersAnEmptyPacket)
{
    const Opened o = openProvider(*client_, QStringLiteral("DSPRepDBConnect"));
    EXPECT_EQ(o.cursor, 0);
    EXPECT_EQ(o.packet.fieldCount(), 0);
    EXPECT_EQ(o.packet.rowCount(), 0);
}

TEST_F(ServerProviders, StationConfigListsTheDispensersByName)
{
    const Variant config = client_->call(QString::fromLatin1(station::kGetAZSConfig));
    ASSERT_GE(config.arrayCount(), 4);
    const Variant& dispensers = config.at(3);
    QStringList names;
    for (int i = 0; i < dispensers.arrayCount(); ++i)
        names << dispensers.at(i).at(0).toString();
    EXPECT_EQ(names, QStringList({"1", "2", "3", "10"}));
    EXPECT_GT(dispensers.at(0).at(2).arrayCount(), 0) << "each dispenser lists its nozzles";
}

TEST_F(ServerProviders, NewContragentNumbersAreFreshAndRising)
{
    const int a = client_->call(QString::fromLatin1(station::kGetNewContragentNumber)).toInt();
    const int b = client_->call(QString::fromLatin1(station::kGetNewContragentNumber)).toInt();
    EXPECT_GT(b, a);
    const int top = customSql(*client_, QStringLiteral("SELECT MAX(CONTR_ID) FROM CONTRAGENT")).value(0, 0).toInt();
    EXPECT_GT(a, top);
}

class ServerLegacyStation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedStation(true, 800); }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    static ServedStation* served_;
};
ServedStation* ServerLegacyStation::served_ = nullptr;

TEST_F(ServerLegacyStation, SalesListWorksWithoutTheMeterColumns)
{
    auto client = served_->server.connect();
    const DataPacket p = openProvider(*client, QStringLiteral("DSPRepAllLogTran"), {}, 20).packet;
    EXPECT_EQ(p.rowCount(), 20);
    EXPECT_GE(p.fieldIndex("MASSA"), 0);
    EXPECT_GE(p.fieldIndex("TRKDENS"), 0);
    EXPECT_LT(openProvider(*client, QStringLiteral("DSPRepLogTran"), {}, 1).packet.fieldIndex("TRKDENSITY"), 0);
    EXPECT_LT(openProvider(*client, QStringLiteral("DSPRepTTN"), {}, 1).packet.fieldIndex("KVITNUMBER"), 0);
    // The missing table is the database's own complaint, and the connection goes on.
    try {
        openProvider(*client, QStringLiteral("DSPRepTTNDet"));
        FAIL() << "a table that does not exist opened";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("TTNDETAIL"))) << e.message().toStdString();
    }
    EXPECT_GT(openProvider(*client, QStringLiteral("SmLogProvider")).packet.rowCount(), 0);
}

} // namespace
} // namespace velta::test
