#include "plugin/core/contract/ReportArrays.h"

namespace velta::report {

Variant shiftReportArray(const ShiftRange& shifts, const ShiftReportSettings& settings, bool withCodes)
{
    Variant::Array params(withCodes ? kShiftElementCount : kShiftCodes);
    if (shifts.current) {
        params[kShiftBegShift] = Variant(kCurrentShiftMark);
        params[kShiftEndShift] = Variant(kCurrentShiftMark);
    } else {
        params[kShiftBegShift] = Variant(shifts.first);
        params[kShiftEndShift] = Variant(shifts.last);
    }
    params[kShiftComposition] = settings.Composition;
    params[kShiftStationValue] = settings.StationValue;
    params[kShiftRoundRVal] = Variant(settings.RoundRVal);
    params[kShiftDepartmentPath] = Variant(settings.DepartmentPath);
    params[kShiftOfficeWorkplace] = Variant(settings.IsOfficeWorkplace);
    params[kShiftFlags] = settings.Flags;
    params[kShiftSiloReportSortField] = Variant(settings.SiloReportSortField);
    if (withCodes)
        params[kShiftCodes] = settings.Codes;
    return Variant(std::move(params));
}

int periodReleaseReportNo(ReleaseKind kind)
{
    switch (kind) {
    case ReleaseKind::Statement: return kStatementPeriod;
    case ReleaseKind::Contragent: return kContragentPeriod;
    case ReleaseKind::Car: return kCarPeriod;
    case ReleaseKind::Driver: return kDriverPeriod;
    }
    return kStatementPeriod;
}

Variant periodReleaseArray(ReleaseKind kind, const PeriodReleaseChoice& choice, const Variant& flags,
                           const Variant& codes)
{
    // The statement release takes its period as plain floating-point numbers.
    if (kind == ReleaseKind::Statement)
        return Variant(Variant::Array{Variant(choice.Begin), Variant(choice.End), flags, codes});
    Variant::Array params{Variant::fromDate(choice.Begin), Variant::fromDate(choice.End), Variant(choice.Contragent)};
    if (kind == ReleaseKind::Contragent) {
        params << Variant(choice.ByDrivers) << Variant(choice.ByCars) << Variant(choice.DriverFirst) << flags;
        // Drivers above cars: the engine's older form without the codes.
        if (!choice.DriverFirst)
            params << codes;
        return Variant(std::move(params));
    }
    params << Variant(choice.Detail) << flags << codes;
    return Variant(std::move(params));
}

} // namespace velta::report
