#pragma once
// A sales receipt on the cash register's tape: the payment type's template
// from the report engine, filled with the sale's values, shown for approval
// when asked, and handed to the host's print function once per copy.
#include "plugin/receipts/window/ReceiptValues.h"

#include <QString>
#include <functional>

namespace velta::receipts {

struct KassaReceipt {
    SaleRow sale;
    QString operatorName;
    int copies = 1;
};

// Shows the filled text; true when the user lets it print.
using ReceiptPreview = std::function<bool(const QString& text)>;

// Builds and prints the receipt; with a preview that is declined nothing is
// printed and false returned. Errors (no marker, no print function, a failing
// call) raise before anything is printed.
bool PrintKassaReceipt(const KassaReceipt& receipt, const ReceiptPreview& preview);

// The filled text of the sale's receipt (the engine's template, the sale's
// discounts and values, the builder).
QString BuildKassaReceiptText(const KassaReceipt& receipt);

} // namespace velta::receipts
