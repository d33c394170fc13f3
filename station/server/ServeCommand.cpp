#include "station/server/ServeCommand.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "station/server/Server.h"
#include "station/db/StationDatabase.h"
#include "station/db/StationPaths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace velta::station {
namespace {

int gSignalPipe[2] = {-1, -1};

// Each worker holds a database attachment; past this many they only compete.
constexpr int kMaxWorkers = 256;
// Descriptors the server needs beside its connections: the database, the
// listener, the workers' event loops, the signal pipe.
constexpr long kSpareDescriptors = 64;

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

QString nextValue(const QStringList& args, qsizetype& i)
{
    if (i + 1 >= args.size())
        throw Exception(QStringLiteral("Option %1 needs a value").arg(args[i]));
    return args[++i];
}

// A whole number from minimum up (to a bound no sane setting reaches).
int wholeNumber(const QString& option, const QString& text, int minimum, const QString& unit)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > 1000000)
        throw Exception(QStringLiteral("%1 needs a whole number of %2 from %3 to 1000000, not \"%4\"")
                            .arg(option, unit)
                            .arg(minimum)
                            .arg(text));
    return value;
}

void parseListen(const QString& text, ServeOptions& options)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        throw Exception(QStringLiteral("--listen needs ADDR:PORT, not \"%1\"").arg(text));
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 65535)
        throw Exception(QStringLiteral("--listen: \"%1\" is not a port number").arg(text.mid(colon + 1)));
    QHostAddress address;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host))
        throw Exception(QStringLiteral("--listen: \"%1\" is not an IP address").arg(host));
    options.address = address;
    options.port = static_cast<quint16>(port);
}

// Stops the server on SIGINT and SIGTERM through the event loop.
class StopSignals {
public:
    StopSignals()
    {
        if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            throw Exception(QStringLiteral("Cannot create the signal pipe"));
        notifier_ = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
        struct sigaction action = {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
        // A client that vanishes must not end the server through SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~StopSignals()
    {
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        notifier_.reset();
        ::close(gSignalPipe[0]);
        ::close(gSignalPipe[1]);
    }

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

ServeOptions parseServeOptions(const QStringList& args)
{
    ServeOptions options;
    options.port = static_cast<quint16>(kDefaultPort);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--root"))
            options.root = nextValue(args, i);
        else if (a == QLatin1String("--listen"))
            parseListen(nextValue(args, i), options);
        else if (a == QLatin1String("--key"))
            options.keyFile = nextValue(args, i);
        else if (a == QLatin1String("--max-connections"))
            options.maxConnections = wholeNumber(a, nextValue(args, i), 1, QStringLiteral("connections"));
        else if (a == QLatin1String("--max-per-address"))
            options.maxPerAddress = wholeNumber(a, nextValue(args, i), 1, QStringLiteral("connections"));
        else if (a == QLatin1String("--idle-timeout"))
            options.idleTimeoutSeconds = wholeNumber(a, nextValue(args, i), 0, QStringLiteral("seconds"));
        else if (a == QLatin1String("--frame-timeout"))
            options.frameTimeoutSeconds = wholeNumber(a, nextValue(args, i), 1, QStringLiteral("seconds"));
        else if (a == QLatin1String("--workers"))
            options.workers = std::min(wholeNumber(a, nextValue(args, i), 1, QStringLiteral("threads")), kMaxWorkers);
        else
            throw Exception(QStringLiteral("Unknown option %1").arg(a));
    }
    if (options.root.isEmpty())
        throw Exception(QStringLiteral("--root DIR is required"));
    if (!options.address.isLoopback() && options.keyFile.isEmpty())
        throw Exception(QStringLiteral("Listening on %1 is open to other computers: give --key FILE, "
                                       "whose key clients must present")
                            .arg(options.address.toString()));
    return options;
}

QString readServeKey(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot read the key file %1: %2").arg(path, file.errorString()));
    const QString key = QString::fromUtf8(file.readAll()).trimmed();
    if (key.isEmpty())
        throw Exception(QStringLiteral("The key file %1 is empty").arg(path));
    return key;
}

long raiseOpenFileLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? -1 : static_cast<long>(limit.rlim_cur);
}

int runServe(const QStringList& args)
{
    const ServeOptions options = parseServeOptions(args);
    ServerConfig config;
    config.databasePath = stationDatabasePath(options.root);
    config.maxConnections = options.maxConnections;
    config.maxPerAddress = options.maxPerAddress;
    config.idleTimeoutSeconds = options.idleTimeoutSeconds;
    config.frameTimeoutMs = options.frameTimeoutSeconds * 1000;
    config.workers = options.workers;
    if (!QFileInfo::exists(config.databasePath))
        throw Exception(QStringLiteral("No station database %1: create it with velta-station init --root %2")
                            .arg(config.databasePath, options.root));
    if (!options.keyFile.isEmpty())
        config.key = readServeKey(options.keyFile);
    const StationFolderHold hold(options.root);
    if (!hold.held())
        throw Exception(QStringLiteral("The station folder %1 is in use by another velta-station (a server, or a "
                                       "report made directly on the folder); %2 is locked")
                            .arg(options.root, hold.lockPath()));
    // Attach once before listening, so a damaged file is reported at start.
    { const StationDatabase probe(config.databasePath); }

    const long files = raiseOpenFileLimit();
    if (files >= 0 && files < config.maxConnections + kSpareDescriptors)
        std::fprintf(stderr, "warning: the process may open %ld files, too few for %d connections\n", files,
                     config.maxConnections);

    StopSignals stopSignals;
    StationServer server(config);
    server.start(options.address, options.port);
    std::printf("listening on %s:%u\n", server.serverAddress().toString().toUtf8().constData(),
                static_cast<unsigned>(server.serverPort()));
    std::fflush(stdout);
    QCoreApplication::exec();
    server.stop();
    std::printf("stopped\n");
    std::fflush(stdout);
    return 0;
}

} // namespace velta::station
