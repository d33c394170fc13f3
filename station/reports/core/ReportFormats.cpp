#include "station/reports/core/ReportFormats.h"

#include "common/SysUtils.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

namespace velta::station {
namespace {

const QString kReports = QStringLiteral("Reports");

int decimalsOf(TSafeIniFile& ini, const QString& key)
{
    return std::clamp(ini.ReadInteger(kReports, key, 2), 0, 3);
}

// A stored separator counts only when it is exactly one character.
QChar separatorOf(TSafeIniFile& ini, const QString& key, QChar fallback)
{
    const QString text = ini.ReadHexString(kReports, key, QString(fallback));
    return text.size() == 1 ? text.front() : fallback;
}

// "#,##0.00"-style text of scaled / 10^4 rounded to decimals (at most 4),
// halves away from zero: what the picture gives for such a value, without
// reading a picture.
QString fixedOfScaled(std::int64_t scaled, int decimals, const TFormatSettings& numbers)
{
    const bool negative = scaled < 0;
    std::uint64_t magnitude = negative ? 0 - std::uint64_t(scaled) : std::uint64_t(scaled);
    std::uint64_t unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    magnitude = (magnitude + unit / 2) / unit; // in units of the last decimal shown
    // Written from the last digit backwards into a buffer wide enough for any
    // 64-bit value with its separators.
    char16_t buffer[48];
    char16_t* end = buffer + std::size(buffer);
    char16_t* at = end;
    std::uint64_t rest = magnitude;
    for (int i = 0; i < decimals; ++i, rest /= 10)
        *--at = char16_t(u'0' + rest % 10);
    if (decimals > 0)
        *--at = numbers.DecimalSeparator.unicode();
    const bool groups = !numbers.ThousandSeparator.isNull();
    int digits = 0;
    do {
        if (groups && digits > 0 && digits % 3 == 0)
            *--at = numbers.ThousandSeparator.unicode();
        *--at = char16_t(u'0' + rest % 10);
        rest /= 10;
        ++digits;
    } while (rest != 0);
    if (negative && magnitude != 0)
        *--at = u'-';
    return QString(reinterpret_cast<const QChar*>(at), end - at);
}

} // namespace

ReportFormats ReportFormats::fromCnfIni()
{
    return fromFile(CnfIniFileName());
}

ReportFormats ReportFormats::fromFile(const QString& cnfIniPath)
{
    ReportFormats formats;
    TSafeIniFile ini(cnfIniPath);
    formats.decL = decimalsOf(ini, QStringLiteral("DecL"));
    formats.decKg = decimalsOf(ini, QStringLiteral("DecKg"));
    formats.decL2 = decimalsOf(ini, QStringLiteral("DecL2"));
    formats.decKg2 = decimalsOf(ini, QStringLiteral("DecKg2"));
    formats.repSmType = ini.ReadInteger(QStringLiteral("Misc"), QStringLiteral("RepSmType"), 0);
    formats.siloReportSortField = ini.ReadInteger(QStringLiteral("SmenaRep"), QStringLiteral("SiloReportSortField"), 0);
    formats.roundRVal = ini.ReadInteger(QStringLiteral("SmenaRep"), QStringLiteral("RoundRVal"), 0);
    formats.finPrcDelim = ini.ReadBool(kReports, QStringLiteral("FinPrcDelim"), false);
    formats.rezGrGSM = ini.ReadBool(kReports, QStringLiteral("RezGrGSM"), false);
    formats.repeatHead = ini.ReadBool(kReports, QStringLiteral("RepeatH"), true);
    formats.limits.maxRows = std::clamp(ini.ReadInteger(kReports, QStringLiteral("MaxRows"), 30000), 1, 1000000);
    formats.limits.maxSizeMb = std::clamp(ini.ReadInteger(kReports, QStringLiteral("MaxSize"), 30), 1, 500);
    formats.numbers.DecimalSeparator =
        separatorOf(ini, QStringLiteral("DecimalSeparator"), formats.numbers.DecimalSeparator);
    formats.numbers.ThousandSeparator =
        separatorOf(ini, QStringLiteral("ThousandSeparator"), formats.numbers.ThousandSeparator);
    return formats;
}

QString ReportFormats::fixed(double value, int decimals) const
{
    // Amounts of the database carry four decimals: such a value (and every
    // double below 10^11 that is exactly one) is written from its integer.
    if (decimals >= 0 && decimals <= 4 && std::abs(value) < 1e11) {
        const auto scaled = static_cast<std::int64_t>(std::llround(value * 10000.0));
        if (static_cast<double>(scaled) / 10000.0 == value)
            return fixedOfScaled(scaled, decimals, numbers);
    }
    QString picture = QStringLiteral("#,##0");
    if (decimals > 0)
        picture += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    return FormatFloat(picture, value, numbers);
}

} // namespace velta::station
