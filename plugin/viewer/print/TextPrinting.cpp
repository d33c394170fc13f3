#include "plugin/viewer/print/TextPrinting.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/platform/RawPrinter.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/print/TextCanvas.h"
#include "plugin/viewer/print/TextPageRenderer.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/print/ViewerHost.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace velta::viewer {
namespace {

// The host's print routine takes this kind for report text.
constexpr int kReportTextKind = 4;

// Ends the painter's job when the printing leaves, also by an exception.
class JobGuard {
public:
    explicit JobGuard(QPainter& painter)
        : painter_(painter)
    {
    }
    ~JobGuard()
    {
        if (painter_.isActive())
            painter_.end();
    }
    JobGuard(const JobGuard&) = delete;
    JobGuard& operator=(const JobGuard&) = delete;

private:
    QPainter& painter_;
};

void printGraphics(const QStringList& lines, int firstPage, int copies, int lastPage, QPrinter& printer,
                   const TextPrintSettings& settings, const std::function<void(const QString&)>& onPageDrawn)
{
    const QFont font = settings.font();
    printer.setPageOrientation(settings.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    const int lineCount = static_cast<int>(lines.size());
    const TextPageLayout layout = TextPageLayout::compute(printer, font, lineCount);
    // Page 0 or below would draw lines before the first one.
    if (firstPage < 1)
        firstPage = 1;
    if (lastPage == -1)
        lastPage = layout.pageCount;
    copies = std::max(copies, 1);
    printer.setCopyCount(copies);
    // A device that cannot make copies itself (a PDF file) gets each copy drawn.
    const int drawnCopies = printer.supportsMultipleCopies() ? 1 : copies;
    const int endPage = std::min(lastPage, layout.pageCount);

    QPainter painter;
    BeginPrintJob(painter, printer);
    JobGuard guard(painter);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 0));
    PainterTextCanvas canvas(painter);
    for (int copy = 1; copy <= drawnCopies; ++copy) {
        for (int page = firstPage; page <= endPage; ++page) {
            const QString elapsed = RenderTextPage(canvas, lines, layout.firstLineOf(page),
                                                   layout.lastLineOf(page, lineCount), layout.charWidth,
                                                   layout.lineHeight);
            if (onPageDrawn)
                onPageDrawn(elapsed);
            const bool morePages = page + 1 <= endPage || copy < drawnCopies;
            if (morePages && !printer.newPage())
                throw EPrinter(PrinterNotReadyMessage(printer));
        }
    }
    painter.end();
}

} // namespace

TextPageLayout TextPageLayout::compute(QPaintDevice& device, const QFont& font, int lineCount)
{
    const QFontMetrics metrics(font, &device);
    TextPageLayout layout;
    layout.lineHeight = metrics.height() + 2;
    // A line taller than the page still prints, one to a page.
    layout.linesPerPage = std::max(device.height() / layout.lineHeight, 1);
    layout.pageCount = lineCount <= 0 ? 0
                                      : lineCount / layout.linesPerPage + (lineCount % layout.linesPerPage ? 1 : 0);
    layout.charWidth = metrics.horizontalAdvance(QLatin1Char('A'));
    return layout;
}

int TextPageLayout::lastLineOf(int page, int lineCount) const
{
    return std::min(page * linesPerPage - 1, lineCount - 1);
}

void PrintTextRaw(const QStringList& lines)
{
    static const QByteArray kLineBreak("\r\n");
    RawPrinter device;
    for (const QString& line : lines) {
        device.write(codec::toCp866(line) + kLineBreak);
    }
    device.write(QByteArray("\f") + kLineBreak);
    device.close();
}

void PrintText(const QStringList& lines, int firstPage, int copies, int lastPage, QPrinter& printer,
               const TextPrintSettings& settings, ViewerHost& host,
               std::function<void(const QString& elapsed)> onPageDrawn)
{
    if (host.printStraightToDevice()) {
        PrintTextRaw(lines);
        return;
    }
    printGraphics(lines, firstPage, copies, lastPage, printer, settings, onPageDrawn);
}

QString NoHostPrintRoutineMessage()
{
    return QStringLiteral("Программа не предоставила функцию печати отчетов");
}

void PrintThroughHost(const QStringList& lines, ViewerHost& host)
{
    const plugin::HostPrintRoutineFn routine = host.hostPrintRoutine();
    if (!routine)
        throw Exception(NoHostPrintRoutineMessage());
    routine(kReportTextKind, lines, true);
}

} // namespace velta::viewer
