#include "station/reports/shift/SalesQuery.h"

#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/DirectoryNames.h"

namespace velta::station {

std::int64_t Sale::kilograms() const
{
    return massOf(litres, density);
}

std::int64_t Sale::discountSum() const
{
    return multiplyRounded(Currency{basePrice - price}, Currency{litres}, 2).scaled;
}

QString Sale::contragentLabel() const
{
    return contragent.isEmpty() ? QStringLiteral("Без контрагента") : contragent;
}

void forEachSale(const ReportContext& context, const SaleFilter& filter, const QString& order,
                 const std::function<bool(const Sale&)>& take)
{
    // The contragent's name comes from the directories read once; it is joined
    // only when the sales are ordered by it.
    const ContragentNames contragents(context.db());
    bool nameOrdered = false;
    for (const QString& column : order.split(QLatin1Char(',')))
        nameOrdered = nameOrdered || column.trimmed() == QLatin1String("13");
    QString sql = QStringLiteral(
        "SELECT CAST(l.DATA AS VARCHAR(24)), l.SMNUM, l.TRK, l.GSMNAME, l.LITER, l.PLOTN, l.PRICE, l.BASEPRICE, "
        "l.SUMMA, l.VIDOPL, l.POKUPATEL, l.PLISTNUM, %2, car.NAME, drv.NAME, "
        "l.OPERATOR, %1 "
        "FROM LOGTRAN l ");
    if (nameOrdered)
        sql += QStringLiteral("LEFT JOIN CONTRAGENT c ON CAST(c.CONTR_ID AS VARCHAR(10)) = l.IDCNT "
                              "LEFT JOIN VDCONTRACTOR v ON c.CONTR_ID IS NULL AND CAST(v.ID AS VARCHAR(10)) = l.IDCNT ");
    sql += QStringLiteral("LEFT JOIN VDCAR car ON car.ID = l.IDCAR "
                          "LEFT JOIN VDDRIVER drv ON drv.ID = l.IDDRV ");
    sql = sql.arg(filter.discounts ? QStringLiteral("d.DSCVALTYPE, d.DSCNAME, d.DSCVAL, d.DSCPARAM")
                                   : QStringLiteral("NULL, NULL, NULL, NULL"),
                  nameOrdered ? QStringLiteral("COALESCE(c.NAME, v.NAME, l.IDCNT)") : QStringLiteral("l.IDCNT"));
    if (filter.discounts)
        sql += QStringLiteral("JOIN LOGTRANDSC d ON d.INDEXSALE = l.INDEXSALE ");
    QVariantList binds;
    if (filter.span.kind == ReportSpan::Kind::Shifts) {
        sql += QStringLiteral("WHERE l.SMNUM BETWEEN ? AND ? ");
        binds << filter.span.firstShift << filter.span.lastShift;
    } else {
        sql += QStringLiteral("WHERE l.DATA BETWEEN CAST(? AS TIMESTAMP) AND CAST(? AS TIMESTAMP) ");
        binds << filter.span.from << filter.span.to;
    }
    QString payCondition = QStringLiteral("l.VIDOPL IN (%1)").arg(sqlCodeList(filter.payTypes));
    if (!filter.cardMask.isEmpty()) {
        payCondition += QStringLiteral(" AND l.POKUPATEL LIKE ?");
        binds << filter.cardMask;
    }
    if (filter.discountCardSales) {
        payCondition = QStringLiteral("(%1) OR EXISTS (SELECT 1 FROM LOGTRANDSC k WHERE k.INDEXSALE = l.INDEXSALE "
                                      "AND k.DSCPARAM SIMILAR TO '[0-9]+' AND k.DSCPARAM LIKE ?)")
                           .arg(payCondition);
        binds << (filter.cardMask.isEmpty() ? QStringLiteral("%") : filter.cardMask);
    }
    sql += QStringLiteral("AND (%1) ").arg(payCondition);
    if (!filter.contragent.isEmpty()) {
        const QStringList keys = contragents.keysNamed(filter.contragent);
        if (keys.isEmpty()) {
            sql += QStringLiteral("AND 1 = 0 ");
        } else {
            sql += QStringLiteral("AND l.IDCNT IN (%1) ").arg(placeholders(int(keys.size())));
            for (const QString& key : keys)
                binds << key;
        }
    }
    sql += QStringLiteral("ORDER BY ") + order;

    QSqlQuery query = context.db().prepare(sql);
    for (const QVariant& value : binds)
        query.addBindValue(value);
    execPrepared(query, QStringLiteral("Sales"));
    while (query.next()) {
        Sale s;
        s.time = shownTimestamp(query.value(0));
        s.shift = query.value(1).toInt();
        s.dispenser = query.value(2).toString().trimmed();
        s.fuel = query.value(3).toString().trimmed();
        s.litres = scaledAmount(query.value(4));
        s.density = scaledAmount(query.value(5));
        s.price = scaledAmount(query.value(6));
        s.basePrice = scaledAmount(query.value(7));
        s.sum = scaledAmount(query.value(8));
        s.payType = query.value(9).toInt();
        s.buyer = query.value(10).toString().trimmed();
        s.tripSheet = query.value(11).toString().trimmed();
        s.contragent = nameOrdered ? query.value(12).toString().trimmed() : contragents.nameOf(query.value(12).toString());
        s.car = query.value(13).toString().trimmed();
        s.driver = query.value(14).toString().trimmed();
        s.operatorName = query.value(15).toString().trimmed();
        s.discountKind = query.value(16).toInt();
        s.discountName = query.value(17).toString().trimmed();
        s.discountValue = scaledAmount(query.value(18));
        s.discountParam = query.value(19).toString().trimmed();
        if (!take(s))
            return;
    }
}

void SaleTotals::add(const Sale& s)
{
    ++count;
    litres += s.litres;
    kilograms += s.kilograms();
    sum += s.sum;
    discount += s.discountSum();
    bonus += s.bonusLitres();
}

void SaleTotals::merge(const SaleTotals& other)
{
    count += other.count;
    coupons += other.coupons;
    litres += other.litres;
    kilograms += other.kilograms;
    sum += other.sum;
    discount += other.discount;
    bonus += other.bonus;
}

void addFuelTotals(ReportDocument& doc, const ReportFormats& f, const QMap<QString, SaleTotals>& byFuel)
{
    if (byFuel.isEmpty())
        return;
    doc.addHeading(QStringLiteral("Итоги по ГСМ"));
    ReportTable& table = doc.addTable({{QStringLiteral("ГСМ")}, {QStringLiteral("Отпусков"), CellAlign::Right},
                                       {QStringLiteral("Литры"), CellAlign::Right},
                                       {QStringLiteral("Масса, кг"), CellAlign::Right},
                                       {QStringLiteral("Сумма, руб"), CellAlign::Right}});
    SaleTotals all;
    for (auto it = byFuel.begin(); it != byFuel.end(); ++it) {
        if (!doc.addRow(table, {it.key(), QString::number(it->count), f.litres(units(it->litres)),
                                f.kilograms(units(it->kilograms)), f.money(units(it->sum))}))
            return;
        all.merge(*it);
    }
    table.totals << QStringList{QStringLiteral("Всего"), QString::number(all.count), f.litres(units(all.litres)),
                                f.kilograms(units(all.kilograms)), f.money(units(all.sum))};
}

} // namespace velta::station
