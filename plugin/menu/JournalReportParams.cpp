#include "plugin/menu/JournalReportParams.h"

#include "common/QuotedStr.h"
#include "common/SysUtils.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/foundation/text/Tools.h"

namespace velta::core {
namespace {

using FuelMove = TReport::FuelMove;
using ReleaseBy = TReport::ReleaseBy;

Variant int32(int value)
{
    return Variant(value);
}

Variant dateTime(TDateTime value)
{
    return Variant::fromDate(value);
}

Variant text(const QString& value)
{
    return Variant(value);
}

QString fuelJournalCaption(FuelMove kind)
{
    switch (kind) {
    case FuelMove::Receipts:
        return QStringLiteral("Журнал поступления топлива");
    case FuelMove::PumpOuts:
        return QStringLiteral("Журнал откачки топлива");
    case FuelMove::Transfers:
        break;
    }
    return QStringLiteral("Журнал перекачки топлива");
}

} // namespace

QString FuelJournalFilter(FuelMove kind, int hostValue56)
{
    QString filter;
    switch (kind) {
    case FuelMove::Receipts:
        filter = QStringLiteral("Prihod = 1 AND AUTO <> 4 ");
        break;
    case FuelMove::Transfers:
        filter = QStringLiteral(" AUTO = 4 ");
        break;
    case FuelMove::PumpOuts:
        filter = QStringLiteral("Prihod = 0 AND AUTO <> 4 ");
        break;
    }
    if (hostValue56 > 0)
        filter += QStringLiteral(" AND COR <> 1 ");
    return filter;
}

QString FuelJournalListCaption(FuelMove kind)
{
    switch (kind) {
    case FuelMove::Receipts:
        return QStringLiteral("Выберите привоз ГСМ");
    case FuelMove::Transfers:
        return QStringLiteral("Выберите перекачку ГСМ");
    case FuelMove::PumpOuts:
        break;
    }
    return QStringLiteral("Выберите откачку ГСМ");
}

ShiftReportRequest FuelJournalRequest(FuelMove kind, int first, int last)
{
    switch (kind) {
    case FuelMove::Receipts:
        return {report::kFuelReceiptsJournal, Variant(Variant::Array{int32(first), int32(last)}), fuelJournalCaption(kind)};
    case FuelMove::Transfers:
        return {report::kService, Variant(Variant::Array{Variant(report::kSelectorTransfers), int32(first), int32(last)}),
                fuelJournalCaption(kind)};
    case FuelMove::PumpOuts:
        break;
    }
    return {report::kPumpOutsJournal, Variant(Variant::Array{int32(first), int32(last)}), fuelJournalCaption(kind)};
}

QString ShiftFuelJournalFilter(FuelMove kind, TDateTime begTime, TDateTime endTime)
{
    return QStringLiteral("BegTime>=") + QuotedStr(DateTimeToStr(begTime)) + QStringLiteral(" and BegTime<= ") +
           QuotedStr(DateTimeToStr(endTime)) +
           (kind == FuelMove::Receipts ? QStringLiteral(" and Prihod = 1") : QStringLiteral(" and Prihod = 0"));
}

ShiftReportRequest ShiftFuelJournalRequest(FuelMove kind, int a, int b)
{
    const int reportNo = kind == FuelMove::Receipts ? report::kFuelReceiptsJournal : report::kPumpOutsJournal;
    return {reportNo, Variant(Variant::Array{int32(a), int32(b)}), fuelJournalCaption(kind)};
}

QString StatementPeriodCaption(const Variant& payTypeNames)
{
    return QStringLiteral("ОТПУСК ПО \"") + StatementPayTypeName(payTypeNames) +
           QStringLiteral("\" ЗА ВЫБРАННЫЙ ПЕРИОД");
}

ShiftReportRequest PeriodReleaseRequest(ReleaseBy by, const PeriodReleaseChoice& choice, const Variant& flags,
                                        const Variant& codes, const Variant& payTypeNames)
{
    const Variant begin = dateTime(choice.Begin);
    const Variant end = dateTime(choice.End);
    switch (by) {
    case ReleaseBy::Statement:
        return {report::kStatementPeriod, report::periodReleaseArray(report::ReleaseKind::Statement, choice, flags, codes),
                StatementPeriodCaption(payTypeNames)};
    case ReleaseBy::Contragent:
        return {report::kContragentPeriod,
                report::periodReleaseArray(report::ReleaseKind::Contragent, choice, flags, codes),
                QStringLiteral("ОТПУСК ПО КОНТРАГЕНТУ ЗА ВЫБРАННЫЙ ПЕРИОД")};
    case ReleaseBy::Car:
        return {report::kCarPeriod, report::periodReleaseArray(report::ReleaseKind::Car, choice, flags, codes),
                QStringLiteral("ОТПУСК ПО АВТОМОБИЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД")};
    case ReleaseBy::Driver:
        return {report::kDriverPeriod, report::periodReleaseArray(report::ReleaseKind::Driver, choice, flags, codes),
                QStringLiteral("ОТПУСК ВОДИТЕЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД")};
    case ReleaseBy::LimitsDetail:
        break;
    }
    return {report::kService, Variant(Variant::Array{Variant(report::kSelectorLimitsDetail), text(choice.Contragent), begin, end}),
            QStringLiteral("ДЕТАЛИЗАЦИЯ ПО УБЫВАЮЩИМ ЛИМИТАМ")};
}

ShiftReportRequest LimitBalancesRequest()
{
    return {report::kService, Variant(Variant::Array{Variant(report::kSelectorLimitBalances)}),
            QStringLiteral("ТЕКУЩИЕ ОСТАТКИ ПО УБЫВАЮЩИМ ЛИМИТАМ")};
}

ShiftReportRequest PriceHistoryRequest(TDateTime begin, TDateTime end)
{
    return {report::kService, Variant(Variant::Array{Variant(report::kSelectorPriceHistory), dateTime(begin), dateTime(end)}),
            QStringLiteral("ИСТОРИЯ ИЗМЕНЕНИЯ ЦЕН НА ГСМ")};
}

QString SalesHistoryProbeQuery()
{
    return QStringLiteral("SELECT SUM(CAST(TRKNUM AS INTEGER)) FROM SMTRK");
}

QString SalesHistoryTrkQuery(bool shiftDispensers, int workplaceKind, TDateTime now)
{
    if (!shiftDispensers)
        return QStringLiteral("SELECT DISTINCT Trk FROM Trk WHERE (OP1=999) ORDER BY Trk");
    QString sql = QStringLiteral("SELECT DISTINCT TRK FROM\r\n(SELECT DISTINCT TRKNUM AS TRK FROM SMTRK\r\n");
    constexpr int kOfficeWorkplace = 3;
    if (workplaceKind != kOfficeWorkplace)
        sql += QStringLiteral("UNION ALL\r\n") + QStringLiteral("SELECT DISTINCT Trk FROM Trk WHERE (\"TIME\" > ") +
               QLatin1Char('\'') + FormatQueryDateTime(true, now - 3) + QLatin1Char('\'') +
               QStringLiteral(") AND (OP1=999) \r\n");
    return sql + QStringLiteral(") ORDER BY 1");
}

QString SalesHistoryListCaption(bool loadingRack)
{
    return loadingRack ? QStringLiteral("Выберите номер АСН") : QStringLiteral("Выберите номер ТРК");
}

ShiftReportRequest SalesHistoryRequest(const ShiftChoice& choice, const QString& dispenser, TDateTime now,
                                       bool loadingRack)
{
    const Variant::Array params =
        choice.current ? Variant::Array{text(dispenser), Variant(std::int8_t(-1)), dateTime(now - 1), dateTime(now + 1),
                                        Variant(true)}
                       : Variant::Array{text(dispenser), Variant(std::int8_t(-1)), dateTime(choice.BegTime),
                                        dateTime(choice.EndTime), Variant(false)};
    return {report::kSalesHistory, Variant(params),
            loadingRack ? QStringLiteral("История продаж по АСН") : QStringLiteral("История продаж по ТРК")};
}

} // namespace velta::core
