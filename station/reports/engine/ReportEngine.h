#pragma once
// ReportEngine: the station server's report engine behind the methods
// GetReportEx and GetReport. It dispatches by report number: report 35 runs
// its service functions (ReportService) or, for other selectors, a report;
// report 55 answers the HTML rendering of the last report; every other number
// answers a report text and remembers its HTML rendering (ReportMemory.h),
// except the plain answers of the catalog (a receipt template), which leave
// the remembered rendering alone.
#include "common/ReportContract.h"
#include "common/Variant.h"
#include "station/reports/engine/ReportPlaceholder.h"

#include <QString>

namespace velta::station {

class StationDatabase;
class ReportWorkplaceMemory;
struct ReportEntry;
struct ReportConnectionState;

class ReportEngine {
public:
    ReportEngine(StationDatabase& db, ReportConnectionState& connection, ReportWorkplaceMemory& workplaces);

    // The methods' arguments [reportNo, params] or [reportNo, params,
    // workplace]. GetReportEx shares the rendering of what it produces with
    // the workplace; GetReport keeps it for the connection only. Malformed
    // arguments raise EProtocolError.
    QString getReportEx(const Variant::Array& args);
    QString getReport(const Variant::Array& args);

    // One report. A report that fails leaves no rendering for report 55, so
    // the HTML of an earlier report is never shown for it.
    QString produce(int reportNo, const Variant& params, const QString& workplace, bool shareWithWorkplace);

    // The rendering report 55 answers: the newer of the connection's last
    // report and the workplace's last GetReportEx report; empty when none.
    QString lastReportHtml(const QString& workplace) const;

private:
    QString call(const QString& method, const Variant::Array& args, bool shareWithWorkplace);
    ReportRendering render(int reportNo, const Variant& params, const ReportEntry* entry);
    void remember(const QString& html, const QString& workplace, bool shareWithWorkplace);

    StationDatabase& db_;
    ReportConnectionState& connection_;
    ReportWorkplaceMemory& workplaces_;
};

} // namespace velta::station
