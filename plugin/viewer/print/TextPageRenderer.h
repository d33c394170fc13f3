#pragma once
// RenderTextPage: draws lines of a text report onto a canvas in a fixed-pitch
// grid, turning runs of "+", "-" and "|" that touch each other into ruled
// lines and everything else into text. Shared by printing and the preview.
#include <QString>
#include <QStringList>

namespace velta::viewer {

class TextCanvas;

// Left and top margins of a drawn page, in canvas pixels.
inline constexpr int kTextPageMargin = 20;

// Draws lines firstLine..lastLine (zero-based, inclusive) of lines; w is the
// width of a character cell and h the height of a line. Neighbouring lines
// outside the range still decide where vertical rules run. Indices outside the
// list draw as empty lines. Returns the time the drawing took as "ss.zzz".
QString RenderTextPage(TextCanvas& canvas, const QStringList& lines, int firstLine, int lastLine, int charWidth,
                       int lineHeight);

// Elapsed milliseconds as "ss.zzz" (seconds within the minute, milliseconds).
QString FormatElapsed(qint64 milliseconds);

} // namespace velta::viewer
