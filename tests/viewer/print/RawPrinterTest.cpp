// The raw printer device: files and device paths, commands fed through a pipe,
// and the input-output errors of each.
#include "common/Exception.h"
#include "plugin/platform/RawPrinter.h"
#include "plugin/platform/SystemError.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <gtest/gtest.h>

namespace velta {
namespace {

// VELTA_RAW_PRINTER for a scope (unset when value is null).
class ScopedDeviceVariable {
public:
    explicit ScopedDeviceVariable(const QString& value)
    {
        if (const char* old = std::getenv("VELTA_RAW_PRINTER"))
            old_ = QByteArray(old);
        if (value.isNull())
            ::unsetenv("VELTA_RAW_PRINTER");
        else
            ::setenv("VELTA_RAW_PRINTER", QFile::encodeName(value).constData(), 1);
    }
    ~ScopedDeviceVariable()
    {
        if (old_.isNull())
            ::unsetenv("VELTA_RAW_PRINTER");
        else
            ::setenv("VELTA_RAW_PRINTER", old_.constData(), 1);
    }

private:
    QByteArray old_;
};

QString shellQuoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

TEST(RawPrinter, DefaultDeviceIsTheSpoolerCommand)
{
    ScopedDeviceVariable unset {QString()};
    EXPECT_EQ(RawPrinter::configuredDevice(), QStringLiteral("|lp -o raw"));
    ScopedDeviceVariable empty {QStringLiteral("")};
    EXPECT_EQ(RawPrinter::configuredDevice(), QStringLiteral("|lp -o raw"));
    ScopedDeviceVariable set {QStringLiteral("/dev/usb/lp0")};
    EXPECT_EQ(RawPrinter::configuredDevice(), QStringLiteral("/dev/usb/lp0"));
}

TEST(RawPrinter, FileIsTruncatedAndGetsTheBytesInOrder)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("prn"));
    test::writeFileBytes(file, QByteArray(1000, 'x'));
    ScopedDeviceVariable device {file};
    RawPrinter printer;
    printer.write("first\r\n");
    printer.write(QByteArray("\0\xFF\f", 3));
    printer.close();
    EXPECT_FALSE(printer.isOpen());
    printer.close(); // a second close does nothing
    EXPECT_EQ(test::readFileBytes(file), QByteArray("first\r\n\0\xFF\f", 10));
}

TEST(RawPrinter, WindowsPathGoesUnderTheRoot)
{
    test::TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("root/C/DEXE")));
    RawPrinter printer(QStringLiteral("C:\\DEXE\\prn.txt"));
    printer.write("abc");
    printer.close();
    EXPECT_EQ(test::readFileBytes(env.path(QStringLiteral("root/C/DEXE/prn.txt"))), QByteArray("abc"));
}

TEST(RawPrinter, UnclosedPrinterStillDeliversWhatWasWritten)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("prn"));
    {
        RawPrinter printer(file);
        printer.write("kept");
    }
    EXPECT_EQ(test::readFileBytes(file), QByteArray("kept"));
}

TEST(RawPrinter, FileThatCannotBeOpenedIsAnInputOutputError)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("no/such/folder/prn"));
    try {
        RawPrinter printer(file);
        FAIL() << "opened";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().contains(file));
        EXPECT_TRUE(e.message().contains(SystemError::message(SystemError::PathNotFound))) << e.what();
    }
    // A folder cannot be a printer either.
    EXPECT_THROW(RawPrinter printer(env.dir()), EInOutError);
}

TEST(RawPrinter, WriteErrorOfAFullDeviceIsAnInputOutputError)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    RawPrinter printer(QStringLiteral("/dev/full"));
    printer.write("x");
    try {
        printer.close();
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().contains(SystemError::message(SystemError::DiskFull))) << e.what();
    }
    EXPECT_FALSE(printer.isOpen());
}

TEST(RawPrinter, CommandGetsTheBytesThroughAPipe)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("piped.bin"));
    ScopedDeviceVariable device {QStringLiteral("|cat > ") + shellQuoted(file)};
    QByteArray expected;
    RawPrinter printer;
    // More than the pipe and the buffer hold at once.
    for (int i = 0; i < 3000; ++i) {
        const QByteArray line = QByteArray::number(i).rightJustified(400, '.') + "\r\n";
        expected += line;
        printer.write(line);
    }
    printer.close();
    EXPECT_EQ(test::readFileBytes(file), expected);
}

TEST(RawPrinter, FailingCommandIsAnInputOutputError)
{
    test::TestEnv env;
    {
        RawPrinter printer(QStringLiteral("|cat > /dev/null; echo 'lp: no printer' >&2; exit 3"));
        printer.write("data");
        try {
            printer.close();
            FAIL() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("3"))) << e.what();
            EXPECT_TRUE(e.message().contains(QStringLiteral("lp: no printer"))) << e.what();
        }
    }
    // A command that does not exist: the shell reports 127.
    RawPrinter missing(QStringLiteral("|velta-no-such-print-command-xyz"));
    missing.write("data");
    EXPECT_THROW(missing.close(), EInOutError);
    EXPECT_THROW(RawPrinter(QStringLiteral("|  ")), EInOutError);
}

TEST(RawPrinter, CommandThatStopsReadingFailsWithoutKillingTheProgram)
{
    // The command exits at once with an error; a large write meets a closed pipe.
    RawPrinter printer(QStringLiteral("|exit 2"));
    const QByteArray block(256 * 1024, 'z');
    EXPECT_THROW(
        {
            printer.write(block);
            printer.write(block);
            printer.close();
        },
        EInOutError);
}

} // namespace
} // namespace velta
