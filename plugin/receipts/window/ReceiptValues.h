#pragma once
// What a sale puts into its receipt: the sale row of the list as the receipt
// reads it, and the builder's values made from it, in the order they are set
// (the variables of the receipt template with their kinds and default formats).
#include "common/DateTime.h"
#include "common/Variant.h"
#include "plugin/receipts/template/ReceiptTagTable.h"

#include <QList>
#include <QString>

namespace velta {
class TClientDataSet;
}

namespace velta::receipts {

class TCustomCheckBuilder;

// One row of the sales list; money columns exact, with four decimals.
struct SaleRow {
    int sale = 0;           // INDEXSALE
    TDateTime time = 0;     // TIDEDATE
    QString fuel;           // GSMNAME
    Currency liter;         // LITER
    double massa = 0;       // MASSA
    Currency summa;         // SUMMA
    QString tripSheet;      // PLISTNUM
    QString contragent;     // CNAME
    QString driver;         // DRIVERFIO
    QString carNumber;      // CARGOSNUM
    int payType = 0;        // VIDOPL
    QString inn;            // INN
    QString buyer;          // POKUPATEL
    Currency baseSumma;     // BASESUMMA
    Currency trkDensity;    // TRKDENS
};

// The current record of the sales list.
SaleRow ReadSaleRow(TClientDataSet& sales);

// What the receipt takes from outside the sale.
struct ReceiptContext {
    TDateTime now = 0;
    QString operatorName;     // the window's operator field
    QString stationName;      // host value 13
    QString organisationName; // host value 35
    QString payTypeName;      // the sale's payment type by name
    QString discountDetail;   // DiscountDetailText of the sale's discounts
};

// A value for the builder, with the kind and default format of its variable
// in the tag table.
struct ReceiptValue {
    QString name;
    TagKind kind = TagKind::Text;
    QString defaultFormat;
    double number = 0; // the number, or the moment of a date-time
    QString text;
};

// The values of one receipt, in the order they go to the builder.
QList<ReceiptValue> SaleReceiptValues(const SaleRow& sale, const ReceiptContext& context);
// Hands each value to the builder by its kind.
void SetReceiptValues(TCustomCheckBuilder& builder, const QList<ReceiptValue>& values);

// The discount in per cent: only for a sale that was charged something and
// has an amount without discount to compare with; 0 otherwise.
double DiscountPercent(Currency summa, Currency baseSumma);

// The name of the first payment type with the code in the plug-in's table of
// rows [name, code text, ...]; "неизвестно" when none has it.
QString PayTypeName(const Variant& payTypeTable, int code);

} // namespace velta::receipts
