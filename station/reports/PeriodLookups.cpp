#include "station/reports/PeriodLookups.h"

#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "common/SysUtils.h"
#include "station/db/FixedPoint.h"
#include "station/db/StationDatabase.h"
#include "station/reports/ReportParams.h"

#include <QSet>

namespace velta::station {

QString shownDateTime(TDateTime value)
{
    return FormatDateTime(QStringLiteral("dd.mm.yyyy hh:nn"), value, TFormatSettings::systemDefaults());
}

QString shownTimestamp(const QString& text)
{
    // "yyyy-mm-dd hh:nn:ss.ffff"
    if (text.size() < 16)
        return text;
    // "dd.mm.yyyy hh:nn", written in place (a period release shows thousands).
    QString out(16, QLatin1Char('.'));
    QChar* to = out.data();
    to[0] = text[8];
    to[1] = text[9];
    to[3] = text[5];
    to[4] = text[6];
    for (int i = 0; i < 4; ++i)
        to[6 + i] = text[i];
    to[10] = QLatin1Char(' ');
    for (int i = 11; i < 16; ++i)
        to[i] = text[i];
    return out;
}

std::int64_t scaledAmount(const QVariant& text)
{
    if (text.isNull())
        return 0;
    const QString value = text.toString().trimmed();
    return value.isEmpty() ? 0 : parseFixed(value).scaled;
}

std::int64_t massOf(std::int64_t litres, std::int64_t density)
{
    return multiplyFixed(Currency{litres}, Currency{density}).scaled;
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

QString ReportPeriod::shown() const
{
    const TDateTime last = wholeLastDay ? end + 1 - 1.0 / 1440 : end;
    return QStringLiteral("Период: с %1 по %2").arg(shownDateTime(begin), shownDateTime(last));
}

QString placeholders(int n)
{
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

PayTypeNames::PayTypeNames(StationDatabase& db)
{
    QSqlQuery query = db.query();
    query.setForwardOnly(true);
    execQuery(query, QStringLiteral("SELECT VIDOPL, NAME, POS FROM PAYTYPE ORDER BY POS"), QStringLiteral("Payment types"));
    while (query.next()) {
        const int code = query.value(0).toInt();
        byCode_.insert(code, query.value(1).toString().trimmed());
        codeByPosition_.insert(query.value(2).toInt(), code);
    }
}

QString PayTypeNames::name(int code) const
{
    return byCode_.value(code, QString::number(code));
}

QString PayTypeNames::atPosition(int position) const
{
    const auto found = codeByPosition_.constFind(position);
    return found == codeByPosition_.constEnd() ? QString() : byCode_.value(found.value());
}

QVector<int> PayTypeNames::selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes) const
{
    QVector<int> result;
    for (std::int64_t code : codes)
        if (!result.contains(int(code)))
            result << int(code);
    if (!result.isEmpty())
        return result;
    for (int position = 0; position < flags.size(); ++position) {
        const auto found = codeByPosition_.constFind(position);
        if (flags[position] == 1 && found != codeByPosition_.constEnd())
            result << found.value();
    }
    if (!result.isEmpty())
        return result;
    for (auto it = byCode_.constBegin(); it != byCode_.constEnd(); ++it)
        if (it.key() % 100 == 4)
            result << it.key();
    return result;
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
