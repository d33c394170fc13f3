// velta-host: the stand-in host program of the reports plug-in. It reads its
// configuration ($VELTA_ROOT/host.ini), loads the plug-in and shows its main
// window; with --tour it photographs its menus into a folder and exits.
#include "common/Exception.h"
#include "host/DemoTour.h"
#include "host/HostConfig.h"
#include "host/HostFont.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Qt takes "-plugin NAME" (also with two dashes) for itself, so the host's
// --plugin PATH is taken out of the arguments before Qt sees them.
QString takePluginOption(int& argc, char** argv, std::vector<char*>& rest)
{
    QString path;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (i > 0 && std::strcmp(arg, "--plugin") == 0 && i + 1 < argc) {
            path = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (i > 0 && std::strncmp(arg, "--plugin=", 9) == 0) {
            path = QString::fromLocal8Bit(arg + 9);
            continue;
        }
        rest.push_back(argv[i]);
    }
    argc = static_cast<int>(rest.size());
    rest.push_back(nullptr);
    return path;
}

// The host's options, described once for the help and for the run.
struct HostOptions {
    QCommandLineOption config{QStringLiteral("config"), QStringLiteral("The host configuration file."),
                              QStringLiteral("PATH"), velta::host::HostConfig::defaultPath()};
    QCommandLineOption tour{QStringLiteral("tour"),
                            QStringLiteral("Run the scripted tour, save screenshots into DIR and exit (status 1 "
                                           "when a step fails). Without a display it runs offscreen."),
                            QStringLiteral("DIR")};
    QCommandLineOption noPlugin{QStringLiteral("no-plugin"), QStringLiteral("Start without the plug-in.")};

    void describe(QCommandLineParser& parser) const
    {
        parser.setApplicationDescription(QStringLiteral("The stand-in host program of the reports plug-in.\n"
                                                        "--plugin PATH  the plug-in library to load (default: "
                                                        "../lib/libVeltaReports9.so next to the program)"));
        parser.addHelpOption();
        parser.addOptions({config, tour, noPlugin});
    }
};

bool hasArgument(int argc, char** argv, std::initializer_list<const char*> names)
{
    for (int i = 1; i < argc; ++i)
        for (const char* name : names)
            if (std::strcmp(argv[i], name) == 0 || (std::strncmp(argv[i], name, std::strlen(name)) == 0
                                                    && argv[i][std::strlen(name)] == '='))
                return true;
    return false;
}

// A window system to show windows on: a display, or a platform the caller chose.
bool hasWindowSystem(int argc, char** argv)
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
           || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || hasArgument(argc, argv, {"-platform", "--platform"});
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> qtArgs;
    QString pluginPath = takePluginOption(argc, argv, qtArgs);

    // The help needs no window system: it is answered before one is opened.
    if (hasArgument(argc, qtArgs.data(), {"-h", "--help", "-?", "--help-all"})) {
        QCoreApplication core(argc, qtArgs.data());
        const HostOptions options;
        QCommandLineParser parser;
        options.describe(parser);
        parser.process(core); // prints the usage and exits with status 0
        return 0;
    }
    if (!hasWindowSystem(argc, qtArgs.data())) {
        if (!hasArgument(argc, qtArgs.data(), {"--tour", "-tour"})) {
            std::fprintf(stderr,
                         "velta-host: there is no display (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                         "Run it on a desktop, choose a platform (QT_QPA_PLATFORM=offscreen velta-host ...),\n"
                         "or take the offscreen tour: velta-host --tour DIR (./run demo does it).\n");
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen"); // the tour only saves pictures
    }

    QApplication app(argc, qtArgs.data());
    QApplication::setApplicationName(QStringLiteral("velta-host"));
    QApplication::setApplicationDisplayName(QStringLiteral("Велта"));
    velta::host::UseTahomaFont();

    const HostOptions options;
    QCommandLineParser parser;
    options.describe(parser);
    parser.process(app);

    const bool touring = parser.isSet(options.tour);
    try {
        velta::host::HostConfig config(parser.value(options.config));
        // On the tour nobody can close a message box: errors go to the console.
        velta::host::HostWindow::ErrorReporter reporter;
        if (touring)
            reporter = [](const QString& message) { std::fprintf(stderr, "velta-host: %s\n", message.toUtf8().constData()); };
        velta::host::HostWindow window(config, reporter);
        if (!parser.isSet(options.noPlugin))
            window.loadPlugin(pluginPath.isEmpty() ? velta::host::PluginLibrary::defaultPath() : pluginPath);
        if (touring) {
            velta::host::DemoTour tour(parser.value(options.tour));
            const QStringList files = tour.run(window);
            for (const QString& file : files)
                std::printf("%s\n", file.toUtf8().constData());
            if (!tour.failures().isEmpty()) {
                std::fprintf(stderr, "velta-host: %d steps of the tour failed\n", int(tour.failures().size()));
                return 1;
            }
            return 0;
        }
        window.show();
        return QApplication::exec();
    } catch (const velta::Exception& e) {
        std::fprintf(stderr, "velta-host: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}

