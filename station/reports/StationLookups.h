#pragma once
// Small look-ups many reports share: the station's payment types, the bounds
// of a range of shifts, and reading amounts that the database keeps as exact
// four-decimal numbers.
#include "common/Variant.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QString>
#include <QVector>
#include <optional>

namespace velta::station {

class StationDatabase;

struct PayTypeInfo {
    int code = 0;
    QString name;
    int position = 0;
    // Cash takes the payment types of the base kind 0 ("Наличные", code mod
    // 100); every other kind (terminal, cards, statements, contracts,
    // coupons ...) is non-cash.
    bool cash() const { return code % 100 == 0; }
};

// PAYTYPE by position.
QVector<PayTypeInfo> loadPayTypes(StationDatabase& db);
// The payment type of this code, or a made-up entry "Вид оплаты N".
PayTypeInfo payTypeOf(const QVector<PayTypeInfo>& types, int code);

struct ShiftBounds {
    int first = 0;
    int last = 0;
    QDateTime begin;
    QDateTime end;          // null while the last shift is open
    QStringList operators;  // of the shifts in order, each once
};

// The shifts first..last as the log has them; nullopt when none is there.
std::optional<ShiftBounds> loadShiftBounds(StationDatabase& db, int first, int last);
// The current shift: the open one, else the latest; nullopt on an empty log.
std::optional<int> currentShiftNumber(StationDatabase& db);

// A NUMERIC column as an exact amount (NULL reads as 0).
Currency amountAt(const QSqlQuery& query, int column);
// The amount as a number for formatting.
inline double asNumber(Currency value) { return double(value.scaled) / 10000.0; }

// "dd.MM.yyyy hh:mm", the same on every machine.
QString dateTimeText(const QDateTime& moment);

} // namespace velta::station
