// TSafeIniFile's operations: typed values with the file's fixed settings, the
// errors and their contexts, the retried write and the lock per file path.
#include "common/SysUtils.h"
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/NamedLock.h"
#include "plugin/platform/SystemError.h"
#include "tests/support/TestEnv.h"

#include <QBuffer>
#include <QDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace velta;
using velta::test::readFileBytes;
using velta::test::writeFileBytes;

namespace {

class SafeIniFileTest : public ::testing::Test {
protected:
    test::TestEnv env;
    QString file = env.path(QStringLiteral("cnf.ini"));
    const QString S = QStringLiteral("Misc");
};

// Sets the process-wide settings the way a machine with other regional settings would.
class ForeignGlobalSettings {
public:
    ForeignGlobalSettings() : saved_(globalFormatSettings())
    {
        TFormatSettings& s = globalFormatSettings();
        s.DecimalSeparator = u',';
        s.DateSeparator = u'/';
        s.ShortDateFormat = QStringLiteral("mm/dd/yyyy");
        s.LongTimeFormat = QStringLiteral("h:mm AMPM");
        s.TimeSeparator = u'-';
    }
    ~ForeignGlobalSettings() { globalFormatSettings() = saved_; }

private:
    TFormatSettings saved_;
};

// A manual clock that runs a step on every sleep (the retry loop's pause).
class SteppingClock : public ManualClock {
public:
    std::function<void(int)> onSleep;
    int sleeps = 0;
    void sleep(int milliseconds) override
    {
        ManualClock::sleep(milliseconds);
        ++sleeps;
        if (onSleep)
            onSleep(sleeps);
    }
};

template <class E = Exception, class F>
QString messageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.message();
    }
    return QStringLiteral("<nothing raised>");
}

} // namespace

TEST_F(SafeIniFileTest, TypedValuesUseTheFilesSettingsWhateverTheProcessSettings)
{
    ForeignGlobalSettings foreign;
    TSafeIniFile ini(file);
    ini.WriteFloat(S, QStringLiteral("f"), 1234.5);
    ini.WriteDate(S, QStringLiteral("d"), EncodeDate(2024, 3, 5));
    ini.WriteTime(S, QStringLiteral("t"), EncodeTime(7, 8, 9, 45));
    ini.WriteDateTime(S, QStringLiteral("dt"), EncodeDateTime(2024, 12, 31, 23, 59, 58, 789));
    EXPECT_EQ(readFileBytes(file), QByteArray("[Misc]\r\nf=1234.5\r\nd=05.03.2024\r\nt=07:08:09.045\r\n"
                                              "dt=31.12.2024 23:59:58.789\r\n"));

    writeFileBytes(file, "[Misc]\nd=1.2.2023\nf=-0.25\nt=12:34:56.789\ndt=02.01.2023 10:11:12.013\n");
    EXPECT_EQ(ini.ReadDate(S, QStringLiteral("d"), 0), EncodeDate(2023, 2, 1));
    EXPECT_EQ(ini.ReadFloat(S, QStringLiteral("f"), 0), -0.25);
    EXPECT_NEAR(ini.ReadTime(S, QStringLiteral("t"), 0), EncodeTime(12, 34, 56, 789), 1e-9);
    EXPECT_NEAR(ini.ReadDateTime(S, QStringLiteral("dt"), 0), EncodeDateTime(2023, 1, 2, 10, 11, 12, 13), 1e-9);
}

TEST_F(SafeIniFileTest, TypedReadsGiveTheDefaultForMissingOrUnconvertibleTexts)
{
    writeFileBytes(file, "[Misc]\nf=twelve\nd=31.02.2024\nt=25:61\nempty=\n");
    TSafeIniFile ini(file);
    EXPECT_EQ(ini.ReadFloat(S, QStringLiteral("f"), 7.5), 7.5);
    EXPECT_EQ(ini.ReadDate(S, QStringLiteral("d"), 42), 42);
    EXPECT_EQ(ini.ReadTime(S, QStringLiteral("t"), 0.5), 0.5);
    EXPECT_EQ(ini.ReadDateTime(S, QStringLiteral("empty"), 3), 3);
    EXPECT_EQ(ini.ReadFloat(S, QStringLiteral("missing"), -1), -1);
}

TEST_F(SafeIniFileTest, IntegersBooleansAndBinaryTravelThroughStrings)
{
    writeFileBytes(file, "[Misc]\nhex=0x1F\ndollar=$10\nbad=12abc\nno=0\nyes=2\n");
    TSafeIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger(S, QStringLiteral("hex"), 0), 31);
    EXPECT_EQ(ini.ReadInteger(S, QStringLiteral("dollar"), 0), 16);
    EXPECT_EQ(ini.ReadInteger(S, QStringLiteral("bad"), -3), -3);
    EXPECT_FALSE(ini.ReadBool(S, QStringLiteral("no"), true));
    EXPECT_TRUE(ini.ReadBool(S, QStringLiteral("yes"), false));
    EXPECT_TRUE(ini.ReadBool(S, QStringLiteral("missing"), true));

    ini.WriteInteger(S, QStringLiteral("i"), -2147483647 - 1);
    ini.WriteBool(S, QStringLiteral("b"), true);
    const QByteArray bytes("\x00\xFF\x10 z", 5);
    ini.WriteBinaryStream(S, QStringLiteral("bin"), bytes);
    EXPECT_EQ(ini.ReadInteger(S, QStringLiteral("i"), 0), -2147483647 - 1);
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("b"), QString()), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("bin"), QString()), QStringLiteral("00FF10207A"));
    QByteArray back("prefix");
    EXPECT_EQ(ini.ReadBinaryStream(S, QStringLiteral("bin"), back), 5);
    EXPECT_EQ(back, QByteArray("prefix") + bytes);
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    EXPECT_EQ(ini.ReadBinaryStream(S, QStringLiteral("missing"), device), 0);
    EXPECT_EQ(ini.ReadBinaryStream(S, QStringLiteral("bin"), device), 5);
    EXPECT_EQ(device.data(), bytes);
}

TEST_F(SafeIniFileTest, QuotedAndHexStrings)
{
    writeFileBytes(file, "[Misc]\nback=`C:\\DEXE\\`\nlone=`\nhalf=`abc\ndq=\"\"in quotes\"\"\n");
    TSafeIniFile ini(file);
    const QChar back(96);
    EXPECT_EQ(ini.ReadQuotedString(S, QStringLiteral("back"), QString(), back), QStringLiteral("C:\\DEXE\\"));
    EXPECT_EQ(ini.ReadQuotedString(S, QStringLiteral("lone"), QString(), back), QString());
    EXPECT_EQ(ini.ReadQuotedString(S, QStringLiteral("half"), QString(), back), QStringLiteral("`abc"));
    EXPECT_EQ(ini.ReadQuotedString(S, QStringLiteral("dq"), QString()), QStringLiteral("in quotes"));
    EXPECT_EQ(ini.ReadQuotedString(S, QStringLiteral("missing"), QStringLiteral("`def`"), back),
              QStringLiteral("def"));

    ini.WriteHexString(S, QStringLiteral("hex"), QStringLiteral("Привет = ;["));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("hex"), QString()), QStringLiteral("CFF0E8E2E5F2203D203B5B"));
    EXPECT_EQ(ini.ReadHexString(S, QStringLiteral("hex"), QString()), QStringLiteral("Привет = ;["));
    EXPECT_EQ(ini.ReadHexString(S, QStringLiteral("missing"), QStringLiteral("Умолчание")),
              QStringLiteral("Умолчание"));
}

TEST_F(SafeIniFileTest, SectionOperations)
{
    TSafeIniFile ini(file);
    ini.WriteString(QStringLiteral("TTN"), QStringLiteral("a"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("TTN"), QStringLiteral("long"), QStringLiteral("x\ny"));
    ini.WriteString(QStringLiteral("TTN\\Sub"), QStringLiteral("b"), QStringLiteral("2"));
    ini.WriteString(QStringLiteral("Other"), QStringLiteral("c"), QStringLiteral("3"));

    QStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("TTN"), QStringLiteral("TTN\\Sub"), QStringLiteral("Other")}));
    ini.ReadSections(QStringLiteral("ttn"), list);
    EXPECT_EQ(list, QStringList{QStringLiteral("TTN\\Sub")});
    ini.ReadSectionValues(QStringLiteral("TTN"), list);
    EXPECT_EQ(list, (QStringList{QStringLiteral("a=1"), QStringLiteral("long=x\r\ny")}));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("ttn"), QStringLiteral("A")));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("TTN"), QStringLiteral("b")));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("other")));

    ini.FlushAfterWrite = true;
    ini.EraseSection(QStringLiteral("TTN"));
    ini.UpdateFile();
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("TTN")));
    EXPECT_EQ(readFileBytes(file), QByteArray("[TTN\\Sub]\r\nb=2\r\n[Other]\r\nc=3\r\n"));
}

TEST_F(SafeIniFileTest, MissingNamesRaiseWithTheFileNameAndTheOperation)
{
    TSafeIniFile ini(file);
    const QString noSection = QStringLiteral("Не указано название секции. Имя файла: ") + file;
    const QString noIdent = QStringLiteral("Не указано название переменной. Имя файла: ") + file;
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.ReadString(QString(), QStringLiteral("k"), QString()); }),
              QStringLiteral("TSafeIniFile.ReadString -> ") + noSection);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.WriteString(S, QString(), QStringLiteral("v")); }),
              QStringLiteral("TSafeIniFile.WriteString -> ") + noIdent);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.ReadDate(QString(), QStringLiteral("k"), 0); }),
              QStringLiteral("TSafeIniFile.ReadDate -> TSafeIniFile.ReadString -> ") + noSection);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.WriteHexString(S, QString(), QString()); }),
              QStringLiteral("TSafeIniFile.WriteHexString -> TSafeIniFile.WriteString -> ") + noIdent);
    QStringList list;
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.ReadSection(QString(), list); }),
              QStringLiteral("TSafeIniFile.ReadSection -> ") + noSection);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.ReadSectionValues(QString(), list); }),
              QStringLiteral("TSafeIniFile.ReadSectionValues -> ") + noSection);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.EraseSection(QString()); }),
              QStringLiteral("TSafeIniFile.EraseSection -> ") + noSection);
    EXPECT_EQ(messageOf<EIniFileException>([&] { ini.DeleteKey(S, QString()); }),
              QStringLiteral("TSafeIniFile.DeleteKey -> ") + noIdent);
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(SafeIniFileTest, MissingFolderFailsAtOnceWithEveryContext)
{
    SteppingClock clock;
    ScopedClock installed(clock);
    const QString missing = env.path(QStringLiteral("absent/cnf.ini"));
    TSafeIniFile ini(missing);
    const QString message = messageOf<EIniFileException>([&] { ini.WriteDate(S, QStringLiteral("d"), 45000); });
    EXPECT_EQ(message, QStringLiteral("TSafeIniFile.WriteDate -> TSafeIniFile.WriteString -> ")
                           + SystemError::message(SystemError::PathNotFound)
                           + QStringLiteral(" -> Unable to write to ") + missing);
    EXPECT_EQ(clock.sleeps, 0) << "a missing folder is not worth retrying";
}

TEST_F(SafeIniFileTest, TransientWriteFailureIsRetried)
{
    // A folder standing where the file should be makes every write fail
    // until it is taken away.
    ASSERT_TRUE(QDir().mkpath(file));
    SteppingClock clock;
    clock.onSleep = [&](int sleeps) {
        if (sleeps == 3)
            QDir().rmdir(file);
    };
    ScopedClock installed(clock);
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(clock.sleeps, 3);
    EXPECT_EQ(clock.tickCount(), 60);
    EXPECT_EQ(readFileBytes(file), QByteArray("[Misc]\r\nk=v\r\n"));
}

TEST_F(SafeIniFileTest, PersistentWriteFailureGivesUpAfterTheTimeout)
{
    ASSERT_TRUE(QDir().mkpath(file));
    SteppingClock clock;
    ScopedClock installed(clock);
    TSafeIniFile ini(file);
    const QString message = messageOf<EIniFileException>([&] { ini.WriteString(S, QStringLiteral("k"), QString()); });
    const int code = SystemError::fromErrno(EISDIR);
    EXPECT_EQ(message, QStringLiteral("TSafeIniFile.WriteString -> ") + SystemError::message(code)
                           + QStringLiteral(" -> Unable to write to ") + file);
    EXPECT_GE(clock.tickCount(), TSafeIniFile::WriteRetryTimeoutMs);
    EXPECT_LE(clock.tickCount(), TSafeIniFile::WriteRetryTimeoutMs + 40);
    EXPECT_EQ(clock.sleeps, clock.tickCount() / 20);
}

TEST_F(SafeIniFileTest, AtomicallyWritesItsChangesTogetherOrNotAtAll)
{
    writeFileBytes(file, "[Misc]\r\nold=1\r\n");
    const QByteArray before = readFileBytes(file);
    TSafeIniFile ini(file);
    EXPECT_THROW(ini.Atomically([&] {
        ini.WriteString(S, QStringLiteral("a"), QStringLiteral("1"));
        throw EIniFileException(QStringLiteral("stop"));
    }),
                 EIniFileException);
    EXPECT_EQ(readFileBytes(file), before);
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("a"), QStringLiteral("none")), QStringLiteral("none"));

    // Changes through another object of the same file join; reads inside see
    // them while the file on disk is still the old one.
    ini.Atomically([&] {
        ini.WriteString(S, QStringLiteral("a"), QStringLiteral("1"));
        TSafeIniFile(QDir::cleanPath(file)).WriteInteger(S, QStringLiteral("b"), 2);
        ini.DeleteKey(S, QStringLiteral("old"));
        EXPECT_EQ(ini.ReadInteger(S, QStringLiteral("b"), 0), 2);
        EXPECT_FALSE(ini.ValueExists(S, QStringLiteral("old")));
        EXPECT_EQ(readFileBytes(file), before);
    });
    EXPECT_EQ(readFileBytes(file), QByteArray("[Misc]\r\na=1\r\nb=2\r\n"));

    SteppingClock clock;
    ScopedClock installed(clock);
    const QString missing = env.path(QStringLiteral("absent/cnf.ini"));
    TSafeIniFile nowhere(missing);
    const QString message = messageOf<EIniFileException>(
        [&] { nowhere.Atomically([&] { nowhere.WriteString(S, QStringLiteral("k"), QStringLiteral("v")); }); });
    EXPECT_EQ(message, QStringLiteral("TSafeIniFile.WriteString -> ") + SystemError::message(SystemError::PathNotFound)
                           + QStringLiteral(" -> Unable to write to ") + missing);
}

TEST(SafeIniLockName, SameFileSpeltDifferentlyGivesOneName)
{
    test::TestEnv env;
    const QString expected = QStringLiteral("ini file lock mutexc__windows_cnf.ini");
    EXPECT_EQ(TSafeIniFile::LockName(QStringLiteral("C:\\\\WINDOWS\\\\\\CNF.INI")), expected);
    EXPECT_EQ(TSafeIniFile::LockName(QStringLiteral("c:\\windows\\cnf.ini")), expected);
    EXPECT_EQ(TSafeIniFile::LockName(env.path(QStringLiteral("root/C/WINDOWS/cnf.ini"))), expected);
    EXPECT_EQ(TSafeIniFile::LockName(QStringLiteral("cnf.ini")), expected);
    EXPECT_EQ(TSafeIniFile::LockName(QStringLiteral("S:\\Отчеты\\a\"*?<>|b.ini")),
              QStringLiteral("ini file lock mutexs__отчеты_a______b.ini"));
}

TEST(SafeIniLock, EveryAccessWaitsForTheLockOfTheFile)
{
    test::TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("root/C/WINDOWS")));
    NamedLock held(QStringLiteral("Global\\") + TSafeIniFile::LockName(QStringLiteral("C:\\WINDOWS\\cnf.ini")));
    ASSERT_TRUE(held.isValid());
    held.lock();
    std::atomic<bool> written{false};
    std::thread writer([&] {
        TSafeIniFile ini(QStringLiteral("c:\\\\Windows\\\\CNF.ini"));
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
        written = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(written) << "the writer did not wait for the lock";
    held.unlock();
    writer.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(TSafeIniFile(QStringLiteral("C:\\WINDOWS\\cnf.ini")).ReadString(QStringLiteral("S"), QStringLiteral("k"), {}),
              QStringLiteral("v"));
}
