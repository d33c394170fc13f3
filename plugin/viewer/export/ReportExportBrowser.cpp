// The window's export entry: the report export over the browser view.
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/export/OfficeAutomation.h"
#include "plugin/viewer/export/ReportExport.h"

namespace velta::viewer {

namespace {

// The browser view's selection commands.
class BrowserViewCommands : public ExportBrowser {
public:
    explicit BrowserViewCommands(BrowserView& view) : view_(view) {}
    void selectAll() override { view_.selectAll(); }
    void copy() override { view_.copy(); }
    void clearSelection() override { view_.clearSelection(); }

private:
    BrowserView& view_;
};

} // namespace

void ExportReport(BrowserView& browser, Dialogs& dialogs, int target, const QString& htmlText)
{
    BrowserViewCommands commands(browser);
    ReportExporter(commands, dialogs, OfficeAutomation::current()).ExportReport(target, htmlText);
}

} // namespace velta::viewer
