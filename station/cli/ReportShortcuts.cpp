#include "station/cli/ReportShortcuts.h"

#include "common/Exception.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"

#include <QRegularExpression>
#include <algorithm>

namespace velta::station {
namespace {

constexpr int kSectionCount = 18;
constexpr int kHtmlKind = 100;
const QString kSmenaRep = QStringLiteral("SmenaRep");

struct Entry {
    int position;
    int kind;
    QString path;
};

QString completePath(const QString& path, const QString& folder)
{
    if (path.isEmpty())
        return path;
    if (Paths::extractFilePath(path).isEmpty())
        return folder + path;
    return ReplaceText(path, QStringLiteral("S:\\"), QStringLiteral("C:\\"), rfIgnoreCase);
}

// The plug-in's selection sort: entries of equal position may trade places
// exactly as they do there.
void sortByPosition(std::vector<Entry>& entries)
{
    for (size_t s = 0; s < entries.size(); ++s) {
        size_t smallest = s;
        for (size_t k = s + 1; k < entries.size(); ++k) {
            if (entries[k].position < entries[smallest].position)
                smallest = k;
        }
        if (smallest != s)
            std::swap(entries[s], entries[smallest]);
    }
}

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
    if (!Paths::fileExists(cnfFile))
        throw Exception(QStringLiteral("No %1: the shift report's composition is read from it "
                                       "(log on once with the reports plug-in, or give --cnf FILE)")
                            .arg(Paths::toNative(cnfFile)));
    ShiftComposition result;
    std::vector<Entry> entries;
    TSafeIniFile ini(cnfFile);
    ini.Atomically([&] {
        for (int i = 0; i < kSectionCount; ++i) {
            for (int j = 0;; ++j) {
                const QString suffix = QStringLiteral("%1_%2").arg(i).arg(j);
                if (!ini.ValueExists(kSmenaRep, QStringLiteral("Rep") + suffix))
                    break;
                const int position = ini.ReadInteger(kSmenaRep, QStringLiteral("Rep") + suffix, -1);
                if (position <= 0)
                    continue;
                entries.push_back({position, i,
                                   completePath(ini.ReadString(kSmenaRep, QStringLiteral("RepPath") + suffix, QString()),
                                                QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\"))});
                entries.push_back(
                    {position, i + kHtmlKind,
                     completePath(ini.ReadString(kSmenaRep, QStringLiteral("WebRepPath") + suffix, QString()),
                                  QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\"))});
            }
        }
        result.roundRVal = ini.ReadInteger(kSmenaRep, QStringLiteral("RoundRVal"), 0);
        result.siloReportSortField = ini.ReadInteger(kSmenaRep, QStringLiteral("SiloReportSortField"), 0);
    });
    sortByPosition(entries);
    Variant::Array elements;
    for (Entry& e : entries) {
        elements.append(Variant(e.position));
        elements.append(Variant(e.kind));
        elements.append(Variant(std::move(e.path)));
    }
    elements.append(Variant());
    result.composition = Variant(std::move(elements));
    return result;
}

Variant shiftReportParams(const ShiftRange& shifts, const ShiftComposition& composition, const StationPayTypes& pay)
{
    Variant::Array p;
    if (shifts.current)
        p << Variant(std::int8_t{-1}) << Variant(std::int8_t{-1});
    else
        p << Variant(shifts.first) << Variant(shifts.last);
    p << composition.composition << Variant(1) << Variant(composition.roundRVal) << Variant(QString())
      << Variant(false) << pay.flags << Variant(composition.siloReportSortField) << pay.codes;
    return Variant(std::move(p));
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

int releaseReportNo(ReleaseKind kind)
{
    switch (kind) {
    case ReleaseKind::Statement: return kStatementPeriodReportNo;
    case ReleaseKind::Contragent: return kContragentPeriodReportNo;
    case ReleaseKind::Car: return kCarPeriodReportNo;
    case ReleaseKind::Driver: return kDriverPeriodReportNo;
    }
    return kStatementPeriodReportNo;
}

Variant periodReleaseParams(const PeriodRelease& release, const StationPayTypes& pay)
{
    Variant::Array p;
    if (release.kind == ReleaseKind::Statement) {
        p << Variant(release.from) << Variant(release.to) << pay.flags << pay.codes;
        return Variant(std::move(p));
    }
    p << Variant::fromDate(release.from) << Variant::fromDate(release.to) << Variant(release.contragent);
    if (release.kind == ReleaseKind::Contragent) {
        p << Variant(release.byDrivers) << Variant(release.byCars) << Variant(release.driversFirst) << pay.flags;
        if (!release.driversFirst)
            p << pay.codes;
        return Variant(std::move(p));
    }
    p << Variant(release.detail) << pay.flags << pay.codes;
    return Variant(std::move(p));
}

} // namespace velta::station
