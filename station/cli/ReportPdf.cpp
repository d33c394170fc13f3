#include "station/cli/ReportPdf.h"

#include "common/Exception.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace velta::station {
namespace {

constexpr double kMarginMm = 12.0;
constexpr double kMaxPoint = 10.0;
constexpr double kMinPoint = 5.0;
// The advance of a fixed-pitch glyph and the line height, per point of size.
constexpr double kAdvancePerPoint = 0.61;
constexpr double kLinePerPoint = 1.18;
constexpr double kPointsPerMm = 72.0 / 25.4;

// Pages of lines: a form feed ends a page as well as reaching the page's height.
QList<QStringList> paginate(const QString& text, int linesPerPage)
{
    QList<QStringList> pages{QStringList{}};
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = normalised.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString line : lines) {
        while (true) {
            const qsizetype feed = line.indexOf(QLatin1Char('\f'));
            const QString head = feed < 0 ? line : line.left(feed);
            if (feed < 0 || !head.isEmpty()) {
                if (pages.last().size() >= linesPerPage)
                    pages.append(QStringList{});
                pages.last().append(head);
            }
            if (feed < 0)
                break;
            pages.append(QStringList{});
            line = line.mid(feed + 1);
        }
    }
    // A form feed at the end leaves no blank page behind.
    const auto blank = [](const QStringList& page) {
        return std::all_of(page.begin(), page.end(), [](const QString& l) { return l.trimmed().isEmpty(); });
    };
    while (pages.size() > 1 && blank(pages.last()))
        pages.removeLast();
    return pages;
}

int widestLine(const QString& text)
{
    qsizetype widest = 0;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
        widest = std::max(widest, line.trimmed().isEmpty() ? 0 : line.size());
    return static_cast<int>(widest);
}

} // namespace

PdfLayout reportPdfLayout(const QString& text)
{
    PdfLayout layout;
    const QSizeF a4 = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    const int width = std::max(1, widestLine(text));
    const auto pointFor = [&](double pageWidthMm) {
        const double usable = (pageWidthMm - 2 * kMarginMm) * kPointsPerMm;
        return std::min(kMaxPoint, usable / (width * kAdvancePerPoint));
    };
    layout.pointSize = pointFor(a4.width());
    if (layout.pointSize < kMinPoint) {
        layout.landscape = true;
        layout.pointSize = std::max(std::min(kMaxPoint, pointFor(a4.height())), 1.0);
    }
    layout.pointSize = std::floor(layout.pointSize * 10) / 10;
    const double heightMm = (layout.landscape ? a4.width() : a4.height()) - 2 * kMarginMm;
    layout.linesPerPage = std::max(1, static_cast<int>(heightMm * kPointsPerMm / (layout.pointSize * kLinePerPoint)));
    layout.pages = static_cast<int>(paginate(text, layout.linesPerPage).size());
    return layout;
}

PdfLayout writeReportPdf(const QString& text, const QString& path, const QString& title)
{
    const PdfLayout layout = reportPdfLayout(text);
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw Exception(QStringLiteral("Cannot write %1: %2").arg(path, probe.errorString()));
    }
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("velta-station report"));
    writer.setResolution(720);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(layout.pointSize);
    QPainter painter;
    if (!painter.begin(&writer))
        throw Exception(QStringLiteral("Cannot write the PDF file %1").arg(path));
    painter.setFont(font);
    const QFontMetricsF metrics(font, &writer);
    const double lineHeight = layout.pointSize * kLinePerPoint * writer.resolution() / 72.0;
    const QList<QStringList> pages = paginate(text, layout.linesPerPage);
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0)
            writer.newPage();
        double y = metrics.ascent();
        for (const QString& line : pages[p]) {
            painter.drawText(QPointF(0, y), line);
            y += lineHeight;
        }
    }
    if (!painter.end())
        throw Exception(QStringLiteral("Cannot finish the PDF file %1").arg(path));
    return layout;
}

} // namespace velta::station
