#include "station/reports/StationLookups.h"

#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"

namespace velta::station {

QVector<PayTypeInfo> loadPayTypes(StationDatabase& db)
{
    QVector<PayTypeInfo> types;
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT VIDOPL, NAME, POS FROM PAYTYPE ORDER BY POS, VIDOPL"), QStringLiteral("Payment types"));
    while (query.next())
        types << PayTypeInfo{query.value(0).toInt(), query.value(1).toString().trimmed(), query.value(2).toInt()};
    return types;
}

PayTypeInfo payTypeOf(const QVector<PayTypeInfo>& types, int code)
{
    for (const PayTypeInfo& type : types) {
        if (type.code == code)
            return type;
    }
    return PayTypeInfo{code, QStringLiteral("Вид оплаты %1").arg(code), -1};
}

std::optional<ShiftBounds> loadShiftBounds(StationDatabase& db, int first, int last)
{
    QSqlQuery query = db.prepare(
        QStringLiteral("SELECT SMNUM, BEGTIME, ENDTIME, OPERATOR FROM SMLOG WHERE SMNUM BETWEEN ? AND ? ORDER BY SMNUM"));
    query.addBindValue(first);
    query.addBindValue(last);
    execPrepared(query, QStringLiteral("Shift bounds"));
    std::optional<ShiftBounds> bounds;
    while (query.next()) {
        if (!bounds) {
            bounds = ShiftBounds{};
            bounds->first = query.value(0).toInt();
            bounds->begin = query.value(1).toDateTime();
        }
        bounds->last = query.value(0).toInt();
        bounds->end = query.value(2).isNull() ? QDateTime() : query.value(2).toDateTime();
        const QString name = query.value(3).toString().trimmed();
        if (!name.isEmpty() && !bounds->operators.contains(name))
            bounds->operators << name;
    }
    return bounds;
}

std::optional<int> currentShiftNumber(StationDatabase& db)
{
    QVariant open = db.scalar(QStringLiteral("SELECT MAX(SMNUM) FROM SMLOG WHERE ENDTIME IS NULL"));
    if (open.isNull())
        open = db.scalar(QStringLiteral("SELECT MAX(SMNUM) FROM SMLOG"));
    if (open.isNull())
        return std::nullopt;
    return open.toInt();
}

Currency amountAt(const QSqlQuery& query, int column)
{
    const QVariant value = query.value(column);
    if (value.isNull())
        return Currency{0};
    return parseFixed(value.toString());
}

QString dateTimeText(const QDateTime& moment)
{
    return moment.isValid() ? moment.toString(QStringLiteral("dd.MM.yyyy hh:mm")) : QString();
}

} // namespace velta::station
