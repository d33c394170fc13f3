// The viewer's print, preview, export and find commands.
#include "plugin/viewer/window/RptForm.h"
#include "ui_RptForm.h"

#include "common/Exception.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/BrowserSettings.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/browser/HtmlQuickPrint.h"
#include "plugin/viewer/print/PrintSpooler.h"
#include "plugin/viewer/export/ReportExport.h"
#include "plugin/viewer/export/TextFileSave.h"
#include "plugin/viewer/print/TextPreview.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "plugin/viewer/print/ViewerHost.h"
#include "plugin/viewer/print/ViewerSettings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <climits>

namespace velta::viewer {
namespace {

// The printer's orientation as the shared "OSP" setting holds it.
void takeOrientationFrom(const QPrinter& printer)
{
    SharedTextPrintSettings().portrait = printer.pageLayout().orientation() == QPageLayout::Portrait;
}

void applyOrientationTo(QPrinter& printer)
{
    printer.setPageOrientation(SharedTextPrintSettings().portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
}

int screenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

} // namespace

void TRptFrm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TRptFrm::PrintButtonClick()
{
    try {
        if (htmlMode_) {
            QtPrintSpooler spooler(CurrentPrinter());
            HtmlQuickPrint(*ui_->wb, CurrentPrinter(), ui_->rgOrientation1->isChecked() ? 1 : 0, spooler);
            return;
        }
        ViewerHost& host = ViewerHost::current();
        if (host.printThroughHost()) {
            try {
                PrintThroughHost(reportText(), host);
            } catch (const Exception& e) {
                dialogs_.showMessage(e.message());
            }
            return;
        }
        PrintText(reportText(), -1, 1, -1, CurrentPrinter(), SharedTextPrintSettings(), host);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::PrintBtnClick()
{
    try {
        QPrinter& printer = CurrentPrinter();
        if (htmlMode_) {
            ui_->wb->pageSetup(printer, dialogs_);
            return;
        }
        ViewerHost& host = ViewerHost::current();
        if (host.printThroughHost())
            return;
        const auto afterwards = qScopeGuard([this, &printer] {
            takeOrientationFrom(printer);
            renderFirstPageIfPreview();
        });
        applyOrientationTo(printer);
        PrintDialogOptions options;
        options.allowPrintToFile = true;
        options.allowPageNumbers = true;
        options.minPage = 1;
        options.maxPage = 0;
        options.fromPage = 1;
        options.toPage = 0;
        if (!dialogs_.printDialog(printer, options))
            return;
        if (options.allPages) {
            options.fromPage = 1;
            options.toPage = 0;
        }
        takeOrientationFrom(printer);
        try {
            WriteOrientationSetting();
        } catch (const Exception&) {
            // The orientation stays in force for this session even when cnf.ini refuses it.
        }
        if (options.printToFile)
            SaveTextFile(reportText(), dialogs_);
        else
            PrintText(reportText(), options.fromPage, options.copies, options.toPage > 0 ? options.toPage : -1, printer,
                      SharedTextPrintSettings(), host);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::BitBtn2Click()
{
    try {
        QPrinter& printer = CurrentPrinter();
        applyOrientationTo(printer);
        if (!dialogs_.printerSetup(printer))
            return;
        takeOrientationFrom(printer);
        WriteOrientationSetting();
        renderFirstPageIfPreview();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::bbtSetupFontClick()
{
    try {
        TextPrintSettings& settings = SharedTextPrintSettings();
        const std::optional<QFont> chosen = dialogs_.chooseFont(settings.font());
        if (!chosen)
            return;
        settings.fontName = chosen->family();
        if (chosen->pointSize() > 0)
            settings.fontSize = chosen->pointSize();
        WriteFontSettings();
        if (textPreviewShown_)
            ShowTextPreview(currentPage_);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::bbtPreviewClick()
{
    if (!htmlMode_) {
        ui_->bbtRepForm->setEnabled(!ui_->bbtRepForm->isEnabled());
        ui_->ScrollBox1->setVisible(true);
        ui_->Panel3->setVisible(!ui_->Panel3->isVisible());
        ui_->Panel4->setVisible(!ui_->Panel4->isVisible());
        textPreviewShown_ = !textPreviewShown_;
        if (ui_->Panel3->isVisible())
            ShowTextPreview(1);
        return;
    }
    if (!CheckBrowserVersion(dialogs_))
        return;
    const QString caption = ui_->bbtPreview->text();
    ui_->bbtPreview->setEnabled(false);
    const auto restore = qScopeGuard([this, caption] {
        ui_->bbtPreview->setText(caption);
        ui_->bbtPreview->setEnabled(true);
    });
    ApplyStayOnTop();
    QApplication::processEvents();
    ui_->bbtPreview->setText(QStringLiteral("Ждите..."));
    if (!WaitUntilReady())
        return;
    ui_->bbtPreview->setText(caption);
    try {
        ui_->wb->printPreview(CurrentPrinter(), dialogs_);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::renderFirstPageIfPreview()
{
    if (textPreviewShown_)
        ShowTextPreview(1);
}

void TRptFrm::ShowTextPreview(int page)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    try {
        const TextPreviewPage shown = velta::viewer::ShowTextPreview(reportText(), page, CurrentPrinter(),
                                                                     SharedTextPrintSettings(), screenDpi());
        ui_->Image1->setPixmap(QPixmap::fromImage(shown.image));
        ui_->Image1->resize(shown.image.size());
        currentPage_ = shown.page;
        pageCount_ = shown.pageCount;
        ui_->PrevBtn->setEnabled(shown.page != 1);
        ui_->NextBtn->setEnabled(shown.page != shown.pageCount);
        ui_->StaticText2->setText(QString::number(shown.pageCount));
        ui_->StaticText4->setText(QString::number(shown.page));
        // The drawing time follows the report's caption (the latest one only).
        setWindowTitle(reportName_ + QLatin1Char(' ') + shown.elapsed);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::FirstBtnClick()
{
    ShowTextPreview(1);
}

void TRptFrm::PrevBtnClick()
{
    ShowTextPreview(currentPage_ - 1);
}

void TRptFrm::NextBtnClick()
{
    ShowTextPreview(currentPage_ + 1);
}

void TRptFrm::LastBtnClick()
{
    ShowTextPreview(INT_MAX);
}

void TRptFrm::btnExportClick()
{
    try {
        ExportReport(*ui_->wb, dialogs_, exportChoice(), htmlText_);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::ShowFindDialog()
{
    if (!WaitUntilReady())
        return;
    try {
        if (ui_->wb->hasDocument())
            ui_->wb->showFindDialog(dialogs_);
    } catch (const Exception&) {
        // The browser's find command may fail; the viewer carries on without it.
    }
}

} // namespace velta::viewer
