#pragma once
// ReportFormats: the report settings of cnf.ini the engine obeys, read once
// per report: decimals of fuel quantities, the decimal and digit-group
// separators of report numbers, the shift report's tank options and the
// limits that stop a report from growing without bound.
#include "station/reports/core/ReportDocument.h"

#include "common/FormatSettings.h"

#include <QString>

namespace velta::station {

struct ReportFormats {
    // [Reports] DecL/DecKg: decimals of litres and kilograms in the financial
    // report; DecL2/DecKg2: in every other report.
    int decL = 2;
    int decKg = 2;
    int decL2 = 2;
    int decKg2 = 2;
    // [Misc] RepSmType: 0 sums as sold, otherwise computed from litres.
    int repSmType = 0;
    // [SmenaRep] SiloReportSortField: 0 tanks by number, 1 by fuel name.
    int siloReportSortField = 0;
    // [SmenaRep] RoundRVal, read as an integer: 0 (the settings window's
    // "round to whole litres" ticked) rounds tank volumes, non-zero keeps
    // their decimals. The shift report takes it from its parameters.
    int roundRVal = 0;
    bool finPrcDelim = false; // [Reports] FinPrcDelim: fuels split by price
    bool rezGrGSM = false;    // [Reports] RezGrGSM: tank volumes grouped by fuel
    bool repeatHead = true;   // [Reports] RepeatH
    ReportLimits limits;
    // Separators and nothing else differ from the system settings.
    TFormatSettings numbers = TFormatSettings::systemDefaults();

    // The settings of the cnf.ini of this machine (the Windows folder's).
    static ReportFormats fromCnfIni();
    static ReportFormats fromFile(const QString& cnfIniPath);

    // Numbers with digit groups: litres and kilograms with DecL2/DecKg2
    // decimals (or the given ones), money and prices with two.
    QString litres(double value) const { return fixed(value, decL2); }
    QString kilograms(double value) const { return fixed(value, decKg2); }
    QString money(double value) const { return fixed(value, 2); }
    QString fixed(double value, int decimals) const;
};

} // namespace velta::station
