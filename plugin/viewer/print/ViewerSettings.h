#pragma once
// The report viewer's settings in cnf.ini: its own values and the shared
// text-print settings in section "Misc" (read when the window is created,
// written when it closes), the station-wide switches of section "Reports" and
// the export directory. Each function opens cnf.ini for its own use; every key
// is read or written under the file's lock. Failures of the file itself are
// those of TSafeIniFile.
#include "plugin/viewer/print/TextPrintSettings.h"

#include <QChar>

#include <QString>

namespace velta::viewer {

// The viewer's own values of section "Misc".
struct ViewerMiscSettings {
    bool format = false;          // "Format": the HTML view was shown last
    bool printBackground = true;  // "PrintBackground"
    int repExportType = 0;        // "RepExportType": the export choice, as stored
    bool stayOnTop = false;       // "StayOnTop"
};

// Reads section "Misc": "PrintBackground", "RepExportType", "StayOnTop", and
// "OSP", "FNP", "SFP", "FCP" into print. "Format" is read only when old
// reports are allowed; otherwise it is left false and the window shows HTML.
// A missing key or a value that does not convert gives the default.
ViewerMiscSettings ReadViewerMisc(bool allowOldReports, TextPrintSettings& print = SharedTextPrintSettings());

// Writes the close-time values to "Misc": "OSP", "FNP", "SFP", "FCP",
// "Format" (only when old reports are allowed), "PrintBackground",
// "RepExportType", "StayOnTop", in that order.
void WriteViewerMisc(const ViewerMiscSettings& settings, bool allowOldReports,
                     const TextPrintSettings& print = SharedTextPrintSettings());

// The print dialogs' writers: "OSP" alone, and "FNP", "SFP", "FCP". Errors are raised.
void WriteOrientationSetting(const TextPrintSettings& print = SharedTextPrintSettings());
void WriteFontSettings(const TextPrintSettings& print = SharedTextPrintSettings());

// The number of export choices; a stored "RepExportType" outside 0..count-1 is not applied.
inline constexpr int kExportTypeCount = 6;
// The export choice a stored value selects: the value when it is a valid
// index, otherwise 0 (the first choice).
int ExportTypeIndex(int stored);

// Section "Reports" (edited by the report settings window, never written here).
bool ReadAllowOldReports();     // "AllowOldReports", default false
bool ReadAllowExportReports();  // "AllowExportReports", default true

// The separators of the report's numbers: "DecimalSeparator" and
// "ThousandSeparator" of section "Reports" (hex-encoded, one character each),
// else the system's.
struct ReportNumberSeparators {
    QChar decimal;
    QChar thousands;
};
ReportNumberSeparators ReadReportNumberSeparators();

// Section "TovarExports", key "Каталог экспорта": where exported files go,
// trimmed; "C:\DEXE\EXPORT\" when missing.
QString ReadExportDirectory();

} // namespace velta::viewer
