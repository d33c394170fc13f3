// Where the marks of a template lie: tags from "<#" through the next ">",
// across lines too, and bold lines from an "@" that begins a line.
#include "plugin/receipts/editor/TemplateMarkup.h"

#include <gtest/gtest.h>

using namespace velta::receipts;

namespace {

QStringList pieces(const QString& text, const QList<TextSpan>& spans)
{
    QStringList texts;
    for (const TextSpan& span : spans)
        texts << text.mid(span.start, span.length);
    return texts;
}

TEST(TemplateMarkup, TagsRunToTheFirstClosingMark)
{
    const auto tags = [](const QString& text) { return pieces(text, TemplateTagSpans(text)); };
    EXPECT_EQ(tags(QStringLiteral("Итого <#Summa(10.2)>р. <#GSM>")),
              (QStringList{QStringLiteral("<#Summa(10.2)>"), QStringLiteral("<#GSM>")}));
    EXPECT_EQ(tags(QStringLiteral("<#a <#b> c>")), QStringList{QStringLiteral("<#a <#b>")});
    EXPECT_EQ(tags(QStringLiteral("<#Kassir\nконец>")), QStringList{QStringLiteral("<#Kassir\nконец>")});
    EXPECT_EQ(tags(QStringLiteral("a > <# b")), QStringList{});
    EXPECT_EQ(tags(QStringLiteral("<#>< #x> <")), QStringList{QStringLiteral("<#>")});
    EXPECT_EQ(tags(QString()), QStringList{});
}

TEST(TemplateMarkup, BoldLinesBeginWithTheMarker)
{
    const auto bold = [](const QString& text) { return pieces(text, BoldLineSpans(text)); };
    EXPECT_EQ(bold(QStringLiteral("@ИТОГО\r\nтекст\r\n@\r\n@СПАСИБО")),
              (QStringList{QStringLiteral("@ИТОГО"), QStringLiteral("@"), QStringLiteral("@СПАСИБО")}));
    // An "@" inside a line marks nothing, and the lines after it still count.
    EXPECT_EQ(bold(QStringLiteral("сумма@10\n @нет\n@да\n")), QStringList{QStringLiteral("@да")});
    EXPECT_EQ(bold(QStringLiteral("\n\n@")), QStringList{QStringLiteral("@")});
    EXPECT_EQ(bold(QStringLiteral("текст\r")), QStringList{});
    const QString text = QStringLiteral("x\n@ab\ny");
    EXPECT_EQ(BoldLineSpans(text), (QList<TextSpan>{{2, 3}}));
}

} // namespace
