// The viewer's settings in cnf.ini: round trips through a real file, defaults,
// the "Format" key kept only with old reports, the export choice and directory.
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"
#include "plugin/viewer/print/ViewerSettings.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

class ViewerSettingsTest : public ::testing::Test {
protected:
    // cnf.ini's text as it is on disk (cp1251 is ASCII for these keys).
    QString fileText() const
    {
        return QString::fromLatin1(test::readFileBytes(Paths::toNative(CnfIniFileName())));
    }
    QString value(const QString& section, const QString& key, const QString& missing = QStringLiteral("<missing>"))
    {
        TSafeIniFile ini(CnfIniFileName());
        return ini.ReadString(section, key, missing);
    }
    void set(const QString& section, const QString& key, const QString& text)
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(section, key, text);
    }

    test::TestEnv env;
};

TEST_F(ViewerSettingsTest, MissingFileGivesEveryDefault)
{
    TextPrintSettings print;
    print.portrait = false;
    print.fontName = QStringLiteral("Arial");
    print.fontSize = 20;
    print.fontCharset = 0;
    const ViewerMiscSettings misc = ReadViewerMisc(true, print);
    EXPECT_FALSE(misc.format);
    EXPECT_TRUE(misc.printBackground);
    EXPECT_EQ(misc.repExportType, 0);
    EXPECT_FALSE(misc.stayOnTop);
    EXPECT_TRUE(print.portrait);
    EXPECT_EQ(print.fontName, QStringLiteral("Courier"));
    EXPECT_EQ(print.fontSize, 11);
    EXPECT_EQ(print.fontCharset, 204);

    EXPECT_FALSE(ReadAllowOldReports());
    EXPECT_TRUE(ReadAllowExportReports());
    EXPECT_EQ(ReadExportDirectory(), QStringLiteral("C:\\DEXE\\EXPORT\\"));
}

TEST_F(ViewerSettingsTest, UnreadableValuesGiveDefaults)
{
    set(QStringLiteral("Misc"), QStringLiteral("OSP"), QStringLiteral("yes"));
    set(QStringLiteral("Misc"), QStringLiteral("FNP"), QStringLiteral("   "));
    set(QStringLiteral("Misc"), QStringLiteral("SFP"), QStringLiteral("big"));
    set(QStringLiteral("Misc"), QStringLiteral("FCP"), QStringLiteral("1.5"));
    set(QStringLiteral("Misc"), QStringLiteral("PrintBackground"), QStringLiteral("no"));
    set(QStringLiteral("Misc"), QStringLiteral("RepExportType"), QStringLiteral("x"));
    TextPrintSettings print;
    print.fontSize = 30;
    const ViewerMiscSettings misc = ReadViewerMisc(false, print);
    EXPECT_TRUE(print.portrait);
    EXPECT_EQ(print.fontName, QStringLiteral("Courier"));
    EXPECT_EQ(print.fontSize, 11);
    EXPECT_EQ(print.fontCharset, 204);
    EXPECT_TRUE(misc.printBackground);
    EXPECT_EQ(misc.repExportType, 0);
}

TEST_F(ViewerSettingsTest, CloseValuesReadBackAtTheNextCreation)
{
    TextPrintSettings print;
    print.portrait = false;
    print.fontName = QStringLiteral("Courier New");
    print.fontSize = 9;
    print.fontCharset = 0;
    ViewerMiscSettings misc;
    misc.format = true;
    misc.printBackground = false;
    misc.repExportType = 5;
    misc.stayOnTop = true;
    WriteViewerMisc(misc, true, print);

    // Booleans and integers as the INI classes store them.
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("OSP")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("1"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("PrintBackground")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("RepExportType")), QStringLiteral("5"));

    TextPrintSettings read;
    const ViewerMiscSettings back = ReadViewerMisc(true, read);
    EXPECT_TRUE(back.format);
    EXPECT_FALSE(back.printBackground);
    EXPECT_EQ(back.repExportType, 5);
    EXPECT_TRUE(back.stayOnTop);
    EXPECT_FALSE(read.portrait);
    EXPECT_EQ(read.fontName, QStringLiteral("Courier New"));
    EXPECT_EQ(read.fontSize, 9);
    EXPECT_EQ(read.fontCharset, 0);
}

TEST_F(ViewerSettingsTest, FormatIsNeitherReadNorWrittenWithoutOldReports)
{
    set(QStringLiteral("Misc"), QStringLiteral("Format"), QStringLiteral("1"));
    EXPECT_FALSE(ReadViewerMisc(false).format);
    EXPECT_TRUE(ReadViewerMisc(true).format);

    set(QStringLiteral("Misc"), QStringLiteral("Format"), QStringLiteral("1"));
    ViewerMiscSettings misc;
    misc.format = false;
    WriteViewerMisc(misc, false);
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("1"));
    WriteViewerMisc(misc, true);
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("0"));

    // On a fresh file the key does not appear at all.
    QFile::remove(Paths::toNative(CnfIniFileName()));
    IniFileStore::clearCache();
    WriteViewerMisc(misc, false);
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("Format")), QStringLiteral("<missing>"));
    EXPECT_FALSE(fileText().contains(QStringLiteral("Format")));
    EXPECT_TRUE(fileText().contains(QStringLiteral("StayOnTop")));
}

TEST_F(ViewerSettingsTest, DialogWritersTouchOnlyTheirKeys)
{
    TextPrintSettings print;
    print.portrait = false;
    print.fontName = QStringLiteral("Liberation Mono");
    print.fontSize = 14;
    print.fontCharset = 1;
    WriteOrientationSetting(print);
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("OSP")), QStringLiteral("0"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("FNP")), QStringLiteral("<missing>"));

    WriteFontSettings(print);
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("FNP")), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("SFP")), QStringLiteral("14"));
    EXPECT_EQ(value(QStringLiteral("Misc"), QStringLiteral("FCP")), QStringLiteral("1"));
    EXPECT_FALSE(fileText().contains(QStringLiteral("PrintBackground")));
}

TEST_F(ViewerSettingsTest, SharedSettingsAreFilledByDefault)
{
    set(QStringLiteral("Misc"), QStringLiteral("SFP"), QStringLiteral("13"));
    TextPrintSettings& shared = SharedTextPrintSettings();
    const TextPrintSettings saved = shared;
    ReadViewerMisc(false);
    EXPECT_EQ(shared.fontSize, 13);
    EXPECT_EQ(&shared, &SharedTextPrintSettings());
    shared = saved;
}

TEST_F(ViewerSettingsTest, ExportChoiceOutsideTheListIsTheFirst)
{
    EXPECT_EQ(ExportTypeIndex(0), 0);
    EXPECT_EQ(ExportTypeIndex(3), 3);
    EXPECT_EQ(ExportTypeIndex(5), 5);
    EXPECT_EQ(ExportTypeIndex(6), 0);
    EXPECT_EQ(ExportTypeIndex(-1), 0);

    set(QStringLiteral("Misc"), QStringLiteral("RepExportType"), QStringLiteral("6"));
    const ViewerMiscSettings misc = ReadViewerMisc(false);
    EXPECT_EQ(misc.repExportType, 6); // as stored; the window applies ExportTypeIndex
    EXPECT_EQ(ExportTypeIndex(misc.repExportType), 0);
}

TEST_F(ViewerSettingsTest, ReportSwitchesAndExportDirectory)
{
    set(QStringLiteral("Reports"), QStringLiteral("AllowOldReports"), QStringLiteral("1"));
    set(QStringLiteral("Reports"), QStringLiteral("AllowExportReports"), QStringLiteral("0"));
    EXPECT_TRUE(ReadAllowOldReports());
    EXPECT_FALSE(ReadAllowExportReports());

    set(QStringLiteral("TovarExports"), QStringLiteral("Каталог экспорта"), QStringLiteral("  D:\\OUT\\ \t"));
    EXPECT_EQ(ReadExportDirectory(), QStringLiteral("D:\\OUT\\"));
}

} // namespace
} // namespace velta::viewer
