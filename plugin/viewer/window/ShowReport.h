#pragma once
// ShowReport: the viewer's single entry. Every report and journal of the
// plug-in ends here; it returns when the user closes the window.
#include <QString>

namespace velta::viewer {

class TRptFrm;

void ShowReport(const QString& text, const QString& html, const QString& caption);

// The viewer open now (null between ShowReport calls), for the plug-in's unload.
TRptFrm* CurrentReportViewer();
// Destroys a viewer left over at unload.
void ReleaseReportViewer();

} // namespace velta::viewer
