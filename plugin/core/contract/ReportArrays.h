#pragma once
// The parameter arrays of the shift report (45) and of the period releases
// (11, 12, 13, 53), element by element as the report engine reads them. The
// plug-in's menu and the station's report command both build them here.
#include "common/DateTime.h"
#include "common/ReportContract.h"
#include "common/Variant.h"

#include <QString>

namespace velta::report {

// The shift report's options that go into its array.
struct ShiftReportSettings {
    Variant Composition;
    Variant StationValue;
    int RoundRVal = 0;
    QString DepartmentPath;
    bool IsOfficeWorkplace = false;
    Variant Flags;
    int SiloReportSortField = 0;
    Variant Codes;
};

// The chosen shifts, or the current one.
struct ShiftRange {
    bool current = false;
    int first = 0;
    int last = 0;
};

// Report 45: BegShift, EndShift (Int32; the current shift as two 8-bit -1),
// Composition, the station value, RoundRVal, DepartmentPath, the office mark,
// Flags, SiloReportSortField and, withCodes, Codes.
Variant shiftReportArray(const ShiftRange& shifts, const ShiftReportSettings& settings, bool withCodes = true);

enum class ReleaseKind { Statement, Contragent, Car, Driver };
int periodReleaseReportNo(ReleaseKind kind);

// What the statement parameters window gives a period release.
struct PeriodReleaseChoice {
    TDateTime Begin = 0;
    TDateTime End = 0;
    QString Contragent; // the client
    QString Detail;     // the car (car release) or the driver (driver release)
    bool ByDrivers = false;
    bool ByCars = false;
    bool DriverFirst = true;
};

// The arrays of the period releases:
//   statement  (4) Begin, End (Double), Flags, Codes
//   contragent (8) Begin, End (Date), name, by drivers, by cars, false, Flags, Codes
//              (7) ... true, Flags   when drivers come first (the older form)
//   car, driver (6) Begin, End (Date), contragent, car or driver, Flags, Codes
Variant periodReleaseArray(ReleaseKind kind, const PeriodReleaseChoice& choice, const Variant& flags,
                           const Variant& codes);

} // namespace velta::report
