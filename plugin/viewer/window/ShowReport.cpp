#include "plugin/viewer/window/ShowReport.h"

#include "plugin/platform/ProcessSingleton.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/window/RptForm.h"
#include "plugin/viewer/print/ViewerSettings.h"

#include <QScopeGuard>
#include <memory>

namespace velta::viewer {
namespace {

// Freed by the plug-in's unload with a viewer left over, whatever order
// static destructors run in.
ProcessSingleton<std::unique_ptr<TRptFrm>> g_viewer;

std::unique_ptr<TRptFrm>& viewer()
{
    return g_viewer.get();
}

} // namespace

void ShowReport(const QString& text, const QString& html, const QString& caption)
{
    const bool allowOldReports = ReadAllowOldReports();
    Dialogs& dialogs = currentDialogs();
    auto& form = viewer();
    if (!form)
        form = std::make_unique<TRptFrm>(dialogs, allowOldReports);
    const auto destroy = qScopeGuard([] { viewer().reset(); });
    // Export drives office programs through the clipboard; no per-thread
    // set-up is needed for that here, only the switch itself.
    form->setReport(text, html, caption, ReadAllowExportReports());
    dialogs.showModal(*form);
}

TRptFrm* CurrentReportViewer()
{
    const std::unique_ptr<TRptFrm>* form = g_viewer.peek();
    return form ? form->get() : nullptr;
}

void ReleaseReportViewer()
{
    g_viewer.release();
}

} // namespace velta::viewer
