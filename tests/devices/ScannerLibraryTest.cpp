// The scanner library as the plug-in meets it: found by its suite name,
// SetEventProc installing the event procedure and handing back the previous
// one, and codes from the test hook and from velta-scan arriving on the
// library's own thread, length-prefixed, in cp1251, cut at 255 characters.
#include "common/Codecs.h"
#include "plugin/platform/SiblingLibrary.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velta {
namespace {

using DeliverFn = int (*)(const char* code, int length);

struct Arrival {
    char procedure; // 'A' or 'B'
    std::string code;
    std::thread::id thread;
};

// What the event procedures received, in order.
struct Arrivals {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Arrival> list;

    void add(char procedure, const unsigned char* code)
    {
        std::lock_guard<std::mutex> hold(mutex);
        list.push_back({procedure, std::string(reinterpret_cast<const char*>(code + 1), code[0]), std::this_thread::get_id()});
        changed.notify_all();
    }
    // Waits for the arrival number `index` (from 0); a generous limit only
    // keeps a broken library from hanging the run.
    Arrival wait(std::size_t index)
    {
        std::unique_lock<std::mutex> hold(mutex);
        if (!changed.wait_for(hold, std::chrono::seconds(30), [&] { return list.size() > index; }))
            return {'-', "nothing arrived", {}};
        return list[index];
    }
    std::size_t count()
    {
        std::lock_guard<std::mutex> hold(mutex);
        return list.size();
    }
};

Arrivals arrivals;

void procedureA(const unsigned char* code) { arrivals.add('A', code); }
void procedureB(const unsigned char* code) { arrivals.add('B', code); }

struct ScanRun {
    int exitCode = -1;
    QString err;
};

ScanRun veltaScan(const QStringList& args)
{
    QProcess process;
    process.start(QDir(qEnvironmentVariable("VELTA_BIN_DIR")).filePath(QStringLiteral("velta-scan")), args);
    ScanRun run;
    if (!process.waitForStarted(30000) || !process.waitForFinished(60000)) {
        process.kill();
        run.err = QStringLiteral("velta-scan did not run");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

class ScannerLibrary : public ::testing::Test {
protected:
    test::TestEnv env;
    SiblingLibrary library = SiblingLibrary::load(QString::fromLatin1(scanner::kLibraryName));
    scanner::SetEventProcFn setEventProc = nullptr;
    DeliverFn deliver = nullptr;
    QString socketPath = env.path(QStringLiteral("locks/lectra-scanner.sock"));

    void SetUp() override
    {
        ASSERT_TRUE(library.isLoaded()) << library.error().toStdString();
        setEventProc = reinterpret_cast<scanner::SetEventProcFn>(library.symbol(scanner::kSetEventProc));
        deliver = reinterpret_cast<DeliverFn>(library.symbol("VeltaScanDeliver"));
        ASSERT_NE(setEventProc, nullptr);
        ASSERT_NE(deliver, nullptr);
        std::lock_guard<std::mutex> hold(arrivals.mutex);
        arrivals.list.clear();
    }
    void TearDown() override
    {
        if (setEventProc)
            setEventProc(nullptr);
    }
    bool hook(const std::string& code) { return deliver(code.data(), static_cast<int>(code.size())) == 1; }
};

TEST_F(ScannerLibrary, CodesFromTheHookAndFromVeltaScanArriveOnTheLibraryThread)
{
    EXPECT_EQ(library.path(), QStringLiteral("liblectra.so")) << "found on the loader's path, not beside the test";

    // Nobody listens before a procedure is installed.
    EXPECT_FALSE(hook("1"));
    const ScanRun early = veltaScan({QStringLiteral("1")});
    EXPECT_EQ(early.exitCode, 1);
    EXPECT_EQ(early.err, QStringLiteral("velta-scan: no scanner library is listening on %1\n").arg(socketPath));

    EXPECT_EQ(setEventProc(&procedureA), nullptr);
    ASSERT_TRUE(hook("4276123412341234"));
    const Arrival first = arrivals.wait(0);
    EXPECT_EQ(first.procedure, 'A');
    EXPECT_EQ(first.code, "4276123412341234");
    EXPECT_NE(first.thread, std::this_thread::get_id());

    // velta-scan: UTF-8 on the command line, cp1251 at the procedure, same thread.
    const ScanRun scan = veltaScan({QStringLiteral("КАРТА №7*")});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    const Arrival second = arrivals.wait(1);
    EXPECT_EQ(second.code, codec::toCp1251(u"КАРТА №7*").toStdString());
    EXPECT_EQ(second.thread, first.thread);

    // 255 characters pass whole; longer codes are cut to 255 on either road.
    const std::string longest(255, '7');
    ASSERT_TRUE(hook(longest));
    EXPECT_EQ(arrivals.wait(2).code, longest);
    ASSERT_TRUE(hook(longest + "89"));
    EXPECT_EQ(arrivals.wait(3).code, longest);
    const ScanRun cut = veltaScan({QString(300, u'Ж')});
    ASSERT_EQ(cut.exitCode, 0) << cut.err.toStdString();
    EXPECT_EQ(arrivals.wait(4).code, std::string(255, '\xC6'));
}

TEST_F(ScannerLibrary, SetEventProcHandsBackThePreviousProcedureAndNullStopsListening)
{
    EXPECT_EQ(setEventProc(&procedureA), nullptr);
    EXPECT_EQ(setEventProc(&procedureB), &procedureA);
    ASSERT_TRUE(hook("B1"));
    const Arrival toB = arrivals.wait(0);
    EXPECT_EQ(toB.procedure, 'B');
    EXPECT_EQ(toB.code, "B1");

    // Putting the previous one back, as the plug-in does on leaving.
    EXPECT_EQ(setEventProc(&procedureA), &procedureB);
    ASSERT_EQ(veltaScan({QStringLiteral("A1")}).exitCode, 0);
    EXPECT_EQ(arrivals.wait(1).procedure, 'A');

    // Without a procedure the library stops listening at once: the socket is gone.
    EXPECT_EQ(setEventProc(nullptr), &procedureA);
    EXPECT_FALSE(QFile::exists(socketPath));
    EXPECT_FALSE(hook("lost"));
    EXPECT_EQ(veltaScan({QStringLiteral("lost")}).exitCode, 1);

    // Listening again, on a fresh thread, after the library was let go and
    // found again.
    library.close();
    library = SiblingLibrary::load(QString::fromLatin1(scanner::kLibraryName));
    setEventProc = reinterpret_cast<scanner::SetEventProcFn>(library.symbol(scanner::kSetEventProc));
    ASSERT_NE(setEventProc, nullptr);
    EXPECT_EQ(setEventProc(&procedureB), nullptr);
    ASSERT_EQ(veltaScan({QStringLiteral("B2")}).exitCode, 0);
    const Arrival again = arrivals.wait(2);
    EXPECT_EQ(again.procedure, 'B');
    EXPECT_EQ(again.code, "B2");
    EXPECT_EQ(arrivals.count(), 3u);
}

TEST_F(ScannerLibrary, SocketLeftByADeadProgramIsTakenOver)
{
    // A program that died while listening leaves its socket file behind.
    QDir().mkpath(env.path(QStringLiteral("locks")));
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof address.sun_path);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(socketPath));
    EXPECT_EQ(veltaScan({QStringLiteral("1")}).exitCode, 1);

    setEventProc(&procedureA);
    const ScanRun scan = veltaScan({QStringLiteral("2900000012345")});
    ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    EXPECT_EQ(arrivals.wait(0).code, "2900000012345");
}

TEST(VeltaScan, RefusesAMissingOrEmptyCode)
{
    test::TestEnv env;
    const ScanRun none = veltaScan({});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(none.err.startsWith(QStringLiteral("velta-scan: no code given\nusage: velta-scan CODE"))) << none.err.toStdString();
    const ScanRun empty = veltaScan({QString()});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.err, QStringLiteral("velta-scan: the code is empty\n"));
    EXPECT_EQ(veltaScan({QStringLiteral("1"), QStringLiteral("2")}).exitCode, 2);
}

} // namespace
} // namespace velta
