#pragma once
// Look-ups the shift reports share: the station's payment types (names, the
// codes a report's flags or codes choose), the span of shifts or time a
// report covers (the open shift for the current-shift forms) and the
// conversions between report parameters and the database's values.
#include "common/DateTime.h"
#include "station/reports/ReportDocument.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>
#include <optional>

namespace velta::station {

class StationDatabase;

class PayTypes {
public:
    explicit PayTypes(StationDatabase& db);

    // The name of a code; codes the station does not know read "Вид оплаты N".
    QString name(int code) const;
    // The name at a menu position (empty when no payment type stands there).
    QString nameAtPosition(int position) const;
    // The codes a report is asked for: the codes when given, else those whose
    // position has the flag 1 (in position order).
    QVector<int> selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes) const;
    // Every code in position order.
    QVector<int> all() const;

private:
    struct Entry {
        int code;
        QString name;
        int position;
    };
    QVector<Entry> entries_;
};

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
    QString operatorName;

    // "Смена №1005 (01.01.2024 08:00 - 01.01.2024 19:58), оператор ..." and the like.
    QString describe() const;
};

// The range of shifts first..last with their bounds from the shift log.
ReportSpan shiftSpan(StationDatabase& db, int firstShift, int lastShift);
// The shift whose end is not set yet; none when every shift is closed.
std::optional<ReportSpan> openShift(StationDatabase& db);
// A time span given by the report's parameters.
ReportSpan periodSpan(TDateTime from, TDateTime to);

// The message a current-shift report shows when no shift is open.
QString noOpenShiftText();

// A parameter date-time as SQL takes it: "yyyy-MM-dd hh:mm:ss.zzz".
QString sqlTimestamp(TDateTime value);
// A timestamp selected as CAST(... AS VARCHAR(24)) shown as "dd.MM.yyyy hh:mm".
QString shownTimestamp(const QVariant& stored);
// A NUMERIC value read as its decimal text; null reads 0.
double amountOf(const QVariant& stored);
// "1, 2, 3" for an IN list of codes; "NULL" for none (matches nothing).
QString sqlCodeList(const QVector<int>& codes);

} // namespace velta::station
