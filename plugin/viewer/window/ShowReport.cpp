#include "plugin/viewer/window/ShowReport.h"

#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/window/RptForm.h"
#include "plugin/viewer/print/ViewerSettings.h"

#include <QScopeGuard>
#include <memory>

namespace velta::viewer {
namespace {

// Never destroyed by the runtime: the plug-in's unload releases a viewer left
// over, whatever order static destructors run in.
std::unique_ptr<TRptFrm>& viewer()
{
    static auto* instance = new std::unique_ptr<TRptFrm>;
    return *instance;
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
    return viewer().get();
}

void ReleaseReportViewer()
{
    viewer().reset();
}

} // namespace velta::viewer
