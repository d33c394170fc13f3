// The page preview image: page clamping, its numbers, its size from the
// printer's page, the sheet with its margin guides and the drawn lines.
#include "plugin/viewer/print/TextPreview.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "tests/support/TestEnv.h"

#include <QPageLayout>
#include <QFontMetrics>
#include <QPageSize>
#include <QPrinter>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

class TextPreviewTest : public ::testing::Test {
protected:
    test::TestEnv env;
    TextPrintSettings settings;
    QPrinter printer {QPrinter::HighResolution};

    void SetUp() override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(env.path(QStringLiteral("preview.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
    }

    int linesPerPage() { return TextPageLayout::compute(printer, settings.font(), 1).linesPerPage; }

    // A report of pageCount pages; page 2 alone holds a framed table.
    QStringList report(int pages)
    {
        QStringList lines;
        const int perPage = linesPerPage();
        for (int i = 0; i < pages * perPage; ++i)
            lines << QString();
        if (pages >= 2) {
            lines[perPage] = QStringLiteral("+------+------+");
            lines[perPage + 1] = QStringLiteral("| Итог |  125 |");
            lines[perPage + 2] = QStringLiteral("+------+------+");
        }
        return lines;
    }
};

bool hasDark(const QImage& image, QRect area)
{
    area &= image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                return true;
    return false;
}

int bluePixelsOnColumn(const QImage& image, int x)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += image.pixel(x, y) == qRgb(0, 0, 255);
    return count;
}

int bluePixelsOnRow(const QImage& image, int y)
{
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += image.pixel(x, y) == qRgb(0, 0, 255);
    return count;
}

TEST_F(TextPreviewTest, ClampsThePageAndGivesTheNumbers)
{
    const QStringList lines = report(3);
    EXPECT_EQ(ShowTextPreview(lines, 2, printer, settings, 96).page, 2);
    const TextPreviewPage low = ShowTextPreview(lines, 0, printer, settings, 96);
    EXPECT_EQ(low.page, 1);
    EXPECT_EQ(low.pageCount, 3);
    const TextPreviewPage high = ShowTextPreview(lines, 2147483647, printer, settings, 96);
    EXPECT_EQ(high.page, 3);
    EXPECT_EQ(high.pageCount, 3);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\d$")).match(high.elapsed).hasMatch());

    const TextPreviewPage empty = ShowTextPreview({}, 5, printer, settings, 96);
    EXPECT_EQ(empty.page, 1);
    EXPECT_EQ(empty.pageCount, 1);
    EXPECT_FALSE(empty.image.isNull());
}

TEST_F(TextPreviewTest, ImageIsThePageAtScreenResolutionPlusTheBorder)
{
    const TextPreviewPage page = ShowTextPreview(report(1), 1, printer, settings, 96);
    // Across: the ratio of the widths of "Width"; down: of the line heights
    // ("X" plus 2), on a 96 dpi image and on the printer.
    QImage screen(1, 1, QImage::Format_RGB32);
    screen.setDotsPerMeterX(3780);
    screen.setDotsPerMeterY(3780);
    const QFontMetrics onScreen(settings.font(), &screen);
    const QFontMetrics onPaper(settings.font(), &printer);
    const double across = double(onScreen.horizontalAdvance(QStringLiteral("Width")))
        / onPaper.horizontalAdvance(QStringLiteral("Width"));
    const double down = double(onScreen.height() + 2) / (onPaper.height() + 2);
    EXPECT_EQ(page.image.width(), std::lround(printer.width() * across) + 40);
    EXPECT_EQ(page.image.height(), std::lround(printer.height() * down) + 40);
    // The scale is close to 96 / printer dpi.
    EXPECT_NEAR(across, 96.0 / printer.resolution(), 0.1 * 96.0 / printer.resolution());
    EXPECT_GT(page.image.height(), page.image.width());
    EXPECT_NEAR(page.image.dotsPerMeterX() * 0.0254, 96, 0.5);

    // Twice the screen resolution: about twice the sheet.
    const TextPreviewPage big = ShowTextPreview(report(1), 1, printer, settings, 192);
    EXPECT_NEAR(double(big.image.width() - 40) / (page.image.width() - 40), 2.0, 0.1);

    settings.portrait = false;
    const TextPreviewPage landscape = ShowTextPreview(report(1), 1, printer, settings, 96);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_GT(landscape.image.width(), landscape.image.height());
}

TEST_F(TextPreviewTest, SheetHasBorderAndDottedMarginGuides)
{
    const QImage image = ShowTextPreview(report(1), 1, printer, settings, 96).image;
    const int w = image.width();
    const int h = image.height();
    EXPECT_EQ(image.pixel(0, h / 3), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(w / 3, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(w - 1, h / 3), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(w / 3, h - 1), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(w / 2, h / 2), qRgb(255, 255, 255));
    // Dotted: many blue pixels along each guide, but gaps between them.
    for (int x : {20, w - 20}) {
        const int blue = bluePixelsOnColumn(image, x);
        EXPECT_GT(blue, h / 4) << "x " << x;
        EXPECT_LT(blue, h * 3 / 4) << "x " << x;
    }
    for (int y : {20, h - 20}) {
        const int blue = bluePixelsOnRow(image, y);
        EXPECT_GT(blue, w / 4) << "y " << y;
        EXPECT_LT(blue, w * 3 / 4) << "y " << y;
    }
    // Beside a guide only the crossing horizontal guides are blue.
    EXPECT_EQ(bluePixelsOnColumn(image, 21), 2);
}

TEST_F(TextPreviewTest, DrawsTheLinesOfThePageOnly)
{
    const QStringList lines = report(3);
    const QRect body(21, 21, 300, 200);
    EXPECT_FALSE(hasDark(ShowTextPreview(lines, 1, printer, settings, 96).image, body));
    const QImage second = ShowTextPreview(lines, 2, printer, settings, 96).image;
    EXPECT_TRUE(hasDark(second, body));
    EXPECT_FALSE(hasDark(ShowTextPreview(lines, 3, printer, settings, 96).image, body));

    // The table's top rule: a solid black run along the middle of the first line.
    int longest = 0;
    for (int y = 21; y < 21 + 40; ++y) {
        int run = 0;
        for (int x = 21; x < 300; ++x) {
            run = qGray(second.pixel(x, y)) < 100 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, 60);
}

} // namespace
} // namespace velta::viewer
