// The demo tour's small journal windows: the fuel movement of a keeper over
// the demo's quarter, the journal of dispenser 1 with its sales history, and
// the discount cards of every station, each with its report in the viewer.
#include "host/DemoTour.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"
#include "host/TourActions.h"

#include <QDateEdit>
#include <QDialog>
#include <QTableView>
#include <QTimeEdit>

namespace velta::host {

using namespace tour;

namespace {

void setDate(QDialog& window, const char* name, QDate date)
{
    auto* edit = window.findChild<QDateEdit*>(QString::fromLatin1(name));
    if (!edit)
        throw EInOutError(QStringLiteral("%1 has no date %2").arg(window.objectName(), QLatin1String(name)));
    edit->setDate(date);
}

void setTime(QDialog& window, const char* name, QTime time)
{
    auto* edit = window.findChild<QTimeEdit*>(QString::fromLatin1(name));
    if (!edit)
        throw EInOutError(QStringLiteral("%1 has no time %2").arg(window.objectName(), QLatin1String(name)));
    edit->setTime(time);
}

} // namespace

void DemoTour::runJournalWindows(HostWindow& window)
{
    const QString keeper = QStringLiteral("TKeeperMoveGSMForm");
    runItem(window, QStringLiteral("Движение ГСМ по организации-хранителю..."),
            {
                {keeper,
                 [this](QDialog& shown) {
                     // The demo's sales and receipts lie in the first quarter of 2024.
                     setDate(shown, "dtpBegDate", QDate(2024, 1, 1));
                     setTime(shown, "dtpBegTime", QTime(0, 0));
                     setDate(shown, "dtpEndDate", QDate(2024, 3, 31));
                     setTime(shown, "dtpEndTime", QTime(23, 59, 59));
                     settleFor(300);
                     save(shown, QStringLiteral("41-keeper-movement.png"));
                     clickLater(shown, "btnOk");
                 }},
                {QStringLiteral("TRptFrm"),
                 [this](QDialog& shown) {
                     widenViewer(shown);
                     save(shown, QStringLiteral("42-keeper-movement-report.png"));
                     shown.reject();
                 }},
                {keeper, [](QDialog& shown) { press(shown, "Button2"); }},
            });

    // The hidden shortcut of the first dispenser (Alt+1) opens its journal.
    const QString journal = QStringLiteral("TfmTRKHistory");
    runItem(window, QStringLiteral("ТРК #1"),
            {
                {journal,
                 [this](QDialog& shown) {
                     shown.resize(std::max(shown.width(), 900), std::max(shown.height(), 560));
                     settleFor(300);
                     // The history covers the newest sales down to the fifth row.
                     if (auto* grid = shown.findChild<QTableView*>(QStringLiteral("DBGrid1")))
                         for (int row = 0; row < 4; ++row)
                             pressKey(*grid, Qt::Key_Down);
                     settleFor(200);
                     save(shown, QStringLiteral("45-dispenser-journal.png"));
                     clickLater(shown, "Button1");
                 }},
                {QStringLiteral("TRptFrm"),
                 [this](QDialog& shown) {
                     widenViewer(shown);
                     save(shown, QStringLiteral("46-dispenser-history.png"));
                     shown.reject();
                 }},
                {journal, [](QDialog& shown) { shown.reject(); }},
            });
}

QList<TourStep> DemoTour::discountCardSteps()
{
    const QString cards = QStringLiteral("TAllDscCardForm");
    return {
        {cards,
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("43-discount-cards.png"));
             clickLater(shown, "BitBtn1");
         }},
        {QStringLiteral("TRptFrm"),
         [this](QDialog& shown) {
             widenViewer(shown);
             save(shown, QStringLiteral("44-discount-cards-report.png"));
             shown.reject();
         }},
        {cards, [](QDialog& shown) { press(shown, "BitBtn2"); }},
    };
}

} // namespace velta::host
