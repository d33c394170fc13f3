// Per-report print options in the registry, and the browser's registry values:
// background printing and the version check.
#include "common/FormatSettings.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/BrowserSettings.h"
#include "plugin/viewer/PrintOptions.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

QString optionsKey()
{
    return QString::fromUtf16(kPrintOptionsKey);
}

class PrintOptionsTest : public ::testing::Test {
protected:
    TRegistry hklm{RootKey::LocalMachine};
    test::TestEnv env;
};

TEST_F(PrintOptionsTest, MissingValuesGiveDefaultsAndTheKeyIsCreated)
{
    ASSERT_FALSE(hklm.keyExists(optionsKey()));
    const auto options = LoadPrintOptions(QStringLiteral("Сменный отчет"));
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(*options, PrintOptions{});
    EXPECT_EQ(options->orientation, 0);
    EXPECT_EQ(options->fontSize, 2);
    EXPECT_EQ(options->scale, 100);
    EXPECT_TRUE(hklm.keyExists(optionsKey()));
}

TEST_F(PrintOptionsTest, SavedOptionsReloadPerReport)
{
    SavePrintOptions(QStringLiteral("Сменный отчет"), PrintOptions{1, 4, 250});
    SavePrintOptions(QStringLiteral("Журнал"), PrintOptions{0, 0, 20});

    ASSERT_TRUE(hklm.openKey(optionsKey(), false));
    EXPECT_EQ(hklm.dataType(QStringLiteral("Сменный отчет_Orientation")), RegDataType::String);
    EXPECT_EQ(hklm.readString(QStringLiteral("Сменный отчет_Orientation")), QStringLiteral("1"));
    EXPECT_EQ(hklm.readString(QStringLiteral("Сменный отчет_FontSize")), QStringLiteral("4"));
    EXPECT_EQ(hklm.readString(QStringLiteral("Сменный отчет_Scale")), QStringLiteral("250"));

    EXPECT_EQ(LoadPrintOptions(QStringLiteral("Сменный отчет")), (PrintOptions{1, 4, 250}));
    EXPECT_EQ(LoadPrintOptions(QStringLiteral("Журнал")), (PrintOptions{0, 0, 20}));
    EXPECT_EQ(LoadPrintOptions(QStringLiteral("Другой")), PrintOptions{});
}

TEST_F(PrintOptionsTest, ValuesThatAreNoNumberGiveTheirOwnDefault)
{
    ASSERT_TRUE(hklm.openKey(optionsKey(), true));
    hklm.writeString(QStringLiteral("R_Orientation"), QStringLiteral("1"));
    hklm.writeString(QStringLiteral("R_FontSize"), QStringLiteral("крупный"));
    hklm.writeInteger(QStringLiteral("R_Scale"), 300); // not a string value
    EXPECT_EQ(LoadPrintOptions(QStringLiteral("R")), (PrintOptions{1, 2, 100}));

    hklm.writeString(QStringLiteral("R_Orientation"), QString());
    hklm.writeString(QStringLiteral("R_Scale"), QStringLiteral("150"));
    EXPECT_EQ(LoadPrintOptions(QStringLiteral("R")), (PrintOptions{0, 2, 150}));
}

TEST_F(PrintOptionsTest, KeyThatCannotBeCreatedMeansNothingHappens)
{
    // A hive file that exists but cannot be read is never overwritten, so the
    // key can be neither opened nor created.
    const QString hive = env.path(QStringLiteral("root/registry/HKLM.reg"));
    ASSERT_TRUE(QDir().mkpath(env.path(QStringLiteral("root/registry/HKLM.reg"))));
    EXPECT_EQ(LoadPrintOptions(QStringLiteral("R")), std::nullopt);
    EXPECT_NO_THROW(SavePrintOptions(QStringLiteral("R"), PrintOptions{1, 1, 50}));
    EXPECT_TRUE(QFileInfo(hive).isDir());
}

class BrowserSettingsTest : public PrintOptionsTest {
protected:
    QString mainKey() const { return QString::fromUtf16(kBrowserMainKey); }
    void registerVersion(const QString& text)
    {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(QString::fromUtf16(kBrowserVersionKey), true));
        registry.writeString(QStringLiteral("IE"), text);
    }
    QString expectedRefusal(const QString& versionText) const
    {
        return QStringLiteral("Установленная версия Microsoft Internet Explorer ") + versionText
               + QStringLiteral(" не допускает использования данной функции.\n\r"
                                "Установите Internet Explorer версии не ниже 5.5.");
    }

    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
};

// Sets the process's decimal separator for one test.
class DecimalSeparator {
public:
    explicit DecimalSeparator(QChar separator) : saved_(globalFormatSettings().DecimalSeparator)
    {
        globalFormatSettings().DecimalSeparator = separator;
    }
    ~DecimalSeparator() { globalFormatSettings().DecimalSeparator = saved_; }

private:
    QChar saved_;
};

TEST_F(BrowserSettingsTest, PrintBackgroundOnlyWhereTheBrowserKeyExists)
{
    WritePrintBackground(true);
    EXPECT_FALSE(hklm.keyExists(mainKey()));

    ASSERT_TRUE(hklm.createKey(QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer\\Main")));
    WritePrintBackground(true);
    ASSERT_TRUE(hklm.openKey(mainKey(), false));
    EXPECT_EQ(hklm.readString(QStringLiteral("Print_Background")), QStringLiteral("yes"));
    WritePrintBackground(false);
    EXPECT_EQ(hklm.readString(QStringLiteral("Print_Background")), QStringLiteral("no"));
}

TEST_F(BrowserSettingsTest, OldVersionIsRefusedWithItsText)
{
    const DecimalSeparator point(u'.');
    registerVersion(QStringLiteral("5.0"));
    dialogs.expectMessageBox(expectedRefusal(QStringLiteral("5.0")))
        .withCaption(QStringLiteral("Информация"))
        .when([](const DialogCall& call) { return (call.flags & MB_ICONMASK) == MB_ICONINFORMATION; },
              QStringLiteral("an information box"))
        .answer(IDOK);
    EXPECT_FALSE(CheckBrowserVersion(dialogs));
    dialogs.verify();
}

TEST_F(BrowserSettingsTest, VersionIsReadWithTheSeparatorInForce)
{
    {
        const DecimalSeparator point(u'.');
        registerVersion(QStringLiteral("5.5"));
        EXPECT_TRUE(CheckBrowserVersion(dialogs));
    }
    {
        const DecimalSeparator comma(u',');
        registerVersion(QStringLiteral("6,0"));
        EXPECT_TRUE(CheckBrowserVersion(dialogs));
        // A point does not parse under a comma: the version counts as 0.
        registerVersion(QStringLiteral("6.0"));
        dialogs.expectMessageBox(expectedRefusal(QStringLiteral("6.0"))).answer(IDOK);
        EXPECT_FALSE(CheckBrowserVersion(dialogs));
    }
    dialogs.verify();
}

TEST_F(BrowserSettingsTest, MissingVersionIsRefused)
{
    dialogs.expectMessageBox(expectedRefusal(QString())).answer(IDOK);
    EXPECT_FALSE(CheckBrowserVersion(dialogs));
    registerVersion(QString());
    dialogs.expectMessageBox(expectedRefusal(QString())).answer(IDOK);
    EXPECT_FALSE(CheckBrowserVersion(dialogs));
    dialogs.verify();
}

TEST_F(BrowserSettingsTest, RegisteredStandInPassesWithEitherSeparator)
{
    EXPECT_TRUE(EnsureBrowserVersionRegistered());
    EXPECT_TRUE(hklm.keyExists(mainKey()));
    for (const QChar separator : {QChar(u'.'), QChar(u',')}) {
        const DecimalSeparator inForce(separator);
        EXPECT_TRUE(CheckBrowserVersion(dialogs));
    }
    EXPECT_FALSE(EnsureBrowserVersionRegistered());

    // A version someone else registered is kept.
    registerVersion(QStringLiteral("5.0"));
    EXPECT_FALSE(EnsureBrowserVersionRegistered());
    EXPECT_EQ(RegisteredBrowserVersion(), QStringLiteral("5.0"));
    dialogs.verify();
}

} // namespace
} // namespace velta::viewer
