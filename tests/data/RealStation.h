#pragma once
// A demo station made by "velta-station init" in a private folder and served
// by "velta-station serve" on a free loopback port, for the dataset tests that
// run against the real server.
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <memory>

namespace velta::test {

class RealStation {
public:
    static QString program()
    {
        return QDir(QString::fromLocal8Bit(qgetenv("VELTA_BIN_DIR"))).filePath(QStringLiteral("velta-station"));
    }
    static bool available() { return QFileInfo(program()).isExecutable(); }

    explicit RealStation(int sales = 1500) : env_(std::make_unique<TestEnv>())
    {
        const QString root = env_->path(QStringLiteral("station"));
        QProcess init;
        init.start(program(), {QStringLiteral("init"), QStringLiteral("--root"), root, QStringLiteral("--sales"),
                               QString::number(sales)});
        if (!init.waitForFinished(120000) || init.exitCode() != 0) {
            error_ = QString::fromLocal8Bit(init.readAllStandardError());
            return;
        }
        server_.start(program(), {QStringLiteral("serve"), QStringLiteral("--root"), root, QStringLiteral("--listen"),
                                  QStringLiteral("127.0.0.1:0")});
        if (!server_.waitForStarted(10000)) {
            error_ = QStringLiteral("velta-station serve did not start");
            return;
        }
        QByteArray output;
        while (!output.contains('\n') && server_.waitForReadyRead(20000))
            output += server_.readAllStandardOutput();
        const QByteArray prefix = "listening on 127.0.0.1:";
        const qsizetype at = output.indexOf(prefix);
        if (at < 0) {
            error_ = QString::fromLocal8Bit(output + server_.readAllStandardError());
            return;
        }
        port_ = static_cast<quint16>(output.mid(at + prefix.size()).trimmed().toUInt());
    }
    ~RealStation()
    {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(10000)) {
                server_.kill();
                server_.waitForFinished();
            }
        }
    }

    quint16 port() const { return port_; }
    QString error() const { return error_; }

private:
    std::unique_ptr<TestEnv> env_;
    QProcess server_;
    quint16 port_ = 0;
    QString error_;
};

} // namespace velta::test
