#include "plugin/receipts/window/KassaReceipt.h"

#include "plugin/core/HostValues.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Clock.h"
#include "plugin/receipts/template/CustomCheckBuilder.h"
#include "plugin/receipts/window/ReceiptCalls.h"
#include "plugin/viewer/export/TextFileSave.h"

namespace velta::receipts {

QString BuildKassaReceiptText(const KassaReceipt& receipt)
{
    const QString templateText = RequestReceiptTemplate(receipt.sale.payType);
    ReceiptContext context;
    context.discountDetail = SaleDiscountDetail(receipt.sale.sale);
    context.now = Clock::current().now();
    context.operatorName = receipt.operatorName;
    context.stationName = core::HostValues::stationName();
    context.organisationName = core::HostValues::organisationName();
    context.payTypeName = PayTypeName(core::state().payTypeTable, receipt.sale.payType);
    TCustomCheckBuilder builder(templateText);
    SetReceiptValues(builder, SaleReceiptValues(receipt.sale, context));
    return builder.GetCheckText();
}

bool PrintKassaReceipt(const KassaReceipt& receipt, const ReceiptPreview& preview)
{
    // The functions are asked for first, as the host expects; their absence
    // is an error only once there is something to print.
    const ReceiptPrintFunctions functions = HostReceiptPrintFunctions();
    const QString text = BuildKassaReceiptText(receipt);
    if (preview && !preview(text))
        return false;
    PrintReceiptLines(functions, viewer::SplitTextLines(text), receipt.copies);
    return true;
}

} // namespace velta::receipts
