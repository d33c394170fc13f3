// The note store through the plug-in's data module against a real station
// server: lines written and read back (the rows checked with the station's
// own SQL), fewer lines replacing more, the card index number, the header and
// the lines in one transaction, and a station without the optional columns.
#include "common/DataPacket.h"
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/consignment/records/TtnNoteStore.h"
#include "plugin/core/DBForm.h"
#include "plugin/data/ClientDataSet.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/StationSql.h"
#include "tests/support/TestEnv.h"

#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <utility>

using namespace velta;
using namespace velta::consignment;
using namespace velta::test;

namespace {

int count(WireClient& client, const QString& sql)
{
    return StationQuery(client, sql).value(0, 0).toInt();
}

TTTNRecord sampleLine(int n)
{
    TTTNRecord r;
    const QString s = QString::number(n);
    r.PKod = QStringLiteral("PK") + s;
    r.Preiskurant = QStringLiteral("ПР-") + s;
    r.Article = QStringLiteral("A") + s;
    r.Count = n + 0.25;
    r.Price = 41000.5;
    r.Name = QStringLiteral("Дизельное топливо ") + s;
    r.Unit = QStringLiteral("т");
    r.UpakVid = QStringLiteral("НАЛИВ");
    r.Mest = n;
    r.Massa = n + 0.125;
    r.Summa = 51250.75 * n;
    r.KardNum = QString::number(100 + n);
    r.IndexSale = 500 + n;
    r.Volume = 1500.5 * n;
    r.UdVes = 0.8405;
    r.Temper = -12.5;
    r.Pressure = 0.5 * n;
    r.GName = QStringLiteral("Груз ") + s;
    r.GDocuments = QStringLiteral("Паспорт качества");
    r.GUpakVid = QStringLiteral("Цистерна");
    r.GMest = n + 1;
    r.GOpredMassa = QStringLiteral("Расчетный");
    r.GKod = QStringLiteral("GK") + s;
    r.GKont = QStringLiteral("K-") + s;
    r.GClass = QStringLiteral("3");
    r.GMBrutto = QStringLiteral("1,250");
    r.SFName = QStringLiteral("ДТ ") + s;
    r.SFUnit = QStringLiteral("кг");
    r.SFCount = 1250.0 * n;
    r.SFPrice = 34.75;
    r.SFSumma = 43437.5 * n;
    r.SFExcise = 1.5;
    r.SFNDS = 18;
    r.SFSummaNDS = 7818.75 * n;
    r.SFSummaSNDS = 51256.25 * n;
    r.SFCountry = QStringLiteral("Россия");
    r.SFTamDeklar = QStringLiteral("ГТД-") + s;
    return r;
}

class TtnNoteStoreTest : public SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        sql = station_->connect();
        dm = std::make_unique<core::TDBFrm>();
        dm->dsTTNList.Open();
    }
    void TearDown() override
    {
        dm.reset();
        sql.reset();
        SharedStationTest<>::TearDown();
    }

    // A new note with the lines, written; returns its number.
    int newNote(const std::vector<TTTNRecord>& lines, bool multiLine = true)
    {
        TtnNoteStore store(*dm);
        const int id = store.AppendNote(true);
        dm->dsTTNList.FieldByName("TTNSER").SetAsString(QStringLiteral("ТЕСТ"));
        store.WriteLines(lines, multiLine);
        return id;
    }

    // A data module of its own standing on the note, as an editor opened later finds it.
    std::unique_ptr<core::TDBFrm> reopened(int id)
    {
        auto other = std::make_unique<core::TDBFrm>();
        other->dsTTNList.Open();
        EXPECT_TRUE(other->dsTTNList.Locate(QStringLiteral("TTN_ID"), Variant(id), 0));
        return other;
    }

    QString detailOf(int id, const QString& columns = QStringLiteral("*")) const
    {
        return QStringLiteral("SELECT %1 FROM TTNDETAIL WHERE TTN_ID = %2 ORDER BY ID").arg(columns).arg(id);
    }

    TestEnv env;
    std::unique_ptr<WireClient> sql;
    std::unique_ptr<core::TDBFrm> dm;
};

TEST_F(TtnNoteStoreTest, ThreeLinesAreStoredColumnByColumnAndReadBack)
{
    std::vector<TTTNRecord> lines{sampleLine(1), sampleLine(2), sampleLine(3)};
    lines[1].PrintTTN2 = false;
    lines[1].PrintTN = false;
    lines[2].PrintTTN1 = false;
    lines[2].KardNum.clear();
    const int id = newNote(lines);

    const DataPacket rows = StationQuery(*sql, detailOf(id));
    ASSERT_EQ(rows.rowCount(), 3);
    const auto at = [&](int row, const char* column) {
        const int f = rows.fieldIndex(QString::fromLatin1(column));
        EXPECT_GE(f, 0) << column;
        return f < 0 ? Variant() : rows.value(row, f);
    };
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(at(row, "ID").toInt(), row + 1);
        EXPECT_EQ(at(row, "TTN_ID").toInt(), id);
    }
    // The second line, column by column.
    const std::pair<const char*, Variant> second[] = {
        {"PKOD", Variant(QStringLiteral("PK2"))}, {"PREISKURANT", Variant(QStringLiteral("ПР-2"))},
        {"ARTICLE", Variant(QStringLiteral("A2"))}, {"COUNT", Variant(2.25)}, {"PRICE", Variant(41000.5)},
        {"NAME", Variant(QStringLiteral("Дизельное топливо 2"))}, {"UNIT", Variant(QStringLiteral("т"))},
        {"UPAKVID", Variant(QStringLiteral("НАЛИВ"))}, {"MEST", Variant(2.0)}, {"MASSA", Variant(2.125)},
        {"SUMMA", Variant(102501.5)}, {"KARDNUM", Variant(102)}, {"INDEXSALE", Variant(502)},
        {"VOLUME", Variant(3001.0)}, {"UDVES", Variant(0.8405)}, {"TEMPER", Variant(-12.5)},
        {"PRESSURE", Variant(1.0)}, {"GNAME", Variant(QStringLiteral("Груз 2"))},
        {"GDOCUMENTS", Variant(QStringLiteral("Паспорт качества"))}, {"GUPAKVID", Variant(QStringLiteral("Цистерна"))},
        {"GMEST", Variant(3)}, {"GOPREDMASSA", Variant(QStringLiteral("Расчетный"))},
        {"GKOD", Variant(QStringLiteral("GK2"))}, {"GKONT", Variant(QStringLiteral("K-2"))},
        {"GCLASS", Variant(QStringLiteral("3"))}, {"GMBRUTTO", Variant(QStringLiteral("1,250"))},
        {"SFNAME", Variant(QStringLiteral("ДТ 2"))}, {"SFUNIT", Variant(QStringLiteral("кг"))},
        {"SFCOUNT", Variant(2500.0)}, {"SFPRICE", Variant(34.75)}, {"SFSUMMA", Variant(86875.0)},
        {"SFEXCISE", Variant(1.5)}, {"SFNDS", Variant(18.0)}, {"SFSUMMANDS", Variant(15637.5)},
        {"SFSUMMASNDS", Variant(102512.5)}, {"SFCOUNTRY", Variant(QStringLiteral("Россия"))},
        {"SFTAMDEKLAR", Variant(QStringLiteral("ГТД-2"))}, {"PRINTTTN1", Variant(1)}, {"PRINTTTN2", Variant(0)},
        {"PRINTSF", Variant(1)}, {"PRINTTN", Variant(0)},
    };
    for (const auto& [column, expected] : second) {
        SCOPED_TRACE(column);
        const Variant actual = at(1, column);
        if (expected.isString())
            EXPECT_EQ(actual.toString(), expected.toString());
        else
            EXPECT_DOUBLE_EQ(actual.toDouble(), expected.toDouble());
    }
    EXPECT_TRUE(at(2, "KARDNUM").isNull()) << "an empty card index number is stored as NULL";
    EXPECT_EQ(at(2, "PRINTTTN1").toInt(), 0);

    // The first line also lives in the header, without its print flags.
    const DataPacket head = StationQuery(*sql, QStringLiteral("SELECT PKOD1, \"COUNT1\", KARDNUM1, GMEST1, TEMPER1, "
                                                       "SFTAMDEKLAR1, INDEXSALE, PRESSURE FROM TTN WHERE TTN_ID = %1")
                                            .arg(id));
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.value(0, 0).toString(), QStringLiteral("PK1"));
    EXPECT_DOUBLE_EQ(head.value(0, 1).toDouble(), 1.25);
    EXPECT_EQ(head.value(0, 2).toInt(), 101);
    EXPECT_EQ(head.value(0, 3).toInt(), 2);
    EXPECT_DOUBLE_EQ(head.value(0, 4).toDouble(), -12.5);
    EXPECT_EQ(head.value(0, 5).toString(), QStringLiteral("ГТД-1"));
    EXPECT_EQ(head.value(0, 6).toInt(), 501);
    EXPECT_DOUBLE_EQ(head.value(0, 7).toDouble(), 0.5);

    // Any non-zero flag reads as set.
    StationExecute(*sql, QStringLiteral("UPDATE TTNDETAIL SET PRINTTTN2 = 7 WHERE TTN_ID = %1 AND ID = 2").arg(id));
    lines[1].PrintTTN2 = true;
    auto later = reopened(id);
    TtnNoteStore store(*later);
    EXPECT_EQ(store.ReadLines(true), lines);
    // Without the lines table in use the header's line comes back, every flag set.
    const std::vector<TTTNRecord> single = store.ReadLines(false);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0], lines[0]);
}

TEST_F(TtnNoteStoreTest, ValuesAreRoundedToFourDecimalsOnWriting)
{
    TTTNRecord line = sampleLine(1);
    line.Count = 1.23456;
    line.UdVes = 0.84049;
    line.SFSumma = -2.00005; // half to even
    const int id = newNote({line});
    const DataPacket row = StationQuery(*sql, detailOf(id, QStringLiteral("\"COUNT\", UDVES, SFSUMMA")));
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_DOUBLE_EQ(row.value(0, 0).toDouble(), 1.2346);
    EXPECT_DOUBLE_EQ(row.value(0, 1).toDouble(), 0.8405);
    EXPECT_DOUBLE_EQ(row.value(0, 2).toDouble(), -2.0);
    EXPECT_DOUBLE_EQ(StationQuery(*sql, QStringLiteral("SELECT COUNT1 FROM TTN WHERE TTN_ID = %1").arg(id))
                         .value(0, 0)
                         .toDouble(),
                     1.2346);
}

TEST_F(TtnNoteStoreTest, ThreeLinesReducedToOneLeaveExactlyOneRow)
{
    const int id = newNote({sampleLine(1), sampleLine(2), sampleLine(3)});
    ASSERT_EQ(count(*sql, detailOf(id, QStringLiteral("COUNT(*)")).remove(QStringLiteral(" ORDER BY ID"))), 3);

    auto later = reopened(id);
    TtnNoteStore store(*later);
    std::vector<TTTNRecord> lines = store.ReadLines(true);
    lines.erase(lines.begin(), lines.begin() + 2); // the third line stays and becomes the first
    store.EditNote();
    store.WriteLines(lines, true);

    const DataPacket rows = StationQuery(*sql, detailOf(id, QStringLiteral("ID, PKOD")));
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.value(0, 0).toInt(), 1);
    EXPECT_EQ(rows.value(0, 1).toString(), QStringLiteral("PK3"));
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT PKOD1 FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
              QStringLiteral("PK3"));
}

TEST_F(TtnNoteStoreTest, ANonNumericCardIndexNumberFailsBeforeAnythingIsStaged)
{
    const int id = newNote({sampleLine(1), sampleLine(2)});
    auto later = reopened(id);
    TtnNoteStore store(*later);
    std::vector<TTTNRecord> lines = store.ReadLines(true);
    lines[0].PKod = QStringLiteral("changed");
    lines[1].KardNum = QStringLiteral("abc");
    try {
        store.StageLines(lines, true);
        FAIL() << "a card index number \"abc\" was staged";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' is not a valid integer value"));
    }
    EXPECT_EQ(later->dsTTNList.State(), dsBrowse) << "the header was not touched";
    EXPECT_EQ(later->dsTTNList.ChangeCount(), 0);
    EXPECT_FALSE(later->dsTTNDetail.Active() && later->dsTTNDetail.ChangeCount() > 0);
    EXPECT_NO_THROW(store.ApplyNote());
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT PKOD1 FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
              QStringLiteral("PK1"));
    EXPECT_EQ(StationQuery(*sql, detailOf(id, QStringLiteral("KARDNUM"))).value(1, 0).toInt(), 102);
}

TEST_F(TtnNoteStoreTest, AFailingHeaderLeavesNoNewLines)
{
    TtnNoteStore store(*dm);
    const int id = store.AppendNote(false);
    store.StageLines({sampleLine(1), sampleLine(2)}, true);
    // Another workplace saves a note under the same number first.
    StationExecute(*sql, QStringLiteral("INSERT INTO TTN (TTN_ID, TTNSER) VALUES (%1, 'ЧУЖАЯ')").arg(id));
    EXPECT_THROW(store.ApplyNote(), EDatabaseError);
    EXPECT_EQ(count(*sql, QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(id)), 0)
        << "the lines went in without their header";
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT TTNSER FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
              QStringLiteral("ЧУЖАЯ"));

    store.CancelStaged();
    EXPECT_EQ(dm->dsTTNList.ChangeCount(), 0);
    EXPECT_EQ(dm->dsTTNDetail.ChangeCount(), 0);
    EXPECT_FALSE(dm->dsTTNList.Locate(QStringLiteral("TTN_ID"), Variant(id), 0));
}

TEST_F(TtnNoteStoreTest, AFailingLineLeavesTheHeaderAndTheOtherLinesAsTheyWere)
{
    const int id = newNote({sampleLine(1), sampleLine(2), sampleLine(3)});
    auto later = reopened(id);
    TtnNoteStore store(*later);
    store.EditNote();
    later->dsTTNList.FieldByName("TTNSER").SetAsString(QStringLiteral("ЯЯ"));
    store.StageLines({sampleLine(7)}, true);
    // Another workplace removes a line meanwhile: deleting it finds no row.
    StationExecute(*sql, QStringLiteral("DELETE FROM TTNDETAIL WHERE TTN_ID = %1 AND ID = 2").arg(id));
    EXPECT_THROW(store.ApplyNote(), EDatabaseError);

    const DataPacket rows = StationQuery(*sql, detailOf(id, QStringLiteral("PKOD")));
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.value(0, 0).toString(), QStringLiteral("PK1"));
    EXPECT_EQ(rows.value(1, 0).toString(), QStringLiteral("PK3"));
    const DataPacket head = StationQuery(*sql, QStringLiteral("SELECT TTNSER, PKOD1 FROM TTN WHERE TTN_ID = %1").arg(id));
    EXPECT_EQ(head.value(0, 0).toString(), QStringLiteral("ТЕСТ"));
    EXPECT_EQ(head.value(0, 1).toString(), QStringLiteral("PK1"));

    // Saved again over the rows as they are now, the note takes its new line.
    store.StageLines({sampleLine(7)}, true);
    store.ApplyNote();
    EXPECT_EQ(StationQuery(*sql, detailOf(id, QStringLiteral("PKOD"))).rowCount(), 1);
}

TEST_F(TtnNoteStoreTest, NewNotesTakeTheNextNumberAndTheOfficeNumberOnRequest)
{
    // Numbers come from the station's generator: above every note there is,
    // and never the same twice, even to a number taken and not saved.
    const int top = StationQuery(*sql, QStringLiteral("SELECT MAX(TTN_ID) FROM TTN")).value(0, 0).toInt();
    TtnNoteStore store(*dm);
    const int unused = store.NewNoteNumber();
    EXPECT_GT(unused, top);
    const int first = newNote({sampleLine(1)});
    EXPECT_GT(first, unused);
    TtnNoteStore again(*dm);
    const int second = again.AppendNote(false);
    again.WriteLines({sampleLine(1)}, false);
    EXPECT_GT(second, first);
    const DataPacket rows =
        StationQuery(*sql, QStringLiteral("SELECT TTN_ID, OFCTTNID FROM TTN WHERE TTN_ID >= %1 ORDER BY TTN_ID").arg(first));
    ASSERT_EQ(rows.rowCount(), 2);
    EXPECT_EQ(rows.value(0, 1).toInt(), first);
    EXPECT_TRUE(rows.value(1, 1).isNull());
    // Outside the multi-line mode only the header holds the line.
    EXPECT_EQ(count(*sql, QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(second)), 0);
}

TEST_F(TtnNoteStoreTest, NoContragentBelowOneIsStoredAsNullExceptOnTheGoodsWaybill)
{
    TtnNoteStore store(*dm);
    const int id = store.AppendNote(false);
    store.WriteContragents({0, 7, -1, 3, 0, -2});
    store.WriteLines({sampleLine(1)}, false);
    const DataPacket row = StationQuery(
        *sql, QStringLiteral("SELECT GO_ID, GP_ID, PLAT_ID, PER_ID, TNPOST_ID, TNPLAT_ID FROM TTN WHERE TTN_ID = %1")
                  .arg(id));
    ASSERT_EQ(row.rowCount(), 1);
    EXPECT_TRUE(row.value(0, 0).isNull());
    EXPECT_EQ(row.value(0, 1).toInt(), 7);
    EXPECT_TRUE(row.value(0, 2).isNull());
    EXPECT_EQ(row.value(0, 3).toInt(), 3);
    EXPECT_EQ(row.value(0, 4).toInt(), 0);
    EXPECT_EQ(row.value(0, 5).toInt(), -2);
    auto later = reopened(id);
    EXPECT_EQ(TtnNoteStore(*later).ReadContragents(), (TtnContragents{0, 7, 0, 3, 0, -2}));
}

TEST_F(TtnNoteStoreTest, TheShipmentReceiptIsKeptWhereTheTableHasIt)
{
    TtnNoteStore store(*dm);
    ASSERT_TRUE(store.HasKvit());
    const int id = store.AppendNote(false);
    store.WriteKvit({QStringLiteral("КВ-77"), 45000.75}); // the time of day is dropped
    store.WriteLines({sampleLine(1)}, false);
    auto later = reopened(id);
    EXPECT_EQ(TtnNoteStore(*later).ReadKvit(), (TtnKvit{QStringLiteral("КВ-77"), 45000.0}));
}

// A station of its own whose tables lack TTNDETAIL.PRESSURE, TTN.PRESSURE and
// the shipment receipt columns, as older stations do.
TEST(TtnNoteStoreOlderStation, NotesAreReadAndWrittenWithoutTheMissingColumns)
{
    if (!StationServer::available())
        GTEST_SKIP() << "velta-station is not built";
    std::unique_ptr<StationServer> server = StationServer::overNewStation(20);
    ASSERT_NE(server->port(), 0) << server->error().toStdString();
    {
        auto ddl = server->connect();
        for (const char* statement : {"ALTER TABLE TTNDETAIL DROP PRESSURE", "ALTER TABLE TTN DROP PRESSURE",
                                      "ALTER TABLE TTN DROP KVITNUMBER", "ALTER TABLE TTN DROP KVITDATE"})
            ASSERT_NO_THROW(StationExecute(*ddl, QString::fromLatin1(statement))) << statement;
    }
    qputenv("VELTA_STATION_PORT", QByteArray::number(server->port()));
    auto sql = server->connect();
    {
        core::TDBFrm dm;
        dm.dsTTNList.Open();
        TtnNoteStore store(dm);
        EXPECT_FALSE(store.HasKvit());
        EXPECT_FALSE(store.HasHeaderPressure());
        const int id = store.AppendNote(true);
        store.WriteKvit({QStringLiteral("КВ-1"), 45000}); // nothing to write it to
        std::vector<TTTNRecord> lines{sampleLine(1), sampleLine(2)};
        store.WriteLines(lines, true);
        EXPECT_EQ(count(*sql, QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(id)), 2);

        core::TDBFrm other;
        other.dsTTNList.Open();
        ASSERT_TRUE(other.dsTTNList.Locate(QStringLiteral("TTN_ID"), Variant(id), 0));
        TtnNoteStore reader(other);
        EXPECT_EQ(reader.ReadKvit(), std::nullopt);
        for (TTTNRecord& line : lines)
            line.Pressure = 0;
        EXPECT_EQ(reader.ReadLines(true), lines);
        EXPECT_EQ(reader.ReadLines(false).front(), lines.front());
    }
    qunsetenv("VELTA_STATION_PORT");
}

// The station server killed while it writes a note's lines: started again,
// the station has neither the note's header nor any of its lines.
TEST(TtnNoteStoreKilledServer, ANoteBeingSavedWhenTheServerDiesIsNotThereAfterTheRestart)
{
    if (!StationServer::available())
        GTEST_SKIP() << "velta-station is not built";
    TestEnv env;
    const QString root = env.path(QStringLiteral("station"));
    ASSERT_EQ(StationServer::initStation(root, 20), QString());
    auto server = std::make_unique<StationServer>(root);
    ASSERT_NE(server->port(), 0) << server->error().toStdString();
    {
        // Each line takes three seconds to write, so the kill finds the save under way.
        auto ddl = server->connect();
        StationExecute(*ddl, QStringLiteral("CREATE TRIGGER TTNDETAIL_SLOW FOR TTNDETAIL BEFORE INSERT AS\n"
                                            "DECLARE VARIABLE T TIMESTAMP;\n"
                                            "BEGIN\n"
                                            "  T = CAST('NOW' AS TIMESTAMP);\n"
                                            "  WHILE (CAST('NOW' AS TIMESTAMP) < DATEADD(3 SECOND TO T)) DO\n"
                                            "    T = T;\n"
                                            "END"));
    }
    qputenv("VELTA_STATION_PORT", QByteArray::number(server->port()));
    int id = 0;
    {
        core::TDBFrm dm;
        dm.dsTTNList.Open();
        TtnNoteStore store(dm);
        id = store.AppendNote(false);
        store.StageLines({sampleLine(1), sampleLine(2), sampleLine(3)}, true);
        const qint64 pid = server->process().processId();
        std::thread killer([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        });
        EXPECT_ANY_THROW(store.ApplyNote()) << "the save ended before the server was killed";
        killer.join();
    }
    server.reset();
    server = std::make_unique<StationServer>(root);
    ASSERT_NE(server->port(), 0) << server->error().toStdString();
    auto sql = server->connect();
    EXPECT_EQ(count(*sql, QStringLiteral("SELECT COUNT(*) FROM TTN WHERE TTN_ID = %1").arg(id)), 0);
    EXPECT_EQ(count(*sql, QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(id)), 0);
    qunsetenv("VELTA_STATION_PORT");
}

} // namespace
