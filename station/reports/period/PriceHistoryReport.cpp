#include "station/reports/period/PriceHistoryReport.h"

#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <QMap>

namespace velta::station {

ReportDocument priceHistoryReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({3});
    const TDateTime begin = params.dateTime(1);
    const TDateTime end = params.dateTime(2);
    const ReportFormats& f = context.formats();

    ReportDocument document = context.newDocument(QStringLiteral("ИСТОРИЯ ИЗМЕНЕНИЯ ЦЕН НА ГСМ"));
    document.addHeadLine(QStringLiteral("Период: с %1 по %2").arg(shownDateTime(begin), shownDateTime(end)));

    // Every change up to the end: the earlier ones give the price each change replaced.
    QSqlQuery query = context.db().prepare(QStringLiteral(
        "SELECT h.GSM_ID, COALESCE(g.NAME, h.GSMNAME), CAST(h.DATA AS VARCHAR(24)), CAST(h.PRICE AS VARCHAR(32)), "
        "h.OPERATOR, CASE WHEN h.DATA >= CAST(? AS TIMESTAMP) THEN 1 ELSE 0 END "
        "FROM PRICEHIST h LEFT JOIN GSM g ON g.GSM_ID = h.GSM_ID "
        "WHERE h.DATA <= CAST(? AS TIMESTAMP) ORDER BY h.DATA, h.ID"));
    query.addBindValue(sqlTimestamp(begin));
    query.addBindValue(sqlTimestamp(end));
    query.setForwardOnly(true);
    execPrepared(query, QStringLiteral("Price history"));

    struct Price {
        QString fuel;
        std::int64_t price = 0;
    };
    QMap<int, Price> current;
    ReportTable* table = nullptr;
    while (query.next()) {
        const int fuelId = query.value(0).toInt();
        const QString fuel = query.value(1).toString().trimmed();
        const std::int64_t price = scaledAmount(query.value(3));
        const auto before = current.constFind(fuelId);
        if (query.value(5).toInt() == 1) {
            if (!table)
                table = &document.addTable({{QStringLiteral("Дата, время")},
                                            {QStringLiteral("ГСМ")},
                                            {QStringLiteral("Прежняя\nцена"), CellAlign::Right},
                                            {QStringLiteral("Новая\nцена"), CellAlign::Right},
                                            {QStringLiteral("Изменение"), CellAlign::Right},
                                            {QStringLiteral("Оператор")}});
            const bool known = before != current.constEnd();
            QString change;
            if (known)
                change = (price > before->price ? QStringLiteral("+") : QString()) + f.money(units(price - before->price));
            if (!document.addRow(*table, {shownTimestamp(query.value(2)), fuel,
                                          known ? f.money(units(before->price)) : QString(), f.money(units(price)), change,
                                          query.value(4).toString().trimmed()}))
                return document;
        }
        current[fuelId] = Price{fuel, price};
    }
    if (!table)
        document.addParagraph(QStringLiteral("За период цены не менялись"));
    if (current.isEmpty())
        return document;
    document.addHeading(QStringLiteral("Цены на %1").arg(shownDateTime(end)));
    ReportTable& prices = document.addTable({{QStringLiteral("ГСМ")}, {QStringLiteral("Цена"), CellAlign::Right}});
    for (const Price& p : current)
        if (!document.addRow(prices, {p.fuel, f.money(units(p.price))}))
            break;
    return document;
}

} // namespace velta::station
