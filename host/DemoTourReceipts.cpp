// The demo tour's sales receipts: the receipt window, one receipt printed to
// the viewer, the template settings and editor, one receipt previewed and
// printed on the cash register, and the tape it left in the journal.
#include "host/DemoTour.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/PrintJournalView.h"
#include "host/QtMenuItem.h"
#include "host/TourActions.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDockWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <QSpinBox>
#include <QScrollBar>
#include <QTimer>

namespace velta::host {

using namespace tour;

namespace {

const QString kReceiptWindow = QStringLiteral("TTovarCheckForm");

// The demo station's sales lie in March 2024: the list shows its last day,
// the newest sale picked.
void showDemoDay(QDialog& window)
{
    check(window, "rbForPeriod");
    if (auto* date = window.findChild<QDateEdit*>(QStringLiteral("dtpBegDate")))
        date->setDate(QDate(2024, 3, 31));
    if (auto* time = window.findChild<QTimeEdit*>(QStringLiteral("dtpBegTime")))
        time->setTime(QTime(0, 0));
    if (auto* date = window.findChild<QDateEdit*>(QStringLiteral("dtpEndDate")))
        date->setDate(QDate(2024, 3, 31));
    if (auto* time = window.findChild<QTimeEdit*>(QStringLiteral("dtpEndTime")))
        time->setTime(QTime(23, 59, 59));
    press(window, "btnUpdateList");
    pickRow(window, "DocGrid", 1000000); // the first row: the newest sale
}

} // namespace

void DemoTour::runReceipts(HostWindow& window)
{
    const QString caption = QStringLiteral("Товарный чек на ГСМ...");
    QtMenuItem* item = findItem(window.mainMenu(), caption);
    if (!item)
        return;
    const QList<TourStep> steps = {
        {kReceiptWindow,
         [this](QDialog& shown) {
             shown.resize(std::max(shown.width(), 900), std::max(shown.height(), 600));
             showDemoDay(shown);
             settleFor(400);
             save(shown, QStringLiteral("29-receipt-window.png"));
             check(shown, "rbPrintOnPrinter");
             clickLater(shown, "btnPrint");
         }},
        {QStringLiteral("TRptFrm"),
         [this](QDialog& shown) {
             settleFor(500);
             save(shown, QStringLiteral("30-receipt-in-viewer.png"));
             shown.reject();
         }},
        {kReceiptWindow, [](QDialog& shown) { clickLater(shown, "btnEditTovarCheck"); }},
        {QStringLiteral("TTovCheckOnVidOplForm"),
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("31-receipt-template-settings.png"));
             clickLater(shown, "bbAll");
         }},
        {QStringLiteral("TDocCnfForm"),
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("32-receipt-template-editor.png"));
             pressCaption(shown, QStringLiteral("Применить"));
         }},
        {QStringLiteral("TTovCheckOnVidOplForm"), [](QDialog& shown) { clickLater(shown, "BitBtn1"); }},
        {kReceiptWindow,
         [](QDialog& shown) {
             check(shown, "rbPrintOnKassa");
             check(shown, "cbPreview");
             if (auto* copies = shown.findChild<QSpinBox*>(QStringLiteral("seCopyCount")))
                 copies->setValue(1);
             clickLater(shown, "btnPrint");
         }},
        {QStringLiteral("TCheckPreviewForm"),
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("33-receipt-preview.png"));
             pressCaption(shown, QStringLiteral("Печатать"));
         }},
        // "Печать товарного чека завершена! ... закрыть данное окно сейчас?": OK closes the window.
        {QStringLiteral("QMessageBox"), [](QDialog& shown) { acceptBox(shown); }},
    };
    const QString failure = runCommand(*item, steps);
    if (!failure.isEmpty()) {
        fail(caption, failure);
        return;
    }
    PrintJournalView* tape = window.journalView();
    QWidget* dock = tape->parentWidget();
    dock->show();
    dock->resize(dock->width(), std::max(dock->height(), 420));
    tape->verticalScrollBar()->setValue(tape->verticalScrollBar()->maximum());
    settleFor(300);
    save(*dock, QStringLiteral("34-receipt-tape.png"));
}

} // namespace velta::host
