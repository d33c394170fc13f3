#pragma once
// The shift report (45): the sections of its composition array over the
// chosen shifts or the current one. Text kinds make the text rendering and
// HTML kinds (the section index + 100) the HTML rendering, each in position
// order. An HTML section prints from its template file when the file exists
// and from the built-in table layout otherwise; text sections always use the
// built-in layout (the old text forms are not read).
#include "common/ReportContract.h"
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

#include <QString>
#include <QVector>

namespace velta::station {

struct ShiftReportEntry {
    int position = 0;
    int kind = 0;
    QString path;

    int section() const { return report::sectionOfKind(kind); }
    bool html() const { return report::isHtmlKind(kind); }
};

// The composition array: 3k + 1 elements, entries of (position, kind, path),
// the last element unassigned. Returned in position order (equal positions
// keep their order). Raises EDatabaseError naming the element at fault.
QVector<ShiftReportEntry> readShiftComposition(const ReportParams& params, int index);

ReportDocument shiftReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
