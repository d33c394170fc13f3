// The line drawing of text tables: which characters become rules, where the
// segments run and which text runs are drawn in which rectangles.
#include "plugin/platform/Clock.h"
#include "plugin/viewer/print/TextCanvas.h"
#include "plugin/viewer/print/TextPageRenderer.h"
#include "tests/support/ReferenceFile.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace velta::viewer {
namespace {

struct Segment {
    int x1, y1, x2, y2;
};

struct TextRun {
    QRect clip;
    QPoint origin;
    QString text;
};

// Records what the renderer draws; optionally moves a manual clock per text run.
class RecordingTextCanvas : public TextCanvas {
public:
    std::vector<Segment> segments;
    std::vector<TextRun> runs;
    ManualClock* clock = nullptr;
    int millisecondsPerRun = 0;

    void drawLine(int x1, int y1, int x2, int y2) override { segments.push_back({x1, y1, x2, y2}); }
    void drawText(const QRect& clip, int x, int y, const QString& text) override
    {
        runs.push_back({clip, QPoint(x, y), text});
        if (clock)
            clock->advance(millisecondsPerRun);
    }
    int textWidth(const QString& text) override { return 10 * static_cast<int>(text.size()); }
    int textHeight(const QString&) override { return 18; }
};

// Cells 10 wide, lines 20 high, from the page margin of 20.
constexpr int kW = 10;
constexpr int kH = 20;

// What the renderer drew for lines first..last, as a reference file shows it:
// the lines, then the rules and the text runs in the order they were drawn.
QString drawing(const QStringList& lines, int first = 0, int last = -2)
{
    if (last == -2)
        last = static_cast<int>(lines.size()) - 1;
    RecordingTextCanvas canvas;
    RenderTextPage(canvas, lines, first, last, kW, kH);
    QString out = QStringLiteral("lines %1..%2 of\n").arg(first).arg(last);
    for (const QString& line : lines)
        out += QStringLiteral("  |") + line + QStringLiteral("|\n");
    out += QStringLiteral("rules\n");
    for (const Segment& s : canvas.segments)
        out += QStringLiteral("  (%1,%2)-(%3,%4)\n").arg(s.x1).arg(s.y1).arg(s.x2).arg(s.y2);
    out += QStringLiteral("texts\n");
    for (const TextRun& r : canvas.runs) {
        out += QStringLiteral("  \"%1\" at (%2,%3) clip (%4,%5 %6x%7)\n")
                   .arg(r.text)
                   .arg(r.origin.x())
                   .arg(r.origin.y())
                   .arg(r.clip.x())
                   .arg(r.clip.y())
                   .arg(r.clip.width())
                   .arg(r.clip.height());
    }
    return out;
}

// Several drawings in one reference file, each under its title.
QString drawings(const std::vector<std::pair<QString, QString>>& titled)
{
    QString out = QStringLiteral("Cells are 10 wide and 20 high from (20,20): column c (from 1) has its\n"
                                 "centre at x = 10c + 15, line L (from 0) at y = 20L + 30.\n");
    for (const auto& [title, text] : titled)
        out += QStringLiteral("\n== ") + title + QStringLiteral("\n") + text;
    return out;
}

::testing::AssertionResult matchesDrawing(const char* name, const std::vector<std::pair<QString, QString>>& titled)
{
    return test::matchesReference(QStringLiteral("viewer/print/reference/%1.txt").arg(QLatin1String(name)),
                                  drawings(titled));
}

TEST(TextRenderRules, FramedRowDrawsOneRuleAndTwoStrokesAndBlanksAsText)
{
    // The left plus draws the rule to its right and the stroke down; the right
    // plus only its stroke (the rule came from the left); the blanks are text.
    EXPECT_TRUE(matchesDrawing("framed-row", {{QStringLiteral("a framed row"),
                                               drawing({QStringLiteral("+---+"), QStringLiteral("|   |")})}}));
}

TEST(TextRenderRules, LineCharactersWithoutNeighboursStayText)
{
    // A minus before a digit, a lone plus between letters, a lone bar: no rules.
    EXPECT_TRUE(matchesDrawing("lone-line-characters",
                               {{QStringLiteral("minus before a digit"), drawing({QStringLiteral(" -5 ")})},
                                {QStringLiteral("plus between letters"), drawing({QStringLiteral("a+b")})},
                                {QStringLiteral("lone bar"), drawing({QStringLiteral("x | y")})}}));
}

TEST(TextRenderRules, MinusSignsAboveEachOtherDoNotJoinButBarsDo)
{
    // Only two minus signs keep apart: a minus over a plus joins.
    EXPECT_TRUE(matchesDrawing(
        "stacked-line-characters",
        {{QStringLiteral("minus over minus"), drawing({QStringLiteral("a-b"), QStringLiteral("c-d")})},
         {QStringLiteral("bar over bar"), drawing({QStringLiteral("a|b"), QStringLiteral("c|d")})},
         {QStringLiteral("minus over plus"), drawing({QStringLiteral("-"), QStringLiteral("+")})}}));
}

TEST(TextRenderRules, BarsSideBySideDoNotJoinButBarAndPlusDo)
{
    EXPECT_TRUE(matchesDrawing("side-by-side-line-characters",
                               {{QStringLiteral("bar beside bar"), drawing({QStringLiteral("||")})},
                                {QStringLiteral("bar beside plus"), drawing({QStringLiteral("|+")})}}));
}

TEST(TextRenderRules, TextRunsBetweenRulesKeepTheirColumns)
{
    // Strokes only where the next line is long enough and has a rule character.
    EXPECT_TRUE(matchesDrawing("text-between-rules",
                               {{QStringLiteral("text around a frame"),
                                 drawing({QStringLiteral("ab+--+cd"), QStringLiteral("  |  |x")})}}));
}

TEST(TextRenderRules, LinesOfARangeStartAtTheTopAndLookAtTheirNeighbours)
{
    // Line 1 alone: y starts at the top margin, its bar joins the pluses of
    // lines 0 and 2 although they are not drawn.
    EXPECT_TRUE(matchesDrawing(
        "range-of-lines",
        {{QStringLiteral("the middle line alone"),
          drawing({QStringLiteral("+"), QStringLiteral("|"), QStringLiteral("+")}, 1, 1)}}));
}

TEST(TextRenderRules, ReportPageWithAFramedTable)
{
    // A shift report as the station prints it: a title, a table with a header,
    // rows of Cyrillic text and signed numbers, a total under a dashed rule.
    // The plus of "7+1" stands over the table's rule, so it joins it.
    const QStringList page = {
        QStringLiteral("  Сменный отчет №5"),
        QString(),
        QStringLiteral("+------+--------+-------+"),
        QStringLiteral("| Вид  | Литры  | Сумма |"),
        QStringLiteral("+------+--------+-------+"),
        QStringLiteral("|АИ-92 |  45,10 | -5,00 |"),
        QStringLiteral("|ДТ    | 120,00 | 7+1   |"),
        QStringLiteral("+------+--------+-------+"),
        QStringLiteral("         --------"),
        QStringLiteral("Итого:    165,10"),
    };
    EXPECT_TRUE(matchesDrawing("report-page", {{QStringLiteral("the whole page"), drawing(page)},
                                                {QStringLiteral("lines 3 to 5"), drawing(page, 3, 5)}}));
}

TEST(TextRenderRules, EmptyAndMissingLinesAdvanceWithoutDrawing)
{
    RecordingTextCanvas canvas;
    RenderTextPage(canvas, {QStringLiteral("x"), QString(), QStringLiteral("y")}, 0, 5, kW, kH);
    ASSERT_EQ(canvas.runs.size(), 2u);
    EXPECT_EQ(canvas.runs[1].origin, QPoint(20, 20 + 2 * kH));
    RecordingTextCanvas before;
    RenderTextPage(before, {QStringLiteral("x")}, -1, 0, kW, kH);
    ASSERT_EQ(before.runs.size(), 1u);
    EXPECT_EQ(before.runs[0].origin, QPoint(20, 20 + kH));
}

TEST(TextRenderTiming, ElapsedTimeIsSecondsAndMilliseconds)
{
    ManualClock clock;
    ScopedClock scoped(clock);
    RecordingTextCanvas canvas;
    canvas.clock = &clock;
    canvas.millisecondsPerRun = 617;
    EXPECT_EQ(RenderTextPage(canvas, {QStringLiteral("a"), QStringLiteral("b")}, 0, 1, kW, kH),
              QStringLiteral("01.234"));
    EXPECT_EQ(FormatElapsed(0), QStringLiteral("00.000"));
    EXPECT_EQ(FormatElapsed(61005), QStringLiteral("01.005"));
}

// The painter canvas: text stays inside its rectangle, origin at the top-left.
TEST(PainterTextCanvas, ClipsTextToItsRectangleAndDrawsLines)
{
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("Courier"));
    font.setPixelSize(30);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    PainterTextCanvas canvas(painter);
    const int cell = canvas.textWidth(QStringLiteral("W"));
    ASSERT_GT(cell, 5);
    canvas.drawText(QRect(0, 0, cell, 40), 0, 0, QStringLiteral("WWWW"));
    canvas.drawLine(0, 55, 199, 55);
    EXPECT_FALSE(painter.hasClipping());
    EXPECT_EQ(canvas.textHeight(QStringLiteral("X")), QFontMetrics(font, &image).height());
    painter.end();

    auto darkIn = [&](int left, int right, int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(darkIn(0, cell, 0, 40));
    EXPECT_FALSE(darkIn(cell, 200, 0, 50));
    EXPECT_EQ(qGray(image.pixel(100, 55)), 0);
}

TEST(PainterTextCanvas, OpaqueBrushFillsTheRectangleAndKeepsAnOuterClip)
{
    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, 50, 40));
    painter.setBrush(Qt::red);
    PainterTextCanvas canvas(painter);
    canvas.drawText(QRect(10, 10, 80, 20), 10, 10, QStringLiteral(" "));
    EXPECT_TRUE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(image.pixel(20, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(5, 15), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(60, 15), qRgb(255, 255, 255)); // outside the caller's clip
}

} // namespace
} // namespace velta::viewer
