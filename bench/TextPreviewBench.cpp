// One page of the text preview of a 30,000-line report with framed tables:
// the line drawing (RenderTextPage through PainterTextCanvas) against the
// floor, the same page's lines drawn as plain text with QPainter::drawText on
// the same image in the same font. Prints the page count and the ratio.
#include "plugin/viewer/print/TextCanvas.h"
#include "plugin/viewer/print/TextPageRenderer.h"
#include "plugin/viewer/print/TextPreview.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"
#include "bench/RatioReporter.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kReportLines = 30000;
constexpr int kScreenDpi = 96;

// A shift report's tables: a framed header, rows of fuel sales with
// numbers, a total row, and text between the tables.
QStringList makeReport()
{
    const QStringList fuels = {QStringLiteral("АИ-92"), QStringLiteral("АИ-95"), QStringLiteral("АИ-98"),
                               QStringLiteral("ДТ"), QStringLiteral("Газ")};
    const QString rule = QStringLiteral("+----+------------+----------+-----------+------------+");
    QStringList lines;
    int table = 0;
    while (lines.size() < kReportLines) {
        ++table;
        lines << QString() << QStringLiteral("Смена %1. Отпуск нефтепродуктов по ТРК").arg(table) << rule
              << QStringLiteral("| N  | Топливо    | Литры    | Цена      | Сумма      |") << rule;
        for (int row = 1; row <= 20; ++row) {
            const double litres = 10.5 * row + table % 7;
            const double price = 48.30 + (row % 5);
            lines << QStringLiteral("|%1 | %2 |%3 |%4 |%5 |")
                         .arg(row, 3)
                         .arg(fuels[row % fuels.size()], -10)
                         .arg(litres, 9, 'f', 2)
                         .arg(price, 10, 'f', 2)
                         .arg(litres * price, 11, 'f', 2);
        }
        lines << rule << QStringLiteral("|    | Итого      |%1 |           |%2 |").arg(2205.0, 9, 'f', 2).arg(110250.5, 11, 'f', 2)
              << rule << QStringLiteral("Кассир: -5 руб. округление; подпись ________");
    }
    while (lines.size() > kReportLines)
        lines.removeLast();
    return lines;
}

struct Fixture {
    QTemporaryDir dir;
    QStringList lines = makeReport();
    std::unique_ptr<QPrinter> printer;
    velta::viewer::TextPrintSettings settings;
    velta::viewer::TextPreviewPage preview;
    QFont font;
    int page = 0;
    int firstLine = 0;
    int lastLine = 0;
    int charWidth = 0;
    int lineHeight = 0;

    Fixture()
    {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(dir.filePath(QStringLiteral("bench.pdf")));
        printer->setPageSize(QPageSize(QPageSize::A4));
        font = settings.font();
        const auto layout = velta::viewer::TextPageLayout::compute(*printer, font, static_cast<int>(lines.size()));
        page = layout.pageCount / 2;
        firstLine = layout.firstLineOf(page);
        lastLine = layout.lastLineOf(page, static_cast<int>(lines.size()));
        preview = velta::viewer::ShowTextPreview(lines, page, *printer, settings, kScreenDpi);
        const QFontMetrics metrics(font, &preview.image);
        charWidth = metrics.horizontalAdvance(QLatin1Char('A'));
        lineHeight = metrics.height() + 2;
        std::printf("report: %d lines, %d lines a page, %d pages; page %d drawn on %dx%d\n",
                    static_cast<int>(lines.size()), layout.linesPerPage, layout.pageCount, page,
                    preview.image.width(), preview.image.height());
    }
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void BM_RenderTextPage(benchmark::State& state)
{
    Fixture& f = fixture();
    QImage image = f.preview.image;
    QPainter painter(&image);
    painter.setFont(f.font);
    painter.setPen(QPen(Qt::black, 0));
    velta::viewer::PainterTextCanvas canvas(painter);
    for (auto _ : state) {
        QString elapsed =
            velta::viewer::RenderTextPage(canvas, f.lines, f.firstLine, f.lastLine, f.charWidth, f.lineHeight);
        benchmark::DoNotOptimize(elapsed);
    }
}
BENCHMARK(BM_RenderTextPage)->Unit(benchmark::kMicrosecond);

void BM_DrawTextFloor(benchmark::State& state)
{
    Fixture& f = fixture();
    QImage image = f.preview.image;
    QPainter painter(&image);
    painter.setFont(f.font);
    painter.setPen(QPen(Qt::black, 0));
    const int ascent = QFontMetrics(f.font, &image).ascent();
    for (auto _ : state) {
        int y = velta::viewer::kTextPageMargin;
        for (int i = f.firstLine; i <= f.lastLine; ++i) {
            painter.drawText(velta::viewer::kTextPageMargin, y + ascent, f.lines.at(i));
            y += f.lineHeight;
        }
    }
}
BENCHMARK(BM_DrawTextFloor)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    fixture();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto wall = reporter.ratio("BM_RenderTextPage", "BM_DrawTextFloor");
    const auto cpu = reporter.ratio("BM_RenderTextPage", "BM_DrawTextFloor", true);
    if (wall && cpu)
        std::printf("ratio text preview page ours/drawText: %.2f (CPU time %.2f)\n", *wall, *cpu);
    benchmark::Shutdown();
    return 0;
}
