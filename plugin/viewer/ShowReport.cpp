#include "plugin/viewer/ShowReport.h"

#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/RptForm.h"
#include "plugin/viewer/ViewerSettings.h"

#include <QScopeGuard>
#include <memory>

namespace velta::viewer {
namespace {

std::unique_ptr<TRptFrm>& viewer()
{
    static std::unique_ptr<TRptFrm> instance;
    return instance;
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
