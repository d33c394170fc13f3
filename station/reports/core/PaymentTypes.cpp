#include "station/reports/core/PaymentTypes.h"

#include "station/db/StationDatabase.h"

#include <algorithm>

namespace velta::station {

PayTypes::PayTypes(StationDatabase& db)
{
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT VIDOPL, NAME, POS FROM PAYTYPE ORDER BY POS, VIDOPL"), QStringLiteral("Payment types"));
    while (query.next())
        entries_ << Entry{query.value(0).toInt(), query.value(1).toString().trimmed(), query.value(2).toInt()};
}

QString PayTypes::name(int code) const
{
    for (const Entry& entry : entries_) {
        if (entry.code == code)
            return entry.name;
    }
    return QStringLiteral("Вид оплаты %1").arg(code);
}

QString PayTypes::nameAtPosition(int position) const
{
    for (const Entry& entry : entries_) {
        if (entry.position == position)
            return entry.name;
    }
    return {};
}

int PayTypes::position(int code) const
{
    for (const Entry& entry : entries_) {
        if (entry.code == code)
            return entry.position;
    }
    return -1;
}

QVector<int> PayTypes::all() const
{
    QVector<int> out;
    for (const Entry& entry : entries_)
        out << entry.code;
    return out;
}

QVector<int> PayTypes::selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes,
                                WhenNoneChosen fallback) const
{
    QVector<int> out;
    for (std::int64_t code : codes) {
        if (!out.contains(int(code)))
            out << int(code);
    }
    if (!out.isEmpty())
        return out;
    for (const Entry& entry : entries_) {
        if (entry.position >= 0 && entry.position < flags.size() && flags[entry.position] == 1)
            out << entry.code;
    }
    if (!out.isEmpty() || fallback == WhenNoneChosen::Nothing)
        return out;
    for (const Entry& entry : entries_) {
        if (isStatement(entry.code))
            out << entry.code;
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace velta::station
