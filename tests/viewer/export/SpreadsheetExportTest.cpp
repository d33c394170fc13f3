// Numbers and dates of an exported report stay numbers and dates in the
// spreadsheet: the value attributes of single cells, and the whole path from
// the browser's copy to an .ods file made by the real office program.
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/export/OfficeAutomation.h"
#include "plugin/viewer/export/ReportExport.h"
#include "plugin/viewer/export/SpreadsheetHtml.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/export/ExportTestDoubles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace velta {
namespace {

using viewer::SpreadsheetCellAttributes;
using viewer::SpreadsheetNumberFormat;

const QChar kNbsp(0x00A0);

TEST(SpreadsheetCellAttributes, NumbersInTheReportsSeparatorsGetValueAndBuiltInFormat)
{
    const SpreadsheetNumberFormat report; // ',' and a non-breaking space, the system's
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("66") + kNbsp + QStringLiteral("838,58"), report),
              QStringLiteral(" sdval=\"66838.58\" sdnum=\"1033;1049;# ##0,00\""));
    // A copy may turn the separator into a plain space; minus, no groups, no decimals.
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral(" -1 234 567,50 "), report),
              QStringLiteral(" sdval=\"-1234567.50\" sdnum=\"1033;1049;# ##0,00\""));
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("0,00"), report),
              QStringLiteral(" sdval=\"0.00\" sdnum=\"1033;1049;0,00\""));
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("12"), report), QStringLiteral(" sdval=\"12\" sdnum=\"1033;1049;0\""));
    // Three decimals have no built-in format: the value with the standard one.
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("1 234,567"), report),
              QStringLiteral(" sdval=\"1234.567\" sdnum=\"1033;\""));

    const SpreadsheetNumberFormat dotted{QLatin1Char('.'), QLatin1Char(',')};
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("66,838.58"), dotted),
              QStringLiteral(" sdval=\"66838.58\" sdnum=\"1033;1049;# ##0,00\""));
    // In these separators "66 838,58" is not a number.
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("66 838,58"), dotted), QString());
}

TEST(SpreadsheetCellAttributes, TextsCodesAndMalformedNumbersStayText)
{
    const SpreadsheetNumberFormat report;
    for (const char* text : {"", "АИ-92", "007", "1 23", "12 3456", "1 234 56,00", "12,3,4", "12,", ",5", "-",
                             "1 234,5x", "12345678901234567", "Итого:", "1-2"})
        EXPECT_EQ(SpreadsheetCellAttributes(QString::fromUtf8(text), report), QString()) << text;
}

TEST(SpreadsheetCellAttributes, DatesAndTimesAreDayNumbers)
{
    const SpreadsheetNumberFormat report;
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("15.03.2024"), report),
              QStringLiteral(" sdval=\"45366\" sdnum=\"1033;1049;DD.MM.YYYY\""));
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("15.03.2024 12:00:00"), report),
              QStringLiteral(" sdval=\"45366.5\" sdnum=\"1033;1049;DD.MM.YYYY HH:MM:SS\""));
    EXPECT_EQ(SpreadsheetCellAttributes(QStringLiteral("01.01.2024 6:30"), report),
              QStringLiteral(" sdval=\"45292.270833333336\" sdnum=\"1033;1049;DD.MM.YYYY HH:MM\""));
    for (const char* text : {"31.02.2024", "15.13.2024", "15.03.2024 24:00", "15.03.24"})
        EXPECT_EQ(SpreadsheetCellAttributes(QString::fromUtf8(text), report), QString()) << text;
}

TEST(AddSpreadsheetValues, OnlyNumberCellsChangeWhateverTheirMarkup)
{
    const QString html = QStringLiteral(
        "<table><tr><TD align=right><font size=2>1&nbsp;234,50</font></TD><td>АИ-92</td>"
        "<td sdval=\"1\" sdnum=\"1033;\">7,00</td><th>5<td colspan=2><p>&lt;3</p></td></tr></table>");
    EXPECT_EQ(viewer::AddSpreadsheetValues(html, {}),
              QStringLiteral("<table><tr><TD align=right sdval=\"1234.50\" sdnum=\"1033;1049;# ##0,00\"><font "
                             "size=2>1&nbsp;234,50</font></TD><td>АИ-92</td>"
                             "<td sdval=\"1\" sdnum=\"1033;\">7,00</td><th sdval=\"5\" sdnum=\"1033;1049;0\">5<td "
                             "colspan=2><p>&lt;3</p></td></tr></table>"));
}

// A cell of the spreadsheet: its value type, value and shown text.
struct SheetCell {
    QString type;
    QString value;
    QString text;
};

// The cells of an .ods file in order, read from its content.xml.
std::vector<SheetCell> readSheetCells(const QString& odsFile)
{
    QProcess unzip;
    unzip.start(QStringLiteral("python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import sys,zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read('content.xml'))"),
                 odsFile});
    if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0)
        return {};
    const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
    static const QRegularExpression cell(QStringLiteral(
        R"re(<table:table-cell ([^>]*?)office:value-type="(\w+)"(?: office:(?:date-)?value="([^"]*)")?[^>]*>\s*<text:p>(.*?)</text:p>)re"));
    std::vector<SheetCell> cells;
    for (auto it = cell.globalMatch(xml); it.hasNext();) {
        const auto match = it.next();
        cells.push_back({match.captured(2), match.captured(3), match.captured(4)});
    }
    return cells;
}

// The stand-in soffice turns "open this file in Calc" into a conversion of
// it to .ods by the real program, with a profile of its own.
QString writeConvertingOffice(const QString& folder, const QString& realOffice)
{
    const QString bin = folder + QStringLiteral("/bin");
    QDir().mkpath(bin);
    QFile file(bin + QStringLiteral("/soffice"));
    file.open(QIODevice::WriteOnly);
    file.write(QStringLiteral("#!/bin/sh\n"
                              "out=\"$(dirname \"$0\")/..\"\n"
                              "for last in \"$@\"; do :; done\n"
                              "\"%1\" --headless \"-env:UserInstallation=file://$out/profile\" \"$1\" "
                              "--convert-to ods --outdir \"$out/converting\" \"$last\" >\"$out/convert.log\" 2>&1\n"
                              "mv \"$out/converting\" \"$out/converted\"\n")
                   .arg(realOffice)
                   .toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return bin;
}

TEST(SpreadsheetExport, CalcReadsTheReportsAmountsAsNumbersAndItsTextsUnchanged)
{
    const QString realOffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (realOffice.isEmpty())
        GTEST_SKIP() << "soffice is not installed (./run test installs libreoffice-calc-nogui)";
    test::TestEnv env;
    // The station writes its numbers with a point and spaces between groups.
    {
        TSafeIniFile cnf(CnfIniFileName());
        cnf.WriteHexString(QStringLiteral("Reports"), QStringLiteral("DecimalSeparator"), QStringLiteral("."));
        cnf.WriteHexString(QStringLiteral("Reports"), QStringLiteral("ThousandSeparator"), QStringLiteral(" "));
    }
    test::TextBrowserDouble browser(QStringLiteral(
        "<html><body><p>Финансовый отчет</p><table border=1>"
        "<tr><td>Вид</td><td>Цена, руб.</td><td>Кол-во, л</td><td>Сумма, руб.</td><td>Начало</td></tr>"
        "<tr><td>АИ-92</td><td align=right>52.30</td><td align=right>1 278.02</td>"
        "<td align=right>66 838.58</td><td>15.03.2024 08:00:00</td></tr>"
        "<tr><td>ДТ-5</td><td align=right>61.00</td><td align=right>-12.5</td>"
        "<td align=right>1 234 567.00</td><td>16.03.2024</td></tr>"
        "</table></body></html>"));
    const test::SearchPathScope path(test::pathWithFolderFirst(writeConvertingOffice(env.dir(), realOffice)));
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    viewer::ReportExporter(browser, dialogs, OfficeAutomation::current()).ExportReport(viewer::ExportToCalc, {});
    dialogs.verify();

    ASSERT_TRUE(test::waitForFile(env.path(QStringLiteral("converted")), 300000))
        << test::readFileBytes(env.path(QStringLiteral("convert.log"))).toStdString();
    const QStringList made = QDir(env.path(QStringLiteral("converted"))).entryList({QStringLiteral("*.ods")});
    ASSERT_EQ(made.size(), 1) << test::readFileBytes(env.path(QStringLiteral("convert.log"))).toStdString();
    const std::vector<SheetCell> cells = readSheetCells(env.path(QStringLiteral("converted/")) + made.front());
    ASSERT_EQ(cells.size(), 16u);
    const auto expectText = [&cells](size_t index, const QString& text) {
        EXPECT_EQ(cells[index].type.toStdString(), "string") << index;
        EXPECT_EQ(cells[index].text.toStdString(), text.toStdString()) << index;
    };
    const auto expectValue = [&cells](size_t index, const QString& type, const QString& value) {
        EXPECT_EQ(cells[index].type.toStdString(), type.toStdString()) << index << " " << cells[index].text.toStdString();
        EXPECT_EQ(cells[index].value.toStdString(), value.toStdString()) << index;
    };
    expectText(0, QStringLiteral("Финансовый отчет"));
    expectText(1, QStringLiteral("Вид"));
    expectText(4, QStringLiteral("Сумма, руб."));
    expectText(6, QStringLiteral("АИ-92"));
    expectValue(7, QStringLiteral("float"), QStringLiteral("52.3"));
    expectValue(8, QStringLiteral("float"), QStringLiteral("1278.02"));
    expectValue(9, QStringLiteral("float"), QStringLiteral("66838.58"));
    expectValue(10, QStringLiteral("date"), QStringLiteral("2024-03-15T08:00:00"));
    expectText(11, QStringLiteral("ДТ-5"));
    expectValue(12, QStringLiteral("float"), QStringLiteral("61"));
    expectValue(13, QStringLiteral("float"), QStringLiteral("-12.5"));
    expectValue(14, QStringLiteral("float"), QStringLiteral("1234567"));
    expectValue(15, QStringLiteral("date"), QStringLiteral("2024-03-16"));
}

} // namespace
} // namespace velta
