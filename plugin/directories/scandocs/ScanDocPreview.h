#pragma once
// The size a page picture is shown at in the preview box, by the size choice.
#include <QSize>
#include <QString>

namespace velta::directories::scandocs {

// The margin kept free inside the box, in pixels.
inline constexpr int kPreviewMargin = 25;

// "По ширине окна": box width - margin, height in proportion; "Вписать в
// окно": the larger size fitting both box sides less the margin; "P%" (5 to
// 500): P % of the picture; anything else: as "По ширине окна". A picture
// without size gives an empty size.
QSize PreviewSize(const QString& choice, const QSize& box, const QSize& picture);

} // namespace velta::directories::scandocs
