// The parts of the scanned documents register that need no station: the
// storage folders and page names, the filters, the preview sizes and the
// page list rules.
#include "common/Exception.h"
#include "plugin/directories/scandocs/ScanDocFilter.h"
#include "plugin/directories/scandocs/ScanDocPages.h"
#include "plugin/directories/scandocs/ScanDocPreview.h"
#include "plugin/directories/scandocs/ScanDocStorage.h"

#include <gtest/gtest.h>

namespace velta::directories::scandocs {
namespace {

TEST(ScanDocStorageTest, RemoteWorkplacesStoreOnTheServerShare)
{
    EXPECT_EQ(StorageRoot(0), u"C:\\DEXE\\ScanDocuments\\");
    EXPECT_EQ(StorageRoot(1), u"S:\\DEXE\\ScanDocuments\\");
    EXPECT_EQ(StorageRoot(2), u"S:\\DEXE\\ScanDocuments\\");
    EXPECT_EQ(StorageRoot(3), u"C:\\DEXE\\ScanDocuments\\");
    EXPECT_EQ(StationFolder(StorageRoot(0), QStringLiteral("АЗС")), u"C:\\DEXE\\ScanDocuments\\АЗС\\");
}

TEST(ScanDocStorageTest, PageNamesPadTheIdToThreeDigitsAndKeepTheSourceExtension)
{
    EXPECT_EQ(PageFileName(QStringLiteral("TTN"), 7, 2, QStringLiteral("D:\\scan\\img.jpg")), u"TTN007_2.jpg");
    EXPECT_EQ(PageFileName(QStringLiteral("SF"), 1234, 1, QStringLiteral("/tmp/a.b/page.PNG")), u"SF1234_1.PNG");
    EXPECT_EQ(PageFileName(QString(), 12, 3, QStringLiteral("/tmp/noext")), u"012_3");
}

TEST(ScanDocStorageTest, FileNamesLinesGoBehindTheRootAndAnEmptyValueIsOnePageWithoutAFile)
{
    const QString root = QStringLiteral("C:\\DEXE\\ScanDocuments\\");
    EXPECT_EQ(PagePathsOf(QStringLiteral("АЗС\\TTN001_1.jpg\r\nАЗС\\TTN001_2.jpg\r\n"), root),
              (QStringList{root + QStringLiteral("АЗС\\TTN001_1.jpg"), root + QStringLiteral("АЗС\\TTN001_2.jpg")}));
    EXPECT_EQ(PagePathsOf(QString(), root), QStringList{QString()});
    EXPECT_EQ(PagePathsOf(QStringLiteral("\r\n  \r\n"), root), QStringList{QString()});
}

TEST(ScanDocStorageTest, LyingUnderTheRootIgnoresLetterCase)
{
    const QString root = QStringLiteral("C:\\DEXE\\ScanDocuments\\");
    EXPECT_TRUE(LiesUnder(QStringLiteral("c:\\dexe\\scandocuments\\in\\a.png"), root));
    EXPECT_FALSE(LiesUnder(QStringLiteral("C:\\DEXE\\Scans\\a.png"), root));
    EXPECT_FALSE(LiesUnder(QStringLiteral("/tmp/scanner/a.png"), root));
    EXPECT_TRUE(SamePath(QStringLiteral("C:\\DEXE\\A.PNG"), QStringLiteral("c:\\dexe\\a.png")));
}

TEST(ScanDocFilterTest, GroupAndLikeConditions)
{
    EXPECT_EQ(GroupFilter(-1), QString());
    EXPECT_EQ(GroupFilter(4), u" (DOCTYPE=4) ");
    EXPECT_EQ(SearchFilter(QString(), QStringLiteral("DRIVER"), QStringLiteral("Иван")), u" (DRIVER LIKE '%Иван%') ");
    EXPECT_EQ(SearchFilter(GroupFilter(2), QStringLiteral("OPERATOR"), QStringLiteral("x")),
              u" (DOCTYPE=2)  AND  (OPERATOR LIKE '%x%') ");
    // An empty text leaves the group alone.
    EXPECT_EQ(SearchFilter(GroupFilter(2), QStringLiteral("OPERATOR"), QString()), u" (DOCTYPE=2) ");
}

TEST(ScanDocFilterTest, QuotesInTheTextAreDoubled)
{
    EXPECT_EQ(SearchFilter(QString(), QStringLiteral("CNTSENDER"), QStringLiteral("O'Key")),
              u" (CNTSENDER LIKE '%O''Key%') ");
    EXPECT_EQ(SearchFieldNames().size(), 6);
    EXPECT_EQ(SearchFieldNames().at(3), u"CNTPER");
}

TEST(ScanDocPreviewTest, EveryChoiceOfTheList)
{
    const QSize box(425, 325);
    const QSize picture(800, 1200);
    EXPECT_EQ(PreviewSize(QStringLiteral("По ширине окна"), box, picture), QSize(400, 600));
    EXPECT_EQ(PreviewSize(QStringLiteral("Вписать в окно"), box, picture), QSize(200, 300));
    EXPECT_EQ(PreviewSize(QStringLiteral("Вписать в окно"), QSize(425, 2025), picture), QSize(400, 600));
    EXPECT_EQ(PreviewSize(QStringLiteral("100%"), box, picture), picture);
    EXPECT_EQ(PreviewSize(QStringLiteral("75%"), box, picture), QSize(600, 900));
    EXPECT_EQ(PreviewSize(QStringLiteral("50%"), box, picture), QSize(400, 600));
    EXPECT_EQ(PreviewSize(QStringLiteral("25%"), box, picture), QSize(200, 300));
    EXPECT_EQ(PreviewSize(QStringLiteral("15%"), box, picture), QSize(120, 180));
    EXPECT_EQ(PreviewSize(QStringLiteral("10%"), box, picture), QSize(80, 120));
    EXPECT_EQ(PreviewSize(QStringLiteral("5%"), box, picture), QSize(40, 60));
    // Out of range or no percentage: the box width.
    EXPECT_EQ(PreviewSize(QStringLiteral("501%"), box, picture), QSize(400, 600));
    EXPECT_EQ(PreviewSize(QStringLiteral("4%"), box, picture), QSize(400, 600));
    EXPECT_EQ(PreviewSize(QStringLiteral("что-то"), box, picture), QSize(400, 600));
}

TEST(ScanDocPreviewTest, NoPictureOrATinyBoxDividesByNothing)
{
    for (const char* choice : {"По ширине окна", "Вписать в окно", "100%", "5%"}) {
        EXPECT_TRUE(PreviewSize(QString::fromUtf8(choice), QSize(425, 325), QSize()).isEmpty()) << choice;
        EXPECT_TRUE(PreviewSize(QString::fromUtf8(choice), QSize(425, 325), QSize(0, 100)).isEmpty()) << choice;
    }
    const QSize tiny = PreviewSize(QStringLiteral("Вписать в окно"), QSize(10, 10), QSize(800, 1200));
    EXPECT_GT(tiny.width(), 0);
    EXPECT_GT(tiny.height(), 0);
}

TEST(ScanDocPagesTest, AddingAndRemovingPages)
{
    ScanDocPages pages;
    EXPECT_EQ(pages.Count(), 1);
    EXPECT_THROW(pages.Add(2), Exception); // the buttons disagree
    try {
        pages.RemoveSelected(1);
        FAIL() << "the only page went";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), u"Нельзя удалять последнюю оставшуюся страницу!");
    }
    pages.SetSelectedFile(QStringLiteral("/a.png"));
    pages.Add(1);
    pages.SetSelectedFile(QStringLiteral("/b.png"));
    pages.Add(2);
    pages.SetSelectedFile(QStringLiteral("/c.png"));
    EXPECT_EQ(pages.Selected(), 2);
    // The last of three goes: the new last page is selected.
    pages.RemoveSelected(3);
    EXPECT_EQ(pages.Files(), (QStringList{QStringLiteral("/a.png"), QStringLiteral("/b.png")}));
    EXPECT_EQ(pages.Selected(), 1);
    // A middle page goes: the page now at its position is selected.
    pages.Add(2);
    pages.Select(1);
    pages.RemoveSelected(3);
    EXPECT_EQ(pages.Selected(), 1);
    EXPECT_EQ(pages.Files(), (QStringList{QStringLiteral("/a.png"), QString()}));
    pages.Select(-1);
    try {
        pages.RemoveSelected(2);
        FAIL() << "nothing selected";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), u"Не выбрана страница для удаления!");
    }
    pages.Select(1);
    EXPECT_EQ(pages.PageUsing(QStringLiteral("/A.PNG")), 1);
    EXPECT_EQ(pages.PageUsing(QStringLiteral("/z.png")), 0);
    EXPECT_EQ(ScanDocPages::Caption(1), u"Стр. 2");
}

} // namespace
} // namespace velta::directories::scandocs
