#pragma once
// The contract between the host program and the reports plug-in
// (libVeltaReports9.so): the four exported entry points, the callbacks the host
// hands over, the menu items both sides share, and the host functions reached
// through value codes. Host and plug-in share libvelta-runtime, so QString and
// Variant cross the boundary as they are; texts are Unicode inside the process
// and become cp1251 only at files and the wire.
#include "common/Variant.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace velta::plugin {

// A keyboard shortcut in the framework's TShortCut form: the virtual key code
// in the low byte, modifier bits above it.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut vkF1 = 0x70; // vkF1 + n - 1 is Fn, up to F24
inline constexpr TShortCut shortCut(int virtualKey, TShortCut modifiers = 0)
{
    return static_cast<TShortCut>((virtualKey & 0xFF) | modifiers);
}

// A menu item of the host's menu. The host owns every item and creates new ones
// on the plug-in's request (NewMenuItemFn); the plug-in reads and sets their
// properties and click handlers and walks their children.
class MenuItem {
public:
    using ClickHandler = std::function<void(MenuItem& sender)>;

    virtual ~MenuItem() = default;

    virtual QString caption() const = 0;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString hint() const = 0;
    virtual void setHint(const QString& hint) = 0;
    virtual int helpContext() const = 0;
    virtual void setHelpContext(int context) = 0;
    virtual TShortCut shortCut() const = 0;
    virtual void setShortCut(TShortCut shortCut) = 0;
    virtual QString name() const = 0;
    virtual void setName(const QString& name) = 0;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;

    // The click handler; an empty handler means none.
    virtual void setOnClick(ClickHandler handler) = 0;
    virtual bool hasOnClick() const = 0;
    // Runs the click handler as the host does when the user picks the item.
    virtual void click() = 0;

    virtual int count() const = 0;
    virtual MenuItem* item(int index) const = 0;
    virtual MenuItem* parent() const = 0;
};

// Host callbacks. GetValue and GetPrivValue fill Result for a numbered question
// (separate code spaces; Arg is always 0); a question the host cannot answer
// may raise an exception of the velta::Exception family.
using GetValueFn = void (*)(Variant& result, int code, int arg);
using GetPrivValueFn = void (*)(Variant& result, int code);
// Creates a child menu item of Parent at Index (-1 or past the end: appended).
using NewMenuItemFn = MenuItem* (*)(MenuItem* parent, int index);
// The report function: Text receives the report of ReportNo for Params.
using GetReportFn = void (*)(QString& text, int reportNo, Variant params);

// Host functions whose addresses the host answers as integers.
// Code 85 (GetValue): registers a menu item's availability with two one-byte sets.
using SetMenuItemStateFn = void (*)(MenuItem* item, std::uint8_t setA, std::uint8_t setB);
// Code 22 (GetPrivValue): the older print routine: (kind, lines, flag); the
// viewer passes 4 for report text, the receipt window 2.
using HostPrintRoutineFn = void (*)(int kind, const QStringList& lines, bool flag);
// Code 84 (GetValue): the receipt print function with five arguments, called
// as (0, 2, lines, 1, 1).
using HostReceiptPrintFn = void (*)(int a, int b, const QStringList& lines, int c, int d);

// Code 57 (GetValue): the host's payment type list, answered as the integer
// value of a PayTypeList pointer (a string answer means the host has none).
class PayTypeList {
public:
    struct Entry {
        int code = 0;
        QString name;
        std::uint8_t attribute = 0;
        bool enabled = true;
    };
    virtual ~PayTypeList() = default;
    virtual int count() const = 0;
    virtual Entry entry(int index) const = 0;
};

// Host functions travel through Variants as integers; these turn them back.
template <class Fn>
Fn functionFromValue(const Variant& value)
{
    return reinterpret_cast<Fn>(static_cast<std::uintptr_t>(value.toInt64()));
}
template <class Fn>
Variant valueFromFunction(Fn fn)
{
    return Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(fn)));
}

// Names of the exports, for dlsym.
inline constexpr char kSetGetValue[] = "SetGetValue";
inline constexpr char kInitReportMenu[] = "InitReportMenu";
inline constexpr char kSetNewUserPriv[] = "SetNewUserPriv";
inline constexpr char kUpdateVidOpl[] = "UpdateVidOpl";

using SetGetValueExport = void (*)(GetValueFn getValue);
using InitReportMenuExport = void (*)(std::uintptr_t applicationHandle, MenuItem* mainMenu,
                                      NewMenuItemFn newMenuItem, GetReportFn getReport);
using SetNewUserPrivExport = void (*)(MenuItem* mainMenu, GetPrivValueFn getPrivValue);
using UpdateVidOplExport = void (*)();

} // namespace velta::plugin

// The exports of the plug-in library, called by the host in this order:
// SetGetValue, InitReportMenu (once), SetNewUserPriv (at each log-on),
// UpdateVidOpl (whenever its payment types change). An exception leaving them
// reaches the host, which shows its message.
extern "C" {
__attribute__((visibility("default"))) void SetGetValue(velta::plugin::GetValueFn getValue);
__attribute__((visibility("default"))) void InitReportMenu(std::uintptr_t applicationHandle,
                                                           velta::plugin::MenuItem* mainMenu,
                                                           velta::plugin::NewMenuItemFn newMenuItem,
                                                           velta::plugin::GetReportFn getReport);
__attribute__((visibility("default"))) void SetNewUserPriv(velta::plugin::MenuItem* mainMenu,
                                                           velta::plugin::GetPrivValueFn getPrivValue);
__attribute__((visibility("default"))) void UpdateVidOpl();
}
