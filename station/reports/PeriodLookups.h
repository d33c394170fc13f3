#pragma once
// Query helpers of the period and journal reports: timestamps passed to and read
// from Firebird as text (so no time zone is ever applied), exact amounts,
// payment type names and the selection of payment types from a report's flags
// and codes, contragents found by the name the plug-in sends.
#include "common/DateTime.h"
#include "station/reports/ReportLookups.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <cstdint>

namespace velta::station {

class StationDatabase;
class ReportParams;

// "31.01.2024 08:00" from a date-time.
QString shownDateTime(TDateTime value);
// "31.01.2024 08:00" from a timestamp read as CAST(x AS VARCHAR(24)).
QString shownTimestamp(const QString& databaseText);

// An amount read as CAST(x AS VARCHAR(32)), scaled by 10000 (null reads 0).
std::int64_t scaledAmount(const QVariant& databaseText);
inline double units(std::int64_t scaled) { return double(scaled) / 10000.0; }
// litres * density kept at four decimals.
std::int64_t massOf(std::int64_t litres, std::int64_t density);

// A period as the statement parameters window sends it (two date-times). An
// end at midnight takes in its whole day, so a period of whole dates runs to
// the end of its last date. Raises EDatabaseError when the end is before the begin.
struct ReportPeriod {
    TDateTime begin = 0;
    TDateTime end = 0;
    bool wholeLastDay = false;

    static ReportPeriod read(const ReportParams& params, int beginIndex);
    QString sqlBegin() const { return sqlTimestamp(begin); }
    // The first moment after the period (bound as "DATA < ?").
    QString sqlEnd() const { return sqlTimestamp(wholeLastDay ? end + 1 : end); }
    // "Период: с 01.02.2024 00:00 по 29.02.2024 23:59"
    QString shown() const;
};

// "?, ?, ?" for n values (n > 0).
QString placeholders(int n);

// Payment type names by code (PAYTYPE.VIDOPL); an unknown code shows as its number.
class PayTypeNames {
public:
    explicit PayTypeNames(StationDatabase& db);
    QString name(int code) const;
    // The name of the payment type at a position of the host's list (empty when none).
    QString atPosition(int position) const;
    // The payment types a report covers: Codes when given, else the codes of
    // the positions flagged 1, else every statement type (code mod 100 = 4).
    QVector<int> selected(const QVector<std::int64_t>& flags, const QVector<std::int64_t>& codes) const;

private:
    QMap<int, QString> byCode_;
    QMap<int, int> codeByPosition_;
};

// The numbers under which a contragent's sales are kept (LOGTRAN.IDCNT): the
// contragent directory's and the older statement-client table's records of
// that name. Raises EDatabaseError when neither knows the name.
QVector<int> contragentIds(StationDatabase& db, const QString& name);
// The name of a contragent by number (directory first), empty when unknown.
QString contragentName(StationDatabase& db, int id);

} // namespace velta::station
