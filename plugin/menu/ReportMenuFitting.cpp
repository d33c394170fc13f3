#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/core/VeltaRep.h"

#include <QStringList>

namespace velta::core {

using plugin::MenuItem;

namespace {

void addSettingsItems(MenuItem* mainMenu, PluginState& s)
{
    for (int i = 0; i < mainMenu->count(); ++i) {
        MenuItem* settings = mainMenu->item(i);
        if (settings->caption() != QStringLiteral("&Настройка"))
            continue;
        MenuItem* item = AddMenuItem(QStringLiteral("Отчеты"), QStringLiteral("Настройка отчетов"), 69, 0, settings,
                                     [](MenuItem& sender) { report().ReportSettings(sender); });
        RegisterItem(item, kMode1, kMode1);
        s.menuExtrasBuilt = true;
    }
}

std::uint8_t modesWhen(bool allowed)
{
    return allowed ? kAllModes : kNoModes;
}

void registerByRights(const PluginState& s)
{
    if (s.isOfficeWorkplace) {
        RegisterItem(s.bonusItem, kAllModes, kAllModes);
        RegisterItem(s.returnsToTerminalItem, kAllModes, kAllModes);
        RegisterItem(s.discountCardsItem, kAllModes, kAllModes);
        return;
    }
    const std::uint8_t bonus = modesWhen(HostValues::privFlag(6));
    RegisterItem(s.bonusItem, bonus, bonus);
    const std::uint8_t returns = modesWhen(HostValues::privFlag(1) || HostValues::privFlag(2));
    RegisterItem(s.returnsToTerminalItem, returns, returns);
    RegisterItem(s.discountCardsItem, kNoModes, kNoModes);
}

void setShown(MenuItem* item, bool enabled)
{
    item->setEnabled(enabled);
    item->setVisible(enabled);
}

void fitReportMenuItem(MenuItem* item, const PluginState& s)
{
    static const QStringList statementCaptions = {
        QStringLiteral("Сменный отчет по ведомостям"),     QStringLiteral("Сменный отчет по контрагенту"),
        QStringLiteral("Отпуск по ведомости за период"),   QStringLiteral("Отпуск по контрагенту за период"),
        QStringLiteral("Отпуск по автомобилю за период"), QStringLiteral("Отпуск по водителю за период"),
    };
    const QString caption = item->caption();
    if (caption == QStringLiteral("Отчеты по бонусам и скидкам")) {
        if (!HostValues::hasLoadingRack())
            setShown(item, s.isOfficeWorkplace || HostValues::privFlag(6));
    } else if (caption == QStringLiteral("Непроизведенные возвраты на терминал")) {
        if (!HostValues::hasLoadingRack())
            setShown(item, s.isOfficeWorkplace || HostValues::privFlag(1) || HostValues::privFlag(2));
    } else if (statementCaptions.contains(caption) || item->name() == QStringLiteral("VedSep")) {
        setShown(item, s.statementsInUse);
    } else if (caption == QStringLiteral("Текущий сменный отчет")) {
        item->setVisible(false);
    } else if (caption == QStringLiteral("Общий список дисконтных  карт")) {
        setShown(item, s.isOfficeWorkplace);
    } else if (caption == QStringLiteral("Финансовый суточно сменный отчет")) {
        setShown(item, s.isOfficeWorkplace && s.showDayShiftFinReport);
    }
}

// Without the host managing states, the plug-in shows and enables items itself.
void fitDirectly(MenuItem* mainMenu, const PluginState& s)
{
    for (int i = 0; i < mainMenu->count(); ++i) {
        MenuItem* top = mainMenu->item(i);
        if (top->caption() == ReportMenuCaption()) {
            for (int j = 0; j < top->count(); ++j)
                fitReportMenuItem(top->item(j), s);
        } else if (top->caption() == QStringLiteral("&Настройка")) {
            for (int j = 0; j < top->count(); ++j) {
                if (top->item(j)->caption() == QStringLiteral("Отчеты"))
                    setShown(top->item(j), HostValues::privFlag(5));
            }
        }
    }
}

} // namespace

void FitMenuToUser(MenuItem* mainMenu)
{
    PluginState& s = state();
    if (!s.menuExtrasBuilt) {
        if (host().getPrivValue && host().newMenuItem) {
            addSettingsItems(mainMenu, s);
            if (HostValues::privWorkplaceKind() < 3) {
                BuildSalesHistoryShortcuts(mainMenu);
                s.menuExtrasBuilt = true;
            }
        }
        registerByRights(s);
        for (MenuItem* item : std::as_const(s.periodItems))
            RegisterItem(item, modesWhen(s.statementsInUse), modesWhen(s.statementsInUse));
    }
    if (s.hostManagesMenuState)
        return;
    fitDirectly(mainMenu, s);
}

} // namespace velta::core
