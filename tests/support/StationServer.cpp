#include "tests/support/StationServer.h"

#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/prctl.h>

namespace velta::test {

QString StationServer::program()
{
    return QDir(QString::fromLocal8Bit(qgetenv("VELTA_BIN_DIR"))).filePath(QStringLiteral("velta-station"));
}

bool StationServer::available()
{
    return QFileInfo(program()).isExecutable();
}

QString StationServer::initStation(const QString& root, int sales, const QStringList& extra)
{
    QProcess init;
    init.start(program(), QStringList{QStringLiteral("init"), QStringLiteral("--root"), root, QStringLiteral("--sales"),
                                      QString::number(sales)}
                              + extra);
    if (!init.waitForFinished(120000)) {
        init.kill();
        init.waitForFinished();
        return QStringLiteral("velta-station init did not finish: ") + init.errorString();
    }
    if (init.exitStatus() != QProcess::NormalExit || init.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(init.readAllStandardError());
        return said.isEmpty() ? QStringLiteral("velta-station init failed") : said;
    }
    return {};
}

std::unique_ptr<StationServer> StationServer::overNewStation(int sales)
{
    std::unique_ptr<StationServer> server(new StationServer);
    server->folder_ = std::make_unique<TestEnv>();
    const QString root = server->folder_->path(QStringLiteral("station"));
    server->error_ = initStation(root, sales);
    if (server->error_.isEmpty())
        server->start(root, {});
    return server;
}

StationServer::StationServer(const QString& root, QStringList extra)
{
    start(root, std::move(extra));
}

StationServer::~StationServer()
{
    stop();
}

void StationServer::start(const QString& root, QStringList extra)
{
    QStringList args{QStringLiteral("serve"), QStringLiteral("--root"), root};
    if (!extra.contains(QStringLiteral("--listen")))
        args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
    args << extra;
    // The server dies with the test program, even one killed mid-run.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(program(), args);
    if (!process_.waitForStarted(10000)) {
        error_ = QStringLiteral("velta-station serve did not start: ") + process_.errorString();
        return;
    }
    // The server prints "listening on ADDRESS:PORT" once it accepts clients.
    while (!output_.contains('\n') && process_.waitForReadyRead(20000))
        output_ += process_.readAllStandardOutput();
    const QByteArray prefix = "listening on 127.0.0.1:";
    const qsizetype at = output_.indexOf(prefix);
    if (at >= 0) {
        port_ = static_cast<quint16>(output_.mid(at + prefix.size()).trimmed().toUInt());
        return;
    }
    output_ += process_.readAllStandardError();
    error_ = QStringLiteral("velta-station serve gave no port: ") + QString::fromLocal8Bit(output_);
}

std::unique_ptr<WireClient> StationServer::connect(const QString& key) const
{
    auto client = std::make_unique<WireClient>();
    client->connect(QStringLiteral("127.0.0.1"), port_);
    if (!key.isEmpty())
        client->authenticate(key);
    return client;
}

void StationServer::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(10000)) {
        process_.kill();
        process_.waitForFinished();
    }
}

} // namespace velta::test
