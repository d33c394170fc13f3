#pragma once
// The discount detail of a sale, one line per discount row of LOGTRANDSC:
// "name: 5.0% parameter". It fills the receipt's DscFullInfo variable.
#include "common/Variant.h"

#include <QList>
#include <QString>

namespace velta {
class TClientDataSet;
}

namespace velta::receipts {

struct DiscountRow {
    QString name;      // DSCNAME
    int valueType = 0; // DSCVALTYPE: 1 per cent, 2 roubles, 3 litres
    Currency value;    // DSCVAL
    QString param;     // DSCPARAM
};

// The rows of an open dataset over LOGTRANDSC, in its order.
QList<DiscountRow> ReadDiscountRows(TClientDataSet& rows);

// The unit written after a discount's value: "%", "р.", "л." or nothing.
QString DiscountUnit(int valueType);

// The rows' lines joined with CR LF; the value has one decimal.
QString DiscountDetailText(const QList<DiscountRow>& rows);

} // namespace velta::receipts
