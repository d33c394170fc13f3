#pragma once
// DataSetSaleRows: SaleRows over the selection window's sales dataset; a row
// is the dataset's record number. Columns a station does not have read as
// empty; MASSAPLM and ID2CNT read as absent.
#include "plugin/consignment/selection/SaleRows.h"

namespace velta {
class TClientDataSet;
}

namespace velta::consignment {

class DataSetSaleRows : public SaleRows {
public:
    explicit DataSetSaleRows(TClientDataSet& sales) : sales_(sales) {}

    int CurrentRow() const override;
    void MoveTo(int row) override;
    SaleRow ReadCurrent() const override;

private:
    TClientDataSet& sales_;
};

} // namespace velta::consignment
