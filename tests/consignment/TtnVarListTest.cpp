// The free variables of a note in VARLIST: ten lines in row order with the
// empty rows, a value holding "|" coming back whole, and what loading does
// with lines it cannot use.
#include "plugin/consignment/records/TtnVarList.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::consignment;

namespace {

TEST(TtnVarList, TenLinesInRowOrderEmptyRowsIncluded)
{
    TtnVariables vars;
    vars[0] = {QStringLiteral("Договор"), QStringLiteral("№5 от 10.01.2024")};
    vars[1] = {QStringLiteral("Склад"), QString()};
    vars[9] = {QString(), QStringLiteral("только значение")};
    const QString text = TtnVarListText(vars);
    QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.takeLast(), QString()) << "each line ends with a line break";
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("1=Договор|№5 от 10.01.2024"));
    EXPECT_EQ(lines[1], QStringLiteral("2=Склад|"));
    EXPECT_EQ(lines[2], QStringLiteral("3=|"));
    EXPECT_EQ(lines[8], QStringLiteral("9=|"));
    EXPECT_EQ(lines[9], QStringLiteral("10=|только значение"));

    TtnVariables back;
    TtnVarListLoad(text, back);
    EXPECT_EQ(back, vars);
}

TEST(TtnVarList, AValueHoldingABarComesBackWholeAndIsStoredAsTyped)
{
    TtnVariables vars;
    vars[1] = {QStringLiteral("Маршрут"), QStringLiteral("Липецк|Елец|Тамбов")};
    vars[2] = {QStringLiteral("Пусто"), QStringLiteral("|")};
    const QString text = TtnVarListText(vars);
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n2=Маршрут|Липецк|Елец|Тамбов\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\n3=Пусто||\r\n")));

    TtnVariables back;
    TtnVarListLoad(text, back);
    EXPECT_EQ(back[1].Name, QStringLiteral("Маршрут"));
    EXPECT_EQ(back[1].Value, QStringLiteral("Липецк|Елец|Тамбов"));
    EXPECT_EQ(back[2].Value, QStringLiteral("|"));
    EXPECT_EQ(TtnVarListText(back), text) << "a second save keeps the stored form";
}

TEST(TtnVarList, LoadingFillsOnlyTheRowsItsLinesName)
{
    TtnVariables vars;
    for (int i = 0; i < kTtnVariableCount; ++i)
        vars[i] = {QStringLiteral("n%1").arg(i + 1), QStringLiteral("v%1").arg(i + 1)};
    // Line feeds alone, rows out of order, a row without "|", rows that do
    // not exist and lines of another form (an older note's "name=value").
    TtnVarListLoad(QStringLiteral("4=Четыре|4\n2=без черты\n11=x|y\n0=x|y\nДоговор=№1|2\n=|\n\n7=a=b|c=d"), vars);
    EXPECT_EQ(vars[3], (TtnVariable{QStringLiteral("Четыре"), QStringLiteral("4")}));
    EXPECT_EQ(vars[1], TtnVariable{}) << "without \"|\" name and value empty";
    EXPECT_EQ(vars[6], (TtnVariable{QStringLiteral("a=b"), QStringLiteral("c=d")}));
    for (int row : {1, 3, 5, 6, 9, 10})
        EXPECT_EQ(vars[row - 1].Name, QStringLiteral("n%1").arg(row)) << "row " << row;
}

TEST(TtnVarList, TheRowsGoToAndComeFromTheEditorFields)
{
    TtnVariables vars;
    vars[0] = {QStringLiteral("Имя"), QStringLiteral("Значение")};
    vars[9] = {QStringLiteral("Десять"), QStringLiteral("10")};
    TtnEditorValues values{{QStringLiteral("edVarDsc1"), Variant(QStringLiteral("описание"))}};
    TtnVariablesToEditors(vars, values);
    EXPECT_EQ(values[QStringLiteral("edVarName10")].toString(), QStringLiteral("Десять"));
    EXPECT_EQ(values[QStringLiteral("edVarValue1")].toString(), QStringLiteral("Значение"));
    EXPECT_EQ(values[QStringLiteral("edVarName5")].toString(), QString());
    EXPECT_EQ(values.size(), 21u);
    EXPECT_EQ(TtnVariablesFromEditors(values), vars);
    EXPECT_EQ(TtnVariablesFromEditors({}), TtnVariables{});
}

} // namespace
