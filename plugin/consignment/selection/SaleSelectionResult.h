#pragma once
// SaleSelectionResult: what the sale selection hands to the consignment note
// editor, as a nested variant array of two elements: the header array (12
// elements: the main sale's moment, carrier number and name, driver, licence,
// vehicle and trailer, trip sheet, consignee number) and the cargo array (one
// 9-element array per TTideRecord, quantities as money values). An empty array
// means the user skipped the selection.
#include "common/DateTime.h"
#include "common/Variant.h"
#include "plugin/consignment/selection/TideRecord.h"

#include <QList>
#include <QString>
#include <optional>

namespace velta::consignment {

// The note header values taken from the selected sales.
struct SaleSelectionHeader {
    TDateTime saleTime = 0;  // TIDEDATE of the main sale
    int carrierId = 0;       // CONTR_ID
    QString carrierName;     // CNAME
    QString driverName;      // DRIVERFIO
    QString driverLicence;   // UDOST
    QString carMake;         // CARMARKA
    QString carNumber;       // CARGOSNUM
    QString trailerMake;     // PRMARKA
    QString trailerNumber;   // PRGOSNUM
    QString trailerGarageNumber; // PRGARNUMBER
    QString tripSheet;       // PLISTNUM
    int consigneeId = 0;     // ID2CNT

    friend bool operator==(const SaleSelectionHeader&, const SaleSelectionHeader&) = default;
};

struct SaleSelectionResult {
    SaleSelectionHeader header;
    QList<TTideRecord> records;

    // The two-element array [header array, cargo array].
    Variant toVariant() const;
    // The selection read back from its array; nothing for the empty array of
    // a skipped selection. A malformed array raises EVariantError.
    static std::optional<SaleSelectionResult> fromVariant(const Variant& value);

    friend bool operator==(const SaleSelectionResult&, const SaleSelectionResult&) = default;
};

// Element counts of the two inner arrays.
inline constexpr int kSaleHeaderElements = 12;
inline constexpr int kSaleCargoElements = 9;

} // namespace velta::consignment
