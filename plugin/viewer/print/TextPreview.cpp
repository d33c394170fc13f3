#include "plugin/viewer/print/TextPreview.h"

#include "plugin/viewer/print/TextCanvas.h"
#include "plugin/viewer/print/TextPageRenderer.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/TextPrinting.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>

namespace velta::viewer {
namespace {

constexpr int kDefaultScreenDpi = 96;
// The sheet is drawn with this much room around the scaled page.
constexpr int kSheetBorder = 2 * kTextPageMargin;

// An image whose fonts are sized for the given resolution.
QImage imageAtDpi(int width, int height, int dpi)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

void drawSheet(QPainter& painter, int width, int height)
{
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, width - 1, height - 1);
    painter.setPen(QPen(Qt::blue, 0, Qt::DotLine));
    painter.drawLine(kTextPageMargin, 0, kTextPageMargin, height);
    painter.drawLine(width - kTextPageMargin, 0, width - kTextPageMargin, height);
    painter.drawLine(0, kTextPageMargin, width, kTextPageMargin);
    painter.drawLine(0, height - kTextPageMargin, width, height - kTextPageMargin);
    painter.setPen(QPen(Qt::black, 0));
}

} // namespace

TextPreviewPage ShowTextPreview(const QStringList& lines, int page, QPrinter& printer,
                                const TextPrintSettings& settings, int screenDpi)
{
    if (screenDpi <= 0)
        screenDpi = kDefaultScreenDpi;
    const QFont font = settings.font();
    printer.setPageOrientation(settings.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);

    const QImage probe = imageAtDpi(1, 1, screenDpi);
    const QFontMetrics screen(font, &probe);
    const QFontMetrics paper(font, &printer);
    const double verticalFactor = double(screen.height() + 2) / double(paper.height() + 2);
    const QString sample = QStringLiteral("Width");
    const double horizontalFactor = double(screen.horizontalAdvance(sample)) / double(paper.horizontalAdvance(sample));

    const int lineCount = static_cast<int>(lines.size());
    const TextPageLayout layout = TextPageLayout::compute(printer, font, lineCount);
    TextPreviewPage result;
    result.pageCount = std::max(layout.pageCount, 1);
    result.page = std::clamp(page, 1, result.pageCount);

    const int width = static_cast<int>(std::lround(printer.width() * horizontalFactor)) + kSheetBorder;
    const int height = static_cast<int>(std::lround(printer.height() * verticalFactor)) + kSheetBorder;
    result.image = imageAtDpi(width, height, screenDpi);
    result.image.fill(Qt::white);

    QPainter painter(&result.image);
    painter.setFont(font);
    drawSheet(painter, width, height);
    painter.setBrush(Qt::NoBrush);
    PainterTextCanvas canvas(painter);
    const int charWidth = canvas.textWidth(QStringLiteral("A"));
    const int lineHeight = canvas.textHeight(QStringLiteral("X")) + 2;
    result.elapsed = RenderTextPage(canvas, lines, layout.firstLineOf(result.page),
                                    layout.lastLineOf(result.page, lineCount), charWidth, lineHeight);
    painter.setBrush(Qt::SolidPattern);
    return result;
}

} // namespace velta::viewer
