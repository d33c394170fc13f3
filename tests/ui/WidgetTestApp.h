#pragma once
// Widgets need a QApplication, while the test program's main creates a plain
// QCoreApplication. ensureWidgetApplication() creates one QApplication for the
// rest of the run (on the offscreen platform the test main selects).
#include <QString>
#include <functional>

namespace velta::test {

void ensureWidgetApplication();

// A failure reporter for ScriptedDialogs that fails the running test.
std::function<void(const QString&)> failTestReporter();

} // namespace velta::test
