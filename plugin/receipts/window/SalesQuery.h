#pragma once
// The SQL texts of the sales receipt window: the sales list (rebuilt on every
// show and refresh), the probes that shape it, and the discount rows of a sale.
#include "common/DateTime.h"

#include <QString>

namespace velta::receipts {

// Which sales the list takes: those of the last dayCount days up to now, or
// those between two moments.
struct SalesPeriod {
    bool lastDays = true;
    int dayCount = 10;
    TDateTime now = 0;
    TDateTime begin = 0;
    TDateTime end = 0;
};

struct SalesQueryOptions {
    bool trkDensity = false;          // LOGTRAN has TRKDENSITY
    bool contragentDirectory = false; // sales point into CONTRAGENT, not VDCONTRACTOR
    SalesPeriod period;
};

// The sales list's query, its lines joined with CR LF.
QString SalesQueryText(const SalesQueryOptions& options);

// A moment as a quoted SQL literal: '2024-03-01 08:00:00.000'.
QString SqlDateTimeLiteral(TDateTime value);

// The live contragents whose payment type ends in 04: any row means sales
// are linked to the contragent directory.
QString ContragentLinkQuery();
// The first sale, for its columns: TRKDENSITY among them means the station
// keeps the dispenser's density.
QString TrkDensityProbeQuery();
inline constexpr char kTrkDensityColumn[] = "TRKDENSITY";
// Every discount row of one sale.
QString DiscountRowsQuery(int sale);

} // namespace velta::receipts
