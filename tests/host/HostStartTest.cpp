// How the host starts: the Tahoma-metric font for every window, and the help
// and the missing display answered before any window system is opened.
#include "host/HostFont.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace velta::host {
namespace {

TEST(HostFont, TahomaFromWinesFontsBecomesTheApplicationFont)
{
    const QFont before = QApplication::font();
    test::TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("empty")));
    if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma"))) {
        EXPECT_FALSE(UseTahomaFont({env.path(QStringLiteral("empty"))}));
        EXPECT_EQ(QApplication::font(), before);
    }
    const bool wineFonts = QFile::exists(DefaultTahomaFolders().front() + QStringLiteral("/tahoma.ttf"));
    if (!wineFonts && !QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        GTEST_SKIP() << "no Tahoma: ./run installs fonts-wine";
    ASSERT_TRUE(UseTahomaFont());
    const QFontInfo used(QApplication::font());
    EXPECT_EQ(used.family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(QApplication::font().pointSize(), 8);
    QApplication::setFont(before);
}

// velta-host run with no window system at all.
struct HostRun {
    int status = -1;
    QString out;
    QString err;
};

HostRun runHostWithoutDisplay(const QStringList& arguments)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    host.setProcessEnvironment(environment);
    host.start(QDir(qEnvironmentVariable("VELTA_BIN_DIR")).filePath(QStringLiteral("velta-host")), arguments);
    if (!host.waitForFinished(60000) || host.exitStatus() != QProcess::NormalExit)
        return {};
    return {host.exitCode(), QString::fromLocal8Bit(host.readAllStandardOutput()),
            QString::fromLocal8Bit(host.readAllStandardError())};
}

TEST(HostStart, HelpAndNoDisplayAreAnsweredWithoutAWindowSystem)
{
    for (const char* help : {"--help", "-h"}) {
        const HostRun run = runHostWithoutDisplay({QString::fromLatin1(help)});
        EXPECT_EQ(run.status, 0) << help << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("--tour <DIR>"))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("--plugin PATH")));
    }
    const HostRun run = runHostWithoutDisplay({QStringLiteral("--no-plugin")});
    EXPECT_EQ(run.status, 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("--tour DIR")));
}

} // namespace
} // namespace velta::host
