#pragma once
// The readable shortcuts of the report command: the parameter arrays of the
// shift report (45) and of the period releases (11, 12, 13, 53) in the element
// order and types the plug-in sends them, built from the station's own data.
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace velta::station {

inline constexpr int kShiftReportNo = 45;
inline constexpr int kStatementPeriodReportNo = 11;
inline constexpr int kContragentPeriodReportNo = 12;
inline constexpr int kCarPeriodReportNo = 13;
inline constexpr int kDriverPeriodReportNo = 53;

// Every payment type of the station: Flags (one 1 per position, Int32) and
// Codes (the codes in position order, Int32).
struct StationPayTypes {
    Variant flags;
    Variant codes;
};
// From rows of (code, position) as text.
StationPayTypes payTypesFromRows(const QVector<QStringList>& rows);
QString payTypesSql();

// The shift report's composition from [SmenaRep] of a cnf.ini: entries
// (position, kind, template path) sorted by position, the last element left
// unassigned, as the plug-in's shift list sends it. Bare template names get
// the forms folders, "S:\" paths are read from "C:\".
struct ShiftComposition {
    Variant composition;
    int roundRVal = 0;
    int siloReportSortField = 0;
};
// Raises Exception when the file does not exist (the composition lives there).
ShiftComposition readShiftComposition(const QString& cnfFile);

// Report 45: BegShift, EndShift (Int32; the current shift as two 8-bit -1),
// composition, station value 1, RoundRVal, department path "", office mark
// false, Flags, SiloReportSortField, Codes.
struct ShiftRange {
    bool current = false;
    int first = 0;
    int last = 0;
};
Variant shiftReportParams(const ShiftRange& shifts, const ShiftComposition& composition, const StationPayTypes& pay);

// "1000-1005" or "1003"; raises Exception otherwise or when first > last.
ShiftRange parseShiftRange(const QString& text);
// The shifts opened on a day ("YYYY-MM-DD"): the query of their first and last number.
QString shiftsOfDaySql(const QString& day);

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM[:SS]"; raises Exception otherwise.
TDateTime parseCommandDateTime(const QString& option, const QString& text);

enum class ReleaseKind { Statement, Contragent, Car, Driver };
std::optional<ReleaseKind> releaseKindOf(const QString& word);
int releaseReportNo(ReleaseKind kind);

struct PeriodRelease {
    ReleaseKind kind = ReleaseKind::Statement;
    TDateTime from = 0;
    TDateTime to = 0;
    QString contragent;   // contragent, car and driver kinds
    QString detail;       // the car (car kind) or the driver (driver kind)
    bool byDrivers = false;
    bool byCars = false;
    bool driversFirst = false; // contragent kind: the 7-element form without codes
};
// The arrays of the period releases:
//   statement  (4) Begin, End (Double), Flags, Codes
//   contragent (8) Begin, End (Date), name, by drivers, by cars, false, Flags, Codes
//              (7) ... true, Flags   when drivers come first
//   car, driver (6) Begin, End (Date), contragent, car or driver, Flags, Codes
Variant periodReleaseParams(const PeriodRelease& release, const StationPayTypes& pay);

} // namespace velta::station
