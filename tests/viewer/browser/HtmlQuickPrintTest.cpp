// The HTML quick print: the nine steps, their skips, the printer closed in
// every case, errors named by their step; and the spooler stand-in over Qt's
// printers, down to a landscape PDF.
#include "common/Exception.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/browser/HtmlQuickPrint.h"
#include "plugin/viewer/print/PrintSpooler.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

// A spooler that knows two printers, records every call and fails (raises
// EOSError) at the step it is told to.
class ScriptedSpooler : public PrintSpooler {
public:
    enum Step { None, Index, Names, Open, Size, Read, Write };

    Step failAt = None;
    int index = 1;
    bool opens = true;
    quint32 size = 512;
    short readOrientation = DevMode::kPortrait;

    QStringList calls;
    std::optional<short> written;
    int openCount = 0;
    int closeCount = 0;

    QStringList printerNames() override
    {
        step(Names, QStringLiteral("names"));
        return {QStringLiteral("Kitchen"), QStringLiteral("Office")};
    }
    int printerIndex() override
    {
        step(Index, QStringLiteral("index"));
        return index;
    }
    bool openPrinter(const QString& name, Handle& handle) override
    {
        step(Open, QStringLiteral("open ") + name);
        if (!opens)
            return false;
        handle = 42;
        ++openCount;
        return true;
    }
    quint32 printerInfoSize(Handle handle) override
    {
        EXPECT_EQ(handle, 42u);
        step(Size, QStringLiteral("size"));
        return size;
    }
    void readPrinterInfo(Handle, PrinterInfoBlock& block) override
    {
        step(Read, QStringLiteral("read"));
        EXPECT_EQ(block.size(), size);
        block.info.printerName = QStringLiteral("Office");
        block.info.devMode.orientation = readOrientation;
    }
    void writePrinterInfo(Handle, const PrinterInfoBlock& block) override
    {
        step(Write, QStringLiteral("write"));
        EXPECT_EQ(block.info.printerName, QStringLiteral("Office"));
        written = block.info.devMode.orientation;
    }
    bool closePrinter(Handle handle) override
    {
        EXPECT_EQ(handle, 42u);
        calls << QStringLiteral("close");
        ++closeCount;
        return true;
    }

private:
    void step(Step which, const QString& call)
    {
        calls << call;
        if (failAt == which)
            throw EOSError(QStringLiteral("Сбой ") + call);
    }
};

class HtmlQuickPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString file = env.path(QStringLiteral("report.html"));
        test::writeFileBytes(file, "<html><body><p>Сменный отчет</p></body></html>");
        browser.navigate(file);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(env.path(QStringLiteral("out.pdf")));
        QtPrintSpooler::resetProcessDefaults();
    }

    // The message the quick print raises for an error in a step.
    static QString wrapped(const QString& step, const QString& inner, const QString& className)
    {
        return QString::fromUtf16(kQuickPrintErrorContext) + step + QStringLiteral(" -> ") + inner
               + QStringLiteral(" <# ") + className + QStringLiteral(" #>");
    }

    bool printed() const { return QFile::exists(env.path(QStringLiteral("out.pdf"))); }

    test::TestEnv env;
    BrowserView browser;
    QPrinter pdf{QPrinter::HighResolution};
    ScriptedSpooler spooler;
};

TEST_F(HtmlQuickPrintTest, AllStepsSetTheOrientationThenPrint)
{
    HtmlQuickPrint(browser, pdf, 1, spooler);
    EXPECT_EQ(spooler.calls, (QStringList{QStringLiteral("index"), QStringLiteral("names"),
                                          QStringLiteral("open Office"), QStringLiteral("size"),
                                          QStringLiteral("read"), QStringLiteral("write"), QStringLiteral("close")}));
    EXPECT_EQ(spooler.written, DevMode::kLandscape);
    EXPECT_TRUE(printed());

    spooler = {};
    spooler.readOrientation = DevMode::kLandscape;
    HtmlQuickPrint(browser, pdf, 0, spooler);
    EXPECT_EQ(spooler.written, DevMode::kPortrait);
}

TEST_F(HtmlQuickPrintTest, NegativeIndexOrUnopenablePrinterGoesStraightToPrinting)
{
    spooler.index = -1;
    HtmlQuickPrint(browser, pdf, 1, spooler);
    EXPECT_EQ(spooler.calls, QStringList{QStringLiteral("index")});
    EXPECT_TRUE(printed());

    spooler = {};
    spooler.opens = false;
    HtmlQuickPrint(browser, pdf, 1, spooler);
    EXPECT_EQ(spooler.calls, (QStringList{QStringLiteral("index"), QStringLiteral("names"),
                                          QStringLiteral("open Office")}));
    EXPECT_EQ(spooler.closeCount, 0);
}

TEST_F(HtmlQuickPrintTest, ZeroSizeClosesThePrinterAndPrints)
{
    spooler.size = 0;
    HtmlQuickPrint(browser, pdf, 1, spooler);
    EXPECT_EQ(spooler.calls, (QStringList{QStringLiteral("index"), QStringLiteral("names"),
                                          QStringLiteral("open Office"), QStringLiteral("size"),
                                          QStringLiteral("close")}));
    EXPECT_FALSE(spooler.written.has_value());
    EXPECT_TRUE(printed());
}

TEST_F(HtmlQuickPrintTest, FailureNamesItsStepAndClosesThePrinter)
{
    const struct {
        ScriptedSpooler::Step failAt;
        const char16_t* step;
        QString call;
    } cases[] = {
        {ScriptedSpooler::Index, QuickPrintStep::kPrinterIndex, QStringLiteral("index")},
        {ScriptedSpooler::Names, QuickPrintStep::kPrinterName, QStringLiteral("names")},
        {ScriptedSpooler::Open, QuickPrintStep::kOpenPrinter, QStringLiteral("open Office")},
        {ScriptedSpooler::Size, QuickPrintStep::kInfoSize, QStringLiteral("size")},
        {ScriptedSpooler::Read, QuickPrintStep::kReadInfo, QStringLiteral("read")},
        {ScriptedSpooler::Write, QuickPrintStep::kWriteInfo, QStringLiteral("write")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.step).toStdString());
        spooler = {};
        spooler.failAt = c.failAt;
        try {
            HtmlQuickPrint(browser, pdf, 1, spooler);
            ADD_FAILURE() << "no error";
        } catch (const EOSError& e) {
            EXPECT_EQ(e.message(), wrapped(QString::fromUtf16(c.step), QStringLiteral("Сбой ") + c.call,
                                           QStringLiteral("EOSError")));
        }
        EXPECT_EQ(spooler.closeCount, spooler.openCount);
        EXPECT_FALSE(printed());
    }
}

TEST_F(HtmlQuickPrintTest, IndexBeyondThePrinterListFailsInTheNameStep)
{
    spooler.index = 2;
    try {
        HtmlQuickPrint(browser, pdf, 0, spooler);
        ADD_FAILURE() << "no error";
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), wrapped(QString::fromUtf16(QuickPrintStep::kPrinterName),
                                       QStringLiteral("List index out of bounds (2)"), QStringLiteral("EListError")));
    }
    EXPECT_EQ(spooler.openCount, 0);
}

TEST_F(HtmlQuickPrintTest, PrinterThatCannotPrintFailsInTheLastStep)
{
    // A PDF printer without a file, and one whose file cannot be made: neither
    // may print anywhere, whatever printers the machine has.
    for (const QString& fileName : {QString(), env.path(QStringLiteral("no-such-folder/report.pdf"))}) {
        QPrinter unready{QPrinter::HighResolution};
        unready.setOutputFormat(QPrinter::PdfFormat);
        unready.setOutputFileName(fileName);
        const int closedBefore = spooler.closeCount;
        try {
            HtmlQuickPrint(browser, unready, 0, spooler);
            ADD_FAILURE() << "no error for \"" << fileName.toStdString() << '"';
        } catch (const EPrinter& e) {
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf16(kQuickPrintErrorContext)
                                               + QString::fromUtf16(QuickPrintStep::kPrint) + QStringLiteral(" -> ")));
            EXPECT_TRUE(e.message().endsWith(QStringLiteral(" <# EPrinter #>")));
        }
        EXPECT_EQ(spooler.closeCount, closedBefore + 1);
    }
}

// The spooler stand-in over Qt's printers, with a PDF printer as the viewer's printer.
class QtPrintSpoolerTest : public HtmlQuickPrintTest {
protected:
    QtPrintSpooler qt{pdf};
};

TEST_F(QtPrintSpoolerTest, PdfPrinterIsTheCurrentPrinterAtTheEndOfTheList)
{
    const QStringList names = qt.printerNames();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.back(), QtPrintSpooler::kPdfPrinterName);
    EXPECT_EQ(qt.printerIndex(), names.size() - 1);

    PrintSpooler::Handle handle = 0;
    EXPECT_FALSE(qt.openPrinter(QStringLiteral("no such printer"), handle));
    ASSERT_TRUE(qt.openPrinter(QtPrintSpooler::kPdfPrinterName, handle));
    const quint32 size = qt.printerInfoSize(handle);
    EXPECT_GT(size, 0u);

    PrinterInfoBlock small(size - 1);
    EXPECT_THROW(qt.readPrinterInfo(handle, small), EOSError);
    PrinterInfoBlock block(size);
    qt.readPrinterInfo(handle, block);
    EXPECT_EQ(block.info.printerName, QtPrintSpooler::kPdfPrinterName);
    EXPECT_EQ(block.info.devMode.orientation, DevMode::kPortrait);

    block.info.devMode.orientation = 3;
    EXPECT_THROW(qt.writePrinterInfo(handle, block), EOSError);
    EXPECT_EQ(pdf.pageLayout().orientation(), QPageLayout::Portrait);
    block.info.devMode.orientation = DevMode::kLandscape;
    qt.writePrinterInfo(handle, block);
    EXPECT_EQ(pdf.pageLayout().orientation(), QPageLayout::Landscape);
    qt.readPrinterInfo(handle, block);
    EXPECT_EQ(block.info.devMode.orientation, DevMode::kLandscape);

    EXPECT_TRUE(qt.closePrinter(handle));
    EXPECT_FALSE(qt.closePrinter(handle));
    EXPECT_THROW(qt.printerInfoSize(handle), EOSError);
}

// The page size pdfinfo reports, as width and height in points.
std::pair<double, double> pdfPageSize(const QString& file)
{
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {file});
    if (!pdfinfo.waitForFinished(30000) || pdfinfo.exitCode() != 0)
        return {0, 0};
    const QString out = QString::fromUtf8(pdfinfo.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+)")).match(out);
    if (!match.hasMatch())
        return {0, 0};
    return {match.captured(1).toDouble(), match.captured(2).toDouble()};
}

TEST_F(QtPrintSpoolerTest, LandscapeChoicePrintsALandscapePdf)
{
    const QString file = env.path(QStringLiteral("out.pdf"));
    HtmlQuickPrint(browser, pdf, 1, qt);
    const auto [width, height] = pdfPageSize(file);
    ASSERT_GT(width, 0) << "pdfinfo could not read " << file.toStdString();
    EXPECT_GT(width, height);

    QFile::remove(file);
    HtmlQuickPrint(browser, pdf, 0, qt);
    const auto [portraitWidth, portraitHeight] = pdfPageSize(file);
    ASSERT_GT(portraitWidth, 0);
    EXPECT_LT(portraitWidth, portraitHeight);
}

} // namespace
} // namespace velta::viewer
