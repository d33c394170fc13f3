// Finding the suite's sibling libraries by their names, and the department
// path: answered only while some part of the process has loaded the
// department library, which looking for it never loads.
#include "plugin/platform/SiblingLibrary.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

namespace velta {
namespace {

const QString kDepartment = QString::fromLatin1(department::kLibraryName);

QString builtLibrary(const char* file)
{
    return QDir::cleanPath(qEnvironmentVariable("VELTA_BIN_DIR") + QStringLiteral("/../lib/") + QLatin1String(file));
}

// Whether the process holds the file, asked without loading it.
bool processHolds(const QString& path)
{
    void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

TEST(SiblingLibraryNames, MapToSharedLibrariesSearchedInTheNamedFolderBesideTheModuleThenOnTheLoaderPath)
{
    test::TestEnv env;
    EXPECT_EQ(SiblingLibrary::fileName(QStringLiteral("Lectra.dll")), QStringLiteral("liblectra.so"));
    EXPECT_EQ(SiblingLibrary::fileName(QStringLiteral("C:\\DEXE\\Merx9.DLL")), QStringLiteral("libmerx9.so"));
    EXPECT_EQ(SiblingLibrary::fileName(QStringLiteral("Merx9")), QStringLiteral("libmerx9.so"));

    const QString beside = qEnvironmentVariable("VELTA_BIN_DIR") + QStringLiteral("/");
    EXPECT_EQ(SiblingLibrary::candidates(QStringLiteral("Lectra.dll")),
              QStringList({beside + QStringLiteral("liblectra.so"), QStringLiteral("liblectra.so")}));
    // An existing folder of another letter case is the named one.
    QDir().mkpath(env.path(QStringLiteral("root/C/dexe")));
    EXPECT_EQ(SiblingLibrary::candidates(kDepartment),
              QStringList({env.path(QStringLiteral("root/C/dexe/libmerx9.so")), beside + QStringLiteral("libmerx9.so"),
                           QStringLiteral("libmerx9.so")}));

    const SiblingLibrary missing = SiblingLibrary::load(QStringLiteral("C:\\DEXE\\Absent.dll"));
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_TRUE(missing.error().contains(QStringLiteral("libabsent.so"))) << missing.error().toStdString();
    EXPECT_EQ(missing.symbol("GetCurrentDepartmentPath"), nullptr);
}

class DepartmentLibrary : public ::testing::Test {
protected:
    test::TestEnv env;
    void SetUp() override { ::setenv("VELTA_DEPARTMENT_PATH", "C:\\DEXE\\DEPT\\02\\", 1); }
    void TearDown() override { ::unsetenv("VELTA_DEPARTMENT_PATH"); }
};

TEST_F(DepartmentLibrary, PathIsAnsweredOnlyWhileTheLibraryIsLoaded)
{
    const QString built = builtLibrary("libmerx9.so");
    ASSERT_TRUE(QFile::exists(built)) << built.toStdString();

    // Asking neither answers nor loads it.
    EXPECT_EQ(CurrentDepartmentPath(), QString());
    EXPECT_FALSE(SiblingLibrary::findLoaded(kDepartment).isLoaded());
    EXPECT_FALSE(processHolds(built));

    // Loaded by another part of the process, under its full path.
    void* host = ::dlopen(QFile::encodeName(built).constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(host, nullptr) << ::dlerror();
    EXPECT_EQ(CurrentDepartmentPath(), QStringLiteral("C:\\DEXE\\DEPT\\02\\"));
    // A path set by the host wins over the environment's.
    using SetPathFn = void (*)(const QString& path);
    const auto setPath = reinterpret_cast<SetPathFn>(::dlsym(host, "VeltaSetDepartmentPath"));
    ASSERT_NE(setPath, nullptr);
    setPath(QStringLiteral("S:\\Отделы\\Северный\\"));
    EXPECT_EQ(CurrentDepartmentPath(), QStringLiteral("S:\\Отделы\\Северный\\"));
    setPath(QString());
    EXPECT_EQ(CurrentDepartmentPath(), QStringLiteral("C:\\DEXE\\DEPT\\02\\"));

    // Looking for it holds it only while looking.
    ::dlclose(host);
    EXPECT_FALSE(processHolds(built));
    EXPECT_EQ(CurrentDepartmentPath(), QString());
}

TEST_F(DepartmentLibrary, CopyInTheNamedFolderIsPreferredAndFoundLoadedThere)
{
    const QString copy = env.path(QStringLiteral("root/C/DEXE/libmerx9.so"));
    QDir().mkpath(env.path(QStringLiteral("root/C/DEXE")));
    ASSERT_TRUE(QFile::copy(builtLibrary("libmerx9.so"), copy));

    SiblingLibrary loaded = SiblingLibrary::load(kDepartment);
    ASSERT_TRUE(loaded.isLoaded()) << loaded.error().toStdString();
    EXPECT_EQ(loaded.path(), copy);
    EXPECT_FALSE(processHolds(builtLibrary("libmerx9.so")));
    EXPECT_EQ(SiblingLibrary::findLoaded(kDepartment).path(), copy);
    EXPECT_EQ(CurrentDepartmentPath(), QStringLiteral("C:\\DEXE\\DEPT\\02\\"));

    loaded.close();
    EXPECT_FALSE(processHolds(copy));
    EXPECT_EQ(CurrentDepartmentPath(), QString());
}

} // namespace
} // namespace velta
