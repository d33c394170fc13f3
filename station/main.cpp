// velta-station: the station server's program. Each command is one entry of
// the table below: a name, its usage and a function over its arguments.
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "station/cli/ReportCommand.h"
#include "station/server/ServeCommand.h"
#include "station/demo/DemoForms.h"
#include "station/demo/StationInit.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <memory>
#include <string_view>

namespace {

using velta::station::InitOptions;
using velta::station::ServerConfig;

struct Command {
    const char* name;
    QString usage;
    std::function<int(const QStringList& args)> run;
};

void print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// Reads the value that follows an option; raises when it is missing.
QString optionValue(const QStringList& args, qsizetype& i)
{
    if (i + 1 >= args.size())
        throw velta::Exception(QStringLiteral("Option %1 needs a value").arg(args[i]));
    return args[++i];
}

// The forms folder of the suite root named by VELTA_ROOT, or empty without one.
QString formsFolderFromEnvironment()
{
    const QString root = qEnvironmentVariable("VELTA_ROOT");
    return root.isEmpty() ? QString() : velta::station::formsFolderOf(root);
}

int runInit(const QStringList& args)
{
    InitOptions options;
    options.formsFolder = formsFolderFromEnvironment();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--root")) {
            options.root = optionValue(args, i);
        } else if (a == QLatin1String("--legacy")) {
            options.legacy = true;
        } else if (a == QLatin1String("--forms")) {
            options.formsFolder = optionValue(args, i);
        } else if (a == QLatin1String("--force")) {
            options.force = true;
        } else if (a == QLatin1String("--sales")) {
            bool ok = false;
            const QString value = optionValue(args, i);
            options.sales = value.toInt(&ok);
            if (!ok || options.sales < 0)
                throw velta::Exception(QStringLiteral("--sales needs a whole number of sales, not \"%1\"").arg(value));
        } else {
            throw velta::Exception(QStringLiteral("Unknown option %1").arg(a));
        }
    }
    if (options.root.isEmpty())
        throw velta::Exception(QStringLiteral("--root DIR is required"));
    const velta::station::InitResult r = velta::station::initStation(options);
    const velta::station::DemoSummary& s = r.summary;
    print(stdout, QStringLiteral("Station database: %1%2").arg(r.stationPath, options.legacy ? QStringLiteral(" (legacy)") : QString()));
    print(stdout, QStringLiteral("Head-office database: %1").arg(r.officePath));
    print(stdout, QStringLiteral("%1 shifts, %2 sales (%3 with discounts), %4 dispenser journal rows")
                      .arg(s.shifts).arg(s.sales).arg(s.discounts).arg(s.journalRows));
    print(stdout, QStringLiteral("%1 receipts, %2 pump-outs, %3 transfers; %4 contragents; %5 consignment notes (%6 lines); %7 scanned documents")
                      .arg(s.receipts).arg(s.pumpOuts).arg(s.transfers).arg(s.contragents).arg(s.notes).arg(s.noteLines).arg(s.scanDocs));
    if (!options.formsFolder.isEmpty())
        print(stdout, QStringLiteral("Report forms: %1 new in %2").arg(r.forms.size()).arg(options.formsFolder));
    print(stdout, QStringLiteral("Done in %1 ms").arg(r.milliseconds));
    return 0;
}

// Installs the shipped report forms that the forms folder does not hold yet.
int runForms(const QStringList& args)
{
    QString folder = formsFolderFromEnvironment();
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--to"))
            folder = optionValue(args, i);
        else
            throw velta::Exception(QStringLiteral("Unknown option %1").arg(args[i]));
    }
    if (folder.isEmpty())
        throw velta::Exception(QStringLiteral("--to DIR is required when VELTA_ROOT is not set"));
    const QStringList written = velta::station::installDemoForms(folder);
    print(stdout, QStringLiteral("Report forms: %1 new in %2").arg(written.size()).arg(folder));
    return 0;
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"init", QStringLiteral("init --root DIR [--legacy] [--sales N] [--force] [--forms DIR]   create the demo station and head-office\n"
                                "      databases, and install the report forms (default $VELTA_ROOT/C/DEXE/FORMS)"),
         runInit},
        {"forms", QStringLiteral("forms [--to DIR]   install the report forms the folder lacks (default $VELTA_ROOT/C/DEXE/FORMS)"),
         runForms},
        {"serve",
         QStringLiteral("serve --root DIR [--listen ADDR:PORT] [--key FILE] [--max-connections N] [--idle-timeout SECONDS]\n"
                        "      serve the station to clients (default 127.0.0.1:%1); at most N clients at once (default %2),\n"
                        "      more are refused; a client idle for SECONDS is disconnected (default %3 seconds, 0 never)")
             .arg(velta::station::kDefaultPort)
             .arg(ServerConfig::kDefaultMaxConnections)
             .arg(ServerConfig::kDefaultIdleTimeoutSeconds),
         velta::station::runServe},
        {"report", velta::station::reportUsage(), velta::station::runReport},
    };
    return table;
}

void printUsage(FILE* stream)
{
    print(stream, QStringLiteral("Usage: velta-station COMMAND [OPTIONS]"));
    for (const Command& c : commands())
        print(stream, QStringLiteral("  velta-station ") + c.usage);
}

QtMessageHandler gDefaultMessageHandler = nullptr;

void dropRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    if (gDefaultMessageHandler)
        gDefaultMessageHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

bool wantsPdf(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--pdf")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // The report command draws PDF pages, which needs fonts: a GUI application
    // on the offscreen platform unless another is asked for (cron has no display).
    std::unique_ptr<QCoreApplication> application;
    if (argc > 1 && std::string_view(argv[1]) == "report" && wantsPdf(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // A scheduled job has no runtime folder; the platform's note about it is noise there.
        gDefaultMessageHandler = qInstallMessageHandler(dropRuntimeFolderNote);
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.front() == QLatin1String("--help") || args.front() == QLatin1String("-h")) {
        printUsage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    const QString name = args.takeFirst();
    for (const Command& c : commands()) {
        if (name != QLatin1String(c.name))
            continue;
        // Every command and its subcommands answer --help with their usage.
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            print(stdout, QStringLiteral("Usage: velta-station ") + c.usage);
            return 0;
        }
        try {
            return c.run(args);
        } catch (const velta::Exception& e) {
            print(stderr, QStringLiteral("velta-station %1: %2").arg(name, e.message()));
            return 1;
        }
    }
    print(stderr, QStringLiteral("velta-station: unknown command \"%1\"").arg(name));
    printUsage(stderr);
    return 2;
}
