#pragma once
// Export of the report viewer's HTML view: to Word or Excel by automation, to
// a new Writer or Calc document of the office suite, to the clipboard, or to
// an HTML file the user names. Office programs get the report through the
// clipboard: the browser selects the whole document and copies it, the
// program pastes. Outcomes reach the user in message boxes.
#include "common/DateTime.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace velta {

class AutomationFactory;
class Dialogs;

namespace viewer {

class BrowserView;

// The export targets, by their index in the window's choice "Экспортировать в:".
enum ExportTarget : int {
    ExportToWord = 0,
    ExportToExcel = 1,
    ExportToWriter = 2,
    ExportToCalc = 3,
    ExportToClipboard = 4,
    ExportToHtmlFile = 5,
};
inline constexpr int kExportTargetCount = 6;

// The items of rgChooseExport, by index; also the captions of the messages.
const QStringList& ExportTargetCaptions();

// The selection commands the export sends to the browser.
class ExportBrowser {
public:
    virtual ~ExportBrowser();
    virtual void selectAll() = 0;
    virtual void copy() = 0;
    virtual void clearSelection() = 0;
};

// The file name proposed for the HTML file: "ОТЧЕТ ddmmyy hhnn".
QString ExportFileName(TDateTime now);

// One export run. The export directory is read from cnf.ini
// (ReadExportDirectory) when the HTML file target needs it, unless the caller
// set it.
class ReportExporter {
public:
    ReportExporter(ExportBrowser& browser, Dialogs& dialogs, AutomationFactory& automation);

    void setExportDirectory(const QString& directory) { exportDirectory_ = directory; }

    // Runs the export to the target (0..5) of htmlText, the HTML document the
    // view shows. Failures of the browser's select-all and copy propagate;
    // any other failure ends in an error box.
    void ExportReport(int target, const QString& htmlText);

private:
    void exportByAutomation(int target, const QString& caption);
    void exportToOffice(int target, const QString& caption);
    void exportToHtmlFile(const QString& htmlText);

    ExportBrowser& browser_;
    Dialogs& dialogs_;
    AutomationFactory& automation_;
    std::optional<QString> exportDirectory_;
};

// The window's export: the browser view, the platform's office automation in
// force and the export directory of cnf.ini.
void ExportReport(BrowserView& browser, Dialogs& dialogs, int target, const QString& htmlText);

} // namespace viewer
} // namespace velta
