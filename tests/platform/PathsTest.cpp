#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::TestEnv;

namespace {

QString rootPath(const TestEnv& env, const QString& rest)
{
    return env.path(QStringLiteral("root/") + rest);
}

void makeDir(const QString& native)
{
    ASSERT_TRUE(QDir().mkpath(native)) << native.toStdString();
}

} // namespace

TEST(PathsMapping, DrivesMapUnderTheRootWithUpperCaseLetter)
{
    TestEnv env;
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\DEXE\\cnf.ini")), rootPath(env, QStringLiteral("C/DEXE/cnf.ini")));
    EXPECT_EQ(Paths::toNative(QStringLiteral("s:\\Forms\\a.txt")), rootPath(env, QStringLiteral("S/Forms/a.txt")));
    EXPECT_EQ(Paths::toNative(QStringLiteral("d:/x/y")), rootPath(env, QStringLiteral("D/x/y")));
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\")), rootPath(env, QStringLiteral("C")));
    // And back: only drive folders under the root take a drive letter.
    EXPECT_EQ(Paths::fromNative(rootPath(env, QStringLiteral("S/Forms/a.txt"))), QStringLiteral("S:\\Forms\\a.txt"));
    EXPECT_EQ(Paths::fromNative(rootPath(env, QStringLiteral("C"))), QStringLiteral("C:\\"));
    EXPECT_EQ(Paths::fromNative(rootPath(env, QStringLiteral("CX/a"))), rootPath(env, QStringLiteral("CX/a")));
    EXPECT_EQ(Paths::fromNative(QStringLiteral("/etc/hosts")), QStringLiteral("/etc/hosts"));
    EXPECT_EQ(Paths::fromNative(QStringLiteral("C:\\x")), QStringLiteral("C:\\x"));
}

TEST(PathsMapping, BothSeparatorsDotsAndRepeatedSeparators)
{
    TestEnv env;
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\a/b\\\\c")), rootPath(env, QStringLiteral("C/a/b/c")));
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\a\\.\\b\\..\\c.txt")), rootPath(env, QStringLiteral("C/a/c.txt")));
    // ".." never climbs out of the drive folder.
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\..\\..\\etc\\passwd")), rootPath(env, QStringLiteral("C/etc/passwd")));
    // A trailing separator is kept for folder names.
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\WINDOWS\\TEMP\\")), rootPath(env, QStringLiteral("C/WINDOWS/TEMP/")));
}

TEST(PathsMapping, RootedPathWithoutDriveUsesDriveC)
{
    TestEnv env;
    EXPECT_EQ(Paths::toNative(QStringLiteral("\\DEXE\\ScanDocuments\\")),
              rootPath(env, QStringLiteral("C/DEXE/ScanDocuments/")));
    EXPECT_TRUE(Paths::isWindowsPath(QStringLiteral("\\DEXE")));
}

TEST(PathsMapping, NativeAndRelativePathsAreUnchanged)
{
    TestEnv env;
    EXPECT_FALSE(Paths::isWindowsPath(QStringLiteral("/tmp/C:/x")));
    EXPECT_EQ(Paths::toNative(QStringLiteral("/tmp/Some\\Name")), QStringLiteral("/tmp/Some\\Name"));
    EXPECT_EQ(Paths::toNative(QStringLiteral("relative/file.txt")), QStringLiteral("relative/file.txt"));
    EXPECT_EQ(Paths::toNative(QString()), QString());
    EXPECT_FALSE(Paths::isWindowsPath(QStringLiteral("1:\\x")));
}

TEST(PathsMapping, ExistingComponentsMatchWithoutRegardToCase)
{
    TestEnv env;
    makeDir(rootPath(env, QStringLiteral("C/DEXE/LogFiles")));
    velta::test::writeFileBytes(rootPath(env, QStringLiteral("C/DEXE/LogFiles/Reports.log")), "x");

    EXPECT_EQ(Paths::toNative(QStringLiteral("c:\\dexe\\logfiles\\REPORTS.LOG")),
              rootPath(env, QStringLiteral("C/DEXE/LogFiles/Reports.log")));
    // A missing tail keeps its spelling after the last matching folder.
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\dexe\\NewFolder\\Sub\\File.TXT")),
              rootPath(env, QStringLiteral("C/DEXE/NewFolder/Sub/File.TXT")));
}

TEST(PathsMapping, CyrillicNamesMatchWithoutRegardToCase)
{
    TestEnv env;
    makeDir(rootPath(env, QStringLiteral("C/DEXE/Отчеты")));
    velta::test::writeFileBytes(rootPath(env, QStringLiteral("C/DEXE/Отчеты/Финансовый отчет.html")), "x");
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\DEXE\\ОТЧЕТЫ\\финансовый ОТЧЕТ.html")),
              rootPath(env, QStringLiteral("C/DEXE/Отчеты/Финансовый отчет.html")));
    EXPECT_TRUE(Paths::fileExists(QStringLiteral("c:\\dexe\\отчеты\\ФИНАНСОВЫЙ отчет.HTML")));
}

TEST(PathsMapping, EnvironmentIsReadAtEveryCall)
{
    QString first;
    {
        TestEnv env;
        first = Paths::toNative(QStringLiteral("C:\\a"));
        EXPECT_EQ(Paths::root(), env.path(QStringLiteral("root")));
    }
    TestEnv other;
    EXPECT_NE(Paths::toNative(QStringLiteral("C:\\a")), first);
    EXPECT_EQ(Paths::toNative(QStringLiteral("C:\\a")), rootPath(other, QStringLiteral("C/a")));
}

TEST(PathsFolders, TempFolderIsCreatedOnFirstUse)
{
    TestEnv env;
    EXPECT_EQ(Paths::windowsFolder(), QStringLiteral("C:\\WINDOWS\\"));
    const QString native = rootPath(env, QStringLiteral("C/WINDOWS/TEMP"));
    ASSERT_FALSE(QFileInfo::exists(native));
    EXPECT_EQ(Paths::tempFolder(), QStringLiteral("C:\\WINDOWS\\TEMP\\"));
    EXPECT_TRUE(QFileInfo(native).isDir());
}

TEST(PathsFolders, ExecutableFolderHoldsThisProgram)
{
    const QString folder = Paths::executableFolder();
    ASSERT_TRUE(folder.endsWith(u'/'));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("test-platform")).isExecutable());
}

TEST(PathsFolders, ForceDirectoriesAndFileExists)
{
    TestEnv env;
    EXPECT_TRUE(Paths::forceDirectories(QStringLiteral("C:\\DEXE\\LogFiles\\Deep\\")));
    EXPECT_TRUE(QFileInfo(rootPath(env, QStringLiteral("C/DEXE/LogFiles/Deep"))).isDir());
    // Folders are not files.
    EXPECT_FALSE(Paths::fileExists(QStringLiteral("C:\\DEXE\\LogFiles")));
    EXPECT_FALSE(Paths::fileExists(QString()));

    velta::test::writeFileBytes(rootPath(env, QStringLiteral("C/blocker")), "file");
    EXPECT_FALSE(Paths::forceDirectories(QStringLiteral("C:\\blocker\\sub")));
    EXPECT_NE(SystemError::last(), 0);
}

TEST(PathsNames, ExtractPartsWithEitherSeparator)
{
    EXPECT_EQ(Paths::extractFilePath(QStringLiteral("C:\\DEXE\\cnf.ini")), QStringLiteral("C:\\DEXE\\"));
    EXPECT_EQ(Paths::extractFilePath(QStringLiteral("/var/log/x.log")), QStringLiteral("/var/log/"));
    EXPECT_EQ(Paths::extractFilePath(QStringLiteral("C:\\a/b.txt")), QStringLiteral("C:\\a/"));
    EXPECT_EQ(Paths::extractFilePath(QStringLiteral("C:file.txt")), QStringLiteral("C:"));
    EXPECT_EQ(Paths::extractFilePath(QStringLiteral("file.txt")), QString());

    EXPECT_EQ(Paths::extractFileName(QStringLiteral("C:\\DEXE\\cnf.ini")), QStringLiteral("cnf.ini"));
    EXPECT_EQ(Paths::extractFileName(QStringLiteral("C:\\DEXE\\")), QString());

    EXPECT_EQ(Paths::extractFileExt(QStringLiteral("C:\\a.b\\report.tar.gz")), QStringLiteral(".gz"));
    // A dot in a folder name is no extension of the file.
    EXPECT_EQ(Paths::extractFileExt(QStringLiteral("C:\\a.b\\README")), QString());
    EXPECT_EQ(Paths::extractFileExt(QStringLiteral("name.")), QStringLiteral("."));
}

TEST(PathsNames, TrailingDelimiterFollowsThePathStyle)
{
    EXPECT_EQ(Paths::includeTrailingDelimiter(QStringLiteral("C:\\DEXE")), QStringLiteral("C:\\DEXE\\"));
    EXPECT_EQ(Paths::includeTrailingDelimiter(QStringLiteral("C:\\DEXE\\")), QStringLiteral("C:\\DEXE\\"));
    EXPECT_EQ(Paths::includeTrailingDelimiter(QStringLiteral("/tmp/x")), QStringLiteral("/tmp/x/"));
    EXPECT_EQ(Paths::includeTrailingDelimiter(QStringLiteral("/tmp/x/")), QStringLiteral("/tmp/x/"));
    // Nothing becomes no root folder.
    EXPECT_EQ(Paths::includeTrailingDelimiter(QString()), QString());
}
