#pragma once
// Look-ups the reports share: the span of shifts or time a report covers (the
// open shift for the current-shift forms), a period read from a report's
// parameters, timestamps passed to and read from Firebird as text (so no time
// zone is ever applied), exact amounts, IN lists and contragents by name.
#include "common/DateTime.h"
#include "station/reports/core/PaymentTypes.h"
#include "station/reports/core/ReportDocument.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <cstdint>
#include <optional>

namespace velta::station {

class StationDatabase;
class ReportParams;

// What a report covers: a range of shifts, the open shift, or a time span.
struct ReportSpan {
    enum class Kind { Shifts, Period };
    Kind kind = Kind::Shifts;
    int firstShift = 0;
    int lastShift = 0;
    // Bounds as bound into SQL ("yyyy-MM-dd hh:mm:ss.zzz"); for shifts the
    // start of the first and the end of the last (empty while open).
    QString from;
    QString to;
    bool open = false;
    // The operator of a single shift (shown in the head line).
    QString operatorName;
    // The operators of the shifts in order, each once.
    QStringList operators;

    // Whether the shift log knows any of the shifts.
    bool found() const { return !from.isEmpty(); }
    // The end bound into SQL: an open span runs to the far future.
    QString sqlTo() const { return open || to.isEmpty() ? QStringLiteral("9999-12-31 00:00:00.000") : to; }
    // "01.01.2024 08:00 - 01.01.2024 19:58" ("... - смена открыта" while open).
    QString bounds() const;
    // "Смена №1005 (01.01.2024 08:00 - 01.01.2024 19:58), оператор ..." and the like.
    QString describe() const;
};

// The range of shifts first..last with their bounds from the shift log.
ReportSpan shiftSpan(StationDatabase& db, int firstShift, int lastShift);
// The same for a report that needs the range: raises EDatabaseError naming
// the report when the range is reversed or negative, or the log has none of it.
ReportSpan requiredShiftSpan(StationDatabase& db, int reportNo, std::int64_t firstShift, std::int64_t lastShift);
// The shift whose end is not set yet; none when every shift is closed.
std::optional<ReportSpan> openShift(StationDatabase& db);
// The current shift: the open one, else the latest; none on an empty log.
std::optional<int> currentShiftNumber(StationDatabase& db);
// A time span given by the report's parameters.
ReportSpan periodSpan(TDateTime from, TDateTime to);

// The message a current-shift report shows when no shift is open.
QString noOpenShiftText();

// A period as the statement parameters window sends it (two date-times). An
// end at midnight takes in its whole day, so a period of whole dates runs to
// the end of its last date. Raises EDatabaseError when the end is before the begin.
struct ReportPeriod {
    TDateTime begin = 0;
    TDateTime end = 0;
    bool wholeLastDay = false;

    static ReportPeriod read(const ReportParams& params, int beginIndex);
    QString sqlBegin() const;
    // The first moment after the period (bound as "DATA < ?").
    QString sqlEnd() const;
    // "Период: с 01.02.2024 00:00 по 29.02.2024 23:59"
    QString shown() const;
};

// A parameter date-time as SQL takes it: "yyyy-MM-dd hh:mm:ss.zzz".
QString sqlTimestamp(TDateTime value);
// A timestamp selected as CAST(... AS VARCHAR(24)) shown as "dd.MM.yyyy hh:mm"
// (null shows empty).
QString shownTimestamp(const QVariant& stored);
// A parameter date-time shown as "dd.MM.yyyy hh:mm".
QString shownDateTime(TDateTime value);

// A NUMERIC value (selected as is or cast to VARCHAR) as an exact amount
// scaled by 10000; null reads 0.
std::int64_t scaledAmount(const QVariant& stored);
inline double units(std::int64_t scaled) { return double(scaled) / 10000.0; }
// The same as a number for formatting.
inline double amountOf(const QVariant& stored) { return units(scaledAmount(stored)); }
// litres * density kept at four decimals.
std::int64_t massOf(std::int64_t litres, std::int64_t density);

// "1, 2, 3" for an IN list of codes; "NULL" for none (matches nothing).
QString sqlCodeList(const QVector<int>& codes);
// "?, ?, ?" for n values (n > 0).
QString placeholders(int n);

// The numbers under which a contragent's sales are kept (LOGTRAN.IDCNT): the
// contragent directory's and the older statement-client table's records of
// that name. Raises EDatabaseError when neither knows the name.
QVector<int> contragentIds(StationDatabase& db, const QString& name);
// The name of a contragent by number (directory first), empty when unknown.
QString contragentName(StationDatabase& db, int id);

} // namespace velta::station
