#pragma once
// ShowTextPreview: one page of a text report drawn as it will print, at the
// screen's resolution: a white sheet scaled from the printer's page, dotted
// margin guides and the page's lines with their table rules.
#include <QImage>
#include <QString>
#include <QStringList>

class QPrinter;

namespace velta::viewer {

struct TextPrintSettings;

// The preview of one page and the numbers the window shows beside it.
struct TextPreviewPage {
    QImage image;
    int page = 1;      // the page drawn, after clamping
    int pageCount = 1; // at least 1, also for an empty report
    QString elapsed;   // drawing time, "ss.zzz"
};

// Draws page (from 1; clamped into 1..page count) of lines. The printer takes
// the settings' orientation, as printing would; screenDpi is the resolution
// the image's font is sized for (96 when not positive).
TextPreviewPage ShowTextPreview(const QStringList& lines, int page, QPrinter& printer,
                                const TextPrintSettings& settings, int screenDpi);

} // namespace velta::viewer
