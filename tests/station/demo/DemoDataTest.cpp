#include "tests/station/StationFixture.h"

#include "common/Exception.h"
#include "station/db/BatchInserter.h"
#include "station/db/FixedPoint.h"
#include "station/db/Transaction.h"
#include "station/demo/DemoForms.h"
#include "tests/support/ReferenceFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>

using namespace velta;
using namespace velta::test;

namespace {

class DemoDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { station_ = new DemoStation(false, 6000); }
    static void TearDownTestSuite() { delete station_; }
    static inline DemoStation* station_ = nullptr;
};

// A digest of every row of the tables, in key order, with amounts as exact text.
QByteArray digest(station::StationDatabase& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& table : db.tableNames()) {
        QStringList columns;
        for (const QString& c : db.columnNames(table))
            columns << QStringLiteral("COALESCE(CAST(\"%1\" AS VARCHAR(4000)), '<null>')").arg(c);
        QSqlQuery q = db.query();
        QStringList order;
        for (int i = 1; i <= std::min<qsizetype>(columns.size(), 4); ++i)
            order << QString::number(i);
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(QLatin1Char(',')), table, order.join(QLatin1Char(',')))))
            station::raiseQueryError(q, table);
        hash.addData(table.toUtf8());
        while (q.next())
            for (int i = 0; i < columns.size(); ++i)
                hash.addData(q.value(i).toString().toUtf8() + '\x1f');
    }
    return hash.result();
}

} // namespace

TEST_F(DemoDataTest, StationHasDispensersOneTwoThreeAndTen)
{
    auto db = station_->open();
    EXPECT_EQ(column(*db, QStringLiteral("SELECT DISTINCT TRK FROM TRK ORDER BY CAST(TRK AS INTEGER)")),
              (QStringList{"1", "2", "3", "10"}));
    EXPECT_EQ(column(*db, QStringLiteral("SELECT DISTINCT TRKNUM FROM SMTRK ORDER BY CAST(TRKNUM AS INTEGER)")),
              (QStringList{"1", "2", "3", "10"}));
    EXPECT_GE(count(*db, QStringLiteral("SELECT COUNT(*) FROM GSM")), 3);
    EXPECT_GE(count(*db, QStringLiteral("SELECT COUNT(*) FROM SILO")), 3);
}

TEST_F(DemoDataTest, ShiftLogCoversNinetyDaysWithExactlyOneGap)
{
    auto db = station_->open();
    const QStringList numbers = column(*db, QStringLiteral("SELECT SMNUM FROM SMLOG ORDER BY SMNUM"));
    ASSERT_EQ(numbers.size(), 181);
    // The last shift is open: no end and no closing cash yet.
    EXPECT_EQ(column(*db, QStringLiteral("SELECT SMNUM FROM SMLOG WHERE ENDTIME IS NULL AND OUTKKM IS NULL")),
              QStringList{numbers.back()});
    int gaps = 0;
    for (int i = 1; i < numbers.size(); ++i) {
        const int step = numbers[i].toInt() - numbers[i - 1].toInt();
        EXPECT_GE(step, 1);
        gaps += step > 1 ? 1 : 0;
    }
    EXPECT_EQ(gaps, 1);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT DATEDIFF(DAY FROM MIN(BEGTIME) TO MAX(ENDTIME)) FROM SMLOG")), 90);
    // Shifts do not overlap and every sale lies inside its own shift.
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM SMLOG a JOIN SMLOG b ON b.SMNUM > a.SMNUM "
                                        "AND b.BEGTIME < a.ENDTIME")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN l JOIN SMLOG s ON s.SMNUM = l.SMNUM "
                                        "WHERE l.DATA NOT BETWEEN s.BEGTIME AND s.ENDTIME")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN l WHERE NOT EXISTS "
                                        "(SELECT 1 FROM SMLOG s WHERE s.SMNUM = l.SMNUM)")), 0);
}

TEST_F(DemoDataTest, SalesCoverEveryPaymentTypeWithDiscounts)
{
    auto db = station_->open();
    // The closed shifts share the sales asked for; the open one has as many as an average shift.
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN l JOIN SMLOG s ON s.SMNUM = l.SMNUM "
                                        "WHERE s.ENDTIME IS NOT NULL")), 6000);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN l JOIN SMLOG s ON s.SMNUM = l.SMNUM "
                                        "WHERE s.ENDTIME IS NULL")), 6000 / 180);
    const QStringList types = column(*db, QStringLiteral("SELECT DISTINCT VIDOPL FROM LOGTRAN ORDER BY 1"));
    for (const char* code : {"0", "1", "104", "108", "109"})
        EXPECT_TRUE(types.contains(QString::fromLatin1(code))) << code;
    EXPECT_EQ(column(*db, QStringLiteral("SELECT DISTINCT DSCVALTYPE FROM LOGTRANDSC ORDER BY 1")), (QStringList{"1", "2", "3"}));
    // Sales on account name their client, car and driver; cash sales do not.
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE VIDOPL IN (104, 204, 108) AND "
                                        "(IDCNT IS NULL OR IDCAR IS NULL OR IDDRV IS NULL)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE VIDOPL = 0 AND IDCNT IS NOT NULL")), 0);
    // A discount never raises the price, and the amount is litres times price to the kopeck
    // (a dose by sum: the litres are the sum divided by the price, to the centilitre).
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE PRICE > BASEPRICE")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE ABS(LITER * PRICE - SUMMA) > PRICE / 200 + 0.005")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN WHERE SUMMA <> CAST(SUMMA AS NUMERIC(18,2))")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM TRK WHERE INDEXSALE IS NOT NULL")), 6000 + 6000 / 180);
}

TEST_F(DemoDataTest, FuelMovementHasReceiptsPumpOutsTransfersAndOneCorrection)
{
    auto db = station_->open();
    EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM PRX WHERE Prihod = 1 AND AUTO <> 4")), 50);
    EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM PRX WHERE Prihod = 0 AND AUTO <> 4")), 0);
    EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM PRX WHERE AUTO = 4")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM PRX WHERE COR = 1")), 1);
    // The corrected receipt is followed by the entry that corrects it.
    const int corrected = db->scalar(QStringLiteral("SELECT OPNUM FROM PRX WHERE COR = 1")).toInt();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT PRIM FROM PRX WHERE OPNUM = %1").arg(corrected + 1)).toString(),
              QStringLiteral("Исправление записи №%1").arg(corrected));
}

TEST_F(DemoDataTest, ContragentsInEveryRoleWithClientsCarsAndDrivers)
{
    auto db = station_->open();
    for (int role : {1, 2, 3, 4, 5, 6, 101, 102, 103})
        EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE WHERE CTYPE = %1").arg(role)), 0) << role;
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE WHERE CTYPE = 101 AND PARAM1 = 1")), 1);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM VDCONTRACTOR v WHERE ISDELETE = 0 AND NOT EXISTS "
                                        "(SELECT 1 FROM VDCAR c WHERE c.CID = v.ID AND c.ISDELETE = 0)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM VDCONTRACTOR v WHERE ISDELETE = 0 AND NOT EXISTS "
                                        "(SELECT 1 FROM VDDRIVER d WHERE d.CID = v.ID)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENT WHERE ISDELETE = 1")), 1);
}

TEST_F(DemoDataTest, NotesHaveLinesFromUnnotedSalesAndScanTypesExist)
{
    auto db = station_->open();
    EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM TTN")), 10);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM TTN t WHERE NOT EXISTS (SELECT 1 FROM TTNDETAIL d WHERE d.TTN_ID = t.TTN_ID)")), 0);
    EXPECT_GT(count(*db, QStringLiteral("SELECT MAX(c) FROM (SELECT COUNT(*) AS c FROM TTNDETAIL GROUP BY TTN_ID)")), 1);
    // A sale goes onto one note line at most, and the line points to a real sale.
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM (SELECT INDEXSALE FROM TTNDETAIL GROUP BY 1 HAVING COUNT(*) > 1)")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL d LEFT JOIN LOGTRAN l ON l.INDEXSALE = d.INDEXSALE WHERE l.INDEXSALE IS NULL")), 0);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM TTN t JOIN TTNDETAIL d ON d.TTN_ID = t.TTN_ID AND d.ID = 1 "
                                        "WHERE t.SUMMA1 <> d.SUMMA OR t.INDEXSALE <> d.INDEXSALE")), 0);
    EXPECT_GE(count(*db, QStringLiteral("SELECT COUNT(*) FROM SCANDOCTYPE")), 3);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM SCANDOC s LEFT JOIN SCANDOCTYPE t ON t.ID = s.DOCTYPE WHERE t.ID IS NULL")), 0);
}

TEST_F(DemoDataTest, TwoInitsGiveTheSameData)
{
    DemoStation again(false, 6000);
    auto a = station_->open();
    auto b = again.open();
    EXPECT_EQ(digest(*a), digest(*b));
    auto oa = station_->openOffice();
    auto ob = again.openOffice();
    EXPECT_EQ(digest(*oa), digest(*ob));
}

TEST(StationDatabaseTest, AmountsRoundTripExactlyToTheLastDigit)
{
    DemoStation station(false, 0);
    auto db = station.open();
    {
        station::BatchInserter rows(*db, QStringLiteral("GSM"), {{"GSM_ID", station::ColumnKind::Integer},
                                                                 {"NAME", station::ColumnKind::Text, 20},
                                                                 {"PRICE", station::ColumnKind::Fixed}});
        rows.add({100, QStringLiteral("Тест"), qlonglong(123456789012345678)});
        rows.add({101, QStringLiteral("Тест2"), qlonglong(-2900)});
        rows.finish();
    }
    EXPECT_EQ(station::parseFixed(db->scalar(QStringLiteral("SELECT CAST(PRICE AS VARCHAR(32)) FROM GSM WHERE GSM_ID = 100")).toString()).scaled,
              123456789012345678);
    // Through the driver's own reading of NUMERIC: exact for amounts of up to fifteen digits.
    EXPECT_EQ(station::parseFixed(db->scalar(QStringLiteral("SELECT PRICE FROM GSM WHERE GSM_ID = 101")).toString()).scaled, -2900);
}

TEST(StationDatabaseTest, FailedInsertReportsTheEngineTextAndKeepsNothing)
{
    DemoStation station(false, 0);
    auto db = station.open();
    const qlonglong before = count(*db, QStringLiteral("SELECT COUNT(*) FROM PAYTYPE"));
    try {
        station::BatchInserter rows(*db, QStringLiteral("PAYTYPE"),
                                    {{"VIDOPL", station::ColumnKind::Integer}, {"NAME", station::ColumnKind::Text, 50},
                                     {"KIND", station::ColumnKind::Integer}, {"POS", station::ColumnKind::Integer}});
        for (int i = 0; i < 130; ++i) // more than one block, the last row repeats a key already in the table
            rows.add({500 + i, QStringLiteral("Вид %1").arg(i), 0, 20 + i});
        rows.add({0, QStringLiteral("Дубль"), 0, 99});
        rows.finish();
        FAIL() << "a duplicate key was accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("PAYTYPE"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("PRIMARY"), Qt::CaseInsensitive)
                    || e.message().contains(QStringLiteral("unique"), Qt::CaseInsensitive)) << e.what();
    }
    EXPECT_FALSE(db->inTransaction());
    EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM PAYTYPE")), before);
}

TEST(StationDatabaseTest, TransactionRollsBackUnlessCommitted)
{
    DemoStation station(false, 0);
    auto db = station.open();
    {
        station::Transaction tr(*db);
        db->exec(QStringLiteral("DELETE FROM CONTRAGENTTYPE"));
        EXPECT_EQ(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE")), 0);
    }
    EXPECT_GT(count(*db, QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE")), 0);
    {
        station::Transaction tr(*db);
        db->exec(QStringLiteral("UPDATE CONTRAGENT SET PHONE = 'x' WHERE CONTR_ID = 1"));
        tr.commit();
    }
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT PHONE FROM CONTRAGENT WHERE CONTR_ID = 1")).toString(), QStringLiteral("x"));
    EXPECT_THROW(station::StationDatabase(station.root() + QStringLiteral("/missing.fdb")), EDatabaseError);
}

TEST(StationDatabaseTest, TextLongerThanItsColumnIsRefusedBeforeWriting)
{
    DemoStation station(false, 0);
    auto db = station.open();
    station::BatchInserter rows(*db, QStringLiteral("TRKLIST"), {{"TRK", station::ColumnKind::Text, 10},
                                                                 {"SORTNUM", station::ColumnKind::Integer}});
    EXPECT_THROW(rows.add({QStringLiteral("12345678901"), 1}), EDatabaseError);
}

// Every template of the source tree's demo forms is built in and installed
// byte for byte; a form the station already has keeps the user's edits.
TEST(DemoFormsTest, InstallsEveryShippedTemplateAndKeepsExistingFiles)
{
    TestEnv env;
    const QString source = referencePath(QStringLiteral("../station/demo/forms"));
    QStringList shipped;
    QDirIterator it(source, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        shipped << QDir(source).relativeFilePath(it.next());
    shipped.sort();
    ASSERT_GE(shipped.size(), 13);

    const QString forms = env.path(QStringLiteral("FORMS"));
    const QString kept = QDir(forms).filePath(QStringLiteral("WEBREP/Шапка сменного отчета.html"));
    writeFileBytes(kept, "edited");
    const QStringList written = station::installDemoForms(forms);
    EXPECT_EQ(written.size(), shipped.size() - 1);
    EXPECT_FALSE(written.contains(kept));
    for (const QString& name : shipped) {
        const QString target = QDir(forms).filePath(name);
        if (target == kept)
            continue;
        EXPECT_EQ(readFileBytes(target), readFileBytes(QDir(source).filePath(name))) << name.toStdString();
    }
    EXPECT_EQ(readFileBytes(kept), QByteArray("edited"));
    EXPECT_TRUE(station::installDemoForms(forms).isEmpty());
}
