#include "common/Exception.h"
#include "plugin/platform/Registry.h"
#include "plugin/platform/RegistryStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <climits>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::TestEnv;

namespace {

const QString kReportsKey = QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\");

// Writes args[1] integer values named args[0] + index into one HKLM key,
// each through a new registry object, as separate programs of the suite do.
const velta::test::ChildRoleRegistration registryWriter("registry-writer", [](const QStringList& args) {
    const int count = args.value(1).toInt();
    for (int i = 0; i < count; ++i) {
        TRegistry reg(RootKey::LocalMachine);
        if (!reg.openKey(kReportsKey + QStringLiteral("Shared"), true))
            return 2;
        reg.writeInteger(args.value(0) + QString::number(i), i);
    }
    return 0;
});

QString hklmFile(const TestEnv& env)
{
    return env.path(QStringLiteral("root/registry/HKLM.reg"));
}

template <class F>
QString registryError(F f)
{
    try {
        f();
    } catch (const ERegistryException& e) {
        return e.message();
    }
    return QStringLiteral("(no exception)");
}

} // namespace

TEST(RegistryValues, RoundTripOfEachTypeThroughTheFile)
{
    TestEnv env;
    const QString tricky = QStringLiteral("кавычки \" и \\ обратная\r\nвторая строка\tтаб \x01 конец ");
    {
        TRegistry reg(RootKey::LocalMachine);
        ASSERT_TRUE(reg.openKey(kReportsKey + QStringLiteral("BackRep"), true));
        reg.writeString(QStringLiteral("Text"), tricky);
        reg.writeString(QStringLiteral("Empty"), QString());
        reg.writeInteger(QStringLiteral("Min"), INT_MIN);
        reg.writeInteger(QStringLiteral("Max"), INT_MAX);
        reg.writeBool(QStringLiteral("Yes"), true);
        reg.writeBool(QStringLiteral("No"), false);
    }
    ASSERT_TRUE(QFileInfo::exists(hklmFile(env)));
    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKeyReadOnly(QStringLiteral("\\") + kReportsKey + QStringLiteral("BackRep")));
    EXPECT_EQ(reg.readString(QStringLiteral("Text")), tricky);
    EXPECT_TRUE(reg.valueExists(QStringLiteral("Empty")));
    EXPECT_EQ(reg.readString(QStringLiteral("Empty")), QString());
    EXPECT_EQ(reg.readInteger(QStringLiteral("Min")), INT_MIN);
    EXPECT_EQ(reg.readInteger(QStringLiteral("Max")), INT_MAX);
    EXPECT_TRUE(reg.readBool(QStringLiteral("Yes")));
    EXPECT_FALSE(reg.readBool(QStringLiteral("No")));
    EXPECT_EQ(reg.dataType(QStringLiteral("Text")), RegDataType::String);
    EXPECT_EQ(reg.dataType(QStringLiteral("Max")), RegDataType::Integer);
    EXPECT_EQ(reg.dataType(QStringLiteral("Yes")), RegDataType::Boolean);
    EXPECT_EQ(reg.dataType(QStringLiteral("Missing")), RegDataType::None);
}

TEST(RegistryValues, WrongTypeAndMissingValuesRaiseTheFrameworkMessages)
{
    TestEnv env;
    TRegistry reg(RootKey::CurrentUser);
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software\\Norvane\\Velta\\common"), true));
    reg.writeString(QStringLiteral("Name"), QStringLiteral("12"));
    reg.writeInteger(QStringLiteral("Number"), 5);

    EXPECT_EQ(registryError([&] { reg.readInteger(QStringLiteral("Name")); }),
              QStringLiteral("Invalid data type for 'Name'"));
    EXPECT_EQ(registryError([&] { reg.readBool(QStringLiteral("Name")); }),
              QStringLiteral("Invalid data type for 'Name'"));
    EXPECT_EQ(registryError([&] { reg.readString(QStringLiteral("Number")); }),
              QStringLiteral("Invalid data type for 'Number'"));
    EXPECT_EQ(registryError([&] { reg.readInteger(QStringLiteral("Absent")); }),
              QStringLiteral("Failed to get data for 'Absent'"));
    EXPECT_EQ(reg.readString(QStringLiteral("Absent")), QString());
    // Booleans are integers underneath: a non-zero integer reads as true.
    EXPECT_TRUE(reg.readBool(QStringLiteral("Number")));
}

TEST(RegistryValues, DefaultValueAndDeletion)
{
    TestEnv env;
    TRegistry reg;
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software\\Test"), true));
    reg.writeString(QString(), QStringLiteral("default"));
    reg.writeInteger(QStringLiteral("Other"), 1);
    EXPECT_EQ(reg.readString(QString()), QStringLiteral("default"));
    EXPECT_TRUE(reg.valueNames().contains(QString()));
    EXPECT_TRUE(reg.deleteValue(QStringLiteral("OTHER")));
    EXPECT_FALSE(reg.deleteValue(QStringLiteral("Other")));
    EXPECT_EQ(reg.valueNames(), QStringList{QString()});
}

TEST(RegistryValues, WritesNeedAWritableOpenKey)
{
    TestEnv env;
    TRegistry reg;
    EXPECT_EQ(registryError([&] { reg.writeString(QStringLiteral("x"), QStringLiteral("y")); }),
              QStringLiteral("Failed to set data for 'x'"));
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software\\Test"), true));
    reg.writeInteger(QStringLiteral("n"), 1);
    ASSERT_TRUE(reg.openKeyReadOnly(QStringLiteral("\\Software\\Test")));
    EXPECT_EQ(registryError([&] { reg.writeInteger(QStringLiteral("n"), 2); }),
              QStringLiteral("Failed to set data for 'n'"));
    EXPECT_EQ(reg.readInteger(QStringLiteral("n")), 1);

    // The key was deleted behind this object's back: writing must not bring it back half-made.
    TRegistry writer;
    ASSERT_TRUE(writer.openKey(QStringLiteral("Software\\Gone"), true));
    TRegistry other;
    ASSERT_TRUE(other.deleteKey(QStringLiteral("Software\\Gone")));
    EXPECT_EQ(registryError([&] { writer.writeBool(QStringLiteral("b"), true); }),
              QStringLiteral("Failed to set data for 'b'"));
    EXPECT_FALSE(other.keyExists(QStringLiteral("Software\\Gone")));
}

TEST(RegistryValues, UnwritableHiveFolderIsReportedAsFailedToSet)
{
    TestEnv env;
    // The user's configuration folder cannot hold a "velta" folder.
    velta::test::writeFileBytes(env.path(QStringLiteral("config/velta")), "not a folder");
    TRegistry reg(RootKey::CurrentUser);
    EXPECT_FALSE(reg.openKey(QStringLiteral("Software\\X"), true));
    EXPECT_FALSE(reg.createKey(QStringLiteral("Software\\X")));
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\"), false)); // the root always exists
    EXPECT_EQ(registryError([&] { reg.writeString(QStringLiteral("v"), QStringLiteral("w")); }),
              QStringLiteral("Failed to set data for 'v'"));
}

TEST(RegistryKeys, NamesMatchWithoutCaseAndKeepTheFirstSpelling)
{
    TestEnv env;
    TRegistry reg;
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software\\Norvane\\Окна"), true));
    reg.writeInteger(QStringLiteral("Left"), 10);
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\SOFTWARE\\norvane\\ОКНА\\Sub"), true));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("\\software\\NORVANE\\окна")));
    ASSERT_TRUE(reg.openKey(QStringLiteral("\\software\\NORVANE"), false));
    EXPECT_EQ(reg.keyNames(), QStringList{QStringLiteral("Окна")});
    ASSERT_TRUE(reg.openKey(QStringLiteral("окна"), false));
    reg.writeInteger(QStringLiteral("LEFT"), 20);
    EXPECT_EQ(reg.valueNames(), QStringList{QStringLiteral("Left")});
    EXPECT_EQ(reg.readInteger(QStringLiteral("left")), 20);
    EXPECT_EQ(reg.keyNames(), QStringList{QStringLiteral("Sub")});
}

TEST(RegistryKeys, RelativeAndAbsoluteKeyNames)
{
    TestEnv env;
    TRegistry reg;
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software"), true));
    ASSERT_TRUE(reg.openKey(QStringLiteral("Norvane\\Velta"), true));
    EXPECT_EQ(reg.currentPath(), QStringLiteral("Software\\Norvane\\Velta"));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("\\Software\\Norvane")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Software"))); // relative: Software\Norvane\Velta\Software
    EXPECT_FALSE(reg.openKey(QStringLiteral("\\Missing"), false));
    EXPECT_EQ(reg.currentPath(), QStringLiteral("Software\\Norvane\\Velta")); // a failed open changes nothing
    reg.closeKey();
    EXPECT_FALSE(reg.hasCurrentKey());
    EXPECT_TRUE(reg.keyExists(QStringLiteral("Software\\Norvane\\Velta")));
    // Control characters make no key name.
    EXPECT_FALSE(reg.openKey(QStringLiteral("Bad\nName"), true));
}

TEST(RegistryKeys, DeleteKeyTakesSubkeysButNotSiblingsWithTheSamePrefix)
{
    TestEnv env;
    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.createKey(QStringLiteral("Soft\\A\\B\\C")));
    ASSERT_TRUE(reg.createKey(QStringLiteral("Soft\\AB")));
    ASSERT_TRUE(reg.createKey(QStringLiteral("Soft\\A B")));
    ASSERT_TRUE(reg.openKey(QStringLiteral("Soft\\A\\B"), false));
    reg.writeString(QStringLiteral("v"), QStringLiteral("w"));
    reg.closeKey();

    EXPECT_TRUE(reg.deleteKey(QStringLiteral("soft\\a")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Soft\\A")));
    EXPECT_FALSE(reg.keyExists(QStringLiteral("Soft\\A\\B\\C")));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("Soft\\AB")));
    EXPECT_TRUE(reg.keyExists(QStringLiteral("Soft\\A B")));
    EXPECT_FALSE(reg.deleteKey(QStringLiteral("Soft\\A")));
    EXPECT_FALSE(reg.deleteKey(QStringLiteral("\\")));
    // Recreated, it is empty: no value of the old key comes back.
    ASSERT_TRUE(reg.openKey(QStringLiteral("Soft\\A\\B"), true));
    EXPECT_FALSE(reg.valueExists(QStringLiteral("v")));
}

TEST(RegistryFiles, HivesLiveWhereTheEnvironmentSays)
{
    TestEnv env;
    TRegistry machine(RootKey::LocalMachine);
    ASSERT_TRUE(machine.createKey(QStringLiteral("M")));
    TRegistry user(RootKey::CurrentUser);
    ASSERT_TRUE(user.createKey(QStringLiteral("U")));
    EXPECT_TRUE(QFileInfo::exists(hklmFile(env)));
    EXPECT_TRUE(QFileInfo::exists(env.path(QStringLiteral("config/velta/HKCU.reg"))));
    EXPECT_FALSE(machine.keyExists(QStringLiteral("U")));
    EXPECT_FALSE(user.keyExists(QStringLiteral("M")));
}

TEST(RegistryFiles, WritesLeaveOneWholeReadableFileAndNoTemporaries)
{
    TestEnv env;
    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKey(kReportsKey + QStringLiteral("PrintOptions"), true));
    for (int i = 0; i < 20; ++i)
        reg.writeInteger(QStringLiteral("Copies%1").arg(i), i);
    const QStringList entries = QDir(env.path(QStringLiteral("root/registry")))
                                    .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(entries, QStringList{QStringLiteral("HKLM.reg")});
    const QString text = QString::fromUtf8(velta::test::readFileBytes(hklmFile(env)));
    EXPECT_TRUE(text.contains(QStringLiteral("[SOFTWARE\\Kastelmark\\Velta\\Reports\\PrintOptions]\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\"Copies19\"=int:19\n")));
}

TEST(RegistryFiles, DamagedLinesAreIgnoredAndKeptOnTheNextWrite)
{
    TestEnv env;
    QByteArray damaged = "[Software\\Kept]\n"
                         "\"Good\"=\"value\"\n"
                         "\"Broken=\"unterminated\n"
                         "\"Number\"=int:99999999999\n"
                         "garbage without meaning\n"
                         "\"Flag\"=bool:true\n";
    damaged.append("\x00\xff\xfe binary\n", 12);
    velta::test::writeFileBytes(hklmFile(env), damaged);

    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKey(QStringLiteral("Software\\Kept"), false));
    EXPECT_EQ(reg.readString(QStringLiteral("Good")), QStringLiteral("value"));
    EXPECT_TRUE(reg.readBool(QStringLiteral("Flag")));
    EXPECT_FALSE(reg.valueExists(QStringLiteral("Number")));
    EXPECT_EQ(reg.valueNames().size(), 2);

    reg.writeString(QStringLiteral("New"), QStringLiteral("n"));
    const QByteArray after = velta::test::readFileBytes(hklmFile(env));
    EXPECT_TRUE(after.contains("garbage without meaning"));
    EXPECT_TRUE(after.contains("\"Number\"=int:99999999999"));
    TRegistry again(RootKey::LocalMachine);
    ASSERT_TRUE(again.openKey(QStringLiteral("Software\\Kept"), false));
    EXPECT_EQ(again.readString(QStringLiteral("Good")), QStringLiteral("value"));
    EXPECT_EQ(again.readString(QStringLiteral("New")), QStringLiteral("n"));
    EXPECT_TRUE(again.readBool(QStringLiteral("Flag")));
}

TEST(RegistryFiles, UnreadableHiveIsNeverOverwritten)
{
    TestEnv env;
    // A folder where the hive file should be cannot be read as a hive.
    QDir().mkpath(hklmFile(env));
    TRegistry reg(RootKey::LocalMachine);
    EXPECT_FALSE(reg.createKey(QStringLiteral("X")));
    EXPECT_TRUE(QFileInfo(hklmFile(env)).isDir());
}

TEST(RegistryFiles, ReadsSeeChangesMadeByOthersToTheFile)
{
    TestEnv env;
    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKey(QStringLiteral("K"), true));
    reg.writeString(QStringLiteral("v"), QStringLiteral("first"));
    EXPECT_EQ(reg.readString(QStringLiteral("v")), QStringLiteral("first"));
    velta::test::writeFileBytes(hklmFile(env), "[K]\n\"v\"=\"changed by hand\"\n");
    EXPECT_EQ(reg.readString(QStringLiteral("v")), QStringLiteral("changed by hand"));
}

TEST(RegistryProcesses, ConcurrentWritersLoseNoValue)
{
    TestEnv env;
    constexpr int kEach = 40;
    auto first = velta::test::startChild(QStringLiteral("registry-writer"), {QStringLiteral("a"), QString::number(kEach)});
    auto second = velta::test::startChild(QStringLiteral("registry-writer"), {QStringLiteral("b"), QString::number(kEach)});
    EXPECT_EQ(velta::test::waitChild(*first), 0);
    EXPECT_EQ(velta::test::waitChild(*second), 0);

    TRegistry reg(RootKey::LocalMachine);
    ASSERT_TRUE(reg.openKeyReadOnly(kReportsKey + QStringLiteral("Shared")));
    EXPECT_EQ(reg.valueNames().size(), 2 * kEach);
    for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(reg.readInteger(QStringLiteral("a%1").arg(i)), i);
        EXPECT_EQ(reg.readInteger(QStringLiteral("b%1").arg(i)), i);
    }
}
