#pragma once
// What the shift report handlers send to the report engine: the parameter
// array of each report, built from the choice made in the shift list and the
// report's options, with the report number and the viewer's caption. Element
// order and element types are what the engine reads, so each builder states
// them exactly. The options read from the registry are read here too.
#include "common/DateTime.h"
#include "common/ReportContract.h"
#include "common/Variant.h"
#include "plugin/core/contract/ReportArrays.h"

#include <QString>

namespace velta::core {

// The shift list's answer: the chosen shifts (OK) or the current shift.
struct ShiftChoice {
    bool current = false;     // the current-shift result rather than OK
    int BegShift = 0;
    int EndShift = 0;
    TDateTime BegTime = 0;
    TDateTime EndTime = 0;
    int CurShift = 0;         // the host's current shift number
    QString CurrentSmNum;     // "SmNum" of the record the list stands on, as text
    QString CurrentOperator;  // "Operator" of that record
    QString BegShiftOperator; // "Operator" of the shift BegShift; empty when not in the log
};

// A report to produce: its number, its parameters and the viewer's caption.
struct ShiftReportRequest {
    int reportNo = 0;
    Variant params;
    QString caption;
};

// The shift report's options, gathered once per choice.
using report::ShiftReportSettings;
// Reads them: the composition from cnf.ini, "VedomRep" (4), the department
// path, the station value and the workplace.
ShiftReportSettings ReadShiftReportSettings();
// Report 45 for the choice: BegShift, EndShift (Int32; the current shift as
// two 8-bit -1), Composition, the station value, RoundRVal, DepartmentPath,
// the office mark, Flags, SiloReportSortField, Codes.
ShiftReportRequest ShiftReportRequestFor(const ShiftChoice& choice, const ShiftReportSettings& settings);
// Report 45 of the current shift without a list: the same without Codes (9).
ShiftReportRequest CurrentShiftReportRequest(const ShiftReportSettings& settings);

// "BonusRep": payment types, empty types, the all-types line and two totals.
struct BonusRepSettings {
    Variant Flags;
    bool NullStr = false;
    bool CBAllVO = false;
    bool ShowGSMItog = true;
    bool ShowSubVidoplItog = true;
    Variant Codes;
};
BonusRepSettings ReadBonusRepSettings();
ShiftReportRequest BonusShiftReportRequest(const ShiftChoice& choice, const BonusRepSettings& settings);

// "BackRep": payment types and the option bits (NullStr adds 1).
struct BackRepSettings {
    Variant Flags;
    int Options = 0;
    Variant Codes;
};
BackRepSettings ReadBackRepSettings();
// codesExtension: the engine answered "OK" to selector 14, so the codes go
// along as a second element.
ShiftReportRequest ReturnsShiftReportRequest(const ShiftChoice& choice, const BackRepSettings& settings,
                                             const Variant& stationValue, int workplaceKind, bool codesExtension);

// Flags and Codes of "DogovorRep" (8), "TalonRep" (9), "VedomRep" (4) and "VedomProp" (4) go in as read.
ShiftReportRequest ContractsShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes);
ShiftReportRequest TerminalReturnsShiftReportRequest(const ShiftChoice& choice);
ShiftReportRequest StatementShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes);
ShiftReportRequest TalonsShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes);

// The statements caption: the name of payment type position 4 in quotes (an
// empty name when there are fewer than five payment types).
QString StatementShiftReportCaption(const Variant& payTypeNames);
// The name of payment type position 4 (the statements), empty when the host
// has fewer than five payment types.
QString StatementPayTypeName(const Variant& payTypeNames);

// What the statement parameters window gave the contragent report.
struct ContragentChoice {
    QString Name;
    bool ByDrivers = false;
    bool ByCars = false;
    bool DriverFirst = true;
};
ShiftReportRequest ContragentShiftReportRequest(const ShiftChoice& choice, const ContragentChoice& contragent,
                                                const Variant& flags, const Variant& codes);

// "CardRep": payment types and the discount sales mark.
struct CardRepSettings {
    Variant Flags;
    bool LogTranDsc = false;
    Variant Codes;
};
CardRepSettings ReadCardRepSettings();
// The card field's text as the engine takes it: every "*" becomes "%".
QString CardMaskOf(const QString& cardText);
ShiftReportRequest CardsShiftReportRequest(const ShiftChoice& choice, const CardRepSettings& settings,
                                           const QString& cardMask);

// The service report's shift selectors.
ShiftReportRequest ReloadsShiftReportRequest(const ShiftChoice& choice);
ShiftReportRequest MeterShiftReportRequest(const ShiftChoice& choice);

} // namespace velta::core
