#pragma once
// What the host answers the plug-in: the value codes from the configuration,
// menu items, reports, menu item states and the print functions. The plug-in's
// callbacks are plain functions, so one session at a time is the active one
// that they answer for.
#include "common/Variant.h"
#include "host/ConfigPayTypeList.h"
#include "plugin/api/velta_plugin.h"

namespace velta::host {

class HostConfig;
class MenuStateRegistry;
class PrintJournal;
class ReportClient;

class HostSession {
public:
    // reports may be null: the report function then raises an error.
    HostSession(HostConfig& config, PrintJournal& journal, MenuStateRegistry& menuStates, ReportClient* reports);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Makes this session the one the callbacks answer for.
    void activate();
    static HostSession* active();

    // The answers of GetValue and of GetPrivValue (for the current user);
    // an unknown code answers Empty.
    Variant value(int code) const;
    Variant privValue(int code) const;

    HostConfig& config() { return config_; }

    // The callbacks handed to the plug-in.
    static void GetValue(Variant& result, int code, int arg);
    static void GetPrivValue(Variant& result, int code);
    static plugin::MenuItem* NewMenuItem(plugin::MenuItem* parent, int index);
    static void GetReport(QString& text, int reportNo, Variant params);
    static void SetMenuItemState(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB);
    // Code 22: kind 2 prints on the cash register, any other on the printer.
    static void PrintRoutine(int kind, const QStringList& lines, bool flag);
    // Code 84: the receipt print function, on the cash register.
    static void ReceiptPrint(int a, int b, const QStringList& lines, int c, int d);

private:
    static HostSession& require();

    HostConfig& config_;
    PrintJournal& journal_;
    MenuStateRegistry& menuStates_;
    ReportClient* reports_;
    ConfigPayTypeList payTypes_;
};

} // namespace velta::host
