// File dialog filters of the framework turned into Qt name filters.
#include "plugin/ui/FileFilter.h"

#include <gtest/gtest.h>

using namespace velta;

TEST(FileFilter, DescriptionsThatAlreadyShowTheirPatternsAreNotRepeated)
{
    EXPECT_EQ(FileFilter::toQtNameFilters(QStringLiteral("Текст (*.txt)|*.txt|Все файлы (*.*)|*.*")),
              (QStringList{QStringLiteral("Текст (*.txt *.TXT)"), QStringLiteral("Все файлы (*)")}));
    // The shown pattern in another case than the real one is still the same pattern.
    EXPECT_EQ(FileFilter::toQtNameFilters(QStringLiteral("Text files (*.txt)|*.TXT")),
              QStringList{QStringLiteral("Text files (*.TXT *.txt)")});
}

TEST(FileFilter, PatternsMatchInEitherCaseAndStarDotStarMatchesEverything)
{
    EXPECT_EQ(FileFilter::qtPatterns({QStringLiteral("*.DBF")}),
              (QStringList{QStringLiteral("*.DBF"), QStringLiteral("*.dbf")}));
    EXPECT_EQ(FileFilter::qtPatterns({QStringLiteral("*.Jpg"), QStringLiteral("*.*")}),
              (QStringList{QStringLiteral("*.Jpg"), QStringLiteral("*.jpg"), QStringLiteral("*.JPG"),
                           QStringLiteral("*")}));
}

TEST(FileFilter, DescriptionsWithoutOrWithOtherPatternsGetTheRealOnesAppended)
{
    EXPECT_EQ(FileFilter::toQtNameFilters(QStringLiteral("Картинки|*.bmp;*.jpg")),
              QStringList{QStringLiteral("Картинки (*.bmp *.BMP *.jpg *.JPG)")});
    // Qt reads the last parentheses: the real patterns must be there.
    EXPECT_EQ(FileFilter::toQtNameFilters(QStringLiteral("Отчеты (*.htm)|*.html")),
              QStringList{QStringLiteral("Отчеты (*.htm) (*.html *.HTML)")});
}

TEST(FileFilter, OddAndEmptyFilters)
{
    EXPECT_TRUE(FileFilter::toQtNameFilters(QString()).isEmpty());
    // A trailing description without patterns lists every file.
    const auto entries = FileFilter::parse(QStringLiteral("dBase files (*.dbf)|*.DBF|Прочие"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].description, QStringLiteral("Прочие"));
    EXPECT_EQ(entries[1].patterns, QStringList{QStringLiteral("*")});
    EXPECT_EQ(FileFilter::parse(QStringLiteral("A| *.a ; ;*.b"))[0].patterns,
              (QStringList{QStringLiteral("*.a"), QStringLiteral("*.b")}));
}

TEST(FileFilter, DefaultExtensionLosesItsDots)
{
    EXPECT_EQ(FileFilter::cleanDefaultExt(QStringLiteral(".dbf")), QStringLiteral("dbf"));
    EXPECT_EQ(FileFilter::cleanDefaultExt(QStringLiteral("html")), QStringLiteral("html"));
    EXPECT_EQ(FileFilter::cleanDefaultExt(QStringLiteral("..txt ")), QStringLiteral("txt"));
}
