// The sale selection without its window, over a list of sales of the test's
// own: marking and the main sale, merging sales of one fuel as the user
// answers, the header values, the contragent check, the limit of ten
// records, and the array the note editor receives.
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "plugin/consignment/selection/SaleSelection.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/VariantDescription.h"

#include <QVector>
#include <gtest/gtest.h>

namespace velta::consignment {
namespace {

Currency money(const char* text)
{
    return Variant::fromCurrencyText(QString::fromLatin1(text)).toCurrency();
}

// The sales as a plain list; rows are numbered from 1.
class ListSaleRows : public SaleRows {
public:
    QVector<SaleRow> rows;
    int current = 1;
    QVector<int> visited; // every row moved to

    int CurrentRow() const override { return rows.isEmpty() ? 0 : current; }
    void MoveTo(int row) override
    {
        visited << row;
        current = row;
    }
    SaleRow ReadCurrent() const override { return rows.value(current - 1); }
};

SaleRow sale(int number, const char* fuel, const char* volume, const char* mass, const char* sum,
             const char* carrier = "ООО Ромашка")
{
    SaleRow row;
    row.saleNumber = number;
    row.saleTime = 45000 + number / 100.0;
    row.fuelName = QString::fromUtf8(fuel);
    row.volume = money(volume);
    row.mass = money(mass);
    row.density = money("0.75");
    row.sum = money(sum);
    row.carrierName = QString::fromUtf8(carrier);
    return row;
}

QString mergeQuestion(const char* fuel, const char* figures)
{
    return QStringLiteral("Уже есть отгрузка топлива \"%1\"\r\n\r\nВы хотите объединить отгрузку топлива:\r\n"
                          "%2\r\nс имеющейся отгрузкой (нажать ДА), или хотите\r\n"
                          "хотите разместить эту отгрузку в отдельной\r\nстроке ТТН (нажать НЕТ)?")
        .arg(QString::fromUtf8(fuel), QString::fromUtf8(figures));
}

const QString kMixed = QStringLiteral(
    "Для выбранных отливов указан разный контрагент!\r\nВы действительно хотите поместить все выбранные\r\n"
    "отливы в одной ТТН?");

class SaleSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = globalFormatSettings();
        globalFormatSettings() = TFormatSettings::systemDefaults();
        globalFormatSettings().DecimalSeparator = QLatin1Char('.');
        globalFormatSettings().ThousandSeparator = QLatin1Char(' ');
    }
    void TearDown() override
    {
        dialogs.verify();
        globalFormatSettings() = saved_;
    }

    // Space on the given rows, in order.
    void mark(std::initializer_list<int> rowsToMark)
    {
        for (int row : rowsToMark) {
            list.current = row;
            selection.ToggleCurrent();
        }
    }
    void markMain(int row)
    {
        list.current = row;
        selection.MarkMainCurrent();
    }
    QVector<int> markedRows() const
    {
        QVector<int> found;
        for (const TSaleSelection::Entry& e : selection.Marked())
            found << e.row;
        return found;
    }
    void expectMerge(const char* fuel, const char* figures, int answer)
    {
        dialogs.expectMessageBox(mergeQuestion(fuel, figures))
            .withCaption(QStringLiteral("Внимание"))
            .when([](const DialogCall& call) { return call.flags == (MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2); },
                  QStringLiteral("Yes, No and Cancel with No as the default"))
            .answer(answer);
    }

    ListSaleRows list;
    TSaleSelection selection{list};
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    TFormatSettings saved_;
};

TEST_F(SaleSelectionTest, MarkingKeysKeepOrderAndMainSale)
{
    for (int i = 1; i <= 5; ++i)
        list.rows << sale(100 + i, "АИ-92", "10", "7.5", "500");
    list.rows << sale(0, "АИ-92", "10", "7.5", "500"); // a row without a sale number

    mark({3, 1, 5});
    EXPECT_EQ(markedRows(), (QVector<int>{3, 1, 5}));
    EXPECT_EQ(selection.Marked().at(1).saleNumber, 101);
    EXPECT_FALSE(selection.MainIndex());

    mark({6});
    markMain(6);
    EXPECT_EQ(markedRows(), (QVector<int>{3, 1, 5})) << "a row without a sale number is never marked";

    markMain(5);
    EXPECT_EQ(selection.MainIndex(), 2);
    EXPECT_TRUE(selection.IsMain(5));
    markMain(5);
    EXPECT_FALSE(selection.MainIndex()) << "M on the main sale clears the main sale";
    markMain(4);
    EXPECT_EQ(markedRows(), (QVector<int>{3, 1, 5, 4})) << "M marks an unmarked row";
    EXPECT_EQ(selection.MainIndex(), 3);

    // Unmarking an entry before the main one keeps the main sale.
    mark({1});
    EXPECT_EQ(markedRows(), (QVector<int>{3, 5, 4}));
    EXPECT_EQ(selection.MainIndex(), 2);
    EXPECT_TRUE(selection.IsMain(4));
    // After it: the main sale stays where it is.
    mark({4});
    EXPECT_FALSE(selection.MainIndex()) << "unmarking the main sale leaves none";
    markMain(3);
    mark({5});
    EXPECT_EQ(selection.MainIndex(), 0);
    EXPECT_TRUE(selection.IsMain(3));
}

TEST_F(SaleSelectionTest, OkWithNothingMarkedTakesCurrentRowAsMain)
{
    list.rows << sale(7, "ДТ", "100", "84", "6000") << sale(8, "ДТ", "50", "42", "3000");
    list.current = 2;
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    EXPECT_EQ(markedRows(), QVector<int>{2});
    EXPECT_EQ(selection.MainIndex(), 0);
    ASSERT_EQ(selection.Records().size(), 1);
    EXPECT_EQ(selection.Records().front().saleNumber, 8);
    EXPECT_TRUE(selection.Records().front().main);
    EXPECT_EQ(list.current, 2);

    // An empty list or a row without a sale gives no record, and the window may close.
    ListSaleRows empty;
    TSaleSelection none(empty);
    EXPECT_EQ(none.Ok(dialogs), TSaleSelection::OkResult::Close);
    EXPECT_TRUE(none.Records().isEmpty());
}

TEST_F(SaleSelectionTest, MergingAndSeparateLinesFollowTheAnswers)
{
    list.rows << sale(11, "АИ-95", "40", "30", "2000") << sale(12, "ДТ", "20", "16.8", "1200")
              << sale(13, "АИ-95", "10.5", "7.875", "525.55") << sale(14, "АИ-95", "3", "2.25", "150");
    list.rows[0].meterMass = money("30.1");
    list.rows[2].meterMass = money("7.9");
    list.rows[3].meterMass = money("2.2");
    mark({1, 2, 3, 4});
    list.current = 2;
    expectMerge("АИ-95", "объем: 10.50л., масса: 7.88кг, плотн.: 0.75, сумма: 525.55р.", IDYES);
    expectMerge("АИ-95", "объем: 3.00л., масса: 2.25кг, плотн.: 0.75, сумма: 150.00р.", IDNO);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    EXPECT_EQ(list.current, 2) << "the current row comes back";

    const QList<TTideRecord>& r = selection.Records();
    ASSERT_EQ(r.size(), 4);
    EXPECT_EQ(r[0], (TTideRecord{11, QStringLiteral("АИ-95"), money("50.5"), money("37.875"), money("2525.55"),
                                 money("0.75"), money("38"), money("0.7525"), true}));
    EXPECT_EQ(r[1].name, QStringLiteral("ДТ"));
    EXPECT_EQ(r[1].density, money("0.84"));
    EXPECT_EQ(r[1].meterMass, Currency{}) << "no meter mass when the sale has none";
    EXPECT_EQ(r[2], (TTideRecord{13, QStringLiteral("АИ-95 (объединено)"), money("10.5"), money("7.875"),
                                 money("525.55"), money("0.75"), money("7.9"), money("0.7524"), false}));
    EXPECT_EQ(r[3].name, QStringLiteral("АИ-95")) << "No keeps a line of its own";
    EXPECT_EQ(r[3].saleNumber, 14);
    EXPECT_TRUE(r[3].main);
}

TEST_F(SaleSelectionTest, CancellingTheMergeQuestionKeepsTheWindowOnItsRow)
{
    list.rows << sale(21, "АИ-92", "10", "7.5", "500") << sale(22, "АИ-92", "10", "7.5", "500")
              << sale(23, "АИ-92", "10", "7.5", "500");
    mark({1, 2});
    list.current = 3;
    expectMerge("АИ-92", "объем: 10.00л., масса: 7.50кг, плотн.: 0.75, сумма: 500.00р.", IDCANCEL);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Stay);
    EXPECT_EQ(list.current, 3);
    EXPECT_EQ(markedRows(), (QVector<int>{1, 2}));

    // The next OK starts over.
    expectMerge("АИ-92", "объем: 10.00л., масса: 7.50кг, плотн.: 0.75, сумма: 500.00р.", IDYES);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    ASSERT_EQ(selection.Records().size(), 2);
    EXPECT_EQ(selection.Records()[0].volume, money("20"));
}

TEST_F(SaleSelectionTest, HeaderComesFromFirstSalesHavingValuesOrAllFromTheMainSale)
{
    SaleRow a = sale(31, "АИ-92", "10", "7.5", "500");
    a.driverName = QStringLiteral("Иванов И.И.");
    a.consigneeId = 0;
    SaleRow b = sale(32, "ДТ", "10", "8.4", "600");
    b.carrierId = 5;
    b.driverName = QStringLiteral("Петров П.П.");
    b.carNumber = QStringLiteral("А123ВС 48");
    b.trailerMake = QStringLiteral("НЕФАЗ 8560");
    b.tripSheet = QStringLiteral("ПЛ-00032");
    b.consigneeId = 9;
    SaleRow c = sale(33, "АИ-95", "10", "7.5", "700");
    c.carrierId = 6;
    c.carMake = QStringLiteral("МАЗ");
    c.consigneeId = 9;
    list.rows << a << b << c;

    mark({1, 2, 3});
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    const SaleSelectionHeader& h = selection.Header();
    EXPECT_EQ(h.saleTime, a.saleTime);
    EXPECT_EQ(h.carrierId, 5);
    EXPECT_EQ(h.driverName, QStringLiteral("Иванов И.И."));
    EXPECT_EQ(h.carMake, QStringLiteral("МАЗ"));
    EXPECT_EQ(h.carNumber, QStringLiteral("А123ВС 48"));
    EXPECT_EQ(h.trailerMake, QStringLiteral("НЕФАЗ 8560"));
    EXPECT_EQ(h.tripSheet, QStringLiteral("ПЛ-00032"));
    EXPECT_EQ(h.consigneeId, 9);

    // With a main sale every value is that sale's, empty ones too.
    markMain(3);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    SaleSelectionHeader expected;
    expected.saleTime = c.saleTime;
    expected.carrierId = 6;
    expected.carrierName = c.carrierName;
    expected.carMake = QStringLiteral("МАЗ");
    expected.consigneeId = 9;
    EXPECT_EQ(selection.Header(), expected);
}

TEST_F(SaleSelectionTest, MixedContragentsAreConfirmedOnlyWithoutMainSale)
{
    list.rows << sale(41, "АИ-92", "10", "7.5", "500", "ООО Ромашка") << sale(42, "ДТ", "10", "8.4", "600", "ООО Лютик");
    mark({1, 2});
    dialogs.expectMessageBox(kMixed).withCaption(QStringLiteral("Внимание!")).answer(IDCANCEL);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Stay);
    dialogs.expectMessageBox(kMixed).withCaption(QStringLiteral("Внимание!")).answer(IDOK);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);

    markMain(2);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close) << "no question with a main sale";
}

TEST_F(SaleSelectionTest, ConsigneesMixWhenALaterSaleDiffersFromTheFirstNonZero)
{
    const auto withConsignees = [&](std::initializer_list<int> ids) {
        list.rows.clear();
        int n = 50;
        for (int id : ids) {
            SaleRow row = sale(++n, "АИ-92", "1", "0.75", "50");
            row.fuelName += QString::number(n); // no merge questions
            row.consigneeId = id;
            list.rows << row;
        }
        while (!selection.Marked().isEmpty())
            selection.Unmark(0);
        for (int row = 1; row <= static_cast<int>(ids.size()); ++row)
            mark({row});
    };

    withConsignees({0, 7, 7});
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close) << "a 0 before the first consignee is no mix";

    withConsignees({7, 0});
    dialogs.expectMessageBox(kMixed).answer(IDCANCEL);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Stay) << "a later 0 differs";

    withConsignees({7, 8});
    dialogs.expectMessageBox(kMixed).answer(IDCANCEL);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Stay);
}

TEST_F(SaleSelectionTest, MergedSalesCountTowardTheLimitOfTen)
{
    for (int i = 1; i <= 6; ++i)
        list.rows << sale(60 + i, i <= 5 ? "АИ-92" : "ДТ", "10", "7.5", "500");
    for (int i = 1; i <= 6; ++i)
        list.rows << sale(70 + i, "Газ", "10", "5.4", "300");
    for (int row = 1; row <= 11; ++row)
        mark({row});
    // Four АИ-92 and five Газ sales merged: eleven records on two fuel lines.
    for (int i = 0; i < 4; ++i)
        expectMerge("АИ-92", "объем: 10.00л., масса: 7.50кг, плотн.: 0.75, сумма: 500.00р.", IDYES);
    for (int i = 0; i < 4; ++i)
        expectMerge("Газ", "объем: 10.00л., масса: 5.40кг, плотн.: 0.75, сумма: 300.00р.", IDYES);
    dialogs.expectMessageBox(QStringLiteral(
                                 "Максимальное количество грузов: 10. Вы выбрали: 11\r\nНеобходимо снять выбор лишних "
                                 "грузов (клавишей Пробел)!"))
        .withCaption(QStringLiteral("Внимание!"))
        .when([](const DialogCall& call) { return (call.flags & MB_ICONMASK) == MB_ICONERROR; }, QStringLiteral("error icon"))
        .answer(IDOK);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Stay);
    EXPECT_EQ(selection.Records().size(), 11);

    // Ten records pass.
    mark({11});
    for (int i = 0; i < 4; ++i)
        expectMerge("АИ-92", "объем: 10.00л., масса: 7.50кг, плотн.: 0.75, сумма: 500.00р.", IDYES);
    for (int i = 0; i < 3; ++i)
        expectMerge("Газ", "объем: 10.00л., масса: 5.40кг, плотн.: 0.75, сумма: 300.00р.", IDYES);
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    EXPECT_EQ(selection.Records().size(), 10);
}

TEST_F(SaleSelectionTest, ZeroVolumeKeepsDensitiesAtZero)
{
    list.rows << sale(81, "АИ-92", "0", "0", "0");
    list.rows[0].meterMass = money("1");
    EXPECT_EQ(selection.Ok(dialogs), TSaleSelection::OkResult::Close);
    ASSERT_EQ(selection.Records().size(), 1);
    EXPECT_EQ(selection.Records()[0].density, Currency{});
    EXPECT_EQ(selection.Records()[0].meterDensity, Currency{});
}

TEST_F(SaleSelectionTest, ResultArrayHoldsTypedHeaderAndCargoElements)
{
    SaleSelectionResult result;
    result.header.saleTime = 45352.5;
    result.header.carrierId = 12;
    result.header.carrierName = QStringLiteral("ООО Ромашка");
    result.header.tripSheet = QStringLiteral("ПЛ-1");
    result.header.consigneeId = 4;
    result.records << TTideRecord{5, QStringLiteral("ДТ"), Currency{100000}, Currency{84000}, Currency{60000000},
                                  Currency{8400}, Currency{84100}, Currency{8410}, true};
    const Variant array = result.toVariant();
    EXPECT_EQ(test::describe(array).toStdString(),
              std::string("[[date:45352.500000, i32:12, str:ООО Ромашка, str:, str:, str:, str:, str:, str:, str:, "
                             "str:ПЛ-1, i32:4], [[i32:5, str:ДТ, Currency:10, Currency:8.4, Currency:6000, "
                             "Currency:0.84, bool:1, Currency:8.41, Currency:0.841]]]"));
    EXPECT_EQ(SaleSelectionResult::fromVariant(array), result);
    EXPECT_EQ(SaleSelectionResult::fromVariant(Variant(Variant::Array{})), std::nullopt) << "a skipped selection";
    EXPECT_THROW(SaleSelectionResult::fromVariant(Variant(Variant::Array{Variant(1), Variant(2)})), EVariantError);
    EXPECT_THROW(SaleSelectionResult::fromVariant(Variant(3)), EVariantError);
}

} // namespace
} // namespace velta::consignment
