// Whole receipts: a template filled for one sale the way the sales receipt
// window fills it (every variable of the table with its default format), the
// result kept as a reference file.
#include "plugin/receipts/template/CustomCheckBuilder.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "tests/receipts/ReceiptSettings.h"
#include "tests/support/ReferenceFile.h"

#include "common/DateTime.h"

#include <QHash>
#include <QStringList>
#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

using test::ReceiptSettingsTest;

struct Sale {
    QHash<QString, TDateTime> dates;
    QHash<QString, double> numbers;
    QHash<QString, QString> texts;
};

// Each row of the table that the sale has a value for, in table order.
QString fill(const QString& templateText, const Sale& sale)
{
    TCustomCheckBuilder builder(templateText);
    for (const ReceiptTag& tag : ReceiptTagTable()) {
        switch (tag.kind) {
        case TagKind::DateTime:
            if (sale.dates.contains(tag.name))
                builder.SetDateTime(tag.name, tag.defaultFormat, sale.dates.value(tag.name));
            break;
        case TagKind::Number:
            if (sale.numbers.contains(tag.name))
                builder.SetFloat(tag.name, tag.defaultFormat, sale.numbers.value(tag.name));
            break;
        case TagKind::Text:
            if (sale.texts.contains(tag.name))
                builder.SetString(tag.name, sale.texts.value(tag.name), tag.defaultFormat);
            break;
        case TagKind::Placeholder:
            break;
        }
    }
    return builder.GetCheckText();
}

QString lines(const QStringList& list)
{
    return list.join(QStringLiteral("\r\n"));
}

// The template the editor offers when none is stored.
QString editorDefaultTemplate()
{
    return lines({QStringLiteral("Вид оплаты: <#VidOpl(24)>"), QStringLiteral("Дата: <#DateTime>"),
                  QStringLiteral("Заправлено: <#GSM> <#Liter(5.1)>л."), QStringLiteral("@ИТОГО:    <#Summa(10.2)>р."),
                  QString(), QStringLiteral("КАССИР ____________ <#Kassir(16)>"), QString(),
                  QStringLiteral("       <#OrgName> <#AZS>"), QStringLiteral("         СПАСИБО ЗА ПОКУПКУ"), QString()});
}

Sale cashSale()
{
    Sale sale;
    sale.dates = {{QStringLiteral("DateTime"), EncodeDateTime(2024, 11, 5, 14, 32, 7, 0)},
                  {QStringLiteral("CurDateTime"), EncodeDateTime(2024, 11, 5, 14, 40, 0, 0)}};
    sale.numbers = {{QStringLiteral("Liter"), 40.0},      {QStringLiteral("Massa"), 29.84},
                    {QStringLiteral("Price"), 54.57},     {QStringLiteral("Summa"), 2182.80},
                    {QStringLiteral("Dsc"), 3.0},         {QStringLiteral("DscSum"), 67.51}};
    sale.texts = {{QStringLiteral("Kassir"), QStringLiteral("Петрова Н.В.")},
                  {QStringLiteral("AZS"), QStringLiteral("АЗС №12")},
                  {QStringLiteral("OrgName"), QStringLiteral("ООО \"Норд-Ойл\"")},
                  {QStringLiteral("GSM"), QStringLiteral("АИ-95-К5")},
                  {QStringLiteral("VidOpl"), QStringLiteral("Наличные")},
                  {QStringLiteral("CardNum"), QString()},
                  {QStringLiteral("DscFullInfo"), QStringLiteral("Скидка 3% по карте")}};
    return sale;
}

using ReceiptWholeReceipt = ReceiptSettingsTest;

TEST_F(ReceiptWholeReceipt, EditorDefaultTemplateForACashSale)
{
    EXPECT_TRUE(velta::test::matchesReference(QStringLiteral("receipts/reference/default-template.txt"),
                                              fill(editorDefaultTemplate(), cashSale())));
}

TEST_F(ReceiptWholeReceipt, ContragentTemplateWithDiscountAndDensity)
{
    // A payment type 4 template: contragent lines, a bold total, a density
    // that the sale has not got, placeholders and a contragent whose name
    // holds a tag-shaped text.
    const QString contragentTemplate = lines({
        QStringLiteral("@      ТОВАРНЫЙ ЧЕК <#Запас>"),
        QStringLiteral("<#AZS(20)> <#CurDateTime(dd.mm.yy)>"),
        QStringLiteral("Отпуск: <#DateTime(dd.mm.yyyy hh:nn)>"),
        QStringLiteral("Покупатель: <#CNT>"),
        QStringLiteral("ИНН: <#INN>   Путевой лист: <#PutList(8)>"),
        QStringLiteral("Водитель: <#Driver(20)>|а/м <#Auto>"),
        QStringLiteral("<#GSM(10)><#Liter(8.2)> л x<#Price(8.2)>"),
        QStringLiteral("Масса:<#Massa(10.3)> кг  Плотн.: <#TRKDens(6.4)><#Запас>"),
        QStringLiteral("Скидка <#Dsc(4.1)>%: <#DscSum(8.2)>  <#DscSum(8.2s)>|"),
        QStringLiteral("<#DscFullInfo>"),
        QStringLiteral("@ИТОГО: <#Summa(12.2)>р."),
        QStringLiteral("Оплата: <#VidOpl(10)> <#CardNum(6)>|"),
        QStringLiteral("Кассир <#kassir(16)>|<#KASSIR>"),
        QString()});
    Sale sale = cashSale();
    sale.numbers[QStringLiteral("Summa")] = 2115.29;
    sale.texts[QStringLiteral("VidOpl")] = QStringLiteral("Безналичный расчет");
    sale.texts[QStringLiteral("CNT")] = QStringLiteral("ООО <#1 \"Ромашка\"");
    sale.texts[QStringLiteral("INN")] = QStringLiteral("7701234567");
    sale.texts[QStringLiteral("Driver")] = QStringLiteral("Сидоров Алексей Петрович");
    sale.texts[QStringLiteral("Auto")] = QStringLiteral("А123ВС 77");
    sale.texts[QStringLiteral("PutList")] = QStringLiteral("000451");
    sale.texts[QStringLiteral("CardNum")] = QStringLiteral("<#CardNum>");
    sale.texts[QStringLiteral("DscFullInfo")] =
        QStringLiteral("Скидка по договору: 3% (> 20 л)\r\n@Накопительная: 67,51 р.");
    EXPECT_TRUE(velta::test::matchesReference(QStringLiteral("receipts/reference/contragent-template.txt"),
                                              fill(contragentTemplate, sale)));
}

} // namespace
} // namespace velta::receipts
