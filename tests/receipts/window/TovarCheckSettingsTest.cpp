// The receipt window's settings in its section of the plug-in's placement store.
#include "plugin/receipts/window/TovarCheckSettings.h"
#include "plugin/ui/FormPlacement.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

FormPlacement store()
{
    return FormPlacement(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey());
}

TEST(TovarCheckSettingsTest, NothingStoredGivesTheDefaults)
{
    test::TestEnv env;
    const TovarCheckSettings s = LoadTovarCheckSettings(store(), 45352.75);
    EXPECT_EQ(s.begin, 45351.75);
    EXPECT_EQ(s.end, 45352.75);
    EXPECT_EQ(s.post, QString());
    EXPECT_TRUE(s.endPeriod);
    EXPECT_EQ(s.comment, QString());
    EXPECT_EQ(s.openDir, QStringLiteral("C:\\DEXE"));
    EXPECT_EQ(s.saveDir, QStringLiteral("C:\\DEXE"));
    EXPECT_EQ(s.copies, 1);
    EXPECT_EQ(s.dayCount, 10);
    EXPECT_TRUE(s.preview);
    EXPECT_TRUE(s.forDayCount);
    EXPECT_TRUE(s.onPrinter);
}

TEST(TovarCheckSettingsTest, SavedSettingsComeBackWithTheCommentHexEncodedAndFoldersOnlyWhenChosen)
{
    test::TestEnv env;
    TovarCheckSettings s;
    s.begin = 45300.5;
    s.end = 45310.999988;
    s.post = QStringLiteral("Пост 3");
    s.endPeriod = false;
    s.comment = QStringLiteral("Привет\r\nмир");
    s.openDir = QStringLiteral("/tmp/open");
    s.saveDir = QStringLiteral("/tmp/save");
    s.copies = 4;
    s.dayCount = 250;
    s.preview = false;
    s.forDayCount = false;
    s.onPrinter = false;
    SaveTovarCheckSettings(store(), s, false, true);

    EXPECT_EQ(store().readString(QStringLiteral("memComment"), QString()),
              QStringLiteral("CFF0E8E2E5F20D0AECE8F0"));
    EXPECT_EQ(store().readInteger(QStringLiteral("cbEndPeriod"), -1), 0);
    const TovarCheckSettings back = LoadTovarCheckSettings(store(), 0);
    EXPECT_DOUBLE_EQ(back.begin, s.begin);
    EXPECT_DOUBLE_EQ(back.end, s.end);
    EXPECT_EQ(back.post, s.post);
    EXPECT_FALSE(back.endPeriod);
    EXPECT_EQ(back.comment, s.comment);
    EXPECT_EQ(back.openDir, QStringLiteral("C:\\DEXE")); // no file was opened
    EXPECT_EQ(back.saveDir, s.saveDir);
    EXPECT_EQ(back.copies, 4);
    EXPECT_EQ(back.dayCount, 250);
    EXPECT_FALSE(back.preview);
    EXPECT_FALSE(back.forDayCount);
    EXPECT_FALSE(back.onPrinter);
}

} // namespace
} // namespace velta::receipts
