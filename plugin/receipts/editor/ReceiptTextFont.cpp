#include "plugin/receipts/editor/ReceiptTextFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace velta::receipts {

QFont ReceiptTextFont(int pointSize)
{
    // Plain "Courier" stays out: here it is a bitmap of one size, and bold lines are larger.
    static const QStringList families{QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Nimbus Mono PS")};
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const QString& family : families) {
        if (QFontDatabase::hasFamily(family) && QFontDatabase::isFixedPitch(family)
            && QFontDatabase::isSmoothlyScalable(family)) {
            font = QFont(family);
            break;
        }
    }
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(pointSize);
    return font;
}

} // namespace velta::receipts
