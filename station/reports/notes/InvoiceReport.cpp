#include "station/reports/notes/InvoiceReport.h"

#include "station/reports/notes/ConsignmentNote.h"
#include "station/reports/notes/NoteFormBlocks.h"
#include "station/reports/core/ReportLookups.h"

namespace velta::station {
namespace {

const QString kFormName = QStringLiteral("Счет-фактура");

// SFGOTYPE: how the consignor's field is filled.
enum ConsignorText { kConsignorInFull = 0, kConsignorSameAsSeller = 1, kConsignorDash = 2 };

QString nameAndAddress(const NoteParty& party)
{
    if (party.address.isEmpty())
        return party.title();
    return party.title().isEmpty() ? party.address : party.title() + QStringLiteral(", ") + party.address;
}

QString consignorText(int kind, const NoteParty& consignor)
{
    switch (kind) {
    case kConsignorSameAsSeller:
        return QStringLiteral("он же");
    case kConsignorDash:
        return QStringLiteral("-");
    default:
        return nameAndAddress(consignor);
    }
}

void addParties(ReportDocument& document, const ReportContext& context, const ConsignmentNote& note)
{
    const NoteValues& h = note.header;
    const NoteParty seller = note.party(context.db(), QStringLiteral("GO_ID"));
    const NoteParty consignee = note.party(context.db(), QStringLiteral("GP_ID"));
    const NoteParty buyer = note.party(context.db(), QStringLiteral("PLAT_ID"));
    addFieldTable(document,
                  {{QStringLiteral("Продавец"), seller.title()},
                   {QStringLiteral("Адрес"), seller.address},
                   {QStringLiteral("ИНН/КПП продавца"), seller.innKpp()},
                   {QStringLiteral("Грузоотправитель и его адрес"), consignorText(h.integer(QStringLiteral("SFGOTYPE")), seller)},
                   {QStringLiteral("Грузополучатель и его адрес"), nameAndAddress(consignee)},
                   {QStringLiteral("К платежно-расчетному документу"), h.text(QStringLiteral("SFPLATDOC"))},
                   {QStringLiteral("Покупатель"), buyer.title()},
                   {QStringLiteral("Адрес"), buyer.address},
                   {QStringLiteral("ИНН/КПП покупателя"), buyer.innKpp()},
                   {QStringLiteral("Валюта: наименование, код"), QStringLiteral("Российский рубль, 643")}});
}

void addLines(ReportDocument& document, const ReportFormats& f, const QVector<NoteLine>& lines)
{
    ReportTable& table = document.addTable({{QStringLiteral("Наименование товара\n(описание выполненных\nработ, оказанных услуг)")},
                                            {QStringLiteral("Единица\nизмерения")},
                                            {QStringLiteral("Количество\n(объем)"), CellAlign::Right},
                                            {QStringLiteral("Цена (тариф)\nза единицу\nизмерения"), CellAlign::Right},
                                            {QStringLiteral("Стоимость товаров\nбез налога,\nвсего"), CellAlign::Right},
                                            {QStringLiteral("В том\nчисле сумма\nакциза"), CellAlign::Right},
                                            {QStringLiteral("Налоговая\nставка"), CellAlign::Right},
                                            {QStringLiteral("Сумма налога,\nпредъявляемая\nпокупателю"), CellAlign::Right},
                                            {QStringLiteral("Стоимость товаров\nс налогом,\nвсего"), CellAlign::Right},
                                            {QStringLiteral("Страна\nпроисхождения\nтовара")},
                                            {QStringLiteral("Номер\nтаможенной\nдекларации")}});
    addColumnNumbers(document, table);
    std::int64_t withoutVat = 0, vat = 0, withVat = 0;
    for (const NoteLine& line : lines) {
        const NoteValues& v = line.values;
        withoutVat += v.amount(QStringLiteral("SFSUMMA"));
        vat += v.amount(QStringLiteral("SFSUMMANDS"));
        withVat += v.amount(QStringLiteral("SFSUMMASNDS"));
        const std::int64_t excise = v.amount(QStringLiteral("SFEXCISE"));
        document.addRow(table, {v.text(QStringLiteral("SFNAME")), v.text(QStringLiteral("SFUNIT")),
                                f.fixed(units(v.amount(QStringLiteral("SFCOUNT"))), 3),
                                money(f, v.amount(QStringLiteral("SFPRICE"))), money(f, v.amount(QStringLiteral("SFSUMMA"))),
                                excise == 0 ? QStringLiteral("без акциза") : money(f, excise),
                                vatRate(f, v.amount(QStringLiteral("SFNDS"))), money(f, v.amount(QStringLiteral("SFSUMMANDS"))),
                                money(f, v.amount(QStringLiteral("SFSUMMASNDS"))), v.text(QStringLiteral("SFCOUNTRY")),
                                v.text(QStringLiteral("SFTAMDEKLAR"))});
    }
    table.totals << QStringList{QStringLiteral("Всего к оплате"), QString(), QString(), QString(), money(f, withoutVat),
                                QStringLiteral("X"), QString(), money(f, vat), money(f, withVat), QString(), QString()};
}

void addSignatures(ReportDocument& document, const NoteValues& h)
{
    document.addHeading(QStringLiteral("Подписи"));
    addFieldTable(document,
                  {{QStringLiteral("Руководитель организации или иное уполномоченное лицо"),
                    signatureLine(QString(), h.text(QStringLiteral("SFBOSSFIO")))},
                   {QStringLiteral("Главный бухгалтер или иное уполномоченное лицо"),
                    signatureLine(QString(), h.text(QStringLiteral("SFBUHFIO")))},
                   {QStringLiteral("Индивидуальный предприниматель"), signatureLine(QString(), h.text(QStringLiteral("SFINDPREDFIO")))},
                   {QStringLiteral("Свидетельство о государственной регистрации ИП"),
                    h.text(QStringLiteral("SFGOSREG"))}});
}

} // namespace

ReportDocument invoiceReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({2});
    const ConsignmentNote note = requiredConsignmentNote(context.db(), params, kFormName);
    const NoteValues& h = note.header;
    QString title = QStringLiteral("СЧЕТ-ФАКТУРА №") + h.text(QStringLiteral("SFNUMBER"));
    const QString date = h.date(QStringLiteral("SFDATE"));
    if (!date.isEmpty())
        title += QStringLiteral(" от ") + date;
    ReportDocument document(title, context.formats().limits);
    document.addHeadLine(QStringLiteral("Исправление № -- от --"));
    document.addHeadLine(QStringLiteral("К ТТН ") + note.numberAndDate());
    addParties(document, context, note);
    addLines(document, context.formats(), note.linesFor(NoteForm::Invoice));
    addNoteVariables(document, note.variables);
    addSignatures(document, h);
    return document;
}

} // namespace velta::station
