#pragma once
// The per-shift reports of events beside the sales: return acts (34), terminal
// returns not made yet (19), measuring-can checks (report 35, selector 10) and
// equipment restarts (report 35, selector 11).
#include "station/reports/core/ReportContext.h"
#include "station/reports/core/ReportParams.h"

#include <QString>
#include <QVector>

namespace velta::station {

// A return act (BACKACT): a dose paid for and not poured in full.
struct ReturnAct {
    int number = 0;
    QString time;
    int shift = 0;
    QString dispenser;
    QString fuel;
    double ordered = 0;
    double returned = 0;
    double price = 0;
    double sum = 0;
    int payType = 0;
    QString card;
    QString operatorName;
};

// The acts of the shifts first..last whose refund to a terminal-paid card is
// not made yet, in time order; at most limit of them.
QVector<ReturnAct> unmadeTerminalReturns(StationDatabase& db, int firstShift, int lastShift, int limit);

// An equipment restart as the restart log (RELOADLOG) keeps it.
struct ReloadEvent {
    QString time;
    int shift = 0;
    QString device;
    QString reason;
    QString operatorName;
};

// The restarts logged between from and to (SQL timestamps, both taken in), in
// time order; at most limit of them.
QVector<ReloadEvent> reloadEvents(StationDatabase& db, const QString& from, const QString& to, int limit);

ReportDocument returnsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument terminalReturnsShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument meterShiftReport(const ReportContext& context, const ReportParams& params);
ReportDocument reloadsShiftReport(const ReportContext& context, const ReportParams& params);

} // namespace velta::station
