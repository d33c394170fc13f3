#pragma once
// The plug-in's process-wide state and the logic behind its exports: the host
// callbacks, the Report object, the payment types and the menu bookkeeping,
// alive from load to unload.
#include "common/Variant.h"
#include "plugin/api/velta_plugin.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace velta::core {

// The object that owns the menu's handlers, made by the menu when it is built
// and kept here so that it lives until unload.
class ReportHandlers {
public:
    virtual ~ReportHandlers() = default;
};
class TDBFrm;

// The default payment type names (positions 0 to 12) used when the host gives none.
QStringList DefaultPayTypeNames();

struct PluginState {
    PluginState();
    ~PluginState();
    PluginState(PluginState&&) noexcept;
    PluginState& operator=(PluginState&&) noexcept;

    std::uintptr_t applicationHandle = 0;
    std::unique_ptr<ReportHandlers> report;
    std::unique_ptr<TDBFrm> dataModule;

    bool hostManagesMenuState = false;
    bool isOfficeWorkplace = false;
    bool showDayShiftFinReport = false;
    bool menuExtrasBuilt = false;
    bool statementsInUse = true;

    Variant payTypeNames; // strings, index = position; Empty when unassigned
    Variant payTypeTable; // rows [name, code text, code mod 100 text, attribute]
    int payTypeCount = 0;

    QList<plugin::MenuItem*> periodItems;
    plugin::MenuItem* bonusItem = nullptr;
    plugin::MenuItem* returnsToTerminalItem = nullptr;
    plugin::MenuItem* discountCardsItem = nullptr;
    QString stationDeviceWord;
    Variant stationConfig; // the answer of GetAZSConfig, kept until unload
};

PluginState& state();
// Load and unload of the library: the logger is made at start-up; at shut-down
// the data module, the Report object, the logger and the payment types go.
void StartUp();
void ShutDown();
// Puts the state (and the host callbacks) back as they are at load. For tests.
void ResetPluginState();

// The exports' logic.
void DoSetGetValue(plugin::GetValueFn getValue);

// Reloads the payment types from the host; never raises.
void UpdateVidOpl();
// Runs UpdateVidOpl on an office workplace (the first step of most handlers).
void UpdateVidOplIfOffice();

// The registry key (HKLM) of one kind of report options:
// "SOFTWARE\Kastelmark\Velta\Reports\" + keyName.
QString ReportOptionsKey(const QString& keyName);
// Column 1 of a payment type: its code as decimal text.
QString PayTypeCodeText(int position);
// The flags (PayTypeCount Int32 elements) of the payment types chosen under
// HKLM "SOFTWARE\Kastelmark\Velta\Reports\" + keyName; without the key only
// defaultPos is set (when it names a payment type).
Variant ReadPayTypeFlags(const QString& keyName, int defaultPos);
// The codes (Int32) of the positions whose flag equals 1, in position order.
Variant SelectedPayTypeCodes(const Variant& flags);

} // namespace velta::core
