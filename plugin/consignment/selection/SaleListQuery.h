#pragma once
// The command text of the sale selection's list: the sales for which no
// consignment note has been made yet (neither as a note's sale nor as one of
// its lines; deleted notes do not count), newest first, with the columns the
// selection reads: carrier, driver, vehicle and trailer from the directories,
// the consignee's name where the sales keep a consignee.
#include <QString>

namespace velta::consignment {

struct SaleListOptions {
    bool meterMass = false;    // LOGTRAN has MASSAPLM
    bool consignee = false;    // LOGTRAN has ID2CNT
    bool noteLines = false;    // the station has TTNDETAIL
};

QString SaleListQueryText(const SaleListOptions& options);

// Probes whose columns or success decide the options.
QString SaleColumnsProbeQuery();
QString NoteLinesProbeQuery();
inline constexpr char kMeterMassColumn[] = "MASSAPLM";
inline constexpr char kConsigneeColumn[] = "ID2CNT";

} // namespace velta::consignment
