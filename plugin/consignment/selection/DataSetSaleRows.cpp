#include "plugin/consignment/selection/DataSetSaleRows.h"

#include "plugin/data/ClientDataSet.h"

namespace velta::consignment {

namespace {

class RowReader {
public:
    explicit RowReader(const TClientDataSet& sales) : sales_(sales) {}

    const TField* field(const char* name) const { return sales_.FindField(QString::fromLatin1(name)); }
    QString text(const char* name) const
    {
        const TField* f = field(name);
        return f ? f->AsString() : QString();
    }
    int integer(const char* name) const
    {
        const TField* f = field(name);
        return f && !f->IsNull() ? f->AsInteger() : 0;
    }
    Currency money(const char* name) const
    {
        const TField* f = field(name);
        return f && !f->IsNull() ? f->AsCurrency() : Currency{};
    }

private:
    const TClientDataSet& sales_;
};

} // namespace

int DataSetSaleRows::CurrentRow() const
{
    if (!sales_.Active() || sales_.IsEmpty())
        return 0;
    return sales_.RecNo();
}

void DataSetSaleRows::MoveTo(int row)
{
    if (row > 0 && sales_.Active())
        sales_.SetRecNo(row);
}

SaleRow DataSetSaleRows::ReadCurrent() const
{
    SaleRow row;
    if (CurrentRow() <= 0)
        return row;
    const RowReader read(sales_);
    row.saleNumber = read.integer("INDEXSALE");
    if (const TField* time = read.field("TIDEDATE"); time && !time->IsNull())
        row.saleTime = time->AsDateTime();
    row.fuelName = read.text("GSMNAME");
    row.volume = read.money("LITER");
    row.mass = read.money("MASSA");
    row.density = read.money("PLOTN");
    if (read.field("MASSAPLM"))
        row.meterMass = read.money("MASSAPLM");
    row.sum = read.money("SUMMA");
    row.carrierId = read.integer("CONTR_ID");
    row.carrierName = read.text("CNAME");
    row.driverName = read.text("DRIVERFIO");
    row.driverLicence = read.text("UDOST");
    row.carMake = read.text("CARMARKA");
    row.carNumber = read.text("CARGOSNUM");
    row.trailerMake = read.text("PRMARKA");
    row.trailerNumber = read.text("PRGOSNUM");
    row.trailerGarageNumber = read.text("PRGARNUMBER");
    row.tripSheet = read.text("PLISTNUM");
    if (read.field("ID2CNT"))
        row.consigneeId = read.integer("ID2CNT");
    return row;
}

} // namespace velta::consignment
