#include "tests/station/StationFixture.h"

#include "common/Exception.h"

#include <QSqlRecord>

using namespace velta;
using namespace velta::test;

namespace {

// The plug-in's own queries, as its windows send them.
const QString kSales = QStringLiteral(
    "SELECT lt.INDEXSALE, CAST(CAST(lt.DATA AS VARCHAR(30)) AS TIMESTAMP) AS TIDEDATE,\r\n"
    "       lt.GSMNAME, lt.LITER, (lt.PLOTN * lt.LITER) AS MASSA,\r\n"
    "       lt.SUMMA, lt.PLISTNUM,\r\n"
    "       c.NAME AS CNAME, drv.NAME AS DRIVERFIO, drv.UDOST,\r\n"
    "       car.MARKA AS CARMARKA, car.NAME AS CARGOSNUM, lt.VIDOPL, lt.INN,\r\n"
    "       lt.POKUPATEL, CAST((lt.LITER * lt.BASEPRICE) AS T_NUMBER) AS BASESUMMA\r\n"
    "%1\r\nFROM LOGTRAN lt\r\n%2\r\n"
    "LEFT JOIN VDDRIVER drv ON lt.IDDRV = drv.ID\r\n"
    "LEFT JOIN VDCAR car ON lt.IDCAR = car.ID\r\n"
    "WHERE lt.DATA BETWEEN '2024-02-01 00:00:00.000' AND '2024-02-03 23:59:59.999'\r\n"
    "ORDER BY lt.INDEXSALE DESC, TIDEDATE DESC");
const QString kClients = QStringLiteral(
    "SELECT c.CONTR_ID AS ID, c.NAME, ct.PARAM1 AS VIDOPL FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = "
    "c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (ct.PARAM1 - ct.PARAM1 / 100 * 100 = 4) ORDER BY c.NAME");
const QString kNoteList = QStringLiteral(
    "SELECT %1 t.*, gp.NAME AS POLNAME, gper.NAME AS REPNAME\r\nFROM TTN t \r\n%2"
    "LEFT JOIN CONTRAGENT gp ON gp.CONTR_ID = t.GP_ID\r\nLEFT JOIN CONTRAGENT gper ON gper.CONTR_ID = t.PER_ID\r\n"
    "WHERE COALESCE(t.ISDELETE, 0) = 0 ORDER BY t.TTNDATE DESC, t.TTN_ID DESC");
const QString kNoteLines = QStringLiteral(
    "JOIN (SELECT TTN_ID, CAST(SUBSTRING(LIST(NAME, ', ') FROM 1 FOR 40) AS VARCHAR(40)) AS NAME1,\r\n"
    "         SUM(\"COUNT\") AS COUNT1\r\nFROM TTNDETAIL\r\nGROUP BY TTN_ID) q ON q.TTN_ID = t.TTN_ID\r\n");

qlonglong rows(station::StationDatabase& db, const QString& sql)
{
    QSqlQuery q = db.query();
    if (!q.exec(sql))
        station::raiseQueryError(q, sql);
    qlonglong n = 0;
    while (q.next())
        ++n;
    return n;
}

using QueriesTest = CurrentAndLegacyStations<4000, 1000>;

} // namespace

TEST_F(QueriesTest, SalesListJoinsBothClientTablesAlike)
{
    auto db = current_->open();
    const QString newTable = kSales.arg(QStringLiteral(", lt.TRKDENSITY AS TRKDENS"),
                                        QStringLiteral("LEFT JOIN CONTRAGENT c ON lt.IDCNT = CAST(c.CONTR_ID AS VARCHAR(10))"));
    const QString oldTable = kSales.arg(QStringLiteral(", 0.0000 AS TRKDENS"), QStringLiteral("LEFT JOIN VDCONTRACTOR c ON lt.IDCNT = c.ID"));
    const qlonglong n = rows(*db, newTable);
    EXPECT_GT(n, 50);
    EXPECT_EQ(rows(*db, oldTable), n);
    const QString named = QStringLiteral("SELECT COUNT(*) FROM (%1) WHERE CNAME IS NOT NULL AND DRIVERFIO IS NOT NULL AND CARGOSNUM IS NOT NULL");
    EXPECT_GT(count(*db, named.arg(newTable)), 0);
    EXPECT_EQ(count(*db, named.arg(newTable)), count(*db, named.arg(oldTable)));
    EXPECT_GT(rows(*db, kClients), 0);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 AND ( VIDOPL = 104 OR VIDOPL = 204) ORDER BY NAME")), 0);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT DISTINCT c.CONTR_ID AS ID, c.NAME FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON "
                                       "ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND ( "
                                       "ct.PARAM1 = 104 OR ct.PARAM1 = 204 ) ORDER BY c.NAME")), 1);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME")), 0);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM VDDRIVER WHERE ISDELETE=0 ORDER BY NAME")), 0);
    const QString sale = db->scalar(QStringLiteral("SELECT MIN(INDEXSALE) FROM LOGTRANDSC")).toString();
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM LOGTRANDSC WHERE INDEXSALE=") + sale), 0);
}

TEST_F(QueriesTest, KeepersDispensersAndJournals)
{
    auto db = current_->open();
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT c.NAME, c.CONTR_ID FROM CONTRAGENT c JOIN CONTRAGENTTYPE ct ON c.CONTR_ID = "
                                       "ct.CONTR_ID WHERE ct.CTYPE = 6 AND c.ISDELETE = 0 ORDER BY 1")), 3);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT DISTINCT Trk FROM Trk ORDER BY Trk")), 4);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT DISTINCT CarName FROM Prx ORDER BY CarName")), 1);
    EXPECT_GT(db->scalar(QStringLiteral("SELECT SUM(CAST(TRKNUM AS INTEGER)) FROM SMTRK")).toLongLong(), 0);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT DISTINCT TRK FROM\r\n(SELECT DISTINCT TRKNUM AS TRK FROM SMTRK\r\nUNION ALL\r\n"
                                       "SELECT DISTINCT Trk FROM Trk WHERE (\"TIME\" > '2024-03-28 10:00:00') AND (OP1=999) \r\n"
                                       ") ORDER BY 1")), 4);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT DISTINCT Trk FROM Trk WHERE (OP1=999) ORDER BY Trk")), 4);
    const qlonglong journal = rows(*db, QStringLiteral("SELECT Trk.\"TIME\", Client, Gsm, Operation, Op1, Op2, Liters, Summa, "
                                                      "AutoMobil FROM Trk\r\nWHERE (Trk.Trk = '10')  ORDER BY Trk.\"TIME\" DESC"));
    EXPECT_GT(journal, 180);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM PRX WHERE Prihod = 1 AND AUTO <> 4  AND COR <> 1 ")), 0);
    auto office = current_->openOffice();
    EXPECT_TRUE(column(*office, QStringLiteral("SELECT AZSName FROM Office")).contains(QStringLiteral("АЗС №7")));
}

TEST_F(QueriesTest, NotesAndContragentsAsTheirWindowsReadThem)
{
    auto db = current_->open();
    const qlonglong multi = rows(*db, kNoteList.arg(QStringLiteral("q.NAME1, q.COUNT1, "), kNoteLines));
    EXPECT_GT(multi, 0);
    EXPECT_EQ(rows(*db, kNoteList.arg(QString(), QString())), multi);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT * FROM TTNDETAIL WHERE TTN_ID = 2 ORDER BY ID")), 0);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT FIRST 1 * FROM TTNDETAIL")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM TTN WHERE (TTNDATE BETWEEN '2024-01-01' AND '2024-12-31') AND "
                                        "(COALESCE(ISDELETE, 0) = 0) AND (TTNSER || TTNNUMBER = 'АА000001') AND (TTN_ID <> 5)")), 1);
    EXPECT_GT(rows(*db, QStringLiteral("SELECT DISTINCT c.* FROM CONTRAGENT c\r\nLEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = "
                                       "c.CONTR_ID\r\nWHERE ct.CTYPE = 1 AND COALESCE(c.ISDELETE, 0)=0 AND PARAM1=104\r\nORDER BY c.NAME")), 0);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT * FROM CONTRAGENT WHERE CONTR_ID=1")), 1);
    EXPECT_EQ(rows(*db, QStringLiteral("SELECT NAME FROM CONTRAGENT WHERE CONTR_ID=2")), 1);
    // The next contragent number and the next note number are free.
    const qlonglong next = db->scalar(QStringLiteral("SELECT NEXT VALUE FOR GEN_CONTR_ID FROM RDB$DATABASE")).toLongLong();
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENT WHERE CONTR_ID = %1").arg(next)), 0);
}

TEST_F(QueriesTest, LegacyStationAnswersTheProbesAsAnOlderOne)
{
    auto db = legacy_->open();
    QSqlQuery probe = db->query();
    EXPECT_FALSE(probe.exec(QStringLiteral("SELECT FIRST 1 * FROM TTNDETAIL")));
    QSqlQuery first = db->query();
    ASSERT_TRUE(first.exec(QStringLiteral("SELECT FIRST 1 * FROM LOGTRAN")));
    EXPECT_LT(first.record().indexOf(QStringLiteral("TRKDENSITY")), 0);
    EXPECT_GT(rows(*db, kNoteList.arg(QString(), QString())), 0);
    EXPECT_GT(rows(*db, kSales.arg(QStringLiteral(", 0.0000 AS TRKDENS"),
                                   QStringLiteral("LEFT JOIN CONTRAGENT c ON lt.IDCNT = CAST(c.CONTR_ID AS VARCHAR(10))"))), 0);
}
