#include "station/reports/core/ReportLookups.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"
#include "station/reports/core/ReportParams.h"

#include <QDateTime>
#include <limits>

namespace velta::station {

namespace {

QString shownSqlTimestamp(const QString& sql)
{
    // "2024-01-01 08:00:00.0000" -> "01.01.2024 08:00", written in place (a
    // period release shows thousands).
    if (sql.size() < 16)
        return sql;
    QString out(16, QLatin1Char('.'));
    QChar* to = out.data();
    to[0] = sql[8];
    to[1] = sql[9];
    to[3] = sql[5];
    to[4] = sql[6];
    for (int i = 0; i < 4; ++i)
        to[6 + i] = sql[i];
    to[10] = QLatin1Char(' ');
    for (int i = 11; i < 16; ++i)
        to[i] = sql[i];
    return out;
}

} // namespace

QString ReportSpan::bounds() const
{
    return QStringLiteral("%1 - %2").arg(shownSqlTimestamp(from),
                                         open ? QStringLiteral("смена открыта") : shownSqlTimestamp(to));
}

QString ReportSpan::describe() const
{
    if (kind == Kind::Period)
        return QStringLiteral("Период: %1").arg(bounds());
    QString text = firstShift == lastShift ? QStringLiteral("Смена №%1").arg(firstShift)
                                           : QStringLiteral("Смены №%1 - №%2").arg(firstShift).arg(lastShift);
    text += QStringLiteral(" (%1)").arg(bounds());
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
    QSqlQuery op = db.prepare(QStringLiteral("SELECT OPERATOR FROM SMLOG WHERE SMNUM BETWEEN ? AND ? ORDER BY SMNUM"));
    op.addBindValue(firstShift);
    op.addBindValue(lastShift);
    execPrepared(op, QStringLiteral("Shift operators"));
    while (op.next()) {
        const QString name = op.value(0).toString().trimmed();
        if (!name.isEmpty() && !span.operators.contains(name))
            span.operators << name;
    }
    if (firstShift == lastShift && !span.operators.isEmpty())
        span.operatorName = span.operators.front();
    return span;
}

ReportSpan requiredShiftSpan(StationDatabase& db, int reportNo, std::int64_t firstShift, std::int64_t lastShift)
{
    if (firstShift < 0 || lastShift < firstShift || lastShift > std::numeric_limits<int>::max())
        throw EDatabaseError(
            QStringLiteral("Отчет №%1: неверный диапазон смен %2 - %3").arg(reportNo).arg(firstShift).arg(lastShift));
    ReportSpan span = shiftSpan(db, int(firstShift), int(lastShift));
    if (!span.found())
        throw EDatabaseError(
            QStringLiteral("Отчет №%1: смены %2 - %3 не найдены").arg(reportNo).arg(firstShift).arg(lastShift));
    return span;
}

std::optional<ReportSpan> openShift(StationDatabase& db)
{
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query,
              QStringLiteral("SELECT FIRST 1 SMNUM, CAST(BEGTIME AS VARCHAR(24)), OPERATOR FROM SMLOG "
                             "WHERE ENDTIME IS NULL ORDER BY SMNUM DESC"),
              QStringLiteral("Open shift"));
    if (!query.next())
        return std::nullopt;
    ReportSpan span;
    span.firstShift = span.lastShift = query.value(0).toInt();
    span.from = query.value(1).toString();
    span.open = true;
    span.operatorName = query.value(2).toString().trimmed();
    if (!span.operatorName.isEmpty())
        span.operators << span.operatorName;
    return span;
}

std::optional<int> currentShiftNumber(StationDatabase& db)
{
    QVariant current = db.scalar(QStringLiteral("SELECT MAX(SMNUM) FROM SMLOG WHERE ENDTIME IS NULL"));
    if (current.isNull())
        current = db.scalar(QStringLiteral("SELECT MAX(SMNUM) FROM SMLOG"));
    if (current.isNull())
        return std::nullopt;
    return current.toInt();
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

ReportPeriod ReportPeriod::read(const ReportParams& params, int beginIndex)
{
    ReportPeriod period;
    period.begin = params.dateTime(beginIndex);
    period.end = params.dateTime(beginIndex + 1);
    period.wholeLastDay = TimeOf(period.end) == 0;
    if (period.end < period.begin)
        throw EDatabaseError(QStringLiteral("Отчет №%1: конец периода раньше его начала").arg(params.reportNo()));
    return period;
}

QString ReportPeriod::sqlBegin() const
{
    return sqlTimestamp(begin);
}

QString ReportPeriod::sqlEnd() const
{
    return sqlTimestamp(wholeLastDay ? end + 1 : end);
}

QString ReportPeriod::shown() const
{
    const TDateTime last = wholeLastDay ? end + 1 - 1.0 / 1440 : end;
    return QStringLiteral("Период: с %1 по %2").arg(shownDateTime(begin), shownDateTime(last));
}

QString sqlTimestamp(TDateTime value)
{
    return toQDateTime(value).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

QString shownTimestamp(const QVariant& stored)
{
    return stored.isNull() ? QString() : shownSqlTimestamp(stored.toString());
}

QString shownDateTime(TDateTime value)
{
    return shownSqlTimestamp(sqlTimestamp(value));
}

std::int64_t scaledAmount(const QVariant& stored)
{
    if (stored.isNull())
        return 0;
    const QString value = stored.toString().trimmed();
    return value.isEmpty() ? 0 : parseFixed(value).scaled;
}

std::int64_t massOf(std::int64_t litres, std::int64_t density)
{
    return multiplyFixed(Currency{litres}, Currency{density}).scaled;
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

QString placeholders(int n)
{
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

QVector<int> contragentIds(StationDatabase& db, const QString& name)
{
    QVector<int> ids;
    for (const QString& table : {QStringLiteral("CONTRAGENT"), QStringLiteral("VDCONTRACTOR")}) {
        const QString key = table == QLatin1String("CONTRAGENT") ? QStringLiteral("CONTR_ID") : QStringLiteral("ID");
        QSqlQuery query = db.prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE NAME = ? AND COALESCE(ISDELETE, 0) = 0 ORDER BY %1").arg(key, table));
        query.addBindValue(name);
        execPrepared(query, QStringLiteral("Contragent by name"));
        while (query.next())
            if (!ids.contains(query.value(0).toInt()))
                ids << query.value(0).toInt();
    }
    if (ids.isEmpty())
        throw EDatabaseError(QStringLiteral("Контрагент \"%1\" не найден в справочнике").arg(name));
    return ids;
}

QString contragentName(StationDatabase& db, int id)
{
    for (const QString& sql : {QStringLiteral("SELECT NAME FROM CONTRAGENT WHERE CONTR_ID = ?"),
                               QStringLiteral("SELECT NAME FROM VDCONTRACTOR WHERE ID = ?")}) {
        QSqlQuery query = db.prepare(sql);
        query.addBindValue(id);
        execPrepared(query, QStringLiteral("Contragent by number"));
        if (query.next())
            return query.value(0).toString().trimmed();
    }
    return QString();
}

} // namespace velta::station
