// The shift report handlers of the Report object: the shift list loop, the
// report options, the report production (in the background for the long
// reports) and the viewer.
#include "plugin/menu/Report.h"

#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/core/WaitFrm.h"
#include "plugin/menu/ShiftReportParams.h"
#include "plugin/viewer/window/ShowReport.h"

namespace velta::core {

using plugin::MenuItem;

namespace {

enum class Production { Here, InBackground };

// Produces the report (the long ones on the report thread behind the wait
// window), asks for its HTML rendering and shows both in the viewer.
void ProduceAndShow(const ShiftReportRequest& request, Production production)
{
    QString text;
    if (production == Production::InBackground)
        RunInBackground(request.reportNo, request.params, &ProduceReport, text);
    else
        RunReport(request.reportNo, request.params, text);
    QString html;
    RunReport(kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, request.caption);
}

} // namespace

void TReport::CurrentShiftReport(MenuItem&)
{
    if (!HostValues::mayTakeCurrentShift())
        return;
    UpdateVidOplIfOffice();
    ProduceAndShow(CurrentShiftReportRequest(ReadShiftReportSettings()), Production::InBackground);
}

} // namespace velta::core
