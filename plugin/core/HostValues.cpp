#include "plugin/core/HostValues.h"

#include "common/Exception.h"
#include "plugin/core/HostContext.h"

namespace velta::core::HostValues {

Variant value(int code)
{
    Variant result;
    if (host().getValue)
        host().getValue(result, code, 0);
    return result;
}

Variant privValue(int code)
{
    Variant result;
    if (host().getPrivValue)
        host().getPrivValue(result, code);
    return result;
}

bool isOrdinal(const Variant& v)
{
    switch (v.type()) {
    case VarType::Int8:
    case VarType::Byte:
    case VarType::Int16:
    case VarType::Word:
    case VarType::Int32:
    case VarType::UInt32:
    case VarType::Int64:
    case VarType::Boolean:
        return true;
    default:
        return false;
    }
}

namespace {

// A host function answered as an integer address; 0 or a non-ordinal answer is none.
template <class Fn>
Fn functionAnswer(const Variant& answer)
{
    if (!isOrdinal(answer) || answer.toInt64() == 0)
        return nullptr;
    return plugin::functionFromValue<Fn>(answer);
}

} // namespace

int workplaceKind()
{
    return value(46).toInt();
}

bool hasLoadingRack()
{
    try {
        const Variant v = value(80);
        return !v.isEmptyOrNull() && v.toBool();
    } catch (const Exception&) {
        return false;
    }
}

bool showKeeperItem()
{
    return value(89).toBool();
}

double hostVersion()
{
    const Variant v = value(101);
    if (v.isString() || v.isEmptyOrNull())
        return 9.0;
    return v.toDouble();
}

plugin::SetMenuItemStateFn setMenuItemState()
{
    return functionAnswer<plugin::SetMenuItemStateFn>(value(85));
}

plugin::PayTypeList* payTypeList()
{
    const Variant v = value(57);
    if (v.isString() || !isOrdinal(v) || v.toInt64() == 0)
        return nullptr;
    return reinterpret_cast<plugin::PayTypeList*>(static_cast<std::uintptr_t>(v.toInt64()));
}

QString stationName()
{
    try {
        const QString name = value(13).toString();
        if (!name.isEmpty())
            return name;
    } catch (const Exception&) {
    }
    return QStringLiteral("АЗС");
}

QString reportServerComputer()
{
    return value(7).toString();
}

QString operatorName()
{
    return value(2).toString();
}

QString organisationName()
{
    return value(35).toString();
}

int reportPrologueValue()
{
    return value(56).toInt();
}

plugin::HostReceiptPrintFn receiptPrintFunction()
{
    return functionAnswer<plugin::HostReceiptPrintFn>(value(84));
}

bool mayTakeCurrentShift()
{
    return privFlag(0);
}

bool printStraightToDevice()
{
    return privFlag(8);
}

bool printThroughHost()
{
    return privFlag(9) && privFlag(10);
}

plugin::HostPrintRoutineFn hostPrintRoutine()
{
    return functionAnswer<plugin::HostPrintRoutineFn>(privValue(22));
}

Variant stationValue()
{
    return privValue(11);
}

int currentShiftNumber()
{
    return privValue(12).toInt();
}

QString stationServerComputer()
{
    return privValue(13).toString();
}

bool privFlag(int code)
{
    return privValue(code).toBool();
}

unsigned privWorkplaceKind()
{
    return static_cast<unsigned>(privValue(15).toInt64());
}

Variant privPayTypeNames()
{
    return privValue(19);
}

} // namespace velta::core::HostValues
