// The financial table of the shift report in the browser and on paper: no
// number or word is broken across lines, a table wider than the window
// scrolls sideways, and on an A4 page it is scaled down whole.
#include "common/Codecs.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/browser/ReportLayout.h"
#include "tests/support/ReferenceFile.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/browser/BrowserTestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

// The demo's financial template with its fields filled: amounts in the
// thousands with plain and non-breaking group spaces, long fuel names.
QString filledFinancialTemplate()
{
    QFile file(test::referencePath(QStringLiteral("../station/demo/forms/WEBREP/Финансовый отчет.html")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString html = codec::fromCp1251(file.readAll());
    html.replace(QStringLiteral("windows-1251"), QStringLiteral("utf-8"));
    static const QRegularExpression field(QStringLiteral("&lt;#(\\w+)&gt;"));
    const QStringList numbers = {QStringLiteral("66 838,58"), QStringLiteral("1\u00A0234\u00A0567,89"),
                                 QStringLiteral("67 171,00"), QStringLiteral("52,30"), QStringLiteral("1 278,02")};
    int next = 0;
    QString filled;
    qsizetype at = 0;
    for (auto it = field.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        const QString name = match.captured(1);
        QString value;
        if (name == QStringLiteral("GSM"))
            value = QStringLiteral("АИ-95 Премиум");
        else if (name == QStringLiteral("valuta"))
            value = QStringLiteral("руб.");
        else if (name == QStringLiteral("AZSName") || name == QStringLiteral("Operator"))
            value = QStringLiteral("Демонстрационная станция");
        else if (name == QStringLiteral("SmenaNum") || name.startsWith(QStringLiteral("Smena")))
            value = QStringLiteral("15.03.2024 08:00:00");
        else if (name.size() > 1 && (name[0] == u'L' || name[0] == u'S' || name == QStringLiteral("Price")
                                     || name.endsWith(u'L') || name.endsWith(u'S')))
            value = numbers[next++ % numbers.size()];
        filled += QStringView(html).mid(at, match.capturedStart() - at);
        filled += value;
        at = match.capturedEnd();
    }
    filled += QStringView(html).mid(at);
    return filled;
}

// Every place in the document where a line starts inside a word or a number
// ("Сумм|а", "67 17|1,00"): the line before it does not end in a space.
QStringList brokenWords(const QTextDocument& doc)
{
    QStringList broken;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        for (int i = 1; i < layout->lineCount(); ++i) {
            const int start = layout->lineAt(i).textStart();
            const QChar before = start > 0 ? text[start - 1] : QChar(u' ');
            if (start < text.size() && before != u' ' && before != QChar::LineSeparator)
                broken << text.left(start) + u'|' + text.mid(start);
        }
    }
    return broken;
}

// The numbers whose characters do not all lie on one line.
QStringList splitNumbers(const QTextDocument& doc)
{
    static const QRegularExpression number(QStringLiteral("-?\\d{1,3}(?:[ \u00A0]\\d{3})*(?:,\\d+)?"));
    QStringList split;
    int count = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (auto it = number.globalMatch(block.text()); it.hasNext();) {
            const auto match = it.next();
            ++count;
            const int first = layout->lineForTextPosition(int(match.capturedStart())).lineNumber();
            const int last = layout->lineForTextPosition(int(match.capturedEnd()) - 1).lineNumber();
            if (first != last)
                split << match.captured();
        }
    }
    if (count < 40)
        split << QStringLiteral("only %1 numbers in the table").arg(count);
    return split;
}

std::string joined(const QStringList& list)
{
    return list.join(QStringLiteral(" / ")).toStdString();
}

class ReportLayoutTest : public ::testing::Test {
protected:
    test::TestEnv env;
};

TEST_F(ReportLayoutTest, FinancialTableKeepsWordsAndNumbersWholeAndScrollsSideways)
{
    const QString html = filledFinancialTemplate();
    ASSERT_TRUE(html.contains(QStringLiteral("66 838,58")));
    BrowserView browser;
    browser.resize(742, 420); // the viewer's browser at the window's first size
    browser.show();
    test::loadDocument(browser, test::writeBrowserFile(env, QStringLiteral("fin.html"), html.toUtf8()));
    QTextDocument& doc = *browser.documentView()->document();
    doc.documentLayout()->documentSize(); // lays the whole document out

    EXPECT_EQ(joined(brokenWords(doc)), "");
    EXPECT_EQ(joined(splitNumbers(doc)), "");
    // The plain group spaces the template's numbers were given hold too.
    EXPECT_FALSE(doc.toRawText().contains(QStringLiteral("66 838,58")));
    EXPECT_TRUE(doc.toRawText().contains(QStringLiteral("66\u00A0838,58")));
    EXPECT_GT(browser.documentView()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ReportLayoutTest, FinancialTableIsScaledWholeOntoAnA4Page)
{
    BrowserView browser;
    test::loadDocument(browser, test::writeBrowserFile(env, QStringLiteral("fin.html"), filledFinancialTemplate().toUtf8()));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(env.path(QStringLiteral("fin.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    const QSizeF page = printer.pageRect(QPrinter::DevicePixel).size();

    const PageLayout layout = LayOutForPages(*browser.documentView()->document(), printer, page, nullptr);
    const QTextDocument& doc = *layout.document;
    EXPECT_EQ(joined(brokenWords(doc)), "");
    EXPECT_EQ(joined(splitNumbers(doc)), "");
    EXPECT_LT(layout.scale, 1.0);
    EXPECT_LE(doc.documentLayout()->documentSize().width() * layout.scale, page.width() + 1);
    EXPECT_NEAR(layout.page.height() * layout.scale, page.height(), 1.0);

    // A narrow document keeps its size.
    QTextDocument narrow;
    narrow.setHtml(QStringLiteral("<p>Итого: 1&nbsp;234,50</p>"));
    const PageLayout plain = LayOutForPages(narrow, printer, page, nullptr);
    EXPECT_EQ(plain.scale, 1.0);
    EXPECT_EQ(plain.page, page);
}

TEST(KeepNumbersTogether, OnlyDigitGroupSpacesOutsideTagsBecomeNonBreaking)
{
    EXPECT_EQ(KeepNumbersTogether(QStringLiteral("<td width=\"1 234\">1 234 567,89 и 12 345 6 и 2024 год</td>")),
              QStringLiteral("<td width=\"1 234\">1&nbsp;234&nbsp;567,89 и 12&nbsp;345 6 и 2024 год</td>"));
    EXPECT_EQ(KeepNumbersTogether(QStringLiteral("12 3456 и 7 000")), QStringLiteral("12 3456 и 7&nbsp;000"));
}

} // namespace
} // namespace velta::viewer
