// Several processes on one file: no torn values, no lock left behind by a
// process that died, no temporary files left behind.
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/NamedLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>

using namespace velta;

namespace {

const QString kSection = QStringLiteral("SmenaRep");
const QString kKey = QStringLiteral("Шаблон");

// Values long enough to need several keys, with line breaks and Cyrillic, and
// of different lengths so a mix of two is never mistaken for either.
QString sharedValue(int which)
{
    const QString line = QStringLiteral("Строка %1 значения %2: ").arg(which).arg(QString(QChar(u'A' + which)).repeated(40));
    QString value;
    for (int i = 0; value.size() < 70000 + which * 9000; ++i)
        value += line + QString::number(i) + u'\n';
    return value;
}

QString asRead(QString value)
{
    return value.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

const test::ChildRoleRegistration writerRole("ini-writer", [](const QStringList& args) {
    const QString file = args.value(0);
    const int rounds = args.value(1).toInt();
    for (int i = 0; i < rounds; ++i)
        TSafeIniFile(file).WriteString(kSection, kKey, sharedValue(i % 2));
    return 0;
});

const test::ChildRoleRegistration holderRole("ini-lock-holder", [](const QStringList& args) {
    NamedLock lock(QStringLiteral("Global\\") + TSafeIniFile::LockName(args.value(0)));
    lock.lock();
    std::printf("locked\n");
    std::fflush(stdout);
    QThread::sleep(60); // killed long before
    return 0;
});

// The exit code of a child that may already have been seen finishing
// (waitForFinished answers false for a finished process).
int finishedExitCode(QProcess& child)
{
    if (child.state() != QProcess::NotRunning)
        return test::waitChild(child);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

// Rewrites the keys of section "Churn" with values of changing length until killed.
const test::ChildRoleRegistration churnRole("ini-churn", [](const QStringList& args) {
    TSafeIniFile ini(args.value(0));
    std::printf("started\n");
    std::fflush(stdout);
    for (int round = 1; round < 1000000; ++round) {
        for (int k = 0; k < 50; ++k)
            ini.WriteString(QStringLiteral("Churn"), QStringLiteral("k%1").arg(k),
                            QString(QChar(u'a' + round % 26)).repeated(100 + (round * 37 + k) % 900));
    }
    return 0;
});

// Rewrites one multi-key value with alternating contents until killed.
const test::ChildRoleRegistration multiLineChurnRole("ini-multiline-churn", [](const QStringList& args) {
    TSafeIniFile ini(args.value(0));
    std::printf("started\n");
    std::fflush(stdout);
    for (int round = 1; round < 1000000; ++round)
        ini.WriteString(kSection, kKey, sharedValue(round % 3));
    return 0;
});

} // namespace

TEST(SafeIniProcesses, MultiLineValueStaysWholeWhenItsWriterIsKilled)
{
    // All keys of one value are replaced together: a writer killed at any moment
    // leaves the previous value or the new one, never a mixture or a cut.
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("cnf.ini"));
    const QString expected[] = {asRead(sharedValue(0)), asRead(sharedValue(1)), asRead(sharedValue(2))};
    TSafeIniFile(file).WriteString(kSection, kKey, sharedValue(0));
    for (int attempt = 0; attempt < 6; ++attempt) {
        auto child = test::startChild(QStringLiteral("ini-multiline-churn"), {file});
        ASSERT_TRUE(child->waitForReadyRead(30000));
        QThread::msleep(20 + attempt * 37);
        child->kill();
        child->waitForFinished(30000);
        const QString value = TSafeIniFile(file).ReadString(kSection, kKey, QString());
        EXPECT_TRUE(value == expected[0] || value == expected[1] || value == expected[2])
            << "attempt " << attempt << ": a value of " << value.size() << " characters";
    }
}

TEST(SafeIniProcesses, FileIsAlwaysWholeEvenWhenAWriterIsKilledMidWrite)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("cnf.ini"));
    {
        TSafeIniFile ini(file);
        for (int k = 0; k < 50; ++k)
            ini.WriteString(QStringLiteral("Churn"), QStringLiteral("k%1").arg(k), QStringLiteral("initial"));
        ini.WriteString(QStringLiteral("Tail"), QStringLiteral("last"), QStringLiteral("kept"));
    }
    auto child = test::startChild(QStringLiteral("ini-churn"), {file});
    ASSERT_TRUE(child->waitForReadyRead(30000));
    // A program reading the file without the lock always finds it whole.
    int partial = 0;
    int versions = 0;
    QByteArray previous;
    for (int i = 0; i < 200000 && versions < 40; ++i) {
        const QByteArray bytes = test::readFileBytes(file);
        if (!bytes.endsWith("last=kept\r\n") || bytes.count("\r\nk") != 50)
            ++partial;
        if (bytes != previous)
            ++versions;
        previous = bytes;
    }
    EXPECT_EQ(partial, 0) << "of " << versions << " versions seen";
    child->kill();
    child->waitForFinished(30000);

    // Every key holds either its first value or one complete later value.
    TSafeIniFile ini(file);
    int rewritten = 0;
    for (int k = 0; k < 50; ++k) {
        const QString value = ini.ReadString(QStringLiteral("Churn"), QStringLiteral("k%1").arg(k), QString());
        if (value == QStringLiteral("initial"))
            continue;
        ++rewritten;
        ASSERT_GE(value.size(), 100) << "key " << k;
        EXPECT_EQ(value, QString(value.front()).repeated(value.size())) << "key " << k;
    }
    EXPECT_GT(rewritten, 0);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Tail"), QStringLiteral("last"), QString()), QStringLiteral("kept"));
    EXPECT_TRUE(test::readFileBytes(file).endsWith("last=kept\r\n"));
}

TEST(SafeIniProcesses, ReadersNeverSeeATornValueWhileAnotherProcessWrites)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("cnf.ini"));
    const QString expected[] = {asRead(sharedValue(0)), asRead(sharedValue(1)), asRead(sharedValue(2))};
    // A value is there before the writer starts, so every read has one to
    // check, however soon the writer is done.
    TSafeIniFile(file).WriteString(kSection, kKey, sharedValue(2));
    auto child = test::startChild(QStringLiteral("ini-writer"), {file, QStringLiteral("40")});
    int reads = 0;
    int torn = 0;
    int seenValues = 0;
    do {
        const QString value = TSafeIniFile(file).ReadString(kSection, kKey, QString());
        ++reads;
        if (value.isEmpty())
            continue;
        ++seenValues;
        if (value != expected[0] && value != expected[1] && value != expected[2])
            ++torn;
        if (reads % 10 == 0) // this process writes too
            TSafeIniFile(file).WriteString(kSection, kKey, sharedValue(2));
        child->waitForFinished(0);
    } while (child->state() != QProcess::NotRunning && reads < 3000);
    EXPECT_EQ(finishedExitCode(*child), 0);
    EXPECT_EQ(torn, 0) << "of " << seenValues << " values read";
    EXPECT_GT(seenValues, 0);
    const QString last = TSafeIniFile(file).ReadString(kSection, kKey, QString());
    EXPECT_TRUE(last == expected[0] || last == expected[1] || last == expected[2]);
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("cnf.ini")});
}

TEST(SafeIniProcesses, LockOfAKilledProcessDoesNotBlockTheNextWriter)
{
    test::TestEnv env;
    const QString file = env.path(QStringLiteral("cnf.ini"));
    auto child = test::startChild(QStringLiteral("ini-lock-holder"), {file});
    ASSERT_TRUE(child->waitForReadyRead(30000));
    ASSERT_EQ(child->readLine().trimmed(), QByteArray("locked"));
    child->kill(); // SIGKILL: no chance to release anything
    child->waitForFinished(30000);

    auto write = std::async(std::launch::async, [&] {
        TSafeIniFile(file).WriteString(kSection, kKey, QStringLiteral("after the crash"));
    });
    if (write.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "the writer still waits for the lock of a dead process";
        std::_Exit(1);
    }
    write.get();
    EXPECT_EQ(TSafeIniFile(file).ReadString(kSection, kKey, QString()), QStringLiteral("after the crash"));
}
