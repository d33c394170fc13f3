#include "plugin/viewer/print/TextCanvas.h"

#include <QPainter>

namespace velta::viewer {

TextCanvas::~TextCanvas() = default;

PainterTextCanvas::PainterTextCanvas(QPainter& painter)
    : painter_(painter)
    , metricsFont_(painter.font())
    , metrics_(painter.font(), painter.device())
{
}

const QFontMetrics& PainterTextCanvas::metrics()
{
    // The metrics follow the painter's font; a change of font renews them.
    if (!(painter_.font() == metricsFont_)) {
        metricsFont_ = painter_.font();
        metrics_ = QFontMetrics(metricsFont_, painter_.device());
    }
    return metrics_;
}

void PainterTextCanvas::drawLine(int x1, int y1, int x2, int y2)
{
    painter_.drawLine(x1, y1, x2, y2);
}

void PainterTextCanvas::drawText(const QRect& clip, int x, int y, const QString& text)
{
    if (painter_.brush().style() != Qt::NoBrush)
        painter_.fillRect(clip, painter_.brush());
    if (text.isEmpty() || clip.isEmpty())
        return;
    const int baseline = y + metrics().ascent();
    if (painter_.hasClipping()) {
        // Keep a clip the caller set: draw inside both.
        painter_.save();
        painter_.setClipRect(clip, Qt::IntersectClip);
        painter_.drawText(x, baseline, text);
        painter_.restore();
        return;
    }
    painter_.setClipRect(clip);
    painter_.drawText(x, baseline, text);
    painter_.setClipping(false);
}

int PainterTextCanvas::textWidth(const QString& text)
{
    return metrics().horizontalAdvance(text);
}

int PainterTextCanvas::textHeight(const QString& /*text*/)
{
    return metrics().height();
}

} // namespace velta::viewer
