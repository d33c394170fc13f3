#include "plugin/receipts/window/ReceiptCalls.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/receipts/window/DiscountDetail.h"
#include "plugin/receipts/window/SalesQuery.h"
#include "plugin/viewer/window/ShowReport.h"

namespace velta::receipts {

Variant ReceiptTemplateParams(int payType)
{
    return Variant(Variant::Array{Variant(report::kSelectorReceiptTemplate), Variant(payType)});
}

Variant PrinterReceiptParams(int sale, const QString& operatorName, const QString& post, const QString& comment)
{
    return Variant(Variant::Array{Variant(report::kSelectorPrinterReceipt), Variant(sale), Variant(operatorName),
                                  Variant(post), Variant(comment)});
}

QString ReceiptTemplateOf(const QString& answer)
{
    const QString marker = QString::fromLatin1(report::kReceiptTemplateMarker);
    if (!answer.contains(marker))
        throw Exception(QStringLiteral("Установлена слишком старая библиотека \"C:\\DEXE\\VeltaReportCreator9.dll\"."
                                       "\r\nОбновите библиотеку и повторите попытку печати!"));
    return answer.mid(marker.size());
}

QString RequestReceiptTemplate(int payType)
{
    QString answer;
    core::RunReport(report::kService, ReceiptTemplateParams(payType), answer);
    return ReceiptTemplateOf(answer);
}

QString SaleDiscountDetail(int sale)
{
    Variant data;
    core::GetProviderData(DiscountRowsQuery(sale), report::kBaseStation, data);
    TClientDataSet rows;
    rows.SetData(data.toByteArray());
    return DiscountDetailText(ReadDiscountRows(rows));
}

void ShowPrinterReceipt(int sale, const QString& operatorName, const QString& post, const QString& comment)
{
    QString text;
    core::RunReport(report::kService, PrinterReceiptParams(sale, operatorName, post, comment), text);
    QString html;
    core::RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, QString::fromUtf8(kPrinterReceiptCaption));
}

ReceiptPrintFunctions HostReceiptPrintFunctions()
{
    return {core::HostValues::receiptPrintFunction(), core::HostValues::hostPrintRoutine()};
}

void PrintReceiptLines(const ReceiptPrintFunctions& functions, const QStringList& lines, int copies)
{
    if (!functions.receipt && !functions.routine)
        throw Exception(QStringLiteral("Ошибка при запросе адреса функции печати произвольного чека!"));
    for (int copy = 0; copy < copies; ++copy) {
        if (functions.receipt)
            functions.receipt(0, 2, lines, 1, 1);
        else
            functions.routine(2, lines, true);
    }
}

} // namespace velta::receipts
