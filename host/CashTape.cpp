#include "host/CashTape.h"

namespace velta::host {

QList<TapeLine> layoutTape(const QStringList& lines, int width)
{
    QList<TapeLine> tape;
    for (const QString& line : lines) {
        const bool bold = line.startsWith(QLatin1Char('@'));
        QString text = bold ? line.mid(1) : line;
        text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        text.remove(QLatin1Char('\r'));
        // An empty line still feeds the paper.
        do {
            tape.append({text.left(width), bold});
            text = text.mid(width);
        } while (!text.isEmpty());
    }
    return tape;
}

} // namespace velta::host
