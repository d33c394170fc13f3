#include "plugin/menu/ReportMenu.h"

#include "common/Exception.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/menu/Report.h"
#include "plugin/core/VeltaRep.h"

namespace velta::core {

using plugin::MenuItem;

const QString& ReportMenuCaption()
{
    static const QString caption = QStringLiteral("&Журналы/Отчеты");
    return caption;
}

MenuItem* AddMenuItem(const QString& caption, const QString& hint, int helpContext, int index, MenuItem* parent,
                      MenuItem::ClickHandler handler, plugin::TShortCut shortCut)
{
    MenuItem* item = host().newMenuItem(parent, index);
    item->setCaption(caption);
    item->setHint(hint);
    item->setHelpContext(helpContext);
    item->setShortCut(shortCut);
    item->setOnClick(std::move(handler));
    return item;
}

void RegisterItem(MenuItem* item, std::uint8_t setA, std::uint8_t setB)
{
    const auto setState = host().setMenuItemState;
    if (!setState || !item)
        return;
    setState(item, setA, setB == kNoModes ? setA : setB);
}

namespace {

using Handler = void (TReport::*)(MenuItem&);

MenuItem::ClickHandler bind(Handler handler)
{
    return [handler](MenuItem& sender) { (report().*handler)(sender); };
}

template <class Kind>
MenuItem::ClickHandler bind(void (TReport::*handler)(MenuItem&, Kind), Kind kind)
{
    return [handler, kind](MenuItem& sender) { (report().*handler)(sender, kind); };
}

// Items land at index 0, so the catalogue is created from its bottom row up.
MenuItem* addTop(MenuItem* menu, const QString& caption, const QString& hint, int helpContext,
                 MenuItem::ClickHandler handler, plugin::TShortCut shortCut = 0)
{
    return AddMenuItem(caption, hint, helpContext, 0, menu, std::move(handler), shortCut);
}

MenuItem* addSame(MenuItem* menu, const QString& caption, int helpContext, MenuItem::ClickHandler handler)
{
    return addTop(menu, caption, caption, helpContext, std::move(handler));
}

void addSeparatorUnlessTopIsOne(MenuItem* menu)
{
    if (menu->count() > 0 && menu->item(0)->caption() == QStringLiteral("-"))
        return;
    addTop(menu, QStringLiteral("-"), QString(), 0, {});
}

// The keeper item appears on an office workplace or when the host says so; any
// failure of these questions means no item.
bool keeperItemWanted()
{
    try {
        return HostValues::workplaceKind() == 3 || HostValues::showKeeperItem();
    } catch (const Exception&) {
        return false;
    }
}

MenuItem* findOrCreateReportMenu(MenuItem* mainMenu)
{
    MenuItem* found = nullptr;
    for (int i = 0; i < mainMenu->count(); ++i) {
        if (mainMenu->item(i)->caption() == QStringLiteral("&Журналы"))
            found = mainMenu->item(i);
    }
    if (found) {
        found->setCaption(ReportMenuCaption());
        return found;
    }
    const int index = mainMenu->count() > 3 ? 3 : 0;
    return AddMenuItem(ReportMenuCaption(), QString(), 60, index, mainMenu, {});
}

void addLowerRows(MenuItem* menu, PluginState& s)
{
    using R = TReport::ReleaseBy;
    s.discountCardsItem = addSame(menu, QStringLiteral("Общий список дисконтных  карт"), 71, bind(&TReport::DiscountCardsList));
    if (s.isOfficeWorkplace) {
        MenuItem* item = addSame(menu, QStringLiteral("История изменения цен на ГСМ..."), 71, bind(&TReport::PriceHistoryReport));
        RegisterItem(item, kNoModes, kNoModes);
    }
    addSeparatorUnlessTopIsOne(menu);
    addSame(menu, QStringLiteral("Информация по перезагрузкам"), 71, bind(&TReport::ReloadsShiftReport));
    addSame(menu, QStringLiteral("Детализация по убывающим лимитам"), 71, bind(&TReport::PeriodReleaseReport, R::LimitsDetail));
    addSame(menu, QStringLiteral("Текущие остатки по убывающим лимитам"), 71, bind(&TReport::LimitBalancesReport));
    addSame(menu, QStringLiteral("Отчет по мернику"), 71, bind(&TReport::MeterShiftReport));
    if (keeperItemWanted())
        addSame(menu, QStringLiteral("Движение ГСМ по организации-хранителю..."), 71, bind(&TReport::KeeperFuelMovement));
    addSame(menu, QStringLiteral("Товарно-транспортные накладные..."), 71, bind(&TReport::ConsignmentNotes));
    MenuItem* scans = addTop(menu, QStringLiteral("Отсканированные документы..."),
                             QStringLiteral("Открывает перечень отсканированных документов"), 71, bind(&TReport::ScannedDocuments));
    RegisterItem(scans, kNoModes, kNoModes);

    const std::pair<const char*, std::pair<int, R>> periodRows[] = {
        {"Отпуск по водителю за период", {71, R::Driver}},
        {"Отпуск по автомобилю за период", {73, R::Car}},
        {"Отпуск по контрагенту за период", {71, R::Contragent}},
        {"Отпуск по ведомости за период", {73, R::Statement}},
    };
    for (const auto& [caption, row] : periodRows)
        s.periodItems.append(addSame(menu, QString::fromUtf8(caption), row.first, bind(&TReport::PeriodReleaseReport, row.second)));
    s.periodItems.append(addSame(menu, QStringLiteral("Сменный отчет по контрагенту"), 71, bind(&TReport::ContragentShiftReport)));
    s.periodItems.append(addSame(menu, QStringLiteral("Сменный отчет по ведомостям"), 73, bind(&TReport::StatementShiftReport)));
    addTop(menu, QStringLiteral("-"), QString(), 0, {});
}

void addUpperRows(MenuItem* menu, PluginState& s)
{
    using F = TReport::FuelMove;
    const QString history = HostValues::hasLoadingRack() ? QStringLiteral("История отпусков по АСН")
                                                         : QStringLiteral("История продаж по ТРК");
    addSame(menu, history, 62, bind(&TReport::SalesHistoryReport));
    addSame(menu, QStringLiteral("Сменный отчет по договорам"), 62, bind(&TReport::ContractsShiftReport));
    addTop(menu, QStringLiteral("Отчеты по картам"), QStringLiteral("Отчеты по отливам по картам"), 0, bind(&TReport::CardsShiftReport));
    s.returnsToTerminalItem = addTop(menu, QStringLiteral("Непроизведенные возвраты на терминал"),
                                     QStringLiteral("Непроизведенные возвраты недоотлитого ГСМ на карты клиентов за смену"), 61,
                                     bind(&TReport::TerminalReturnsShiftReport));
    addTop(menu, QStringLiteral("Отчеты по номерным талонам"), QStringLiteral("Отчеты по отливам по номерным талонам"), 61,
           bind(&TReport::TalonsShiftReport));
    addTop(menu, QStringLiteral("Отчеты по возвратам"), QStringLiteral("Отчеты по актам возвратов"), 0, bind(&TReport::ReturnsShiftReport));
    s.bonusItem = addTop(menu, QStringLiteral("Отчеты по бонусам и скидкам"), QStringLiteral("Сменный отчет по бонусам и скидкам"), 74,
                         bind(&TReport::BonusShiftReport));
    MenuItem* current = addTop(menu, QStringLiteral("Текущий сменный отчет"), QString(), 60, bind(&TReport::CurrentShiftReport), kCtrlF6);
    RegisterItem(current, kNoModes, kAllModes);
    addTop(menu, QStringLiteral("Сменный отчет"), QStringLiteral("Просмотр и печать сменных отчетов"), 60, bind(&TReport::ShiftReport), kCtrlF5);
    if (HostValues::hostVersion() >= 10.0) {
        MenuItem* transfer = addTop(menu, QStringLiteral("Перекачка топлива"),
                                    QStringLiteral("Отчет по перекачке топлива из резервуара в резервуар"), 6,
                                    bind(&TReport::FuelJournal, F::Transfers));
        RegisterItem(transfer, kNoModes, kAllModes);
    }
    addTop(menu, QStringLiteral("Сменная откачка топлива"), QStringLiteral("Сменный отчет по откачке топлива из резервуара"), 6,
           bind(&TReport::ShiftFuelJournal, F::PumpOuts));
    addTop(menu, QStringLiteral("Откачка топлива"), QStringLiteral("Отчет по откачке топлива из резервуара"), 6,
           bind(&TReport::FuelJournal, F::PumpOuts));
    addTop(menu, QStringLiteral("Сменное поступление топлива"), QStringLiteral("Сменный отчет по поступлению топлива"), 69,
           bind(&TReport::ShiftFuelJournal, F::Receipts));
    addTop(menu, QStringLiteral("Поступления топлива"), QStringLiteral("Просмотр и печать журнала поступления топлива"), 6,
           bind(&TReport::FuelJournal, F::Receipts), kCtrlF4);
    addSame(menu, QStringLiteral("Товарный чек на ГСМ..."), 71, bind(&TReport::SalesReceipt));
}

} // namespace

void BuildReportMenu(MenuItem* mainMenu)
{
    PluginState& s = state();
    if (host().getValue)
        s.isOfficeWorkplace = HostValues::workplaceKind() == 3;
    if (const auto setState = HostValues::setMenuItemState()) {
        host().setMenuItemState = setState;
        s.hostManagesMenuState = true;
    }
    MenuItem* menu = findOrCreateReportMenu(mainMenu);
    addLowerRows(menu, s);
    addUpperRows(menu, s);
}

} // namespace velta::core
