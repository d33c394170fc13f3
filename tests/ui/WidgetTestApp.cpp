#include "tests/ui/WidgetTestApp.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace velta::test {

void ensureWidgetApplication()
{
    // The test main of this program makes a QApplication (VELTA_TEST_WIDGETS).
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
        << "the test program was built without the widget application";
}

std::function<void(const QString&)> failTestReporter()
{
    return [](const QString& message) { ADD_FAILURE() << message.toStdString(); };
}

} // namespace velta::test
