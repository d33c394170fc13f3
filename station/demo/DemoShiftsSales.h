#pragma once
// Demo shifts and sales: the shift log, the sales with their discounts, the
// dispenser journal and the per-shift dispenser counters.
#include "station/db/Schema.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <cstdint>

namespace velta::station {

class StationDatabase;
struct DemoContragents;

// A sale on account, kept for the consignment notes made from sales.
struct DemoAccountSale {
    int indexSale;
    QDateTime time;
    int fuelId;
    std::int64_t liters; // scaled by 10000
    std::int64_t summa;
    int clientId;
    int carIndex;
    int driverIndex;
    QString tripSheet;
};

struct DemoSales {
    qint64 sales = 0;
    qint64 journalRows = 0;
    qint64 discounts = 0;
    QVector<DemoAccountSale> accountSales;
};

// The decreasing limits of the clients on limit statements: a grant of each
// fuel at the start of every month, a little above what the client takes.
void writeLimits(StationDatabase& db, const DemoContragents& contragents, const DemoSales& sales);

// Writes the closed shifts (with one gap in their numbering) and salesCount
// sales spread over them, then the open shift that follows them with as many
// sales as an average shift in its first hours. The open shift's sales on
// account are not among accountSales: limits and notes cover closed shifts.
DemoSales writeShiftsAndSales(StationDatabase& db, const DemoContragents& contragents, int salesCount,
                              const SchemaOptions& options);

} // namespace velta::station
