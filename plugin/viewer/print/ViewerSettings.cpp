#include "plugin/viewer/print/ViewerSettings.h"

#include "common/FormatSettings.h"
#include "common/SysUtils.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"

namespace velta::viewer {
namespace {

const QString kMisc = QStringLiteral("Misc");
const QString kReports = QStringLiteral("Reports");

const QString kOrientation = QStringLiteral("OSP");
const QString kFontName = QStringLiteral("FNP");
const QString kFontSize = QStringLiteral("SFP");
const QString kFontCharset = QStringLiteral("FCP");
const QString kFormat = QStringLiteral("Format");
const QString kPrintBackground = QStringLiteral("PrintBackground");
const QString kExportType = QStringLiteral("RepExportType");
const QString kStayOnTop = QStringLiteral("StayOnTop");

void writeOrientation(TSafeIniFile& ini, const TextPrintSettings& print)
{
    ini.WriteBool(kMisc, kOrientation, print.portrait);
}

void writeFont(TSafeIniFile& ini, const TextPrintSettings& print)
{
    ini.WriteString(kMisc, kFontName, print.fontName);
    ini.WriteInteger(kMisc, kFontSize, print.fontSize);
    ini.WriteInteger(kMisc, kFontCharset, print.fontCharset);
}

} // namespace

TextPrintSettings& SharedTextPrintSettings()
{
    static TextPrintSettings settings;
    return settings;
}

ViewerMiscSettings ReadViewerMisc(bool allowOldReports, TextPrintSettings& print)
{
    const TextPrintSettings defaults;
    ViewerMiscSettings settings;
    TSafeIniFile ini(CnfIniFileName());
    if (allowOldReports)
        settings.format = ini.ReadBool(kMisc, kFormat, settings.format);
    settings.printBackground = ini.ReadBool(kMisc, kPrintBackground, settings.printBackground);

    print.portrait = ini.ReadBool(kMisc, kOrientation, defaults.portrait);
    // A blank font name names no face: the printer would fall back to a proportional one.
    const QString fontName = Trim(ini.ReadString(kMisc, kFontName, defaults.fontName));
    print.fontName = fontName.isEmpty() ? defaults.fontName : fontName;
    print.fontSize = ini.ReadInteger(kMisc, kFontSize, defaults.fontSize);
    print.fontCharset = ini.ReadInteger(kMisc, kFontCharset, defaults.fontCharset);

    settings.repExportType = ini.ReadInteger(kMisc, kExportType, settings.repExportType);
    settings.stayOnTop = ini.ReadBool(kMisc, kStayOnTop, settings.stayOnTop);
    return settings;
}

void WriteViewerMisc(const ViewerMiscSettings& settings, bool allowOldReports, const TextPrintSettings& print)
{
    // Key by key: each write takes the file's lock on its own, so other
    // programs' changes between two keys are kept.
    TSafeIniFile ini(CnfIniFileName());
    writeOrientation(ini, print);
    writeFont(ini, print);
    if (allowOldReports)
        ini.WriteBool(kMisc, kFormat, settings.format);
    ini.WriteBool(kMisc, kPrintBackground, settings.printBackground);
    ini.WriteInteger(kMisc, kExportType, settings.repExportType);
    ini.WriteBool(kMisc, kStayOnTop, settings.stayOnTop);
}

void WriteOrientationSetting(const TextPrintSettings& print)
{
    TSafeIniFile ini(CnfIniFileName());
    writeOrientation(ini, print);
}

void WriteFontSettings(const TextPrintSettings& print)
{
    TSafeIniFile ini(CnfIniFileName());
    writeFont(ini, print);
}

int ExportTypeIndex(int stored)
{
    return stored >= 0 && stored < kExportTypeCount ? stored : 0;
}

bool ReadAllowOldReports()
{
    TSafeIniFile ini(CnfIniFileName());
    return ini.ReadBool(kReports, QStringLiteral("AllowOldReports"), false);
}

ReportNumberSeparators ReadReportNumberSeparators()
{
    const TFormatSettings system = TFormatSettings::systemDefaults();
    TSafeIniFile ini(CnfIniFileName());
    const auto separator = [&ini](const QString& key, QChar fallback) {
        const QString text = ini.ReadHexString(kReports, key, QString(fallback));
        return text.size() == 1 ? text.front() : fallback;
    };
    return {separator(QStringLiteral("DecimalSeparator"), system.DecimalSeparator),
            separator(QStringLiteral("ThousandSeparator"), system.ThousandSeparator)};
}

bool ReadAllowExportReports()
{
    TSafeIniFile ini(CnfIniFileName());
    return ini.ReadBool(kReports, QStringLiteral("AllowExportReports"), true);
}

QString ReadExportDirectory()
{
    TSafeIniFile ini(CnfIniFileName());
    return Trim(ini.ReadString(QStringLiteral("TovarExports"), QStringLiteral("Каталог экспорта"),
                               QStringLiteral("C:\\DEXE\\EXPORT\\")));
}

} // namespace velta::viewer
