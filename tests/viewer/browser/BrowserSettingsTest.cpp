// The browser's registry values: background printing, the version check with
// the process's decimal separator, and the stand-in's registration.
#include "common/FormatSettings.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/browser/BrowserSettings.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::viewer {
namespace {

class BrowserSettingsTest : public ::testing::Test {
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

    test::TestEnv env;
    TRegistry hklm{RootKey::LocalMachine};
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
