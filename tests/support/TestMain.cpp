// Test programs start here: either a child role (a second process that a test
// starts to exercise locks between processes) or the GoogleTest run.
#include "tests/support/ChildProcess.h"

#include <QByteArray>
#include <QCoreApplication>
#include <gtest/gtest.h>
#ifdef VELTA_TEST_WIDGETS
#include <QApplication>
#endif

#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

// Tests never depend on the machine's locale or time zone, however they are
// started; the built programs are found next to the test program.
void fixEnvironment()
{
    ::setenv("LC_ALL", "C", 1);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("VELTA_BIN_DIR")) {
        char buffer[4096];
        const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length > 0) {
            std::string exe(buffer, static_cast<size_t>(length));
            ::setenv("VELTA_BIN_DIR", exe.substr(0, exe.rfind('/')).c_str(), 1);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    fixEnvironment();
    // Programs that test windows need the widget application, in their child roles too.
#ifdef VELTA_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    if (argc >= 3 && QByteArray(argv[1]) == velta::test::kChildSwitch)
        return velta::test::runChildRole(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
