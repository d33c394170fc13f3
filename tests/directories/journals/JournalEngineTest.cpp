// The report engine's side of the journal windows on a demo station: the
// keeper fuel movement, the discount cards in their three forms and the
// dispenser journal's history, as text and HTML against reference files; the
// card masks and station lists they read; the arrays they refuse.
#include "tests/station/StationFixture.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "common/ReportContract.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/reports/journals/DiscountCardsReport.h"
#include "tests/support/ReferenceFile.h"

#include <QDate>
#include <QTime>

namespace velta::test {
namespace {

using station::CardMasks;
using station::ReportConnectionState;
using station::ReportEngine;
using station::ReportWorkplaceMemory;
using station::StationChoice;

TDateTime at(int y, int m, int d, int h = 0, int min = 0, int s = 0)
{
    return fromQDateTime(QDateTime(QDate(y, m, d), QTime(h, min, s)));
}

class JournalEngineTest : public SharedDemoStation<600> {
protected:
    struct Rendered {
        QString text;
        QString html;
    };

    Rendered produce(int reportNo, const Variant::Array& params)
    {
        Rendered out;
        out.text = ReportEngine(*db_, connection_, memory_).getReport({Variant(reportNo), Variant(params)});
        out.html = ReportEngine(*db_, connection_, memory_).getReport({Variant(report::kLastReportHtml), Variant(Variant::Array{})});
        return out;
    }
    Rendered keeper(int id, TDateTime begin, TDateTime end)
    {
        return produce(report::kService, {Variant(report::kSelectorKeeperMovement), Variant(id), Variant::fromDate(begin),
                                          Variant::fromDate(end)});
    }
    Rendered cards(int form, const QString& cardsText, const QString& stations)
    {
        return produce(report::kService,
                       {Variant(report::kSelectorDiscountCards), Variant(form), Variant(cardsText), Variant(stations)});
    }

    static ::testing::AssertionResult matches(const char* name, const Rendered& rendered)
    {
        const QString base = QStringLiteral("directories/journals/reference/") + QLatin1String(name);
        ::testing::AssertionResult text = matchesReference(base + QStringLiteral(".txt"), rendered.text);
        if (!text)
            return text;
        return matchesReference(base + QStringLiteral(".html"), rendered.html);
    }

    // The keeper organisation of the demo with receipts and pump-outs.
    static int reserveKeeper()
    {
        return int(count(*db_, QStringLiteral("SELECT CONTR_ID FROM CONTRAGENT WHERE NAME = 'Топливный резерв'")));
    }

    ReportConnectionState connection_;
    ReportWorkplaceMemory memory_;
};

TEST_F(JournalEngineTest, KeeperMovementBalancesAndOperations)
{
    const int id = reserveKeeper();
    ASSERT_GT(id, 0);
    const Rendered r = keeper(id, at(2024, 1, 20), at(2024, 2, 20));
    EXPECT_TRUE(matches("35-15-keeper", r));
    EXPECT_TRUE(r.text.contains(QStringLiteral("ДВИЖЕНИЕ ГСМ ПО ХРАНИТЕЛЮ")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("Хранитель: Топливный резерв")));

    // The closing balance of one period is the opening balance of the next.
    const Rendered before = keeper(id, at(2024, 1, 1), at(2024, 1, 31, 23, 59, 59));
    const Rendered after = keeper(id, at(2024, 2, 1), at(2024, 3, 31));
    const auto dieselRow = [](const QString& text) {
        for (const QString& line : text.split(QStringLiteral("\n")))
            if (line.startsWith(QStringLiteral("| ДТ ")))
                return line.trimmed().split(QLatin1Char('|'), Qt::SkipEmptyParts);
        return QStringList();
    };
    const QStringList january = dieselRow(before.text);
    const QStringList rest = dieselRow(after.text);
    ASSERT_EQ(january.size(), 5) << before.text.toStdString();
    ASSERT_EQ(rest.size(), 5) << after.text.toStdString();
    EXPECT_EQ(january.at(4).trimmed(), rest.at(1).trimmed());
}

TEST_F(JournalEngineTest, KeeperPeriodEndsAreTakenInAndAReversedPeriodIsRefused)
{
    const int id = reserveKeeper();
    // One pump-out of the keeper, asked for from and to its own second.
    const QString stamp = db_->scalar(QStringLiteral(
        "SELECT FIRST 1 CAST(BEGTIME AS VARCHAR(24)) FROM PRX WHERE KEEPER_ID = %1 AND PRIHOD = 0 ORDER BY BEGTIME").arg(id))
                              .toString();
    ASSERT_FALSE(stamp.isEmpty());
    const TDateTime when = fromQDateTime(QDateTime::fromString(stamp.left(19), QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    const Rendered exact = keeper(id, when, when);
    EXPECT_TRUE(exact.text.contains(QStringLiteral("Операций: 1"))) << stamp.toStdString() << exact.text.toStdString();
    EXPECT_TRUE(exact.text.contains(QStringLiteral("Откачка")));
    const Rendered earlier = keeper(id, when - 2.0 / 86400, when - 1.0 / 86400);
    EXPECT_FALSE(earlier.text.contains(QStringLiteral("Откачка"))) << earlier.text.toStdString();

    EXPECT_THROW(keeper(id, when, when - 1.0 / 86400), EDatabaseError);
    EXPECT_THROW(keeper(999999, when, when), EDatabaseError);
}

TEST_F(JournalEngineTest, DiscountCardsInTheThreeForms)
{
    const QString station = db_->scalar(QStringLiteral("SELECT AZSNAME FROM STATION")).toString();
    const QString first = db_->scalar(QStringLiteral("SELECT MIN(DSCPARAM) FROM LOGTRANDSC WHERE DSCVALTYPE = 1")).toString();
    ASSERT_GE(first.size(), 4);
    // Every card of the number's first digits but its last one.
    const QString mask = first.left(first.size() - 3) + QStringLiteral("*");
    const Rendered detailed = cards(0, mask + QStringLiteral("\r\n"), station + QStringLiteral("\r\n"));
    EXPECT_TRUE(matches("35-1-detailed", detailed));
    EXPECT_TRUE(matches("35-1-by-station", cards(1, QStringLiteral("*"), QStringLiteral("*"))));
    const Rendered summary = cards(2, QStringLiteral("*"), QStringLiteral("*"));
    EXPECT_TRUE(matches("35-1-summary", summary));
    EXPECT_TRUE(summary.text.contains(QStringLiteral("ОТЧЕТ ПО ДИСКОНТНЫМ КАРТАМ")));
    const qlonglong cardCount = count(*db_, QStringLiteral("SELECT COUNT(DISTINCT DSCPARAM) FROM LOGTRANDSC WHERE DSCVALTYPE = 1"));
    EXPECT_TRUE(summary.text.contains(QStringLiteral("Всего карт: %1").arg(cardCount))) << summary.text.toStdString();

    // One card by its full number, one by a ? in place of its last digit.
    const QString one = cards(2, first, QStringLiteral("*")).text;
    EXPECT_TRUE(one.contains(QStringLiteral("Всего карт: 1")));
    EXPECT_TRUE(one.contains(first));
    const QString byQuestion = cards(2, first.left(first.size() - 1) + QStringLiteral("?"), QStringLiteral("*")).text;
    EXPECT_TRUE(byQuestion.contains(first));
}

TEST_F(JournalEngineTest, DiscountCardsOfOtherStationsOrNoneChosen)
{
    EXPECT_TRUE(cards(2, QStringLiteral("*"), QStringLiteral("АЗС №12\r\n")).text.contains(QStringLiteral("Продаж по дисконтным картам нет")));
    EXPECT_TRUE(cards(2, QStringLiteral("*"), QString()).text.contains(QStringLiteral("АЗС не выбраны")));
    EXPECT_TRUE(cards(0, QStringLiteral("0000*"), QStringLiteral("*")).text.contains(QStringLiteral("Продаж по дисконтным картам нет")));
    EXPECT_THROW(cards(3, QStringLiteral("*"), QStringLiteral("*")), EDatabaseError);
    EXPECT_THROW(produce(report::kService, {Variant(report::kSelectorDiscountCards), Variant(0)}), EDatabaseError);
}

TEST_F(JournalEngineTest, CardMasksAndStationLists)
{
    const CardMasks masks(QStringLiteral("2700?1\r\n\r\n  99*  \n"));
    EXPECT_FALSE(masks.all());
    EXPECT_EQ(masks.texts(), QStringList({"2700?1", "99*"}));
    EXPECT_TRUE(masks.matches(QStringLiteral("270051")));
    EXPECT_FALSE(masks.matches(QStringLiteral("2700511"))) << "a mask matches the whole number";
    EXPECT_FALSE(masks.matches(QStringLiteral("27001")));
    EXPECT_TRUE(masks.matches(QStringLiteral("99")));
    EXPECT_TRUE(masks.matches(QStringLiteral("99123")));
    EXPECT_FALSE(CardMasks(QStringLiteral("1.3")).matches(QStringLiteral("123"))) << "only ? and * are wildcards";
    EXPECT_TRUE(CardMasks(QStringLiteral("*")).all());

    const StationChoice chosen = StationChoice::read(QStringLiteral("АЗС №7\r\nАЗС №12\r\n"));
    EXPECT_EQ(chosen.names, QStringList({"АЗС №7", "АЗС №12"}));
    EXPECT_TRUE(chosen.includes(QStringLiteral("азс №12")));
    EXPECT_FALSE(chosen.includes(QStringLiteral("АЗС №1")));
    EXPECT_TRUE(StationChoice::read(QStringLiteral("*")).includes(QStringLiteral("любая")));
    EXPECT_FALSE(StationChoice::read(QString()).includes(QStringLiteral("АЗС №7")));
}

TEST_F(JournalEngineTest, DispenserJournalHistoryDownToARow)
{
    const Rendered r = produce(report::kSalesHistory, {Variant("2"), Variant(5)});
    EXPECT_TRUE(matches("10-journal-rows", r));
    EXPECT_TRUE(r.text.contains(QStringLiteral("Последние записи журнала: 5")));
    // The newest five rows of the journal, in its order.
    QSqlQuery newest = db_->query();
    newest.exec(QStringLiteral("SELECT FIRST 5 INDEXSALE FROM TRK WHERE TRK = '2' ORDER BY \"TIME\" DESC, ID DESC"));
    qsizetype last = 0;
    int seen = 0;
    while (newest.next()) {
        if (newest.value(0).isNull())
            continue;
        const qsizetype at = r.text.indexOf(QStringLiteral("| %1 |").arg(newest.value(0).toInt()));
        EXPECT_GT(at, last) << newest.value(0).toInt();
        last = at;
        ++seen;
    }
    EXPECT_GT(seen, 0);
    EXPECT_TRUE(produce(report::kSalesHistory, {Variant("nope"), Variant(5)}).text.contains(QStringLiteral("Записей нет")));
    EXPECT_TRUE(produce(report::kSalesHistory, {Variant("2"), Variant(0)}).text.contains(QStringLiteral("Записей нет")));
    EXPECT_THROW(produce(report::kSalesHistory, {Variant("2")}), EDatabaseError);
}

} // namespace
} // namespace velta::test
