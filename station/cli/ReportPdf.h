#pragma once
// A report's text form on A4 pages of a PDF file, in a fixed-pitch font so the
// "+", "-" and "|" rules of its tables line up as framed tables. The font
// shrinks (down to a floor) until the widest line fits the page; wider
// reports turn the page to landscape. A form feed starts a new page.
#include <QString>

namespace velta::station {

struct PdfLayout {
    bool landscape = false;
    double pointSize = 0;
    int linesPerPage = 0;
    int pages = 0;
};

// The layout writeReportPdf uses for the text, without writing anything.
PdfLayout reportPdfLayout(const QString& text);

// Writes the file; raises Exception when it cannot be written. Needs a
// QGuiApplication (the offscreen platform will do).
PdfLayout writeReportPdf(const QString& text, const QString& path, const QString& title);

} // namespace velta::station
