#pragma once
// Child roles: a test program can start a copy of itself that runs a named
// role instead of the tests, to have a second process hold locks or write files.
#include <QProcess>
#include <QStringList>
#include <functional>
#include <memory>

namespace velta::test {

inline constexpr char kChildSwitch[] = "--velta-child";

using ChildRole = std::function<int(const QStringList& args)>;

// Registers a role under a name; use a static ChildRoleRegistration in a test file.
struct ChildRoleRegistration {
    ChildRoleRegistration(const char* name, ChildRole role);
};

// Runs the role named by argv[2] with the remaining arguments, under the
// application object main() made; returns its exit code.
int runChildRole(int argc, char** argv);

// Starts this test program as a child running the role; the child inherits the
// environment (so VELTA_ROOT and the lock folder of the running test).
std::unique_ptr<QProcess> startChild(const QString& role, const QStringList& args = {});

// Waits for the child and returns its exit code (-1 when it crashed or timed out).
int waitChild(QProcess& child, int timeoutMs = 60000);

} // namespace velta::test
