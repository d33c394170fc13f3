#include "station/reports/receipts/ReceiptSale.h"

#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportLookups.h"

#include <algorithm>

namespace velta::station {
namespace {

// "2024-01-15 10:22:05.0000" -> "15.01.2024 10:22:05".
QString shownSaleTime(const QString& sql)
{
    if (sql.size() < 19)
        return sql;
    return QStringLiteral("%1.%2.%3 %4").arg(sql.mid(8, 2), sql.mid(5, 2), sql.left(4), sql.mid(11, 8));
}

QString joined(const QString& first, const QString& second)
{
    if (first.isEmpty() || second.isEmpty())
        return first + second;
    return first + QLatin1Char(' ') + second;
}

} // namespace

std::int64_t ReceiptSale::baseAmount() const
{
    if (basePrice <= 0)
        return 0;
    return multiplyRounded(Currency{litres}, Currency{basePrice}, 2).scaled;
}

std::int64_t ReceiptSale::discountAmount() const
{
    // The price tells whether there was a discount at all: the amount charged
    // is rounded from the price, so it may differ from the base amount by a
    // kopeck without one.
    if (basePrice <= 0 || (price > 0 && price >= basePrice))
        return 0;
    return std::max<std::int64_t>(0, baseAmount() - amount);
}

std::optional<ReceiptSale> findReceiptSale(StationDatabase& db, std::int64_t number)
{
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT CAST(lt.DATA AS VARCHAR(24)), lt.GSMNAME, CAST(lt.LITER AS VARCHAR(32)), "
        "CAST(lt.PRICE AS VARCHAR(32)), CAST(lt.BASEPRICE AS VARCHAR(32)), CAST(lt.SUMMA AS VARCHAR(32)), "
        "lt.VIDOPL, lt.PLISTNUM, lt.IDCNT, lt.INN, lt.POKUPATEL, drv.NAME, car.MARKA, car.NAME "
        "FROM LOGTRAN lt LEFT JOIN VDDRIVER drv ON drv.ID = lt.IDDRV LEFT JOIN VDCAR car ON car.ID = lt.IDCAR "
        "WHERE lt.INDEXSALE = ?"));
    query.addBindValue(qlonglong(number));
    execPrepared(query, QStringLiteral("Receipt sale"));
    if (!query.next())
        return std::nullopt;
    const auto text = [&](int column) { return query.value(column).toString().trimmed(); };
    ReceiptSale sale;
    sale.number = number;
    sale.when = shownSaleTime(text(0));
    sale.fuel = text(1);
    sale.litres = scaledAmount(query.value(2));
    sale.price = scaledAmount(query.value(3));
    sale.basePrice = scaledAmount(query.value(4));
    sale.amount = scaledAmount(query.value(5));
    sale.payType = query.value(6).toInt();
    sale.tripSheet = text(7);
    const QString contragentKey = text(8);
    sale.inn = text(9);
    sale.buyer = text(10);
    sale.driver = text(11);
    sale.car = joined(text(12), text(13));
    query.finish();

    bool numbered = false;
    const int contragentId = contragentKey.toInt(&numbered);
    sale.contragent = numbered ? contragentName(db, contragentId) : QString();
    if (sale.contragent.isEmpty())
        sale.contragent = contragentKey;

    QSqlQuery discounts = db.prepare(QStringLiteral(
        "SELECT DSCVALTYPE, DSCNAME, CAST(DSCVAL AS VARCHAR(32)), DSCPARAM FROM LOGTRANDSC WHERE INDEXSALE = ? ORDER BY ID"));
    discounts.addBindValue(qlonglong(number));
    execPrepared(discounts, QStringLiteral("Receipt discounts"));
    while (discounts.next())
        sale.discounts << ReceiptDiscount{discounts.value(0).toInt(), discounts.value(1).toString().trimmed(),
                                          scaledAmount(discounts.value(2)), discounts.value(3).toString().trimmed()};
    return sale;
}

} // namespace velta::station
