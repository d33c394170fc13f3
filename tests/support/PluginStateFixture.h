#pragma once
// Window tests on the plug-in's process-wide state: the state is reset before
// and after each test, the host's value, user value and report functions are
// answered by a TestHost, and dialogs are scripted. The host's payment types
// are set as the plug-in keeps them once it has read them.
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QList>
#include <QString>
#include <gtest/gtest.h>
#include <utility>

namespace velta::test {

// The payment types (name, code) in the plug-in's state: their names, their
// table rows (name, code, code modulo 100, no limit) and their count.
void setPluginPayTypes(const QList<std::pair<QString, int>>& types);

class PluginStateTest : public ::testing::Test {
protected:
    PluginStateTest();
    ~PluginStateTest() override;

    TestEnv env;
    TestHost host;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

} // namespace velta::test
