#pragma once
// The readable shortcuts of the report command: the parameter arrays of the
// shift report (45) and of the period releases (11, 12, 13, 53) in the element
// order and types the plug-in sends them, built from the station's own data.
#include "common/DateTime.h"
#include "common/Variant.h"
#include "plugin/core/contract/ReportArrays.h"
#include "plugin/core/contract/ShiftComposition.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace velta::station {

// Every payment type of the station: Flags (one 1 per position, Int32) and
// Codes (the codes in position order, Int32).
struct StationPayTypes {
    Variant flags;
    Variant codes;
};
// From rows of (code, position) as text.
StationPayTypes payTypesFromRows(const QVector<QStringList>& rows);
QString payTypesSql();

// The shift report's composition from [SmenaRep] of a cnf.ini, as the
// plug-in's shift list sends it. A station whose cnf.ini was never written
// (nobody logged on with the plug-in yet) has the first log-on defaults.
struct ShiftComposition : report::ShiftComposition {
    bool defaults = false; // the file was missing: the defaults were used
};
ShiftComposition readShiftComposition(const QString& cnfFile);

using report::ShiftRange;
// Report 45 of the shifts with the composition, station value 1, no
// department path, not the office, and every payment type of the station.
Variant shiftReportParams(const ShiftRange& shifts, const ShiftComposition& composition, const StationPayTypes& pay);

// "1000-1005" or "1003"; raises Exception otherwise or when first > last.
ShiftRange parseShiftRange(const QString& text);
// The shifts opened on a day ("YYYY-MM-DD"): the query of their first and last number.
QString shiftsOfDaySql(const QString& day);

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM[:SS]"; raises Exception otherwise.
TDateTime parseCommandDateTime(const QString& option, const QString& text);

using report::ReleaseKind;
std::optional<ReleaseKind> releaseKindOf(const QString& word);

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
// The array of the period release (report::periodReleaseArray).
Variant periodReleaseParams(const PeriodRelease& release, const StationPayTypes& pay);

} // namespace velta::station
