#pragma once
// The report menu: building "&Журналы/Отчеты" from the catalogue of report
// commands, registering items with the host, fitting the menu to the user at
// each log-on, and the hidden sales history shortcuts.
#include "common/Variant.h"
#include "plugin/api/velta_plugin.h"

#include <QString>
#include <cstdint>
#include <functional>

namespace velta::core {

// The one-byte sets passed to SetMenuItemState.
inline constexpr std::uint8_t kNoModes = 0x00;
inline constexpr std::uint8_t kMode1 = 0x02;
inline constexpr std::uint8_t kAllModes = 0x1E;

// Shortcuts of the catalogue.
inline constexpr plugin::TShortCut kCtrlF4 = 16499;
inline constexpr plugin::TShortCut kCtrlF5 = 16500;
inline constexpr plugin::TShortCut kCtrlF6 = 16501;

const QString& ReportMenuCaption();  // "&Журналы/Отчеты"
const QString& SalesHistoryCaption(); // "История продаж"

// Creates an item through the host's NewMenuItem and gives it its properties.
// Index -1 appends.
plugin::MenuItem* AddMenuItem(const QString& caption, const QString& hint, int helpContext, int index,
                              plugin::MenuItem* parent, plugin::MenuItem::ClickHandler handler,
                              plugin::TShortCut shortCut = 0);
// Registers an item with the host's SetMenuItemState (setB empty: setA for
// both); does nothing when the host does not manage menu states.
void RegisterItem(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB = kNoModes);

// Builds the report menu under the main menu (InitReportMenu).
void BuildReportMenu(plugin::MenuItem* mainMenu);
// The one-time extras, the registrations and the direct fitting (SetNewUserPriv).
void FitMenuToUser(plugin::MenuItem* mainMenu);

// The key of the sales history shortcut at 1-based position n: '1'..'9', '0',
// then "QWERTYUIOPASDF"; a null character past the 24th position.
QChar SalesHistoryKey(int position);
// Adds (or reuses) the hidden "История продаж" item and its dispenser shortcuts.
void BuildSalesHistoryShortcuts(plugin::MenuItem* mainMenu);

// Where the station configuration (GetAZSConfig) comes from: by default a
// connection of its own to the station server, opened and closed per call.
using StationConfigSource = std::function<Variant()>;
void SetStationConfigSource(StationConfigSource source); // empty: the default
Variant FetchStationConfig();

} // namespace velta::core
