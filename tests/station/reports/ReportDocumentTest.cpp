// The report document and its two renderings: framed text tables, the HTML
// page, the limits that stop a report, the number formats of cnf.ini and the
// messages for a malformed parameter array.
#include "station/reports/core/ReportDocument.h"
#include "station/reports/core/ReportFormats.h"
#include "station/reports/core/ReportHtmlRenderer.h"
#include "station/reports/core/ReportParams.h"
#include "station/reports/core/ReportTextRenderer.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "tests/support/ReferenceFile.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::test {
namespace {

using namespace velta::station;

ReportDocument sampleDocument()
{
    ReportDocument document(QStringLiteral("ЖУРНАЛ ПОСТУПЛЕНИЯ ТОПЛИВА"));
    document.addHeadLine(QStringLiteral("АЗС: №3 <Северная> & Ко"));
    document.addHeading(QStringLiteral("Резервуары"));
    ReportTable& table = document.addTable({{QStringLiteral("ГСМ"), CellAlign::Left},
                                            {QStringLiteral("Объем,\nл"), CellAlign::Right},
                                            {QStringLiteral("Сумма"), CellAlign::Right}});
    EXPECT_TRUE(document.addRow(table, {QStringLiteral("АИ-95"), QStringLiteral("1 250,00"), QStringLiteral("62 500,00")}));
    // A missing cell is blank; a line break inside a cell stays on one line; € is not in the DOS code page.
    EXPECT_TRUE(document.addRow(table, {QStringLiteral("ДТ\nзимнее €")}));
    table.totals.push_back({QStringLiteral("Итого"), QStringLiteral("1 250,00"), QStringLiteral("62 500,00")});
    document.addParagraph(QStringLiteral("Оператор: Иванов"));
    return document;
}

TEST(ReportDocument, RendersFramedTextAndACompleteHtmlPage)
{
    const ReportDocument document = sampleDocument();
    EXPECT_TRUE(matchesReference(QStringLiteral("station/reports/reference/document-sample.txt"),
                                 renderReportText(document)));
    EXPECT_TRUE(matchesReference(QStringLiteral("station/reports/reference/document-sample.html"),
                                 renderReportHtml(document)));
    EXPECT_TRUE(renderReportHtml(document, {false}).contains(QStringLiteral("thead { display: table-row-group; }")));
}

TEST(ReportDocument, StopsAtItsLimitsAndSaysWhy)
{
    ReportDocument byRows(QStringLiteral("T"), ReportLimits{3, 30});
    ReportTable& table = byRows.addTable({{QStringLiteral("N")}});
    int admitted = 0;
    for (int i = 0; i < 10 && byRows.addRow(table, {QString::number(i)}); ++i)
        ++admitted;
    EXPECT_EQ(admitted, 3);
    EXPECT_TRUE(byRows.truncated());
    EXPECT_FALSE(byRows.addRow(table, {QStringLiteral("late")}));
    // The table stays valid after the message was added behind it.
    table.totals.push_back({QStringLiteral("3")});
    const QString text = renderReportText(byRows);
    EXPECT_TRUE(text.contains(QStringLiteral("Отчет остановлен: число строк превысило 3")));
    EXPECT_FALSE(text.contains(QStringLiteral("late")));

    ReportDocument bySize(QStringLiteral("T"), ReportLimits{1000000, 1});
    ReportTable& wide = bySize.addTable({{QStringLiteral("Text")}});
    const QString cell(1000, QLatin1Char('x'));
    int rows = 0;
    while (bySize.addRow(wide, {cell}))
        ++rows;
    EXPECT_GT(rows, 1000);
    EXPECT_LT(rows, 1100);
    EXPECT_TRUE(renderReportText(bySize).contains(QStringLiteral("размер превысил 1 МБ")));
}

TEST(ReportFormats, ReadsCnfIniWithDefaultsAndOneCharacterSeparators)
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("cnf.ini"));
    const ReportFormats defaults = ReportFormats::fromFile(path);
    EXPECT_EQ(defaults.decL2, 2);
    EXPECT_EQ(defaults.limits.maxRows, 30000);
    EXPECT_EQ(defaults.limits.maxSizeMb, 30);
    EXPECT_TRUE(defaults.repeatHead);
    {
        TSafeIniFile ini(path);
        ini.WriteInteger(QStringLiteral("Reports"), QStringLiteral("DecL2"), 3);
        ini.WriteInteger(QStringLiteral("Reports"), QStringLiteral("DecKg2"), 9);
        ini.WriteHexString(QStringLiteral("Reports"), QStringLiteral("DecimalSeparator"), QStringLiteral("."));
        ini.WriteHexString(QStringLiteral("Reports"), QStringLiteral("ThousandSeparator"), QStringLiteral("ab"));
        ini.WriteInteger(QStringLiteral("Reports"), QStringLiteral("MaxRows"), 0);
        ini.WriteBool(QStringLiteral("SmenaRep"), QStringLiteral("RoundRVal"), true);
    }
    const ReportFormats formats = ReportFormats::fromFile(path);
    EXPECT_EQ(formats.litres(1234.5), QStringLiteral("1") + QString(defaults.numbers.ThousandSeparator)
                                          + QStringLiteral("234.500"));
    EXPECT_EQ(formats.decKg2, 3);
    EXPECT_EQ(formats.limits.maxRows, 1);
    EXPECT_EQ(formats.roundRVal, 1);
    EXPECT_EQ(formats.money(-0.005), QStringLiteral("-0.01"));
}

// Amounts of four decimals are written without the picture machinery; the
// text must be the picture's, halves, signs, carries and separators included.
TEST(ReportFormats, FourDecimalAmountsReadAsThePictureWritesThem)
{
    ReportFormats formats;
    formats.numbers.ThousandSeparator = QLatin1Char(' ');
    formats.numbers.DecimalSeparator = QLatin1Char(',');
    ReportFormats noGroups = formats;
    noGroups.numbers.ThousandSeparator = QChar();
    QVector<std::int64_t> scaled = {0, 1, 49, 50, 51, 4999, 5000, 5001, -50, -49, -5000, 9995, 99995, -99995,
                                    9999999999, 12345678901234, -12345678901234, 999999999999995};
    std::uint64_t seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const auto digits = std::int64_t(seed >> 20) % 1000000000000LL;
        scaled << (i % 2 ? -digits : digits) / (std::int64_t(1) << (i % 30));
    }
    for (const ReportFormats* f : {&formats, &noGroups}) {
        for (const std::int64_t s : scaled) {
            const double value = double(s) / 10000.0;
            for (int decimals = 0; decimals <= 4; ++decimals) {
                QString picture = QStringLiteral("#,##0");
                if (decimals > 0)
                    picture += QLatin1Char('.') + QString(decimals, QLatin1Char('0'));
                ASSERT_EQ(f->fixed(value, decimals), FormatFloat(picture, value, f->numbers)) << s << " " << decimals;
            }
        }
    }
    EXPECT_EQ(formats.money(1234567.895), QStringLiteral("1 234 567,90"));
    EXPECT_EQ(noGroups.litres(-0.00004), QStringLiteral("0,00"));
    EXPECT_EQ(formats.fixed(0.1 + 0.2, 2), QStringLiteral("0,30")); // not four decimals: the picture's way
}

TEST(ReportParams, MalformedArraysGiveMessagesNamingReportAndElement)
{
    const ReportParams params(12, Variant(Variant::Array{Variant(1.5), Variant(QStringLiteral("Альфа")),
                                                         Variant(Variant::Array{Variant(1), Variant(QStringLiteral("x"))})}));
    EXPECT_EQ(params.text(1), QStringLiteral("Альфа"));
    EXPECT_DOUBLE_EQ(params.dateTime(0), 1.5);
    const auto message = [&](auto&& call) {
        try {
            call();
        } catch (const EDatabaseError& e) {
            return e.message().toStdString();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { params.expectCount({7, 8}); }), std::string("Отчет №12 ожидает параметров: 7 или 8, получено: 3"));
    EXPECT_EQ(message([&] { params.integer(1); }), std::string("Отчет №12: параметр 1 должен быть целым числом, а не OleStr"));
    EXPECT_EQ(message([&] { params.integers(2); }),
              std::string("Отчет №12: параметр 2 должен быть массивом целых чисел, а не Array Variant"));
    EXPECT_EQ(message([&] { params.at(5); }), std::string("Отчет №12: нет параметра 5 (получено параметров: 3)"));
    EXPECT_EQ(ReportParams(1, Variant(QStringLiteral("x"))).count(), 0);
}

} // namespace
} // namespace velta::test
