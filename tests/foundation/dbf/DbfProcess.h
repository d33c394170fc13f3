#pragma once
// Runs another program for the DBF tests and collects its exit code and output.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace velta::test {

struct ProcessResult {
    int exitCode = -1; // -1 when it did not start, crashed or timed out
    QByteArray out;
    QByteArray err;
};

inline ProcessResult runProgram(const QString& program, const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(program, args);
    ProcessResult r;
    if (!p.waitForStarted(10000))
        return r;
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace velta::test
