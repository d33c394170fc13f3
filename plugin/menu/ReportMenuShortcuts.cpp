#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/DCOMConnection.h"

namespace velta::core {

using plugin::MenuItem;

namespace {

StationConfigSource& configSource()
{
    static StationConfigSource source;
    return source;
}

MenuItem* findByName(MenuItem* parent, const QString& name)
{
    for (int i = 0; i < parent->count(); ++i) {
        if (parent->item(i)->name() == name)
            return parent->item(i);
    }
    return nullptr;
}

// An invisible shortcut item under the sales history item; an item of that
// name left by an earlier, failed attempt is kept as it is.
void addShortcutItem(MenuItem* parent, const QString& caption, const QString& name, plugin::TShortCut shortCut)
{
    if (findByName(parent, name))
        return;
    MenuItem* item = AddMenuItem(caption, QString(), 0, -1, parent,
                                 [](MenuItem& sender) { report().OpenSalesHistory(sender); }, shortCut);
    item->setName(name);
    item->setVisible(false);
}

} // namespace

const QString& SalesHistoryCaption()
{
    static const QString caption = QStringLiteral("История продаж");
    return caption;
}

QChar SalesHistoryKey(int position)
{
    static const QString letters = QStringLiteral("QWERTYUIOPASDF");
    if (position >= 1 && position <= 9)
        return QString::number(position).at(0);
    if (position == 10)
        return QLatin1Char('0');
    if (position >= 11 && position <= 24)
        return letters.at(position - 11);
    return QChar();
}

void SetStationConfigSource(StationConfigSource source)
{
    configSource() = std::move(source);
}

Variant FetchStationConfig()
{
    if (configSource())
        return configSource()();
    // The data module's connection when there is one, else one of our own
    // that chooses the server's computer the same way.
    TDCOMConnection own;
    TDCOMConnection* connectionPtr = &own;
    if (state().dataModule) {
        connectionPtr = &state().dataModule->VeltaServer;
    } else {
        own.SetServerName(QString::fromLatin1(kVeltaServerName));
        own.SetServerGUID(QString::fromLatin1(kVeltaServerGUID));
        own.BeforeConnect = [](TDCOMConnection& sender) {
            const Variant station = HostValues::privValue(11);
            if (station.isEmptyOrNull() || !HostValues::isOrdinal(station) || station.toInt64() != 1)
                sender.SetComputerName(HostValues::privValue(13).toString());
        };
    }
    TDCOMConnection& connection = *connectionPtr;
    try {
        connection.SetConnected(true);
        Variant config = connection.GetAZSConfig();
        connection.Close();
        return config;
    } catch (...) {
        connection.Close();
        throw;
    }
}

void BuildSalesHistoryShortcuts(MenuItem* mainMenu)
{
    // A failed attempt at an earlier log-on left the item: it is used again.
    MenuItem* history = findByName(mainMenu, QStringLiteral("SecretItem00"));
    if (!history) {
        history = AddMenuItem(SalesHistoryCaption(), QString(), 0, -1, mainMenu, {});
        history->setName(QStringLiteral("SecretItem00"));
        history->setVisible(false);
    }

    PluginState& s = state();
    s.stationConfig = FetchStationConfig();
    if (s.stationConfig.isEmptyOrNull())
        return;
    const Variant& devices = s.stationConfig.at(3);
    for (int index = 0; index < devices.arrayCount(); ++index) {
        const QString device = devices.at(index).at(0).toString();
        const QChar key = SalesHistoryKey(index + 1);
        const plugin::TShortCut altKey = key.isNull() ? 0 : plugin::shortCut(key.unicode(), plugin::scAlt);
        addShortcutItem(history, s.stationDeviceWord + QStringLiteral(" #") + device,
                        QStringLiteral("SecretItem") + QString::number(index), altKey);
        if (key.isDigit())
            addShortcutItem(history, s.stationDeviceWord + QStringLiteral(" №") + device,
                            QStringLiteral("SecretItem_") + QString::number(index),
                            plugin::shortCut(key.unicode() + 48, plugin::scAlt));
    }
}

} // namespace velta::core
