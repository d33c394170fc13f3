#include "plugin/directories/journals/JournalRequests.h"

#include "common/QuotedStr.h"
#include "common/ReportContract.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/viewer/window/ShowReport.h"

namespace velta::journals {

QString KeeperListQuery()
{
    return QStringLiteral("SELECT c.NAME, c.CONTR_ID FROM CONTRAGENT c JOIN CONTRAGENTTYPE ct ON c.CONTR_ID = "
                          "ct.CONTR_ID WHERE ct.CTYPE = ")
           + QStringLiteral("6") + QStringLiteral(" AND c.ISDELETE = 0 ") + QStringLiteral("ORDER BY 1");
}

Variant KeeperMoveParams(int keeperId, TDateTime begin, TDateTime end)
{
    return Variant(Variant::Array{Variant(report::kSelectorKeeperMovement), Variant(keeperId), Variant::fromDate(begin),
                                  Variant::fromDate(end)});
}

QString CardsText(bool allCards, const QString& typed)
{
    return allCards ? QStringLiteral("*") : typed;
}

QString StationsText(bool allStations, const QStringList& checked)
{
    if (allStations)
        return QStringLiteral("*");
    QString text;
    for (const QString& name : checked)
        text += name + QStringLiteral("\r\n");
    return text;
}

Variant DiscountCardParams(int form, const QString& cards, const QString& stations)
{
    return Variant(Variant::Array{Variant(report::kSelectorDiscountCards), Variant(form), Variant(cards), Variant(stations)});
}

QString WithoutQuotes(const QString& text, bool& removed)
{
    QString cleaned = text;
    cleaned.remove(QLatin1Char('"'));
    cleaned.remove(QLatin1Char('\''));
    removed = cleaned.size() != text.size();
    return cleaned;
}

QString DispenserJournalQuery(const QString& dispenserName)
{
    return QStringLiteral("SELECT Trk.\"TIME\", Client, Gsm, Operation, Op1, Op2, Liters, Summa, AutoMobil FROM Trk\r\n"
                          "WHERE (Trk.Trk = ")
           + QuotedStr(dispenserName) + QStringLiteral(") ") + QStringLiteral(" ORDER BY Trk.\"TIME\" DESC");
}

Variant DispenserHistoryParams(const QString& dispenserName, int rowNumber)
{
    return Variant(Variant::Array{Variant(dispenserName), Variant(rowNumber)});
}

void RunAndShowReport(int reportNo, const Variant& params, const QString& title)
{
    QString text;
    core::RunReport(reportNo, params, text);
    QString html;
    core::RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, title);
}

} // namespace velta::journals
