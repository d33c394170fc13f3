#pragma once
// Printing of text reports: the page layout of a font on a paint device, the
// print of the report lines raw to the printer device or drawn page by page on
// a printer, and the hand-over of the lines to the host's print routine.
#include <QString>
#include <QStringList>
#include <functional>

class QFont;
class QPaintDevice;
class QPrinter;

namespace velta::viewer {

struct TextPrintSettings;
class ViewerHost;

// How a text report falls into pages on a device in a font.
struct TextPageLayout {
    int lineHeight = 0;   // height of "X" plus 2
    int linesPerPage = 0; // page height div line height (at least 1)
    int pageCount = 0;    // 0 for a report without lines
    int charWidth = 0;    // width of "A"

    static TextPageLayout compute(QPaintDevice& device, const QFont& font, int lineCount);

    // The zero-based index range of a page (from 1); last is clipped to the report.
    int firstLineOf(int page) const { return (page - 1) * linesPerPage; }
    int lastLineOf(int page, int lineCount) const;
};

// Prints the lines. With the host's raw printing on (privilege 8) the lines go
// to the printer device in the OEM code page and the page range and copies
// are not used. Otherwise they are drawn on the printer in the settings'
// font and orientation: pages firstPage..lastPage (-1: the first and the last
// page), copies as given. Raises EPrinter when the job cannot start; the job
// is ended in every case. onPageDrawn receives each page's drawing time.
void PrintText(const QStringList& lines, int firstPage, int copies, int lastPage, QPrinter& printer,
               const TextPrintSettings& settings, ViewerHost& host,
               std::function<void(const QString& elapsed)> onPageDrawn = {});

// Writes the lines raw to the printer device (RawPrinter): each line in cp866
// followed by CR LF, then a form feed and CR LF.
void PrintTextRaw(const QStringList& lines);

// Hands the lines to the host's print routine as (4, lines, true). Raises
// Exception when the host has no print routine.
void PrintThroughHost(const QStringList& lines, ViewerHost& host);

// The message raised when the host gives no print routine.
QString NoHostPrintRoutineMessage();

} // namespace velta::viewer
