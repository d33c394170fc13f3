// The line drawing of text tables: which characters become rules, where the
// segments run and which text runs are drawn in which rectangles.
#include "plugin/platform/Clock.h"
#include "plugin/viewer/print/TextCanvas.h"
#include "plugin/viewer/print/TextPageRenderer.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <vector>

namespace velta::viewer {
namespace {

struct Segment {
    int x1, y1, x2, y2;
    bool operator==(const Segment&) const = default;
};

struct TextRun {
    QRect clip;
    QPoint origin;
    QString text;
    bool operator==(const TextRun&) const = default;
};

void PrintTo(const Segment& s, std::ostream* os)
{
    *os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}

void PrintTo(const TextRun& r, std::ostream* os)
{
    *os << "\"" << r.text.toStdString() << "\" at (" << r.origin.x() << "," << r.origin.y() << ") clip ("
        << r.clip.x() << "," << r.clip.y() << " " << r.clip.width() << "x" << r.clip.height() << ")";
}

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

// Cells 10 wide, lines 20 high: the centre of column c (from 1) is at
// x = (c - 1) * 10 + 25, the middle of line L (from 0) at y = L * 20 + 30.
constexpr int kW = 10;
constexpr int kH = 20;
int cx(int column) { return (column - 1) * kW + 20 + kW / 2; }
int cy(int line) { return line * kH + 20 + kH / 2; }
QRect cells(int line, int firstColumn, int lastColumn)
{
    return QRect((firstColumn - 1) * kW + 20, line * kH + 20, (lastColumn - firstColumn + 1) * kW, kH);
}

RecordingTextCanvas render(const QStringList& lines, int first = 0, int last = -2)
{
    RecordingTextCanvas canvas;
    RenderTextPage(canvas, lines, first, last == -2 ? static_cast<int>(lines.size()) - 1 : last, kW, kH);
    return canvas;
}

TEST(TextRenderRules, FramedRowDrawsOneRuleAndTwoStrokesAndBlanksAsText)
{
    const auto canvas = render({QStringLiteral("+---+"), QStringLiteral("|   |")});
    const std::vector<Segment> expected = {
        {cx(1), cy(0), cx(2), cy(0)}, {cx(1), cy(0), cx(1), cy(1)}, // the left plus: rule and stroke down
        {cx(2), cy(0), cx(3), cy(0)}, {cx(3), cy(0), cx(4), cy(0)}, {cx(4), cy(0), cx(5), cy(0)},
        {cx(5), cy(0), cx(5), cy(1)}, // the right plus: only the stroke (the rule came from the left)
    };
    EXPECT_EQ(canvas.segments, expected);
    const std::vector<TextRun> runs = {{cells(1, 2, 4), cells(1, 2, 4).topLeft(), QStringLiteral("   ")}};
    EXPECT_EQ(canvas.runs, runs);
}

TEST(TextRenderRules, LineCharactersWithoutNeighboursStayText)
{
    // A minus before a digit, a lone plus between letters, a lone bar.
    for (const QString& line : {QStringLiteral(" -5 "), QStringLiteral("a+b"), QStringLiteral("x | y")}) {
        SCOPED_TRACE(line.toStdString());
        const auto canvas = render({line});
        EXPECT_TRUE(canvas.segments.empty());
        const std::vector<TextRun> runs = {{cells(0, 1, line.size()), cells(0, 1, line.size()).topLeft(), line}};
        EXPECT_EQ(canvas.runs, runs);
    }
}

TEST(TextRenderRules, MinusSignsAboveEachOtherDoNotJoinButBarsDo)
{
    const auto minus = render({QStringLiteral("a-b"), QStringLiteral("c-d")});
    EXPECT_TRUE(minus.segments.empty());
    ASSERT_EQ(minus.runs.size(), 2u);
    EXPECT_EQ(minus.runs[0].text, QStringLiteral("a-b"));
    EXPECT_EQ(minus.runs[1].text, QStringLiteral("c-d"));

    const auto bars = render({QStringLiteral("a|b"), QStringLiteral("c|d")});
    const std::vector<Segment> expected = {{cx(2), cy(0), cx(2), cy(1)}};
    EXPECT_EQ(bars.segments, expected);
    ASSERT_EQ(bars.runs.size(), 4u);
    EXPECT_EQ(bars.runs[1], (TextRun {cells(0, 3, 3), cells(0, 3, 3).topLeft(), QStringLiteral("b")}));

    // A minus over a plus joins: only two minus signs keep apart.
    const auto mixed = render({QStringLiteral("-"), QStringLiteral("+")});
    EXPECT_EQ(mixed.segments, (std::vector<Segment> {{cx(1), cy(0), cx(1), cy(1)}}));
    EXPECT_TRUE(mixed.runs.empty());
}

TEST(TextRenderRules, BarsSideBySideDoNotJoinButBarAndPlusDo)
{
    const auto bars = render({QStringLiteral("||")});
    EXPECT_TRUE(bars.segments.empty());
    ASSERT_EQ(bars.runs.size(), 1u);
    EXPECT_EQ(bars.runs[0].text, QStringLiteral("||"));

    const auto joined = render({QStringLiteral("|+")});
    EXPECT_EQ(joined.segments, (std::vector<Segment> {{cx(1), cy(0), cx(2), cy(0)}}));
    EXPECT_TRUE(joined.runs.empty());
}

TEST(TextRenderRules, TextRunsBetweenRulesKeepTheirColumns)
{
    const auto canvas = render({QStringLiteral("ab+--+cd"), QStringLiteral("  |  |x")});
    ASSERT_EQ(canvas.runs.size(), 5u);
    EXPECT_EQ(canvas.runs[0], (TextRun {cells(0, 1, 2), cells(0, 1, 2).topLeft(), QStringLiteral("ab")}));
    EXPECT_EQ(canvas.runs[1], (TextRun {cells(0, 7, 8), cells(0, 7, 8).topLeft(), QStringLiteral("cd")}));
    EXPECT_EQ(canvas.runs[2], (TextRun {cells(1, 1, 2), cells(1, 1, 2).topLeft(), QStringLiteral("  ")}));
    EXPECT_EQ(canvas.runs[3], (TextRun {cells(1, 4, 5), cells(1, 4, 5).topLeft(), QStringLiteral("  ")}));
    EXPECT_EQ(canvas.runs[4], (TextRun {cells(1, 7, 7), cells(1, 7, 7).topLeft(), QStringLiteral("x")}));
    // Strokes only where the next line is long enough and has a rule character.
    EXPECT_EQ(canvas.segments.size(), 5u);
    EXPECT_EQ(canvas.segments[1], (Segment {cx(3), cy(0), cx(3), cy(1)}));
}

TEST(TextRenderRules, LinesOfARangeStartAtTheTopAndLookAtTheirNeighbours)
{
    // Line 1 alone: y starts at the top margin, its bar joins the pluses of
    // lines 0 and 2 although they are not drawn.
    RecordingTextCanvas canvas;
    RenderTextPage(canvas, {QStringLiteral("+"), QStringLiteral("|"), QStringLiteral("+")}, 1, 1, kW, kH);
    EXPECT_EQ(canvas.segments, (std::vector<Segment> {{cx(1), cy(0), cx(1), cy(1)}}));
    EXPECT_TRUE(canvas.runs.empty());
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
