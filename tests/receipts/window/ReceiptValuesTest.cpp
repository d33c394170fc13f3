// What a sale hands to the receipt builder, the discount detail lines, the
// printer comment, the template answer and the print function calls: the
// pieces of a receipt checked without a station.
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "plugin/receipts/window/DiscountDetail.h"
#include "plugin/receipts/window/PrinterComment.h"
#include "plugin/receipts/window/ReceiptCalls.h"
#include "plugin/receipts/window/ReceiptValues.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

Currency money(const char* text)
{
    return Variant::fromCurrencyText(QString::fromLatin1(text)).toCurrency();
}

// "name kind format value" of each value, numbers with six decimals.
QStringList described(const QList<ReceiptValue>& values)
{
    QStringList list;
    for (const ReceiptValue& v : values) {
        const char* kind = v.kind == TagKind::DateTime ? "date" : v.kind == TagKind::Number ? "number" : "text";
        list << QStringLiteral("%1 %2 %3 %4").arg(v.name, QString::fromLatin1(kind), v.defaultFormat,
                                                  v.kind == TagKind::Text ? v.text : QString::number(v.number, 'f', 6));
    }
    return list;
}

SaleRow contractSale()
{
    SaleRow sale;
    sale.sale = 40;
    sale.time = 45312.25;
    sale.fuel = QStringLiteral("АИ-92");
    sale.liter = money("196.2");
    sale.massa = 145.188;
    sale.summa = money("9123.3");
    sale.tripSheet = QStringLiteral("ПЛ-00040");
    sale.contragent = QStringLiteral("Агрохолдинг Заря");
    sale.driver = QStringLiteral("Смирнов А.В.");
    sale.carNumber = QStringLiteral("В137АР 48");
    sale.payType = 108;
    sale.inn = QStringLiteral("4813000333");
    sale.buyer = QStringLiteral("Договор 12");
    sale.baseSumma = money("9319.5");
    sale.trkDensity = money("0.74");
    return sale;
}

ReceiptContext context()
{
    return {45352.5, QStringLiteral("Петрова"), QStringLiteral("АЗС №7"), QStringLiteral("ООО Велта"),
            QStringLiteral("Договорной"), QStringLiteral("Скидка: 2.0% договор")};
}

TEST(ReceiptValuesTest, ASaleGivesEveryVariableInOrderWithItsKindAndDefaultFormat)
{
    EXPECT_EQ(described(SaleReceiptValues(contractSale(), context())),
              (QStringList{
                  "DateTime date dd.mm.yyyy hh:mm:ss 45312.250000",
                  "CurDateTime date dd.mm.yyyy hh:mm:ss 45352.500000",
                  "Liter number .2 196.200000",
                  "Massa number .2 145.188000",
                  "Price number .2 46.500000",
                  "TRKDens number .4 0.740000",
                  "Summa number .2 9123.300000",
                  "GSM text  АИ-92",
                  "CardNum text  Договор 12",
                  "DogCNT text  Договор 12",
                  "Dsc number .2 2.105263",
                  "DscSum number .2 196.200000",
                  "VidOpl text  Договорной",
                  "AZS text  АЗС №7",
                  "Kassir text  Петрова",
                  "OrgName text  ООО Велта",
                  "DscFullInfo text  Скидка: 2.0% договор",
                  "CNT text  Агрохолдинг Заря",
                  "INN text  4813000333",
                  "Driver text  Смирнов А.В.",
                  "Auto text  В137АР 48",
                  "PutList text  ПЛ-00040",
                  "TalonList text  Договор 12",
              }));
}

double valueOf(const QList<ReceiptValue>& values, const char* name)
{
    for (const ReceiptValue& v : values)
        if (v.name == QLatin1String(name))
            return v.number;
    ADD_FAILURE() << "no value " << name;
    return -1;
}

bool hasValue(const QList<ReceiptValue>& values, const char* name)
{
    for (const ReceiptValue& v : values)
        if (v.name == QLatin1String(name))
            return true;
    return false;
}

TEST(ReceiptValuesTest, ZeroVolumeAmountOrBaseAmountGiveZeroPriceOrDiscountAndNoDensityLeavesItsVariableOut)
{
    SaleRow sale = contractSale();
    sale.liter = Currency{};
    sale.trkDensity = Currency{};
    QList<ReceiptValue> values = SaleReceiptValues(sale, context());
    EXPECT_EQ(valueOf(values, "Price"), 0);
    EXPECT_FALSE(hasValue(values, "TRKDens"));

    sale = contractSale();
    sale.summa = Currency{};
    values = SaleReceiptValues(sale, context());
    EXPECT_EQ(valueOf(values, "Dsc"), 0);
    EXPECT_DOUBLE_EQ(valueOf(values, "DscSum"), 9319.5);

    // A charged sale without an amount before discount has no percentage to divide out.
    sale = contractSale();
    sale.baseSumma = Currency{};
    values = SaleReceiptValues(sale, context());
    EXPECT_EQ(valueOf(values, "Dsc"), 0);
    EXPECT_DOUBLE_EQ(valueOf(values, "DscSum"), -9123.3);
}

TEST(ReceiptValuesTest, MoneyIsTakenExactly)
{
    // 0.1 + 0.2 as doubles is not 0.3; as four-decimal money it is.
    EXPECT_DOUBLE_EQ(DiscountPercent(money("0.2"), money("0.3")), (0.1 / 0.3) * 100);
    SaleRow sale = contractSale();
    sale.summa = money("0.2");
    sale.baseSumma = money("0.3");
    EXPECT_EQ(valueOf(SaleReceiptValues(sale, context()), "DscSum"), 0.1);
}

TEST(ReceiptValuesTest, ThePayTypeNameIsTheFirstWithTheCodeOrUnknown)
{
    const auto row = [](const char* name, const char* code) {
        return Variant(Variant::Array{Variant(QString::fromUtf8(name)), Variant(QString::fromLatin1(code)),
                                      Variant(QStringLiteral("4")), Variant(-1)});
    };
    const Variant table(Variant::Array{row("Наличные", "0"), row("Ведомость +", "104"), row("Ведомость 2", "104")});
    EXPECT_EQ(PayTypeName(table, 104), QStringLiteral("Ведомость +"));
    EXPECT_EQ(PayTypeName(table, 0), QStringLiteral("Наличные"));
    EXPECT_EQ(PayTypeName(table, 4), QStringLiteral("неизвестно"));
    EXPECT_EQ(PayTypeName(Variant(), 0), QStringLiteral("неизвестно"));
}

TEST(ReceiptValuesTest, DiscountLinesCarryOneDecimalAndTheUnitOfTheirKind)
{
    const TFormatSettings saved = globalFormatSettings();
    globalFormatSettings().DecimalSeparator = QLatin1Char(',');
    const QString text = DiscountDetailText({
        {QStringLiteral("Карта"), 1, money("5"), QStringLiteral("№ 1002")},
        {QStringLiteral("Акция"), 2, money("150.74"), QStringLiteral("весна")},
        {QStringLiteral("Бонус"), 3, money("2.36"), QString()},
        {QStringLiteral("Прочее"), 7, money("1"), QStringLiteral("x")},
    });
    globalFormatSettings() = saved;
    EXPECT_EQ(text, QStringLiteral("Карта: 5,0% № 1002\r\nАкция: 150,7р. весна\r\nБонус: 2,4л. \r\nПрочее: 1,0 x"));
    EXPECT_EQ(DiscountDetailText({}), QString());
}

TEST(ReceiptValuesTest, ThePrinterCommentBreaksLinesAsHtmlAndLeavesTheTextAlone)
{
    EXPECT_EQ(PrinterComment(QStringLiteral("   ")), QString());
    EXPECT_EQ(PrinterComment(QString()), QString());
    EXPECT_EQ(PrinterComment(QStringLiteral("Первая\r\nвторая <b>&</b>\nтретья")),
              QStringLiteral("<br />Первая<br />вторая <b>&</b><br />третья<br /><br />"));
}

TEST(ReceiptValuesTest, TheTemplateAnswerMustCarryTheMarker)
{
    EXPECT_EQ(ReceiptTemplateOf(QStringLiteral("#!OK!#Итого <#Summa>\r\n")), QStringLiteral("Итого <#Summa>\r\n"));
    EXPECT_EQ(ReceiptTemplateOf(QStringLiteral("#!OK!#")), QString());
    try {
        ReceiptTemplateOf(QStringLiteral("Итого <#Summa>"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Установлена слишком старая библиотека "
                                              "\"C:\\DEXE\\VeltaReportCreator9.dll\".\r\n"
                                              "Обновите библиотеку и повторите попытку печати!"));
    }
}

TEST(ReceiptValuesTest, TheArgumentsOfTheServiceReport)
{
    const Variant templateParams = ReceiptTemplateParams(104);
    ASSERT_EQ(templateParams.arrayCount(), 2);
    EXPECT_EQ(templateParams.at(0).type(), VarType::Byte);
    EXPECT_EQ(templateParams.at(0).toInt(), 9);
    EXPECT_EQ(templateParams.at(1).toInt(), 104);
    const Variant printerParams = PrinterReceiptParams(-1, QStringLiteral("Петрова"), QStringLiteral("2"), QString());
    ASSERT_EQ(printerParams.arrayCount(), 5);
    EXPECT_EQ(printerParams.at(0).type(), VarType::Byte);
    EXPECT_EQ(printerParams.at(0).toInt(), 8);
    EXPECT_EQ(printerParams.at(1).toInt(), -1);
    EXPECT_EQ(printerParams.at(2).toString(), QStringLiteral("Петрова"));
}

// ---- the host's print functions ----

struct PrintCall {
    QString form;
    QStringList lines;
};
std::vector<PrintCall> printCalls;

void fiveArguments(int a, int b, const QStringList& lines, int c, int d)
{
    printCalls.push_back({QStringLiteral("%1 %2 %3 %4").arg(a).arg(b).arg(c).arg(d), lines});
}

void threeArguments(int kind, const QStringList& lines, bool flag)
{
    printCalls.push_back({QStringLiteral("%1 %2").arg(kind).arg(flag), lines});
}

TEST(ReceiptPrintFunctionsTest, EachCopyIsOneCallOfTheFiveArgumentFunctionWhenThereIsOne)
{
    const QStringList lines{QStringLiteral("@ИТОГО: 10"), QString(), QStringLiteral("Спасибо")};
    printCalls.clear();
    PrintReceiptLines({&fiveArguments, &threeArguments}, lines, 3);
    ASSERT_EQ(printCalls.size(), 3u);
    for (const PrintCall& call : printCalls) {
        EXPECT_EQ(call.form, QStringLiteral("0 2 1 1"));
        EXPECT_EQ(call.lines, lines);
    }

    printCalls.clear();
    PrintReceiptLines({nullptr, &threeArguments}, lines, 1);
    ASSERT_EQ(printCalls.size(), 1u);
    EXPECT_EQ(printCalls[0].form, QStringLiteral("2 1"));
    EXPECT_EQ(printCalls[0].lines, lines);

    printCalls.clear();
    try {
        PrintReceiptLines({}, lines, 2);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Ошибка при запросе адреса функции печати произвольного чека!"));
    }
    EXPECT_TRUE(printCalls.empty());
}

} // namespace
} // namespace velta::receipts
