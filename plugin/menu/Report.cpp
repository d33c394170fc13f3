#include "plugin/menu/Report.h"

#include "common/Exception.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/selection/ChoosePeriodFrm.h"
#include "plugin/settings/RepPropForm.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/window/ShowReport.h"

namespace velta::core {

TReport& report()
{
    return static_cast<TReport&>(*state().report);
}


using plugin::MenuItem;

void RaiseCommandNotAvailable(const QString& caption)
{
    QString name = caption;
    name.remove(QLatin1Char('&'));
    throw Exception(QStringLiteral("Команда \"%1\" пока недоступна").arg(name));
}

QString DispenserNameFromCaption(const QString& caption)
{
    QString name = caption.mid(5);
    const qsizetype amp = name.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        name.remove(amp, 1);
    return name;
}

// Handlers that start by reloading the payment types on an office workplace.
void TReport::SalesReceipt(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::FuelJournal(MenuItem& sender, FuelMove)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::ShiftFuelJournal(MenuItem& sender, FuelMove)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::SalesHistoryReport(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::PeriodReleaseReport(MenuItem& sender, ReleaseBy)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::KeeperFuelMovement(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::LimitBalancesReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    QString text;
    RunReport(kServiceReport, Variant(Variant::Array{Variant(std::uint8_t(kSelectorLimitBalances))}), text);
    QString html;
    RunReport(kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, QStringLiteral("ТЕКУЩИЕ ОСТАТКИ ПО УБЫВАЮЩИМ ЛИМИТАМ"));
}

void TReport::PriceHistoryReport(MenuItem&)
{
    UpdateVidOplIfOffice();
    // The period chooser comes back after each report until it is cancelled.
    TDateTime begin = 0;
    TDateTime end = 0;
    while (selection::ChoosePeriod(begin, end)) {
        QString text;
        RunReport(kServiceReport,
                  Variant(Variant::Array{Variant(kSelectorPriceHistory), Variant::fromDate(begin), Variant::fromDate(end)}),
                  text);
        QString html;
        RunReport(kLastReportHtml, Variant(Variant::Array{}), html);
        viewer::ShowReport(text, html, QStringLiteral("ИСТОРИЯ ИЗМЕНЕНИЯ ЦЕН НА ГСМ"));
    }
}

void TReport::DiscountCardsList(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::ReportSettings(MenuItem&)
{
    UpdateVidOplIfOffice();
    settings::ShowReportSettings(currentDialogs());
}

void TReport::OpenSalesHistory(MenuItem& sender)
{
    UpdateVidOplIfOffice();
    RaiseCommandNotAvailable(QStringLiteral("История продаж: ") + DispenserNameFromCaption(sender.caption()));
}

// The scanned documents and the consignment notes do not reload the payment
// types first.
void TReport::ScannedDocuments(MenuItem& sender)
{
    RaiseCommandNotAvailable(sender.caption());
}

void TReport::ConsignmentNotes(MenuItem& sender)
{
    RaiseCommandNotAvailable(sender.caption());
}

} // namespace velta::core
