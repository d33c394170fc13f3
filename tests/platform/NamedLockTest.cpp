#include "plugin/platform/NamedLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace velta;
using velta::test::TestEnv;

namespace {

bool waitForFile(const QString& path, int timeoutMs = 20000)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (QFileInfo::exists(path))
            return true;
        QThread::msleep(10);
    }
    return false;
}

// Takes the lock named by args[0], writes the marker args[1], and holds the
// lock until the file args[2] appears (or forever when there is no args[2]).
const velta::test::ChildRoleRegistration holdLock("hold-lock", [](const QStringList& args) {
    NamedLock lock(args.value(0));
    if (!lock.isValid())
        return 2;
    lock.lock();
    velta::test::writeFileBytes(args.value(1), "held");
    if (args.size() < 3) {
        for (;;)
            QThread::sleep(1);
    }
    if (!waitForFile(args.value(2), 60000))
        return 3;
    lock.unlock();
    return 0;
});

// Runs a function on another thread and returns what it returned.
template <class F>
auto onOtherThread(F f)
{
    decltype(f()) result{};
    std::thread t([&] { result = f(); });
    t.join();
    return result;
}

} // namespace

TEST(NamedLockNames, SameNameSameFileDistinctNamesDistinctFiles)
{
    const QString name = QStringLiteral("ini file lock mutexc:_windows_cnf.ini");
    EXPECT_EQ(NamedLock::fileNameFor(name), NamedLock::fileNameFor(name));
    // Names that a plain character substitution would merge stay apart.
    const QStringList names = {QStringLiteral("a/b"), QStringLiteral("a_b"), QStringLiteral("a%2Fb"),
                               QStringLiteral("a\\b"), QStringLiteral("a:b"), QStringLiteral("A/B"),
                               QStringLiteral(".."), QStringLiteral("."), QString(), QStringLiteral("%")};
    std::set<QString> files;
    for (const QString& n : names) {
        const QString file = NamedLock::fileNameFor(n);
        EXPECT_FALSE(file.contains(u'/')) << file.toStdString();
        EXPECT_FALSE(file.startsWith(u'.')) << file.toStdString();
        files.insert(file);
    }
    EXPECT_EQ(files.size(), std::size_t(names.size()));
}

TEST(NamedLockNames, LongNamesAreShortenedWithoutCollisions)
{
    const QString base = QStringLiteral("ini file lock mutexc:\\dexe\\").repeated(1)
        + QStringLiteral("очень длинная папка\\").repeated(20);
    const QString first = NamedLock::fileNameFor(base + QStringLiteral("a.ini"));
    const QString second = NamedLock::fileNameFor(base + QStringLiteral("b.ini"));
    EXPECT_NE(first, second);
    EXPECT_LE(first.toUtf8().size(), 255);
    EXPECT_LE(second.toUtf8().size(), 255);
    // Still readable: the start of the name is there, Cyrillic included.
    EXPECT_TRUE(first.startsWith(QStringLiteral("ini file lock mutexc")));
    EXPECT_TRUE(first.contains(QStringLiteral("очень")));
    // A long name never equals the file of a short one that looks like it.
    EXPECT_NE(NamedLock::fileNameFor(first.chopped(5)), first);
}

TEST(NamedLockFiles, FolderIsSharedWithEveryoneWhateverTheUmask)
{
    TestEnv env;
    const mode_t old = ::umask(077);
    {
        NamedLock lock(QStringLiteral("Global name/with:odd*chars и кириллица"));
        EXPECT_TRUE(lock.isValid());
    }
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(NamedLock::lockFolder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 01777u);
    const QString file = NamedLock::lockFolder() + u'/'
        + NamedLock::fileNameFor(QStringLiteral("Global name/with:odd*chars и кириллица"));
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u);
}

TEST(NamedLockFiles, UnusableFolderGivesAnInvalidLockThatDoesNothing)
{
    TestEnv env;
    velta::test::writeFileBytes(env.path(QStringLiteral("plainfile")), "x");
    ::setenv("VELTA_LOCK_DIR", QFile::encodeName(env.path(QStringLiteral("plainfile/locks"))).constData(), 1);
    NamedLock lock(QStringLiteral("x"));
    EXPECT_FALSE(lock.isValid());
    lock.lock();
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
    lock.unlock();
}

TEST(NamedLockThreads, ReentrantForTheOwnerExclusiveForOthers)
{
    TestEnv env;
    NamedLock lock(QStringLiteral("reentrant"));
    lock.lock();
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
    // Still held once: another thread cannot have it.
    EXPECT_FALSE(onOtherThread([&] { return lock.tryLock(); }));
    lock.unlock();
    EXPECT_TRUE(onOtherThread([&] {
        const bool got = lock.tryLock();
        if (got)
            lock.unlock();
        return got;
    }));
}

TEST(NamedLockThreads, ObjectsOfOneNameShareTheLock)
{
    TestEnv env;
    NamedLock first(QStringLiteral("shared name"));
    NamedLock second(QStringLiteral("shared name"));
    NamedLock other(QStringLiteral("other name"));
    first.lock();
    EXPECT_TRUE(second.tryLock()); // the same thread re-enters through another object
    second.unlock();
    EXPECT_FALSE(onOtherThread([&] {
        NamedLock third(QStringLiteral("shared name"));
        return third.tryLock();
    }));
    EXPECT_TRUE(onOtherThread([&] {
        const bool got = other.tryLock();
        if (got)
            other.unlock();
        return got;
    }));
    first.unlock();
}

TEST(NamedLockThreads, UnlockByAnotherThreadIsRefused)
{
    TestEnv env;
    NamedLock lock(QStringLiteral("owned"));
    lock.lock();
    onOtherThread([&] {
        lock.unlock();
        return 0;
    });
    EXPECT_FALSE(onOtherThread([&] { return lock.tryLock(); }));
    lock.unlock();
}

TEST(NamedLockThreads, WaitingThreadGetsTheLockWhenReleased)
{
    TestEnv env;
    NamedLock lock(QStringLiteral("wait"));
    lock.lock();
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        NamedLock mine(QStringLiteral("wait"));
        mine.lock();
        acquired = true;
        mine.unlock();
    });
    QThread::msleep(50);
    EXPECT_FALSE(acquired.load());
    lock.unlock();
    waiter.join();
    EXPECT_TRUE(acquired.load());
}

TEST(NamedLockThreads, SerialisesReadModifyWrite)
{
    TestEnv env;
    constexpr int kThreads = 4;
    constexpr int kRounds = 300;
    int counter = 0; // deliberately unsynchronised except by the lock
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            NamedLock lock(QStringLiteral("counter"));
            for (int i = 0; i < kRounds; ++i) {
                NamedLockGuard guard(&lock);
                const int seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(counter, kThreads * kRounds);
}

TEST(NamedLockThreads, DestroyedObjectReleasesItsHolds)
{
    TestEnv env;
    {
        NamedLock forgotten(QStringLiteral("forgotten"));
        forgotten.lock();
        forgotten.lock();
    }
    NamedLock lock(QStringLiteral("forgotten"));
    EXPECT_TRUE(onOtherThread([&] {
        const bool got = lock.tryLock();
        if (got)
            lock.unlock();
        return got;
    }));
}

TEST(NamedLockProcesses, AnotherProcessHoldingTheLockExcludesUs)
{
    TestEnv env;
    const QString name = QStringLiteral("ini file lock mutexc:_windows_cnf.ini");
    const QString marker = env.path(QStringLiteral("held"));
    const QString release = env.path(QStringLiteral("release"));
    auto child = velta::test::startChild(QStringLiteral("hold-lock"), {name, marker, release});
    ASSERT_TRUE(waitForFile(marker));

    NamedLock lock(name);
    ASSERT_TRUE(lock.isValid());
    EXPECT_FALSE(lock.tryLock());
    EXPECT_FALSE(lock.tryLock());

    velta::test::writeFileBytes(release, "go");
    EXPECT_EQ(velta::test::waitChild(*child), 0);
    // The blocking form returns once the other process let go.
    lock.lock();
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
    lock.unlock();
}

TEST(NamedLockProcesses, RemovedLockFileDoesNotSplitTheLock)
{
    TestEnv env;
    const QString name = QStringLiteral("cleaned up");
    NamedLock lock(name);
    lock.lock();
    lock.unlock();
    // A clean-up of the lock folder removes the file this process has open.
    ASSERT_TRUE(QFile::remove(NamedLock::lockFolder() + u'/' + NamedLock::fileNameFor(name)));

    const QString marker = env.path(QStringLiteral("held"));
    const QString release = env.path(QStringLiteral("release"));
    auto child = velta::test::startChild(QStringLiteral("hold-lock"), {name, marker, release});
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_FALSE(lock.tryLock());
    velta::test::writeFileBytes(release, "go");
    EXPECT_EQ(velta::test::waitChild(*child), 0);
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
}

TEST(NamedLockProcesses, KilledHolderReleasesTheLock)
{
    TestEnv env;
    const QString name = QStringLiteral("c__dexe_logfiles_reports.log");
    const QString marker = env.path(QStringLiteral("held"));
    auto child = velta::test::startChild(QStringLiteral("hold-lock"), {name, marker});
    ASSERT_TRUE(waitForFile(marker));

    NamedLock lock(name);
    EXPECT_FALSE(lock.tryLock());
    child->kill(); // SIGKILL: no chance to unlock
    child->waitForFinished();

    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        lock.lock();
        acquired = true;
        lock.unlock();
    });
    waiter.join();
    EXPECT_TRUE(acquired.load());
}
