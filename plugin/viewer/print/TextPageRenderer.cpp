#include "plugin/viewer/print/TextPageRenderer.h"

#include "plugin/platform/Clock.h"
#include "plugin/viewer/print/TextCanvas.h"

#include <QRect>

namespace velta::viewer {
namespace {

bool isRuleChar(QChar ch)
{
    const char16_t u = ch.unicode();
    return u == u'+' || u == u'-' || u == u'|';
}

// Two rule characters side by side join unless both are vertical bars.
bool joinHorizontally(QChar a, QChar b)
{
    return isRuleChar(b) && !(a == u'|' && b == u'|');
}

// A rule character joins the one above or below unless both are minus signs.
bool joinVertically(QChar ch, const QStringList& lines, int lineIndex, int column)
{
    if (lineIndex < 0 || lineIndex >= lines.size())
        return false;
    const QString& other = lines.at(lineIndex);
    if (other.size() < column)
        return false;
    const QChar below = other.at(column - 1);
    return isRuleChar(below) && !(below == u'-' && ch == u'-');
}

// Draws one line at height y: rule segments as they are met, text runs
// whenever the scan switches from text to rule or reaches the end.
void renderLine(TextCanvas& canvas, const QStringList& lines, int lineIndex, int y, int w, int h)
{
    const QString& line = lines.at(lineIndex);
    const int length = static_cast<int>(line.size());
    const int midY = y + h / 2;
    QString buffer;
    int start = 0;
    int last = 0;
    bool previous = true;
    for (int c = 1; c <= length + 1; ++c) {
        const bool pastEnd = c > length;
        bool current = false;
        QChar ch;
        if (pastEnd) {
            current = !previous;
        } else {
            ch = line.at(c - 1);
            if (isRuleChar(ch)) {
                const int midX = (c - 1) * w + kTextPageMargin + w / 2;
                bool horizontal = false;
                if (c < length && joinHorizontally(ch, line.at(c))) {
                    horizontal = true;
                    canvas.drawLine(midX, midY, midX + w, midY);
                }
                if (c > 1 && joinHorizontally(ch, line.at(c - 2)))
                    horizontal = true;
                bool vertical = false;
                if (joinVertically(ch, lines, lineIndex + 1, c)) {
                    vertical = true;
                    canvas.drawLine(midX, midY, midX, y + h + h / 2);
                }
                if (joinVertically(ch, lines, lineIndex - 1, c))
                    vertical = true;
                current = horizontal || vertical;
            }
        }
        if (!current && !pastEnd)
            buffer += ch;
        if (current != previous) {
            if (!previous) {
                const int left = start * w + kTextPageMargin;
                const QRect clip(left, y, last * w + kTextPageMargin + w - left, h);
                canvas.drawText(clip, left, y, buffer);
                buffer.clear();
            }
            start = c - 1;
        }
        last = c - 1;
        previous = current;
    }
}

} // namespace

QString FormatElapsed(qint64 milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    return QStringLiteral("%1.%2")
        .arg(milliseconds / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
}

QString RenderTextPage(TextCanvas& canvas, const QStringList& lines, int firstLine, int lastLine, int charWidth,
                       int lineHeight)
{
    Clock& clock = Clock::current();
    const std::int64_t started = clock.tickCount();
    int y = kTextPageMargin;
    for (int index = firstLine; index <= lastLine; ++index) {
        if (index >= 0 && index < lines.size() && !lines.at(index).isEmpty())
            renderLine(canvas, lines, index, y, charWidth, lineHeight);
        y += lineHeight;
    }
    return FormatElapsed(clock.tickCount() - started);
}

} // namespace velta::viewer
