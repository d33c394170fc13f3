#include "plugin/consignment/list/NotePrintForms.h"

#include "common/ReportContract.h"
#include "plugin/core/ReportCalls.h"

#include <cstdint>

namespace velta::consignment {

namespace {

Variant formCall(std::uint8_t selector, int ttnId)
{
    return Variant(Variant::Array{Variant(selector), Variant(ttnId)});
}

Variant waybillCall(int ttnId, int variant)
{
    return Variant(Variant::Array{Variant(report::kSelectorGoodsWaybill), Variant(ttnId), Variant(variant)});
}

void removeFirst(QString& html, const QString& what)
{
    const qsizetype at = html.indexOf(what, 0, Qt::CaseSensitive);
    if (at >= 0)
        html.remove(at, what.size());
}

} // namespace

QList<Variant> NoteReportArguments(int kind, int ttnId)
{
    switch (static_cast<NoteReportKind>(kind)) {
    case NoteReportKind::GoodsSection:
        return {formCall(report::kSelectorTtnGoods, ttnId)};
    case NoteReportKind::TransportSection:
        return {formCall(report::kSelectorTtnTransport, ttnId)};
    case NoteReportKind::WholeNote:
        return {formCall(report::kSelectorTtnGoods, ttnId), formCall(report::kSelectorTtnTransport, ttnId)};
    case NoteReportKind::Invoice:
        return {formCall(report::kSelectorInvoice, ttnId)};
    case NoteReportKind::WaybillStandard:
        return {waybillCall(ttnId, 0)};
    case NoteReportKind::Waybill1:
        return {waybillCall(ttnId, 1)};
    case NoteReportKind::Waybill2:
        return {waybillCall(ttnId, 2)};
    case NoteReportKind::ShipmentReceipt:
        return {formCall(report::kSelectorShipmentReceipt, ttnId)};
    }
    return {};
}

QString WithoutFirstPageBreaks(QString html)
{
    removeFirst(html, QStringLiteral("page-break-after:always;"));
    removeFirst(html, QStringLiteral("PAGE-BREAK-AFTER: always;"));
    return html;
}

NotePrint ProduceNotePrint(int kind, int ttnId, const QString& itemText)
{
    NotePrint print;
    print.caption = itemText.toUpper();
    for (const Variant& arguments : NoteReportArguments(kind, ttnId)) {
        core::RunReport(report::kService, arguments, print.text);
        QString html;
        core::RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
        print.html += html;
    }
    if (static_cast<NoteReportKind>(kind) == NoteReportKind::GoodsSection)
        print.html = WithoutFirstPageBreaks(print.html);
    return print;
}

} // namespace velta::consignment
