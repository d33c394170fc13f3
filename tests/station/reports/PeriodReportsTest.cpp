// The fuel journals, the sales history and the period reports on a demo
// station: each report rendered with fixed parameters and compared, as text
// and as HTML, with its reference files; a few totals checked against the
// station's own rows.
#include "tests/station/StationFixture.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "station/db/FixedPoint.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "tests/support/ReferenceFile.h"

#include <QRegularExpression>

namespace velta::test {
namespace {

using station::ReportConnectionState;
using station::ReportEngine;
using station::ReportWorkplaceMemory;

constexpr int kSales = 3000;

struct Rendered {
    QString text;
    QString html;
};

class PeriodReportsTest : public SharedDemoStation<kSales> {
protected:
    // The report through the engine, then its HTML through report 55.
    Rendered render(int reportNo, const Variant::Array& params)
    {
        ReportEngine engine(*db_, connection_, memory_);
        Rendered out;
        out.text = engine.getReport({Variant(reportNo), Variant(params)});
        out.html = engine.getReport({Variant(55), Variant(Variant::Array{})});
        return out;
    }

    static ::testing::AssertionResult matches(const char* name, const Rendered& rendered)
    {
        const QString base = QStringLiteral("station/reports/reference/period-") + QLatin1String(name);
        ::testing::AssertionResult text = matchesReference(base + QStringLiteral(".txt"), rendered.text);
        if (!text)
            return text;
        return matchesReference(base + QStringLiteral(".html"), rendered.html);
    }

    // A sum of an amount column, as the reports print it (two decimals, no groups).
    static QString sumOf(const QString& sql)
    {
        const QString text = db_->scalar(sql).toString();
        const std::int64_t scaled = station::parseFixed(text.isEmpty() ? QStringLiteral("0") : text).scaled;
        const std::int64_t rounded = (scaled + (scaled < 0 ? -50 : 50)) / 100;
        return QStringLiteral("%1,%2").arg(rounded / 100).arg(std::abs(rounded % 100), 2, 10, QLatin1Char('0'));
    }

    // The text with digit groups taken out, to find plain totals in it.
    static QString ungrouped(const QString& text)
    {
        QString out = text;
        out.remove(QChar(0x00A0));
        return out;
    }

    static Variant byte(int value) { return Variant(std::uint8_t(value)); }
    static Variant date(int y, int m, int d, int h = 0, int n = 0) { return Variant::fromDate(EncodeDateTime(y, m, d, h, n, 0, 0)); }
    static Variant floating(int y, int m, int d, int h = 0, int n = 0) { return Variant(EncodeDateTime(y, m, d, h, n, 0, 0)); }

    ReportConnectionState connection_;
    ReportWorkplaceMemory memory_;
};

TEST_F(PeriodReportsTest, FuelJournals)
{
    // Receipts by operation numbers, either order.
    const Rendered receipts = render(0, {Variant(1), Variant(12)});
    EXPECT_TRUE(matches("0-receipts", receipts));
    EXPECT_EQ(render(0, {Variant(12), Variant(1)}).text, receipts.text);
    EXPECT_TRUE(ungrouped(receipts.text).contains(sumOf(QStringLiteral(
        "SELECT CAST(SUM(FACT1) AS VARCHAR(32)) FROM PRX WHERE OPNUM BETWEEN 1 AND 12 AND PRIHOD = 1 AND AUTO <> 4"))));

    // Pump-outs: the shift form [last, first], shifts without operations, the current shift.
    EXPECT_TRUE(matches("31-pump-outs", render(31, {Variant(200), Variant(1)})));
    EXPECT_TRUE(matches("31-no-operations", render(31, {Variant(1), Variant(0)})));
    EXPECT_TRUE(matches("0-current-shift", render(0, {Variant(-1), Variant(-1)})));

    // Transfers: every one of the demo's.
    const Rendered transfers = render(35, {byte(19), Variant(1), Variant(500)});
    EXPECT_TRUE(matches("35-19-transfers", transfers));
    EXPECT_TRUE(transfers.text.contains(
        QStringLiteral("Всего операций: %1").arg(count(*db_, QStringLiteral("SELECT COUNT(*) FROM PRX WHERE AUTO = 4")))));
}

TEST_F(PeriodReportsTest, SalesHistoryOfADispenser)
{
    const Variant::Array dayShift = {Variant(QStringLiteral("3")), Variant(std::int8_t{-1}), date(2024, 1, 15, 8),
                                     date(2024, 1, 15, 20), Variant(false)};
    const Rendered shift = render(10, dayShift);
    EXPECT_TRUE(matches("10-dispenser-3", shift));
    EXPECT_TRUE(ungrouped(shift.text).contains(sumOf(QStringLiteral(
        "SELECT CAST(SUM(LITERS) AS VARCHAR(32)) FROM TRK WHERE TRK = '3' AND OP1 <> 999 "
        "AND \"TIME\" BETWEEN '2024-01-15 08:00' AND '2024-01-15 20:00'"))));

    // One nozzle only: the other nozzle's fuel is gone, the status rows stay.
    Variant::Array oneNozzle = dayShift;
    oneNozzle[1] = Variant(std::int8_t{2});
    const Rendered nozzle = render(10, oneNozzle);
    EXPECT_TRUE(nozzle.text.contains(QStringLiteral("АИ-98")));
    EXPECT_FALSE(nozzle.text.contains(QStringLiteral("| ДТ ")));
    EXPECT_TRUE(nozzle.text.contains(QStringLiteral("Открытие смены")));

    // The current shift: the last shift of the log within the period.
    EXPECT_TRUE(matches("10-current", render(10, {Variant(QStringLiteral("10")), Variant(std::int8_t{-1}),
                                                  date(2024, 3, 30), date(2024, 4, 1), Variant(true)})));
}

TEST_F(PeriodReportsTest, PeriodReleases)
{
    const Variant flags(Variant::Array{Variant(0), Variant(0), Variant(0), Variant(0), Variant(1)});
    const Variant codes(Variant::Array{Variant(104), Variant(204)});
    const Variant noCodes(Variant::Array{});

    // Statement: whole dates (the end date counts whole), every client of the chosen payment types.
    const Rendered statement = render(11, {floating(2024, 1, 8), floating(2024, 1, 14), flags, codes});
    EXPECT_TRUE(matches("11-statement", statement));
    EXPECT_TRUE(ungrouped(statement.text).contains(sumOf(QStringLiteral(
        "SELECT CAST(SUM(SUMMA) AS VARCHAR(32)) FROM LOGTRAN WHERE VIDOPL IN (104, 204) "
        "AND DATA >= '2024-01-08' AND DATA < '2024-01-15'"))));

    // Contragent, 8 elements: by cars, then drivers within each car.
    const QString client = QStringLiteral("СтройТранс");
    const Rendered grouped = render(12, {floating(2024, 2, 1), floating(2024, 2, 29), Variant(client), Variant(true),
                                         Variant(true), Variant(false), flags, codes});
    EXPECT_TRUE(matches("12-contragent-cars-drivers", grouped));
    EXPECT_LT(grouped.text.indexOf(QStringLiteral("Автомобиль: ")), grouped.text.indexOf(QStringLiteral("Водитель: ")));
    // 7 elements (no Codes: the flags choose), drivers only, with a time of day in the period.
    const Rendered drivers = render(12, {floating(2024, 2, 1, 8), floating(2024, 2, 15, 20), Variant(client),
                                         Variant(true), Variant(false), Variant(true), flags});
    EXPECT_TRUE(matches("12-contragent-drivers", drivers));
    EXPECT_FALSE(drivers.text.contains(QStringLiteral("Автомобиль: ")));

    // One car and one driver of the client.
    const QString car = column(*db_, QStringLiteral("SELECT NAME FROM VDCAR WHERE CID = 4 ORDER BY ID")).value(0);
    const QString driver = column(*db_, QStringLiteral("SELECT NAME FROM VDDRIVER WHERE CID = 4 ORDER BY ID")).value(0);
    EXPECT_TRUE(matches("13-car", render(13, {floating(2024, 1, 1), floating(2024, 1, 31), Variant(client), Variant(car),
                                              flags, noCodes})));
    EXPECT_TRUE(matches("53-driver", render(53, {floating(2024, 3, 1), floating(2024, 3, 31), Variant(client),
                                                 Variant(driver), flags, codes})));
}

TEST_F(PeriodReportsTest, PriceHistory)
{
    // A period over the demo's price change: each change against the price it replaced.
    const Rendered history = render(35, {byte(18), date(2024, 2, 1), date(2024, 3, 1)});
    EXPECT_TRUE(matches("35-18-price-history", history));
    EXPECT_EQ(history.text.count(QStringLiteral("Петров С.А.")),
              count(*db_, QStringLiteral("SELECT COUNT(*) FROM PRICEHIST WHERE DATA BETWEEN '2024-02-01' AND '2024-03-01'")));
    // Before any change: nothing changed, the first prices stand.
    const Rendered quiet = render(35, {byte(18), date(2024, 1, 2), date(2024, 1, 3)});
    EXPECT_TRUE(quiet.text.contains(QStringLiteral("За период цены не менялись")));
    EXPECT_TRUE(quiet.text.contains(QStringLiteral("| АИ-92 | 47,50 |")));
}

TEST_F(PeriodReportsTest, DecreasingLimits)
{
    // Balances: what was granted less what the client took on the limit payment type.
    const Rendered balances = render(35, {byte(12)});
    EXPECT_TRUE(matches("35-12-limit-balances", balances));
    EXPECT_TRUE(ungrouped(balances.text).contains(sumOf(QStringLiteral(
        "SELECT CAST(SUM(LITER) AS VARCHAR(32)) FROM LOGTRAN WHERE VIDOPL = 204 AND GSMNAME = 'ДТ' "
        "AND DATA >= '2024-01-01 08:00'"))));

    // Detail over a week with a monthly grant in it: the running balance from the opening one.
    const Rendered detail = render(35, {byte(13), Variant(QStringLiteral("Хлебозавод №2")), floating(2024, 2, 1),
                                        floating(2024, 2, 7)});
    EXPECT_TRUE(matches("35-13-limit-detail", detail));
    EXPECT_EQ(detail.text.count(QStringLiteral("Выдача лимита")), 4);

    // A contragent without limits is told so.
    const Rendered none = render(35, {byte(13), Variant(QStringLiteral("СтройТранс")), floating(2024, 2, 1),
                                      floating(2024, 2, 7)});
    EXPECT_TRUE(none.text.contains(QStringLiteral("У контрагента нет убывающих лимитов")));
}

TEST_F(PeriodReportsTest, BadArraysAreRefusedWithTheirReason)
{
    const Variant flags(Variant::Array{Variant(1)});
    const Variant codes(Variant::Array{Variant(104)});
    const struct {
        int reportNo;
        Variant::Array params;
        const char* message;
    } cases[] = {
        {0, {Variant(1), Variant(2), Variant(3)}, "Отчет №0 ожидает параметров: 2, получено: 3"},
        {31, {Variant(QStringLiteral("1")), Variant(2)}, "Отчет №31: параметр 0 должен быть целым числом, а не OleStr"},
        {35, {byte(19), Variant(1)}, "Отчет №35 ожидает параметров: 3, получено: 2"},
        {10, {Variant(3), Variant(-1), date(2024, 1, 1), date(2024, 1, 2), Variant(false)},
         "Отчет №10: параметр 0 должен быть строкой, а не Integer"},
        {11, {floating(2024, 2, 1), floating(2024, 1, 1), flags, codes}, "Отчет №11: конец периода раньше его начала"},
        {12, {floating(2024, 1, 1), floating(2024, 1, 2), Variant(QStringLiteral("Нет такого")), Variant(true),
              Variant(true), Variant(true), flags},
         "Контрагент \"Нет такого\" не найден в справочнике"},
        {12, {floating(2024, 1, 1), floating(2024, 1, 2), Variant(QStringLiteral("СтройТранс")), Variant(true)},
         "Отчет №12 ожидает параметров: 7 или 8, получено: 4"},
        {13, {floating(2024, 1, 1), floating(2024, 1, 2), Variant(QStringLiteral("СтройТранс")),
              Variant(QStringLiteral("А000АА 00")), flags, codes},
         "Автомобиль \"А000АА 00\" контрагента \"СтройТранс\" не найден"},
        {35, {byte(13), Variant(QStringLiteral("СтройТранс")), floating(2024, 1, 1)}, "Отчет №35 ожидает параметров: 4, получено: 3"},
        {35, {byte(18), Variant(QStringLiteral("01.01.2024")), date(2024, 1, 2)},
         "Отчет №35: параметр 1 должен быть датой и временем, а не OleStr"},
    };
    for (const auto& c : cases) {
        try {
            render(c.reportNo, c.params);
            ADD_FAILURE() << "report " << c.reportNo << " accepted " << c.message;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message().toStdString(), c.message) << c.reportNo;
        }
    }
}

TEST_F(PeriodReportsTest, JournalStopsAtTheRowLimitOfTheSettings)
{
    TSafeIniFile(CnfIniFileName()).WriteInteger(QStringLiteral("Reports"), QStringLiteral("MaxRows"), 3);
    const Rendered limited = render(0, {Variant(1), Variant(200)});
    TSafeIniFile(CnfIniFileName()).DeleteKey(QStringLiteral("Reports"), QStringLiteral("MaxRows"));
    EXPECT_TRUE(limited.text.contains(QStringLiteral("Отчет остановлен: число строк превысило 3")));
    EXPECT_EQ(limited.text.count(QStringLiteral("ТН-")), 3);
}

} // namespace
} // namespace velta::test
