// Test programs start here: either a child role (a second process that a test
// starts to exercise locks between processes) or the GoogleTest run.
#include "tests/support/ChildProcess.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == velta::test::kChildSwitch)
        return velta::test::runChildRole(argc, argv);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
