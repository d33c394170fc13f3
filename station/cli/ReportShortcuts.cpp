#include "station/cli/ReportShortcuts.h"

#include "common/Exception.h"
#include "plugin/platform/Paths.h"

#include <QRegularExpression>
#include <algorithm>

namespace velta::station {
namespace {

Variant intArray(const QVector<int>& values)
{
    Variant::Array elements;
    for (int v : values)
        elements.append(Variant(v));
    return Variant(std::move(elements));
}

} // namespace

QString payTypesSql()
{
    return QStringLiteral("SELECT VIDOPL, POS FROM PAYTYPE ORDER BY POS, VIDOPL");
}

StationPayTypes payTypesFromRows(const QVector<QStringList>& rows)
{
    int count = 0;
    QVector<int> positions;
    QVector<int> codes;
    for (const QStringList& row : rows) {
        const int position = row.value(1).toInt();
        if (position < 0 || position > 255)
            throw Exception(QStringLiteral("Payment type %1 has position %2 out of range 0-255").arg(row.value(0)).arg(position));
        codes.append(row.value(0).toInt());
        positions.append(position);
        count = std::max(count, position + 1);
    }
    QVector<int> flags(count, 0);
    for (int p : positions)
        flags[p] = 1;
    return {intArray(flags), intArray(codes)};
}

ShiftComposition readShiftComposition(const QString& cnfFile)
{
    ShiftComposition result;
    result.defaults = !Paths::fileExists(cnfFile);
    static_cast<report::ShiftComposition&>(result) =
        result.defaults ? report::defaultComposition() : report::loadComposition(cnfFile);
    return result;
}

Variant shiftReportParams(const ShiftRange& shifts, const ShiftComposition& composition, const StationPayTypes& pay)
{
    report::ShiftReportSettings settings;
    settings.Composition = composition.Composition;
    settings.StationValue = Variant(1);
    settings.RoundRVal = composition.RoundRVal;
    settings.Flags = pay.flags;
    settings.SiloReportSortField = composition.SiloReportSortField;
    settings.Codes = pay.codes;
    return report::shiftReportArray(shifts, settings);
}

ShiftRange parseShiftRange(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})(?:-([0-9]{1,9}))?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        throw Exception(QStringLiteral("--shifts needs FIRST-LAST or one shift number, not \"%1\"").arg(text));
    ShiftRange range;
    range.first = m.captured(1).toInt();
    range.last = m.captured(2).isEmpty() ? range.first : m.captured(2).toInt();
    if (range.first > range.last)
        throw Exception(QStringLiteral("--shifts %1: the first shift comes after the last").arg(text));
    return range;
}

QString shiftsOfDaySql(const QString& day)
{
    const TDateTime begin = parseCommandDateTime(QStringLiteral("--day"), day);
    if (begin != DateOf(begin))
        throw Exception(QStringLiteral("--day needs a date YYYY-MM-DD, not \"%1\"").arg(day));
    int y = 0, m = 0, d = 0;
    DecodeDate(begin + 1, y, m, d);
    const QString next = QStringLiteral("%1-%2-%3").arg(y, 4, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0')).arg(d, 2, 10, QLatin1Char('0'));
    return QStringLiteral("SELECT MIN(SMNUM), MAX(SMNUM) FROM SMLOG WHERE BEGTIME >= CAST('%1' AS TIMESTAMP) "
                          "AND BEGTIME < CAST('%2' AS TIMESTAMP)")
        .arg(day.trimmed(), next);
}

TDateTime parseCommandDateTime(const QString& option, const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[T ]([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?)?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    TDateTime date = 0;
    TDateTime time = 0;
    const auto part = [&](int i) { return m.captured(i).isEmpty() ? 0 : m.captured(i).toInt(); };
    if (!m.hasMatch() || !TryEncodeDate(part(1), part(2), part(3), date)
        || !TryEncodeTime(part(4), part(5), part(6), 0, time) || date < 0)
        throw Exception(QStringLiteral("%1 needs YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS], not \"%2\"").arg(option, text));
    return date + time;
}

std::optional<ReleaseKind> releaseKindOf(const QString& word)
{
    if (word == QLatin1String("statement"))
        return ReleaseKind::Statement;
    if (word == QLatin1String("contragent"))
        return ReleaseKind::Contragent;
    if (word == QLatin1String("car"))
        return ReleaseKind::Car;
    if (word == QLatin1String("driver"))
        return ReleaseKind::Driver;
    return std::nullopt;
}

Variant periodReleaseParams(const PeriodRelease& release, const StationPayTypes& pay)
{
    const report::PeriodReleaseChoice choice{release.from,      release.to,     release.contragent, release.detail,
                                             release.byDrivers, release.byCars, release.driversFirst};
    return report::periodReleaseArray(release.kind, choice, pay.flags, pay.codes);
}

} // namespace velta::station
