#include "station/reports/ReportFormats.h"

#include "common/SysUtils.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"

#include <QFileInfo>
#include <algorithm>

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
    QString picture = QStringLiteral("#,##0");
    if (decimals > 0)
        picture += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
    return FormatFloat(picture, value, numbers);
}

} // namespace velta::station
