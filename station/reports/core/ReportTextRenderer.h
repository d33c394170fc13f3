#pragma once
// The fixed-pitch text of a report: the title centred, the head lines, then
// the blocks; tables framed with "+", "-" and "|" so the viewer draws them as
// ruled tables. Only characters of the DOS Cyrillic code page appear (others
// become "?"), lines end with CR LF.
#include "station/reports/core/ReportDocument.h"

namespace velta::station {

QString renderReportText(const ReportDocument& document);

// The table alone, as the lines of the text rendering (no line ends).
QStringList renderTextTable(const ReportTable& table);

// The text with every character outside the DOS Cyrillic code page replaced by "?".
QString dosCyrillicSafe(const QString& text);

} // namespace velta::station
