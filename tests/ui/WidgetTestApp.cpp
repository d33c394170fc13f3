#include "tests/ui/WidgetTestApp.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace velta::test {

void ensureWidgetApplication()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // The main's QCoreApplication stays alive underneath; the QApplication
    // takes over as the application instance and is never destroyed, so the
    // main's object is the last to go, as it would be alone.
    static int argc = 1;
    static char name[] = "test-ui";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

std::function<void(const QString&)> failTestReporter()
{
    return [](const QString& message) { ADD_FAILURE() << message.toStdString(); };
}

} // namespace velta::test
