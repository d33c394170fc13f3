// The per-shift reports beside the shift report, produced by the engine on a
// demo station and compared with reference texts and pages; a total or two of
// each is checked against the database directly.
#include "tests/station/StationFixture.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "station/reports/core/DirectoryNames.h"
#include "station/reports/engine/ReportCatalog.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/core/ReportFormats.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/reports/core/ReportTextRenderer.h"
#include "tests/support/ReferenceFile.h"

using namespace velta;
using namespace velta::test;

namespace {

constexpr int kFirstShift = 1003;
constexpr int kLastShift = 1008;
constexpr int kPayTypePositions = 11;

// The demo station's last shift stands open, for the current-shift forms.
class ShiftKindReportsTest : public SharedDemoStation<6000> {
protected:
    // The report's text; its page goes to html.
    QString produce(int reportNo, const Variant::Array& params, QString* html = nullptr)
    {
        station::ReportEngine engine(*db_, connection_, memory_);
        const QString text = engine.produce(reportNo, Variant(params), QString(), false);
        if (html)
            *html = engine.lastReportHtml(QString());
        return text;
    }

    // Both renderings against reference/<name>.txt and .html.
    void expectReference(const char* name, int reportNo, const Variant::Array& params)
    {
        QString html;
        const QString text = produce(reportNo, params, &html);
        const QString base = QStringLiteral("station/reports/reference/") + QLatin1String(name);
        EXPECT_TRUE(matchesReference(base + QStringLiteral(".txt"), text));
        EXPECT_TRUE(matchesReference(base + QStringLiteral(".html"), html));
    }

    // A database total as the reports print it.
    static QString litres(const QString& sql) { return station::ReportFormats{}.litres(amount(sql)); }
    static QString money(const QString& sql) { return station::ReportFormats{}.money(amount(sql)); }
    static double amount(const QString& sql) { return db_->scalar(sql).toString().toDouble(); }

    station::ReportWorkplaceMemory memory_;
    station::ReportConnectionState connection_;
};

Variant at(int year, int month, int day, int hour, int minute)
{
    return Variant::fromDate(EncodeDateTime(year, month, day, hour, minute, 0, 0));
}

// The span of shifts 1003-1008.
Variant begTime() { return at(2024, 1, 2, 8, 0); }
Variant endTime() { return at(2024, 1, 5, 7, 58); }

Variant flags(std::initializer_list<int> positions)
{
    Variant::Array out(kPayTypePositions, Variant(0));
    for (int p : positions)
        out[p] = Variant(1);
    return Variant(out);
}

Variant codes(std::initializer_list<int> list)
{
    Variant::Array out;
    for (int c : list)
        out << Variant(c);
    return Variant(out);
}

QString inShifts() { return QStringLiteral(" SMNUM BETWEEN %1 AND %2 ").arg(kFirstShift).arg(kLastShift); }

} // namespace

TEST_F(ShiftKindReportsTest, BonusesAndDiscounts)
{
    expectReference("shift-9-bonus", 9,
                    {Variant(kFirstShift), flags({0, 1, 2, 10}), Variant(true), Variant(kLastShift), Variant(true),
                     Variant(true), Variant(false), codes({0, 1, 2, 10})});
    const QString text = produce(9, {Variant(kFirstShift), flags({}), Variant(false), Variant(kLastShift), Variant(true),
                                     Variant(false), Variant(true), codes({})});
    // Every payment type: the fuel totals cover every discounted sale of the shifts.
    EXPECT_TRUE(text.contains(litres(QStringLiteral("SELECT SUM(l.LITER) FROM LOGTRAN l JOIN LOGTRANDSC d ON "
                                                    "d.INDEXSALE = l.INDEXSALE WHERE l.") + inShifts())));
    EXPECT_TRUE(text.contains(QStringLiteral("Виды оплаты: все")));
}

TEST_F(ShiftKindReportsTest, StatementSalesOverShiftsAndInTheOpenShift)
{
    expectReference("shift-14-statement", 14,
                    {begTime(), endTime(), Variant(QStringLiteral("1003")), Variant(QString()),
                     Variant(QStringLiteral("1008")), flags({4}), Variant(QString()), codes({104})});
    expectReference("shift-16-statement-current", 16, {flags({4, 6}), Variant(Variant::Array{})});
    const QString text = produce(14, {begTime(), endTime(), Variant(QStringLiteral("1003")), Variant(QString()),
                                      Variant(QStringLiteral("1008")), flags({4}), Variant(QString()), codes({104})});
    EXPECT_TRUE(text.contains(money(QStringLiteral("SELECT SUM(SUMMA) FROM LOGTRAN WHERE VIDOPL = 104 AND") + inShifts())));
}

TEST_F(ShiftKindReportsTest, ContragentSalesByDriverAndCar)
{
    const QString name = db_->scalar(QStringLiteral("SELECT FIRST 1 c.NAME FROM LOGTRAN l JOIN CONTRAGENT c ON "
                                                    "CAST(c.CONTR_ID AS VARCHAR(10)) = l.IDCNT WHERE l.VIDOPL = 104 AND l.")
                                     + inShifts() + QStringLiteral("GROUP BY c.NAME ORDER BY COUNT(*) DESC, c.NAME"))
                             .toString();
    ASSERT_FALSE(name.isEmpty());
    expectReference("shift-15-contragent", 15,
                    {begTime(), endTime(), Variant(name), Variant(QStringLiteral("1003")), Variant(QStringLiteral("Иванова Н.П.")),
                     Variant(QStringLiteral("1008")), flags({4}), Variant(true), Variant(true), Variant(false), codes({104})});
    expectReference("shift-17-contragent-current", 17,
                    {Variant(name), flags({4, 6}), Variant(true), Variant(false), Variant(true), codes({104, 204})});
}

TEST_F(ShiftKindReportsTest, ContractSalesOverAPeriodAndInTheOpenShift)
{
    expectReference("shift-25-contracts", 25,
                    {begTime(), endTime(), Variant(QStringLiteral("1005")), Variant(QStringLiteral("Сидорова Е.В.")),
                     flags({8}), codes({108})});
    expectReference("shift-26-contracts-current", 26, {Variant(std::uint8_t{0}), flags({8}), codes({108})});
}

TEST_F(ShiftKindReportsTest, TerminalReturnsNotMade)
{
    expectReference("shift-19-terminal-returns", 19,
                    {Variant(kFirstShift), begTime(), endTime(), Variant(QString()), Variant(kLastShift)});
    const QString text = produce(19, {Variant(1001), at(2024, 1, 1, 8, 0), at(2024, 3, 31, 7, 58), Variant(QString()),
                                      Variant(1180)});
    EXPECT_TRUE(text.contains(money(QStringLiteral("SELECT SUM(SUMMA) FROM BACKACT WHERE VIDOPL = 1 AND TERMRETURN = 0"))));
}

TEST_F(ShiftKindReportsTest, ReturnsInEachArrayForm)
{
    const Variant::Array plain{flags({0, 1, 2, 8}), Variant(1), Variant(7), begTime(), endTime(), Variant(kFirstShift),
                               Variant(QStringLiteral("Петров С.А.")), Variant(kLastShift), Variant(0)};
    expectReference("shift-34-returns", 34, plain);
    // With the codes extension the codes choose, and the option bits ask for
    // one table by dispenser.
    Variant::Array oneTable = plain;
    oneTable[1] = Variant(2 | 4);
    expectReference("shift-34-returns-codes-one-table", 34, {Variant(oneTable), Variant(Variant::Array{codes({0, 1})})});
    expectReference("shift-34-returns-current", 34,
                    {Variant(Variant::Array{flags({0}), Variant(0), Variant(7), Variant(3)}),
                     Variant(Variant::Array{codes({0, 1, 2, 10})})});
    const QString all = produce(34, {flags({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), Variant(0), Variant(7), begTime(), endTime(),
                                     Variant(kFirstShift), Variant(QString()), Variant(kLastShift), Variant(0)});
    EXPECT_EQ(all.count(QStringLiteral("Итого")),
              db_->scalar(QStringLiteral("SELECT COUNT(DISTINCT VIDOPL) FROM BACKACT WHERE") + inShifts()).toInt());
}

TEST_F(ShiftKindReportsTest, CouponSales)
{
    expectReference("shift-46-talons", 46, {begTime(), endTime(), flags({9}), codes({109})});
    const QString text = produce(46, {begTime(), endTime(), flags({9}), codes({109})});
    EXPECT_TRUE(text.contains(litres(QStringLiteral("SELECT SUM(LITER) FROM LOGTRAN WHERE VIDOPL = 109 AND") + inShifts())));
}

TEST_F(ShiftKindReportsTest, CardSalesOverShiftsAndByMaskInTheOpenShift)
{
    expectReference("shift-52-cards", 52,
                    {Variant(kFirstShift), Variant(kLastShift), begTime(), endTime(), flags({2}), Variant(QString()),
                     Variant(true), codes({2})});
    const std::uint8_t zero = 0;
    expectReference("shift-52-cards-current-mask", 52,
                    {Variant(zero), Variant(zero), Variant(zero), Variant(zero), flags({1, 2}), Variant(QStringLiteral("7005%")),
                     Variant(false), codes({1, 2})});
    const QString text = produce(52, {Variant(kFirstShift), Variant(kLastShift), begTime(), endTime(), flags({2}),
                                      Variant(QString()), Variant(false), codes({2})});
    EXPECT_TRUE(text.contains(money(QStringLiteral("SELECT SUM(SUMMA) FROM LOGTRAN WHERE VIDOPL = 2 AND") + inShifts())));
}

TEST_F(ShiftKindReportsTest, MeterChecks)
{
    expectReference("shift-35-10-meter", 35, {Variant(std::uint8_t{10}), Variant(kFirstShift), Variant(kLastShift)});
    const QString text = produce(35, {Variant(std::uint8_t{10}), Variant(1001), Variant(1181)});
    EXPECT_TRUE(text.contains(litres(QStringLiteral("SELECT SUM(METERLITER) FROM METERCHECK"))));
    // A night shift has no checks: a sentence instead of an empty table.
    const QString none = produce(35, {Variant(std::uint8_t{10}), Variant(1002), Variant(1002)});
    EXPECT_TRUE(none.contains(QStringLiteral("Проверок мерником не было.")));
    EXPECT_FALSE(none.contains(QStringLiteral("+--")));
}

TEST_F(ShiftKindReportsTest, Reloads)
{
    expectReference("shift-35-11-reloads", 35,
                    {Variant(std::uint8_t{11}), begTime(), endTime(), Variant(kFirstShift), Variant(kLastShift)});
}

TEST_F(ShiftKindReportsTest, CurrentFormsSayWhenNoShiftIsOpen)
{
    const QString open = db_->scalar(QStringLiteral("SELECT MAX(SMNUM) FROM SMLOG")).toString();
    db_->exec(QStringLiteral("UPDATE SMLOG SET ENDTIME = BEGTIME WHERE SMNUM = ") + open);
    const std::uint8_t zero = 0;
    const QString texts[] = {
        produce(16, {flags({4}), codes({})}),
        produce(17, {Variant(QStringLiteral("ООО Ромашка")), flags({4}), Variant(false), Variant(false), Variant(true), codes({})}),
        produce(26, {Variant(zero), flags({8}), codes({})}),
        produce(34, {flags({0}), Variant(0), Variant(7), Variant(0)}),
        produce(52, {Variant(zero), Variant(zero), Variant(zero), Variant(zero), flags({2}), Variant(QString()), Variant(false), codes({})}),
    };
    db_->exec(QStringLiteral("UPDATE SMLOG SET ENDTIME = NULL WHERE SMNUM = ") + open);
    for (const QString& text : texts)
        EXPECT_TRUE(text.contains(QStringLiteral("Открытой смены нет"))) << text.toStdString();
}

TEST_F(ShiftKindReportsTest, MalformedArraysNameTheReportAndTheElement)
{
    auto message = [&](int reportNo, const Variant::Array& params) {
        try {
            produce(reportNo, params);
        } catch (const EDatabaseError& e) {
            return e.message().toStdString();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message(9, {Variant(1)}), std::string("Отчет №9 ожидает параметров: 8, получено: 1"));
    EXPECT_EQ(message(34, {flags({0}), Variant(0), Variant(7)}), std::string("Отчет №34 ожидает параметров: 9 или 4, получено: 3"));
    EXPECT_EQ(message(14, {begTime(), endTime(), Variant(QStringLiteral("первая")), Variant(QString()),
                           Variant(QStringLiteral("1008")), flags({4}), Variant(QString()), codes({})}),
              std::string("Отчет №14: параметр 2 должен быть номером смены, а не OleStr"));
    EXPECT_EQ(message(46, {Variant(QStringLiteral("вчера")), endTime(), flags({9}), codes({})}),
              std::string("Отчет №46: параметр 0 должен быть датой и временем, а не OleStr"));
    EXPECT_EQ(message(34, {Variant(Variant::Array{flags({0})}), Variant(Variant::Array{codes({0})})}),
              std::string("Отчет №34 ожидает параметров: 9 или 4, получено: 1"));
    EXPECT_EQ(message(35, {Variant(std::uint8_t{10}), Variant(QStringLiteral("1003")), Variant(1008)}),
              std::string("Отчет №35: параметр 1 должен быть целым числом, а не OleStr"));
}

TEST_F(ShiftKindReportsTest, RowLimitStopsTheReportsWithItsMessage)
{
    station::ReportFormats formats;
    formats.limits.maxRows = 5;
    const station::ReportContext context(*db_, formats);
    const Variant::Array cards{Variant(1001), Variant(1180), at(2024, 1, 1, 8, 0), at(2024, 3, 31, 7, 58), flags({1, 2}),
                               Variant(QString()), Variant(true), codes({1, 2})};
    const Variant::Array bonus{Variant(1001), flags({}), Variant(false), Variant(1180), Variant(true), Variant(true),
                               Variant(true), codes({})};
    for (const auto& [reportNo, params] : {std::pair{52, cards}, std::pair{9, bonus}}) {
        const station::ReportDocument doc =
            station::findReport(reportNo, -1)->produce(context, station::ReportParams(reportNo, Variant(params)));
        EXPECT_TRUE(doc.truncated()) << reportNo;
        const QString text = station::renderReportText(doc);
        EXPECT_TRUE(text.contains(station::reportLimitMessage(formats.limits, true))) << reportNo;
        qsizetype rows = 0;
        for (const station::ReportBlock& block : doc.blocks()) {
            if (const auto* table = std::get_if<station::ReportTable>(&block))
                rows += table->rows.size();
        }
        EXPECT_EQ(rows, formats.limits.maxRows) << reportNo;
    }
}

TEST_F(ShiftKindReportsTest, DemoReturnActsFollowTheirSales)
{
    // An act returns what its sale did not pour: ordered = poured + returned.
    EXPECT_GT(count(*db_, QStringLiteral("SELECT COUNT(*) FROM BACKACT")), 0);
    EXPECT_EQ(count(*db_, QStringLiteral("SELECT COUNT(*) FROM BACKACT b JOIN LOGTRAN l ON l.INDEXSALE = b.INDEXSALE "
                                         "WHERE b.ORDERLITER <> l.LITER + b.LITER OR b.SMNUM <> l.SMNUM")),
              0);
    EXPECT_GT(count(*db_, QStringLiteral("SELECT COUNT(*) FROM BACKACT WHERE VIDOPL = 1 AND TERMRETURN = 0")), 0);
}

TEST_F(ShiftKindReportsTest, ContragentNamesResolveAsTheDirectoryJoinDoes)
{
    // Directory records no sale uses: a nameless contragent, a statement client
    // under a contragent's number and one of its own, two of the same name.
    db_->exec(QStringLiteral("INSERT INTO CONTRAGENT (CONTR_ID, NAME) VALUES (900001, NULL)"));
    db_->exec(QStringLiteral("INSERT INTO CONTRAGENT (CONTR_ID, NAME) VALUES (900002, 'Тест двойник ')"));
    db_->exec(QStringLiteral("INSERT INTO VDCONTRACTOR (ID, NAME, VIDOPL) VALUES (900001, 'Клиент под номером', 4)"));
    db_->exec(QStringLiteral("INSERT INTO VDCONTRACTOR (ID, NAME, VIDOPL) VALUES (900003, 'Тест двойник', 4)"));
    db_->exec(QStringLiteral("INSERT INTO VDCONTRACTOR (ID, NAME, VIDOPL) VALUES (900002, 'Скрыт контрагентом', 4)"));
    const station::ContragentNames names(*db_);

    QStringList texts = {QStringLiteral("900001"), QStringLiteral("900002"), QStringLiteral("900003"),
                         QStringLiteral("900003  "), QStringLiteral(" 900003"), QStringLiteral("0900003"),
                         QStringLiteral("X-17"), QStringLiteral(""), QStringLiteral("-1")};
    QSqlQuery used = db_->query();
    station::execQuery(used, QStringLiteral("SELECT DISTINCT IDCNT FROM LOGTRAN WHERE IDCNT IS NOT NULL"), QStringLiteral("Test"));
    while (used.next())
        texts << used.value(0).toString();
    ASSERT_GT(texts.size(), 10);
    for (const QString& text : texts) {
        QSqlQuery joined = db_->prepare(QStringLiteral(
            "SELECT COALESCE(c.NAME, v.NAME, t.IDCNT) FROM (SELECT CAST(? AS VARCHAR(10)) AS IDCNT FROM RDB$DATABASE) t "
            "LEFT JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) = t.IDCNT "
            "LEFT JOIN VDCONTRACTOR v ON c.CONTR_ID IS NULL AND CAST(v.ID AS VARCHAR(10)) = t.IDCNT"));
        joined.addBindValue(text);
        station::execPrepared(joined, QStringLiteral("Test"));
        ASSERT_TRUE(joined.next());
        EXPECT_EQ(names.nameOf(text), joined.value(0).toString().trimmed()) << text.toStdString();
    }
    EXPECT_EQ(names.nameOf(QStringLiteral("900001")), QStringLiteral("900001"));
    EXPECT_EQ(names.nameOf(QStringLiteral("900003  ")), QStringLiteral("Тест двойник"));
    EXPECT_EQ(names.nameOf(QStringLiteral(" 900003")), QStringLiteral("900003"));

    // Sales are kept under either directory's number; a client hidden by a
    // contragent of the same number is not looked for.
    EXPECT_EQ(names.keysNamed(QStringLiteral("Тест двойник")), (QStringList{"900002", "900003"}));
    EXPECT_TRUE(names.keysNamed(QStringLiteral("Скрыт контрагентом")).isEmpty());
    EXPECT_EQ(names.keysNamed(QStringLiteral("Клиент под номером")), QStringList{});
    EXPECT_TRUE(names.keysNamed(QStringLiteral("Нет такого")).isEmpty());

    db_->exec(QStringLiteral("DELETE FROM VDCONTRACTOR WHERE ID >= 900001"));
    db_->exec(QStringLiteral("DELETE FROM CONTRAGENT WHERE CONTR_ID >= 900001"));
}
