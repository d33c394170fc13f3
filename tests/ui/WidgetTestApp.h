#pragma once
// Widgets need a QApplication: the test main makes one in programs built with
// VELTA_TEST_WIDGETS; ensureWidgetApplication() checks that it is there.
#include <QString>
#include <functional>

namespace velta::test {

void ensureWidgetApplication();

// A failure reporter for ScriptedDialogs that fails the running test.
std::function<void(const QString&)> failTestReporter();

} // namespace velta::test
