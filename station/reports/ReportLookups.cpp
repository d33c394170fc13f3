#include "station/reports/ReportLookups.h"

#include "station/db/StationDatabase.h"

#include <QDateTime>
#include <QStringList>

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

QVector<int> PayTypes::selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes) const
{
    QVector<int> out;
    if (!codes.isEmpty()) {
        for (std::int64_t code : codes)
            out << static_cast<int>(code);
        return out;
    }
    for (const Entry& entry : entries_) {
        if (entry.position >= 0 && entry.position < flags.size() && flags[entry.position] == 1)
            out << entry.code;
    }
    return out;
}

QVector<int> PayTypes::all() const
{
    QVector<int> out;
    for (const Entry& entry : entries_)
        out << entry.code;
    return out;
}

namespace {

QString shownSqlTimestamp(const QString& sql)
{
    // "2024-01-01 08:00:00.0000" -> "01.01.2024 08:00"
    if (sql.size() < 16)
        return sql;
    return sql.mid(8, 2) + QLatin1Char('.') + sql.mid(5, 2) + QLatin1Char('.') + sql.left(4) + QLatin1Char(' ')
           + sql.mid(11, 5);
}

} // namespace

QString ReportSpan::describe() const
{
    const QString bounds = QStringLiteral("%1 - %2").arg(shownSqlTimestamp(from),
                                                          open ? QStringLiteral("смена открыта") : shownSqlTimestamp(to));
    if (kind == Kind::Period)
        return QStringLiteral("Период: %1").arg(bounds);
    QString text = firstShift == lastShift ? QStringLiteral("Смена №%1").arg(firstShift)
                                           : QStringLiteral("Смены №%1 - №%2").arg(firstShift).arg(lastShift);
    text += QStringLiteral(" (%1)").arg(bounds);
    if (!operatorName.isEmpty())
        text += QStringLiteral(", оператор ") + operatorName;
    return text;
}

ReportSpan shiftSpan(StationDatabase& db, int firstShift, int lastShift)
{
    ReportSpan span;
    span.firstShift = firstShift;
    span.lastShift = lastShift;
    QSqlQuery query = db.prepare(QStringLiteral(
        "SELECT CAST(MIN(BEGTIME) AS VARCHAR(24)), CAST(MAX(ENDTIME) AS VARCHAR(24)), "
        "SUM(CASE WHEN ENDTIME IS NULL THEN 1 ELSE 0 END) FROM SMLOG WHERE SMNUM BETWEEN ? AND ?"));
    query.addBindValue(firstShift);
    query.addBindValue(lastShift);
    execPrepared(query, QStringLiteral("Shift bounds"));
    if (query.next()) {
        span.from = query.value(0).toString();
        span.to = query.value(1).toString();
        span.open = query.value(2).toInt() > 0;
    }
    if (firstShift == lastShift) {
        QSqlQuery op = db.prepare(QStringLiteral("SELECT OPERATOR FROM SMLOG WHERE SMNUM = ?"));
        op.addBindValue(firstShift);
        execPrepared(op, QStringLiteral("Shift operator"));
        if (op.next())
            span.operatorName = op.value(0).toString().trimmed();
    }
    return span;
}

std::optional<ReportSpan> openShift(StationDatabase& db)
{
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT FIRST 1 SMNUM, CAST(BEGTIME AS VARCHAR(24)), OPERATOR FROM SMLOG "
                                     "WHERE ENDTIME IS NULL ORDER BY SMNUM DESC"),
              QStringLiteral("Open shift"));
    if (!query.next())
        return std::nullopt;
    ReportSpan span;
    span.firstShift = span.lastShift = query.value(0).toInt();
    span.from = query.value(1).toString();
    span.open = true;
    span.operatorName = query.value(2).toString().trimmed();
    return span;
}

ReportSpan periodSpan(TDateTime from, TDateTime to)
{
    ReportSpan span;
    span.kind = ReportSpan::Kind::Period;
    span.from = sqlTimestamp(from);
    span.to = sqlTimestamp(to);
    return span;
}

QString noOpenShiftText()
{
    return QStringLiteral("Открытой смены нет: все смены в журнале закрыты.");
}

QString sqlTimestamp(TDateTime value)
{
    return toQDateTime(value).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

QString shownTimestamp(const QVariant& stored)
{
    return stored.isNull() ? QString() : shownSqlTimestamp(stored.toString());
}

double amountOf(const QVariant& stored)
{
    return stored.isNull() ? 0.0 : stored.toString().toDouble();
}

QString sqlCodeList(const QVector<int>& codes)
{
    if (codes.isEmpty())
        return QStringLiteral("NULL");
    QStringList parts;
    for (int code : codes)
        parts << QString::number(code);
    return parts.join(QStringLiteral(", "));
}

} // namespace velta::station
