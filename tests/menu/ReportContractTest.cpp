// The report contract pinned once: every request the menu builds for a shift,
// journal or period report goes into the station's report engine as it is,
// and the engine must know the report and read the array without a
// complaint. One table of requests serves both sides, so the menu and the
// engine cannot drift apart unnoticed.
#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/contract/ReportArrays.h"
#include "plugin/core/contract/ShiftComposition.h"
#include "plugin/menu/JournalReportParams.h"
#include "plugin/menu/ShiftReportParams.h"
#include "plugin/receipts/window/PrinterComment.h"
#include "plugin/receipts/window/ReceiptCalls.h"
#include "station/cli/ReportShortcuts.h"
#include "station/reports/engine/ReportCatalog.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/reports/engine/ReportService.h"
#include "tests/station/StationFixture.h"

#include <gtest/gtest.h>

namespace velta::test {
namespace {

using core::ShiftChoice;
using core::ShiftReportRequest;
using FuelMove = core::TReport::FuelMove;
using ReleaseBy = core::TReport::ReleaseBy;

struct NamedRequest {
    const char* name;
    ShiftReportRequest request;
};

Variant ints(std::initializer_list<int> values)
{
    Variant::Array elements;
    for (int v : values)
        elements << Variant(v);
    return Variant(std::move(elements));
}

class ReportContractTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { station_ = new DemoStation(false, 400); }
    static void TearDownTestSuite()
    {
        delete station_;
        station_ = nullptr;
    }

    // Two shifts of the demo station as the shift list hands them over.
    ShiftChoice twoShifts(station::StationDatabase& db) const
    {
        const QStringList shifts = column(db, QStringLiteral("SELECT SMNUM FROM SMLOG ORDER BY SMNUM"));
        ShiftChoice choice;
        choice.BegShift = shifts.value(1).toInt();
        choice.EndShift = shifts.value(2).toInt();
        choice.BegTime = EncodeDate(2024, 1, 2);
        choice.EndTime = EncodeDate(2024, 1, 3);
        choice.CurShift = shifts.last().toInt();
        choice.CurrentSmNum = shifts.value(2);
        return choice;
    }

    // Every request of the shift, journal and period reports, built by the menu's own functions.
    std::vector<NamedRequest> menuRequests(station::StationDatabase& db) const
    {
        const ShiftChoice range = twoShifts(db);
        ShiftChoice current = range;
        current.current = true;
        const Variant flags = ints({1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
        const Variant codes = ints({0, 104, 108, 109, 204});

        core::ShiftReportSettings shift;
        shift.Composition = report::defaultComposition().Composition;
        shift.StationValue = Variant(1);
        shift.Flags = flags;
        shift.Codes = codes;
        core::BonusRepSettings bonus;
        bonus.Flags = flags;
        bonus.Codes = codes;
        core::BackRepSettings back;
        back.Flags = flags;
        back.Codes = codes;
        core::CardRepSettings cards;
        cards.Flags = flags;
        cards.Codes = codes;

        const QString client = column(db, QStringLiteral("SELECT NAME FROM VDCONTRACTOR WHERE ID = 4")).value(0);
        core::ContragentChoice contragent;
        contragent.Name = client;
        core::PeriodReleaseChoice release;
        release.Begin = EncodeDate(2024, 1, 1);
        release.End = EncodeDate(2024, 3, 31);
        release.Contragent = client;
        core::PeriodReleaseChoice byCars = release;
        byCars.DriverFirst = false;
        byCars.ByCars = true;
        core::PeriodReleaseChoice car = release;
        car.Detail = column(db, QStringLiteral("SELECT NAME FROM VDCAR WHERE CID = 4 ORDER BY ID")).value(0);
        core::PeriodReleaseChoice driver = release;
        driver.Detail = column(db, QStringLiteral("SELECT NAME FROM VDDRIVER WHERE CID = 4 ORDER BY ID")).value(0);
        const Variant names;
        const TDateTime now = EncodeDate(2024, 1, 2) + 0.5;
        // The receipt window's printer requests, built by its own functions.
        const int sale = column(db, QStringLiteral("SELECT MIN(INDEXSALE) FROM LOGTRAN")).value(0).toInt();
        const auto printerReceipt = [](int saleNo) {
            return ShiftReportRequest{report::kService,
                                      receipts::PrinterReceiptParams(saleNo, QStringLiteral("Иванова Н.П."),
                                                                     QStringLiteral("1"),
                                                                     receipts::PrinterComment(QStringLiteral("Комментарий"))),
                                      QString()};
        };

        return {
            {"shift report, range", core::ShiftReportRequestFor(range, shift)},
            {"shift report, current from the list", core::ShiftReportRequestFor(current, shift)},
            {"shift report, current without the list", core::CurrentShiftReportRequest(shift)},
            {"bonuses", core::BonusShiftReportRequest(range, bonus)},
            {"bonuses, current", core::BonusShiftReportRequest(current, bonus)},
            {"returns", core::ReturnsShiftReportRequest(range, back, Variant(1), 0, false)},
            {"returns with codes", core::ReturnsShiftReportRequest(range, back, Variant(1), 0, true)},
            {"returns, current", core::ReturnsShiftReportRequest(current, back, Variant(1), 0, true)},
            {"contracts", core::ContractsShiftReportRequest(range, flags, codes)},
            {"contracts, current", core::ContractsShiftReportRequest(current, flags, codes)},
            {"terminal returns", core::TerminalReturnsShiftReportRequest(range)},
            {"statements", core::StatementShiftReportRequest(range, flags, codes)},
            {"statements, current", core::StatementShiftReportRequest(current, flags, codes)},
            {"contragent", core::ContragentShiftReportRequest(range, contragent, flags, codes)},
            {"contragent, current", core::ContragentShiftReportRequest(current, contragent, flags, codes)},
            {"talons", core::TalonsShiftReportRequest(range, flags, codes)},
            {"cards", core::CardsShiftReportRequest(range, cards, QString())},
            {"one card, current", core::CardsShiftReportRequest(current, cards, QStringLiteral("%12%"))},
            {"reloads", core::ReloadsShiftReportRequest(range)},
            {"meter", core::MeterShiftReportRequest(range)},
            {"fuel receipts", core::FuelJournalRequest(FuelMove::Receipts, 1, 3)},
            {"pump-outs", core::FuelJournalRequest(FuelMove::PumpOuts, 1, 3)},
            {"transfers", core::FuelJournalRequest(FuelMove::Transfers, 1, 3)},
            {"fuel receipts of a shift", core::ShiftFuelJournalRequest(FuelMove::Receipts, 3, 1)},
            {"statement release", core::PeriodReleaseRequest(ReleaseBy::Statement, release, flags, codes, names)},
            {"contragent release, drivers first",
             core::PeriodReleaseRequest(ReleaseBy::Contragent, release, flags, codes, names)},
            {"contragent release, by cars", core::PeriodReleaseRequest(ReleaseBy::Contragent, byCars, flags, codes, names)},
            {"car release", core::PeriodReleaseRequest(ReleaseBy::Car, car, flags, codes, names)},
            {"driver release", core::PeriodReleaseRequest(ReleaseBy::Driver, driver, flags, codes, names)},
            {"limits detail", core::PeriodReleaseRequest(ReleaseBy::LimitsDetail, release, flags, codes, names)},
            {"limit balances", core::LimitBalancesRequest()},
            {"price history", core::PriceHistoryRequest(release.Begin, release.End)},
            {"sales history", core::SalesHistoryRequest(range, QStringLiteral("1"), now, false)},
            {"sales history, current", core::SalesHistoryRequest(current, QStringLiteral("1"), now, false)},
            {"printer receipt", printerReceipt(sale)},
            {"printer receipt, empty form", printerReceipt(-1)},
        };
    }

    static inline DemoStation* station_ = nullptr;
};

// The selector of a service report request; kNoSelector for the others.
int selectorOf(const ShiftReportRequest& request)
{
    return request.reportNo == report::kService ? station::ReportService::selectorOf(request.params)
                                                : report::kNoSelector;
}

TEST_F(ReportContractTest, TheEngineReadsEveryArrayTheMenuBuilds)
{
    const std::unique_ptr<station::StationDatabase> db = station_->open();
    station::ReportWorkplaceMemory workplaces;
    station::ReportConnectionState connection;
    station::ReportEngine engine(*db, connection, workplaces);
    for (const NamedRequest& entry : menuRequests(*db)) {
        SCOPED_TRACE(entry.name);
        const ShiftReportRequest& request = entry.request;
        EXPECT_NE(station::findReport(request.reportNo, selectorOf(request)), nullptr)
            << "report " << request.reportNo << " is not in the engine's catalog";
        try {
            const QString text = engine.produce(request.reportNo, request.params, QString(), false);
            EXPECT_FALSE(text.trimmed().isEmpty());
            EXPECT_FALSE(engine.lastReportHtml(QString()).isEmpty());
        } catch (const Exception& e) {
            ADD_FAILURE() << "report " << request.reportNo << ": " << e.message().toStdString();
        }
    }
}

TEST_F(ReportContractTest, TheEngineAnswersTheReceiptTemplateRequestWithoutAPage)
{
    // [9, VIDOPL] as the receipt window sends it: the plain answer with the
    // marker the window checks, and report 55 still holds the page before it.
    const std::unique_ptr<station::StationDatabase> db = station_->open();
    station::ReportWorkplaceMemory workplaces;
    station::ReportConnectionState connection;
    station::ReportEngine engine(*db, connection, workplaces);
    const ShiftReportRequest request{report::kService, receipts::ReceiptTemplateParams(104), QString()};
    ASSERT_NE(station::findReport(request.reportNo, selectorOf(request)), nullptr);
    engine.produce(report::kService, Variant(Variant::Array{Variant(report::kSelectorPrinterReceipt), Variant(-1),
                                                            Variant(QString()), Variant(QString()), Variant(QString())}),
                   QString(), false);
    const QString page = engine.lastReportHtml(QString());
    const QString answer = engine.produce(request.reportNo, request.params, QString(), false);
    EXPECT_TRUE(answer.startsWith(QLatin1String(report::kReceiptTemplateMarker)));
    EXPECT_GT(answer.size(), qsizetype(sizeof(report::kReceiptTemplateMarker)));
    EXPECT_EQ(engine.lastReportHtml(QString()), page);
}

TEST_F(ReportContractTest, TheReportCommandSendsTheMenusShiftReportArray)
{
    // The command's shift shortcut on a station that never wrote cnf.ini has
    // the first log-on composition, and sends what the menu sends with it.
    const station::ShiftComposition composition =
        station::readShiftComposition(station_->root() + QStringLiteral("/no-such-cnf.ini"));
    EXPECT_TRUE(composition.defaults);
    const station::StationPayTypes pay{ints({1, 1}), ints({0, 104})};
    core::ShiftReportSettings settings;
    settings.Composition = composition.Composition;
    settings.StationValue = Variant(1);
    settings.Flags = pay.flags;
    settings.Codes = pay.codes;
    ShiftChoice choice;
    choice.BegShift = 3;
    choice.EndShift = 5;
    EXPECT_EQ(station::shiftReportParams(report::ShiftRange{false, 3, 5}, composition, pay),
              core::ShiftReportRequestFor(choice, settings).params);
    choice.current = true;
    EXPECT_EQ(station::shiftReportParams(report::ShiftRange{true, 0, 0}, composition, pay),
              core::ShiftReportRequestFor(choice, settings).params);

    // The defaults hold every section a first log-on writes, each in both forms.
    const Variant::Array entries = composition.Composition.elements();
    ASSERT_EQ(entries.size() % report::kCompositionEntrySize, 1);
    QList<int> kinds;
    for (qsizetype e = 1; e < entries.size(); e += report::kCompositionEntrySize)
        kinds << entries[e].toInt();
    for (int section = 0; section < report::kShiftSectionCount; ++section) {
        const bool written = !report::defaultWebPath(section).isEmpty() || section == report::kSectionFinancialGoods;
        EXPECT_EQ(kinds.contains(section), written) << "section " << section;
        EXPECT_EQ(kinds.contains(section + report::kHtmlKindOffset), written) << "section " << section;
    }
}

} // namespace
} // namespace velta::test
