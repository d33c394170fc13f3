#pragma once
// SaleRows: the list of sales the selection works on, one row at a time, as
// the selection window's dataset offers it: the current row, moving to a row,
// and the values of the current row. Rows are numbered from 1; a test can
// back it with a plain list.
#include "common/DateTime.h"
#include "common/Variant.h"

#include <QString>
#include <optional>

namespace velta::consignment {

// The values of one sale that the selection reads.
struct SaleRow {
    int saleNumber = 0;      // INDEXSALE
    TDateTime saleTime = 0;  // TIDEDATE
    QString fuelName;        // GSMNAME
    Currency volume;         // LITER
    Currency mass;           // MASSA, kilograms
    Currency density;        // PLOTN
    std::optional<Currency> meterMass; // MASSAPLM, where the station keeps it
    Currency sum;            // SUMMA
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
    std::optional<int> consigneeId; // ID2CNT, where the station keeps it
};

class SaleRows {
public:
    virtual ~SaleRows() = default;
    // The current row, 0 when there is none.
    virtual int CurrentRow() const = 0;
    virtual void MoveTo(int row) = 0;
    // The current row's values.
    virtual SaleRow ReadCurrent() const = 0;
};

} // namespace velta::consignment
