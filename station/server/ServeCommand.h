#pragma once
// The "serve" command of velta-station: reads its options, opens the station
// made by init and serves it until SIGINT or SIGTERM.
#include "station/server/ServerConfig.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace velta::station {

struct ServeOptions {
    QString root;
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 5770;
    QString keyFile;
    int maxConnections = ServerConfig::kDefaultMaxConnections;
    int maxPerAddress = ServerConfig::kDefaultMaxPerAddress;
    int idleTimeoutSeconds = ServerConfig::kDefaultIdleTimeoutSeconds;
    int frameTimeoutSeconds = ServerConfig::kDefaultFrameTimeoutSeconds;
    int workers = 0; // 0: one per core, at least 2
};

// "--root DIR [--listen ADDR:PORT] [--key FILE] [--max-connections N]
// [--max-per-address N] [--idle-timeout SECONDS] [--frame-timeout SECONDS]
// [--workers N]"; raises Exception on a bad command line, and when a
// non-loopback address comes without a key.
ServeOptions parseServeOptions(const QStringList& args);

// Reads the key from its file (trimmed); raises when it is missing or empty.
QString readServeKey(const QString& path);

// Raises the process's soft limit of open files to its hard limit, so that
// every connection allowed gets a descriptor; returns the limit now in force.
long raiseOpenFileLimit();

// Runs the server; prints "listening on ADDR:PORT" once it listens. Returns
// the exit code after a clean stop.
int runServe(const QStringList& args);

} // namespace velta::station
