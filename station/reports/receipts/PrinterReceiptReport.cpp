#include "station/reports/receipts/PrinterReceiptReport.h"

#include "common/Exception.h"
#include "station/reports/core/PaymentTypes.h"
#include "station/reports/core/ReportLookups.h"
#include "station/reports/receipts/ReceiptSale.h"

#include <QRegularExpression>

namespace velta::station {
namespace {

const QString kTitle = QStringLiteral("ТОВАРНЫЙ ЧЕК");
// A blank to fill in by hand.
const QString kBlank = QString(30, QLatin1Char('_'));
const QString kShortBlank = QString(12, QLatin1Char('_'));

QVector<ReportColumn> lineColumns()
{
    return {{QStringLiteral("№")},
            {QStringLiteral("Наименование товара")},
            {QStringLiteral("Ед.\nизм.")},
            {QStringLiteral("Количество"), CellAlign::Right},
            {QStringLiteral("Цена,\nруб."), CellAlign::Right},
            {QStringLiteral("Сумма,\nруб."), CellAlign::Right}};
}

// "Покупатель: ..." for a value the sale has; nothing for an empty one.
void addField(ReportDocument& document, const QString& label, const QString& value)
{
    if (!value.isEmpty())
        document.addParagraph(label + QStringLiteral(": ") + value);
}

// What the buyer field of a sale holds, by the payment type's base kind.
QString buyerLabel(int payType)
{
    switch (payType % 100) {
    case 8:
        return QStringLiteral("Договор");
    case 9:
        return QStringLiteral("Талоны");
    default:
        return QStringLiteral("Карта");
    }
}

QString discountSize(const ReportFormats& f, const ReceiptDiscount& discount)
{
    const double value = units(discount.value);
    switch (discount.kind) {
    case 1:
        return f.fixed(value, 1) + QStringLiteral(" %");
    case 2:
        return f.money(value) + QStringLiteral(" руб.");
    case 3:
        return f.litres(value) + QStringLiteral(" л");
    default:
        return f.fixed(value, 2);
    }
}

// An empty line of the text rendering; the page keeps its own spacing.
void addTextGap(ReportDocument& document)
{
    document.setOutput(ReportOutput::Text);
    document.addParagraph(QString());
    document.setOutput(ReportOutput::Both);
}

// The comment as given for the HTML page, its "<br />" breaks as lines of the
// text set apart by an empty line (the breaks around it are the page's spacing).
void addComment(ReportDocument& document, const QString& comment)
{
    if (comment.trimmed().isEmpty())
        return;
    static const QRegularExpression lineBreak(QStringLiteral("<br\\s*/?>"), QRegularExpression::CaseInsensitiveOption);
    QString text = comment;
    text.replace(lineBreak, QStringLiteral("\n"));
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && (text[from] == QLatin1Char('\n') || text[from] == QLatin1Char('\r')))
        ++from;
    while (to > from && (text[to - 1] == QLatin1Char('\n') || text[to - 1] == QLatin1Char('\r')))
        --to;
    document.addHtml(comment, QLatin1Char('\n') + text.mid(from, to - from));
}

void addSignatures(ReportDocument& document, const QString& operatorName)
{
    addTextGap(document);
    document.addParagraph(QStringLiteral("Продавец   %1 %2").arg(kBlank, operatorName).trimmed());
    addTextGap(document);
    document.addParagraph(QStringLiteral("Покупатель %1").arg(kBlank));
}

void addSaleLine(ReportDocument& document, const ReportFormats& f, const ReceiptSale& sale)
{
    const std::int64_t discount = sale.discountAmount();
    // With a discount the line shows the price before it and the discount
    // comes off below; otherwise the price charged.
    std::int64_t price = discount > 0 ? sale.basePrice : sale.price;
    if (price <= 0 && sale.litres > 0)
        price = sale.amount * 10000 / sale.litres;
    ReportTable& table = document.addTable(lineColumns());
    document.addRow(table, {QStringLiteral("1"), sale.fuel, QStringLiteral("л"), f.litres(units(sale.litres)),
                            f.money(units(price)), f.money(units(discount > 0 ? sale.baseAmount() : sale.amount))});
    if (discount > 0)
        table.totals << QStringList{QString(), QStringLiteral("Скидка"), QString(), QString(), QString(),
                                    QStringLiteral("-") + f.money(units(discount))};
    table.totals << QStringList{QString(), QStringLiteral("Итого"), QString(), QString(), QString(), f.money(units(sale.amount))};

    if (!sale.discounts.isEmpty()) {
        document.addHeading(QStringLiteral("Скидки"));
        ReportTable& discounts = document.addTable({{QStringLiteral("Скидка")},
                                                    {QStringLiteral("Размер"), CellAlign::Right},
                                                    {QStringLiteral("Основание")}});
        for (const ReceiptDiscount& d : sale.discounts)
            document.addRow(discounts, {d.name, discountSize(f, d), d.param});
    }
}

void addSale(ReportDocument& document, const ReportContext& context, const ReceiptSale& sale, const QString& operatorName,
             const QString& post)
{
    const ReportFormats& f = context.formats();
    document.addHeadLine(QStringLiteral("Дата и время продажи: ") + sale.when);
    addSaleLine(document, f, sale);
    addTextGap(document);
    addField(document, QStringLiteral("Вид оплаты"), PayTypes(context.db()).name(sale.payType));
    addField(document, QStringLiteral("Покупатель"), sale.contragent);
    addField(document, QStringLiteral("ИНН покупателя"), sale.inn);
    if (sale.buyer != sale.contragent)
        addField(document, buyerLabel(sale.payType), sale.buyer);
    addField(document, QStringLiteral("Автомобиль"), sale.car);
    addField(document, QStringLiteral("Водитель"), sale.driver);
    addField(document, QStringLiteral("Путевой лист"), sale.tripSheet);
    document.addParagraph(QStringLiteral("Итого к оплате: %1 руб.").arg(f.money(units(sale.amount))));
    addField(document, QStringLiteral("Оператор"), operatorName);
    addField(document, QStringLiteral("Пост"), post);
}

void addEmptyForm(ReportDocument& document, const QString& operatorName, const QString& post)
{
    ReportTable& table = document.addTable(lineColumns());
    const QStringList blankRow = {QString(3, QLatin1Char(' ')), QString(30, QLatin1Char(' ')), QString(4, QLatin1Char(' ')),
                                  QString(12, QLatin1Char(' ')), QString(10, QLatin1Char(' ')), QString(12, QLatin1Char(' '))};
    for (int row = 0; row < 3; ++row)
        document.addRow(table, blankRow);
    table.totals << QStringList{QString(), QStringLiteral("Итого"), QString(), QString(), QString(), QString()};
    addTextGap(document);
    for (const QString& label : {QStringLiteral("Вид оплаты"), QStringLiteral("Покупатель"), QStringLiteral("Автомобиль"),
                                 QStringLiteral("Водитель"), QStringLiteral("Путевой лист")})
        document.addParagraph(label + QStringLiteral(": ") + kBlank);
    document.addParagraph(QStringLiteral("Итого к оплате: %1 руб.").arg(kShortBlank));
    document.addParagraph(QStringLiteral("Оператор: ") + (operatorName.isEmpty() ? kBlank : operatorName));
    document.addParagraph(QStringLiteral("Пост: ") + (post.isEmpty() ? kShortBlank : post));
}

} // namespace

ReportDocument printerReceiptReport(const ReportContext& context, const ReportParams& params)
{
    params.expectCount({5});
    const std::int64_t number = params.integer(1);
    const QString operatorName = params.text(2).trimmed();
    const QString post = params.text(3).trimmed();
    const QString comment = params.text(4);

    if (number == kEmptyReceiptForm) {
        ReportDocument document = context.newDocument(
            QStringLiteral("%1 № %2 от \"___\" %3 20___ г.").arg(kTitle, kShortBlank, kShortBlank));
        addEmptyForm(document, operatorName, post);
        addComment(document, comment);
        addSignatures(document, operatorName);
        return document;
    }
    const std::optional<ReceiptSale> sale = findReceiptSale(context.db(), number);
    if (!sale)
        throw EDatabaseError(
            QStringLiteral("Продажа №%1 не найдена в базе данных АЗС. Товарный чек не сформирован.").arg(number));
    ReportDocument document =
        context.newDocument(QStringLiteral("%1 №%2 от %3").arg(kTitle).arg(number).arg(sale->when.left(10)));
    addSale(document, context, *sale, operatorName, post);
    addComment(document, comment);
    addSignatures(document, operatorName);
    return document;
}

} // namespace velta::station
