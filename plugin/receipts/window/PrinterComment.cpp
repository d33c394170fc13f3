#include "plugin/receipts/window/PrinterComment.h"

namespace velta::receipts {

QString PrinterComment(const QString& memo)
{
    if (memo.trimmed().isEmpty())
        return QString();
    QString text = memo;
    const QString br = QStringLiteral("<br />");
    text.replace(QStringLiteral("\r\n"), br).replace(QLatin1Char('\n'), br).replace(QLatin1Char('\r'), br);
    return br + text + br + br;
}

} // namespace velta::receipts
