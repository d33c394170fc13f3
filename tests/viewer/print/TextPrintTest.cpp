// Printing text reports: the page layout, real prints into PDF files counted
// with pdfinfo, the raw device path of privilege 8, the host's print routine.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "plugin/viewer/print/ViewerHost.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstdlib>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

class FakeHost : public ViewerHost {
public:
    bool raw = false;
    plugin::HostPrintRoutineFn routine = nullptr;
    bool printStraightToDevice() override { return raw; }
    bool printThroughHost() override { return routine != nullptr; }
    plugin::HostPrintRoutineFn hostPrintRoutine() override { return routine; }
};

// Sets an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = QByteArray(old);
        ::setenv(name, QFile::encodeName(value).constData(), 1);
    }
    ~ScopedEnv()
    {
        if (old_.isNull())
            ::unsetenv(name_);
        else
            ::setenv(name_, old_.constData(), 1);
    }

private:
    const char* name_;
    QByteArray old_;
};

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("Line %1 | %2").arg(i, 3, 10, QLatin1Char('0')).arg(i * 7);
    return lines;
}

// A PDF printer whose page holds exactly `linesPerPage` lines in the font.
void shapePrinter(QPrinter& printer, const QString& file, const QFont& font, int linesPerPage)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(300);
    printer.setFullPage(true);
    const int lineHeight = QFontMetrics(font, &printer).height() + 2;
    const double heightPt = (linesPerPage + 0.5) * lineHeight * 72.0 / 300.0;
    printer.setPageSize(QPageSize(QSizeF(400, heightPt), QPageSize::Point, QString(), QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

int pdfPages(const QString& file)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    if (!info.waitForFinished(30000) || info.exitCode() != 0)
        return -1;
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(info.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString pdfPageText(const QString& file, int page)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                             QString::number(page), QStringLiteral("-layout"), file, QStringLiteral("-")});
    text.waitForFinished(30000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

class TextPrintTest : public ::testing::Test {
protected:
    test::TestEnv env;
    TextPrintSettings settings;
    FakeHost host;
    QPrinter printer {QPrinter::HighResolution};
    QString pdf = env.path(QStringLiteral("report.pdf"));

    void SetUp() override
    {
        shapePrinter(printer, pdf, settings.font(), 60);
        ASSERT_EQ(TextPageLayout::compute(printer, settings.font(), 130).linesPerPage, 60);
    }
};

TEST_F(TextPrintTest, LayoutCountsPagesAndTheLinesOfEachPage)
{
    const TextPageLayout layout = TextPageLayout::compute(printer, settings.font(), 130);
    EXPECT_EQ(layout.pageCount, 3);
    EXPECT_EQ(layout.firstLineOf(3), 120);
    EXPECT_EQ(layout.lastLineOf(3, 130), 129);
    EXPECT_EQ(layout.lastLineOf(2, 130), 119);
    EXPECT_EQ(layout.lineHeight, QFontMetrics(settings.font(), &printer).height() + 2);
    EXPECT_GT(layout.charWidth, 0);
    EXPECT_EQ(TextPageLayout::compute(printer, settings.font(), 120).pageCount, 2);
    EXPECT_EQ(TextPageLayout::compute(printer, settings.font(), 121).pageCount, 3);
    EXPECT_EQ(TextPageLayout::compute(printer, settings.font(), 0).pageCount, 0);

    // A font taller than the page still gives one line a page, never a division by zero.
    QFont huge = settings.font();
    huge.setPointSize(400);
    const TextPageLayout tall = TextPageLayout::compute(printer, huge, 5);
    EXPECT_EQ(tall.linesPerPage, 1);
    EXPECT_EQ(tall.pageCount, 5);
}

TEST_F(TextPrintTest, PrintsEveryPageIntoThePdf)
{
    if (!havePoppler())
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
    int drawn = 0;
    PrintText(numberedLines(130), -1, 1, -1, printer, settings, host, [&](const QString& elapsed) {
        ++drawn;
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\d$")).match(elapsed).hasMatch());
    });
    EXPECT_EQ(drawn, 3);
    EXPECT_EQ(pdfPages(pdf), 3);
    const QString third = pdfPageText(pdf, 3);
    EXPECT_TRUE(third.contains(QStringLiteral("Line 121"))) << third.toStdString();
    EXPECT_TRUE(third.contains(QStringLiteral("Line 130")));
    EXPECT_FALSE(third.contains(QStringLiteral("Line 120")));
    const QString first = pdfPageText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("Line 001")));
    EXPECT_TRUE(first.contains(QStringLiteral("Line 060")));
    EXPECT_FALSE(first.contains(QStringLiteral("Line 061")));
}

TEST_F(TextPrintTest, HonoursPageRangeAndCopies)
{
    if (!havePoppler())
        GTEST_SKIP() << "pdfinfo and pdftotext (poppler-utils) are not installed";
    PrintText(numberedLines(130), 2, 1, 3, printer, settings, host);
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfPageText(pdf, 1).contains(QStringLiteral("Line 061")));

    // A last page beyond the report stops at its end.
    PrintText(numberedLines(130), 3, 1, 9, printer, settings, host);
    EXPECT_EQ(pdfPages(pdf), 1);

    // Two copies of page 2: a PDF cannot make copies, so each is drawn.
    PrintText(numberedLines(130), 2, 2, 2, printer, settings, host);
    EXPECT_EQ(printer.copyCount(), 2);
    EXPECT_EQ(pdfPages(pdf), 2);
    EXPECT_TRUE(pdfPageText(pdf, 2).contains(QStringLiteral("Line 061")));
    EXPECT_FALSE(pdfPageText(pdf, 2).contains(QStringLiteral("Line 121")));
}

TEST_F(TextPrintTest, OrientationComesFromTheSettings)
{
    settings.portrait = false;
    PrintText(numberedLines(3), -1, 1, -1, printer, settings, host);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    settings.portrait = true;
    PrintText(numberedLines(3), -1, 1, -1, printer, settings, host);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(TextPrintTest, EmptyReportDrawsNoPage)
{
    int drawn = 0;
    PrintText({}, -1, 1, -1, printer, settings, host, [&](const QString&) { ++drawn; });
    EXPECT_EQ(drawn, 0);
    EXPECT_TRUE(QFile::exists(pdf)); // the job ran: begun and ended
    if (havePoppler()) {
        // A PDF cannot be without pages: the job leaves one blank sheet.
        EXPECT_EQ(pdfPages(pdf), 1);
        EXPECT_TRUE(pdfPageText(pdf, 1).trimmed().isEmpty());
    }
}

TEST_F(TextPrintTest, PdfPrinterWithoutFileRaisesEPrinterAndCanPrintAgain)
{
    printer.setOutputFileName(QString());
    printer.setOutputFormat(QPrinter::PdfFormat);
    try {
        PrintText(numberedLines(5), -1, 1, -1, printer, settings, host);
        FAIL() << "no EPrinter";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.message(), PrinterNotReadyMessage(printer));
    }
    printer.setOutputFileName(pdf);
    PrintText(numberedLines(5), -1, 1, -1, printer, settings, host);
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(TextPrintTest, FailureWhileDrawingEndsTheJobAndPropagates)
{
    int drawn = 0;
    auto failOnSecond = [&](const QString&) {
        if (++drawn == 2)
            throw EAbort(QStringLiteral("stopped"));
    };
    EXPECT_THROW(PrintText(numberedLines(130), -1, 1, -1, printer, settings, host, failOnSecond), EAbort);
    EXPECT_EQ(drawn, 2);
    // The job was ended: the file is a complete PDF of the pages drawn.
    if (havePoppler()) {
        EXPECT_EQ(pdfPages(pdf), 2);
    }
    PrintText(numberedLines(5), -1, 1, -1, printer, settings, host);
}

TEST_F(TextPrintTest, RawPrintingWritesOemLinesAndFormFeedIgnoringRangeAndCopies)
{
    const QString device = env.path(QStringLiteral("prn.bin"));
    ScopedEnv raw("VELTA_RAW_PRINTER", device);
    host.raw = true;
    const QStringList lines = {QStringLiteral("Сменный отчет №5"), QString(), QStringLiteral("+--+ Итого")};
    PrintText(lines, 2, 3, 2, printer, settings, host);
    QByteArray expected;
    for (const QString& line : lines)
        expected += codec::toCp866(line) + "\r\n";
    expected += "\f\r\n";
    EXPECT_EQ(test::readFileBytes(device), expected);
    EXPECT_EQ(test::readFileBytes(device).left(2), QByteArray("\x91\xAC", 2)); // "См" in cp866
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(printer.copyCount(), 1);
}

TEST_F(TextPrintTest, RawPrintingFailureIsAnInputOutputError)
{
    ScopedEnv raw("VELTA_RAW_PRINTER", env.path(QStringLiteral("missing/folder/prn")));
    host.raw = true;
    EXPECT_THROW(PrintText(numberedLines(2), -1, 1, -1, printer, settings, host), EInOutError);
    ScopedEnv failing("VELTA_RAW_PRINTER", QStringLiteral("|cat > /dev/null; exit 4"));
    EXPECT_THROW(PrintText(numberedLines(2), -1, 1, -1, printer, settings, host), EInOutError);
}

struct HostCall {
    int count = 0;
    int kind = 0;
    QStringList lines;
    bool flag = false;
};
HostCall hostCall;

void recordingRoutine(int kind, const QStringList& lines, bool flag)
{
    ++hostCall.count;
    hostCall.kind = kind;
    hostCall.lines = lines;
    hostCall.flag = flag;
}

TEST(TextPrintThroughHost, PassesKindFourTheLinesAndTrue)
{
    hostCall = {};
    FakeHost host;
    host.routine = &recordingRoutine;
    PrintThroughHost({QStringLiteral("a"), QStringLiteral("б")}, host);
    EXPECT_EQ(hostCall.count, 1);
    EXPECT_EQ(hostCall.kind, 4);
    EXPECT_EQ(hostCall.lines, (QStringList {QStringLiteral("a"), QStringLiteral("б")}));
    EXPECT_TRUE(hostCall.flag);
}

TEST(TextPrintThroughHost, WithoutRoutineRaises)
{
    FakeHost host;
    try {
        PrintThroughHost({QStringLiteral("a")}, host);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), NoHostPrintRoutineMessage());
    }
}

} // namespace
} // namespace velta::viewer
