#include "plugin/directories/scandocs/ScanDocPreview.h"

#include <algorithm>

namespace velta::directories::scandocs {

namespace {

// The height of a picture shown at the width, in proportion.
int heightFor(int width, const QSize& picture)
{
    return static_cast<int>(static_cast<qint64>(picture.height()) * width / picture.width());
}

QSize byWidth(const QSize& box, const QSize& picture)
{
    const int width = std::max(1, box.width() - kPreviewMargin);
    return {width, heightFor(width, picture)};
}

} // namespace

QSize PreviewSize(const QString& choice, const QSize& box, const QSize& picture)
{
    // Nothing loaded: nothing to scale, and no width to divide by.
    if (picture.width() <= 0 || picture.height() <= 0)
        return QSize();
    if (choice == QStringLiteral("Вписать в окно")) {
        const int width = std::max(1, box.width() - kPreviewMargin);
        const int height = std::max(1, box.height() - kPreviewMargin);
        const int fitWidth = heightFor(width, picture) <= height
                                 ? width
                                 : static_cast<int>(static_cast<qint64>(picture.width()) * height / picture.height());
        return {std::max(1, fitWidth), std::max(1, heightFor(std::max(1, fitWidth), picture))};
    }
    if (choice.endsWith(QLatin1Char('%'))) {
        bool ok = false;
        const int percent = choice.chopped(1).toInt(&ok);
        if (ok && percent >= 5 && percent <= 500) {
            const int width = std::max(1, picture.width() * percent / 100);
            return {width, heightFor(width, picture)};
        }
    }
    return byWidth(box, picture);
}

} // namespace velta::directories::scandocs
