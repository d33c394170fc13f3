// The stand-in report: every parameter listed with its position, type and
// value, in a framed fixed-pitch text and an HTML page.
#include "station/reports/engine/ReportPlaceholder.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "tests/support/ReferenceFile.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace velta::test {
namespace {

using station::ReportPlaceholder;

// The report's text or page against its reference file.
::testing::AssertionResult matchesReport(const char* name, const QString& produced)
{
    return matchesReference(QStringLiteral("station/reports/reference/") + QLatin1String(name), produced);
}

QStringList tableLines(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(QLatin1Char('+')) || line.startsWith(QLatin1Char('|')))
            lines << line;
    }
    return lines;
}

TEST(ReportPlaceholder, ListsEachParameterWithPositionTypeAndValue)
{
    const Variant params(Variant::Array{Variant(static_cast<std::uint8_t>(19)), Variant(-1),
                                        Variant(QStringLiteral("Иванов")), Variant(true),
                                        Variant::fromDate(EncodeDateTime(2023, 1, 5, 7, 8, 9, 0)),
                                        Variant(Currency{125000}), Variant(0.25), Variant::null()});
    const ReportPlaceholder report(45, params);
    const auto& rows = report.rows();
    ASSERT_EQ(rows.size(), 8);
    const QStringList expected[] = {
        {"0", "Byte", "19"},
        {"1", "Integer", "-1"},
        {"2", "OleStr", "\"Иванов\""},
        {"3", "Boolean", "True"},
        {"4", "Date", "05.01.2023 07:08:09"},
        {"5", "Currency", "12.5000"},
        {"6", "Double", "0.25"},
        {"7", "Null", "Null"},
    };
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(QStringList({rows[i].position, rows[i].type, rows[i].value}), expected[i]) << i;
    }
    // The title, the framed table with one row per parameter, and the same as a page.
    const station::ReportRendering rendering = report.render();
    EXPECT_TRUE(matchesReport("placeholder-all-types.txt", rendering.text));
    EXPECT_TRUE(matchesReport("placeholder-all-types.html", rendering.html));
}

TEST(ReportPlaceholder, NestedArraysGetDottedPositions)
{
    const Variant params(Variant::Array{
        Variant(1), Variant(Variant::Array{Variant(QStringLiteral("a")), Variant(Variant::Array{Variant(2)})})});
    const ReportPlaceholder report(10, params);
    QStringList positions;
    for (const auto& row : report.rows())
        positions << row.position + QLatin1Char('=') + row.value;
    EXPECT_EQ(positions, QStringList({"0=1", "1=элементов: 2", "1.0=\"a\"", "1.1=элементов: 1", "1.1.0=2"}));
}

TEST(ReportPlaceholder, TextFrameIsRectangularWithWrappedLongValues)
{
    const QString longText(150, QLatin1Char('x'));
    const Variant params(Variant::Array{Variant(longText), Variant(QStringLiteral("two\r\nlines\tand tab"))});
    const QString text = ReportPlaceholder(7, params).render().text;
    EXPECT_TRUE(matchesReport("placeholder-wrapped.txt", text));
    const QStringList lines = tableLines(text);
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_EQ(line.size(), lines.first().size()) << line.toStdString();
    // Header rule, heading, rule, 152 characters in three lines, a one-line text, closing rule.
    EXPECT_EQ(lines.size(), 3 + 3 + 1 + 1);
    // Positions one wide, "OleStr" the widest type, values at their width limit.
    EXPECT_EQ(lines.first().size(), 2 + 1 + 3 + 6 + 3 + ReportPlaceholder::kMaxValueWidth + 2);
    EXPECT_TRUE(lines.filter(QStringLiteral("\"two  lines and tab\"")).size() == 1);
}

TEST(ReportPlaceholder, EmptyOrMissingParametersAreSaid)
{
    for (const Variant& params : {Variant(), Variant(Variant::Array{})}) {
        const station::ReportRendering r = ReportPlaceholder(3, params).render();
        EXPECT_TRUE(matchesReport("placeholder-empty.txt", r.text));
        EXPECT_TRUE(tableLines(r.text).isEmpty());
        EXPECT_TRUE(matchesReport("placeholder-empty.html", r.html));
    }
}

TEST(ReportPlaceholder, SingleValueInsteadOfArrayIsListed)
{
    const ReportPlaceholder report(12, Variant(5));
    ASSERT_EQ(report.rows().size(), 1);
    EXPECT_EQ(report.rows()[0].position, QStringLiteral("-"));
    EXPECT_EQ(report.rows()[0].value, QStringLiteral("5"));
}

TEST(ReportPlaceholder, HtmlEscapesValuesAndKeepsPercentSigns)
{
    const Variant params(Variant::Array{Variant(QStringLiteral("<b>A&B</b> %1 %2"))});
    const QString html = ReportPlaceholder(35, params).render().html;
    EXPECT_TRUE(matchesReport("placeholder-escaped.html", html));
    EXPECT_FALSE(html.contains(QStringLiteral("<b>A")));
}

TEST(ReportPlaceholder, ValuesOfRareTypes)
{
    EXPECT_EQ(ReportPlaceholder::valueText(Variant(QByteArray("\x01\xAB", 2))), QStringLiteral("байт: 2 01AB"));
    EXPECT_EQ(ReportPlaceholder::valueText(Variant(QByteArray(20, 'A'))),
              QStringLiteral("байт: 20 ") + QStringLiteral("41").repeated(16) + QStringLiteral("..."));
    EXPECT_EQ(ReportPlaceholder::valueText(Variant(static_cast<long long>(-9'000'000'000LL))),
              QStringLiteral("-9000000000"));
    // A date the calendar cannot show is written as its number.
    EXPECT_EQ(ReportPlaceholder::valueText(Variant::fromDate(1e9)), QStringLiteral("1000000000"));
}

TEST(ReportPlaceholder, NestingBeyondTheLimitIsRefused)
{
    Variant deep(Variant::Array{});
    for (int i = 0; i < kMaxVariantNesting; ++i)
        deep = Variant(Variant::Array{deep});
    EXPECT_THROW(ReportPlaceholder(1, Variant(Variant::Array{deep})), EVariantError);
}

} // namespace
} // namespace velta::test
