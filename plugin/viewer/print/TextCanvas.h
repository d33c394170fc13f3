#pragma once
// TextCanvas: the drawing surface of the text report renderer, as the
// framework's canvas offers it: line segments, text clipped to a rectangle
// with its origin at a given point, and text extents. PainterTextCanvas draws
// on a QPainter (printer pages, preview images); tests record instead.
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>

class QPainter;

namespace velta::viewer {

class TextCanvas {
public:
    virtual ~TextCanvas();
    // A straight segment from (x1, y1) to (x2, y2) in the current pen.
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    // The text with the top-left corner of its first character cell at
    // (x, y), nothing of it outside clip (TextRect). An opaque canvas first
    // fills clip with its brush.
    virtual void drawText(const QRect& clip, int x, int y, const QString& text) = 0;
    // The extents of a text in the current font (TextWidth, TextHeight; the
    // height is the font's full cell height).
    virtual int textWidth(const QString& text) = 0;
    virtual int textHeight(const QString& text) = 0;
};

// A canvas over an active painter; it uses the painter's pen and font as they
// are when a call is made. The canvas fills text rectangles with the painter's
// brush unless the brush is transparent (Qt::NoBrush, the painter's default).
class PainterTextCanvas : public TextCanvas {
public:
    explicit PainterTextCanvas(QPainter& painter);

    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawText(const QRect& clip, int x, int y, const QString& text) override;
    int textWidth(const QString& text) override;
    int textHeight(const QString& text) override;

private:
    const QFontMetrics& metrics();

    QPainter& painter_;
    QFont metricsFont_;
    QFontMetrics metrics_;
};

} // namespace velta::viewer
