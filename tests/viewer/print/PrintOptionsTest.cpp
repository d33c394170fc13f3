// Per-report print options in the registry.
#include "plugin/platform/Registry.h"
#include "plugin/viewer/print/PrintOptions.h"
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

} // namespace
} // namespace velta::viewer
