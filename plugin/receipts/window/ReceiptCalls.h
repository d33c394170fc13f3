#pragma once
// The report engine's and the host's parts of a sales receipt: the service
// report's receipt template and printer receipt, the sale's discounts, the
// printer receipt shown in the viewer, and the host's print functions that
// put a receipt on the cash register's tape.
#include "common/Variant.h"
#include "plugin/api/velta_plugin.h"

#include <QString>
#include <QStringList>

namespace velta::receipts {

// The viewer's caption of a printer receipt.
inline constexpr char kPrinterReceiptCaption[] = "РЕАЛИЗАЦИЯ ГСМ: ТОВАРНЫЙ ЧЕК";

// The service report's arguments: [9, payment type] and [8, sale, operator, post, comment].
Variant ReceiptTemplateParams(int payType);
Variant PrinterReceiptParams(int sale, const QString& operatorName, const QString& post, const QString& comment);

// The template in the engine's answer to [9, payment type]: the answer without
// its first six characters. An answer without the marker comes from an engine
// that knows no receipts and raises the error that says so.
QString ReceiptTemplateOf(const QString& answer);
// Asks the engine for the payment type's template.
QString RequestReceiptTemplate(int payType);

// The detail lines of the sale's discounts, read from the station.
QString SaleDiscountDetail(int sale);

// The printer receipt of a sale (-1: an empty form) and its HTML rendering,
// shown in the viewer.
void ShowPrinterReceipt(int sale, const QString& operatorName, const QString& post, const QString& comment);

// The host's receipt print functions: code 84's five-argument one and the
// three-argument routine of privilege code 22; either may be missing.
struct ReceiptPrintFunctions {
    plugin::HostReceiptPrintFn receipt = nullptr;
    plugin::HostPrintRoutineFn routine = nullptr;
};
ReceiptPrintFunctions HostReceiptPrintFunctions();

// Prints the lines copies times, through the five-argument function when the
// host has it, else through the routine; raises when it has neither.
void PrintReceiptLines(const ReceiptPrintFunctions& functions, const QStringList& lines, int copies);

} // namespace velta::receipts
