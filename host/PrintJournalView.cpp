#include "host/PrintJournalView.h"

#include "host/CashTape.h"

#include <QFontDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>

namespace velta::host {

namespace {

const QString kCashRegister = QStringLiteral("Кассовый аппарат");

QTextCharFormat lineFormat(const QFont& font, bool bold)
{
    QTextCharFormat format;
    format.setFont(font);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

} // namespace

PrintJournalView::PrintJournalView(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

void PrintJournalView::appendJob(const QString& device, const QString& call, const QStringList& lines)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!document()->isEmpty())
        cursor.insertBlock();
    QTextCharFormat heading = lineFormat(font(), false);
    heading.setForeground(palette().color(QPalette::PlaceholderText));
    cursor.insertText(QStringLiteral("==== %1 (%2) ====").arg(device, call), heading);

    if (device != kCashRegister) {
        for (const QString& line : lines) {
            cursor.insertBlock();
            cursor.insertText(line, lineFormat(font(), false));
        }
        setTextCursor(cursor);
        return;
    }
    // The tape: a framed strip as wide as the register's line.
    QTextFrameFormat strip;
    strip.setBorder(1);
    strip.setBorderStyle(QTextFrameFormat::BorderStyle_Dashed);
    strip.setPadding(6);
    strip.setBackground(Qt::white);
    strip.setForeground(Qt::black);
    const QFont bold = [&] { QFont f = font(); f.setBold(true); return f; }();
    strip.setWidth(QFontMetrics(bold).horizontalAdvance(QString(kTapeWidth, QLatin1Char('W'))) + 14);
    cursor.insertFrame(strip);
    bool first = true;
    for (const TapeLine& line : layoutTape(lines)) {
        if (!first)
            cursor.insertBlock();
        first = false;
        QTextCharFormat format = lineFormat(font(), line.bold);
        format.setForeground(Qt::black);
        cursor.insertText(line.text, format);
    }
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    ensureCursorVisible();
}

QStringList PrintJournalView::boldLines() const
{
    QStringList bold;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        if (block.begin() != block.end() && block.begin().fragment().charFormat().fontWeight() >= QFont::Bold)
            bold << block.text();
    return bold;
}

} // namespace velta::host
