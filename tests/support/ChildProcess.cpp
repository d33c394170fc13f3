#include "tests/support/ChildProcess.h"

#include <QFile>
#include <cstdio>
#include <map>
#include <string>

namespace velta::test {

namespace {
std::map<std::string, ChildRole>& roles()
{
    static std::map<std::string, ChildRole> table;
    return table;
}
} // namespace

ChildRoleRegistration::ChildRoleRegistration(const char* name, ChildRole role)
{
    roles()[name] = std::move(role);
}

int runChildRole(int argc, char** argv)
{
    const auto it = roles().find(argv[2]);
    if (it == roles().end()) {
        std::fprintf(stderr, "unknown child role %s\n", argv[2]);
        return 100;
    }
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return it->second(args);
}

std::unique_ptr<QProcess> startChild(const QString& role, const QStringList& args)
{
    auto child = std::make_unique<QProcess>();
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QFile::decodeName("/proc/self/exe"),
                 QStringList{QString::fromLatin1(kChildSwitch), role} + args);
    child->waitForStarted();
    return child;
}

int waitChild(QProcess& child, int timeoutMs)
{
    if (!child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

} // namespace velta::test
