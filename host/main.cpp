// velta-host: the stand-in host program of the reports plug-in. It reads its
// configuration ($VELTA_ROOT/host.ini), loads the plug-in and shows its main
// window; with --tour it photographs its menus into a folder and exits.
#include "common/Exception.h"
#include "host/DemoTour.h"
#include "host/HostConfig.h"
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

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> qtArgs;
    QString pluginPath = takePluginOption(argc, argv, qtArgs);
    QApplication app(argc, qtArgs.data());
    QApplication::setApplicationName(QStringLiteral("velta-host"));
    QApplication::setApplicationDisplayName(QStringLiteral("Велта"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The stand-in host program of the reports plug-in.\n"
                                                    "--plugin PATH  the plug-in library to load (default: "
                                                    "../lib/libVeltaReports9.so next to the program)"));
    parser.addHelpOption();
    const QCommandLineOption configOption(QStringLiteral("config"), QStringLiteral("The host configuration file."),
                                          QStringLiteral("PATH"), velta::host::HostConfig::defaultPath());
    const QCommandLineOption tourOption(QStringLiteral("tour"),
                                        QStringLiteral("Run the scripted tour, save screenshots into DIR and exit."),
                                        QStringLiteral("DIR"));
    const QCommandLineOption noPluginOption(QStringLiteral("no-plugin"), QStringLiteral("Start without the plug-in."));
    parser.addOptions({configOption, tourOption, noPluginOption});
    parser.process(app);

    const bool touring = parser.isSet(tourOption);
    try {
        velta::host::HostConfig config(parser.value(configOption));
        // On the tour nobody can close a message box: errors go to the console.
        velta::host::HostWindow::ErrorReporter reporter;
        if (touring)
            reporter = [](const QString& message) { std::fprintf(stderr, "velta-host: %s\n", message.toUtf8().constData()); };
        velta::host::HostWindow window(config, reporter);
        if (!parser.isSet(noPluginOption))
            window.loadPlugin(pluginPath.isEmpty() ? velta::host::PluginLibrary::defaultPath() : pluginPath);
        if (touring) {
            const QStringList files = velta::host::DemoTour(parser.value(tourOption)).run(window);
            for (const QString& file : files)
                std::printf("%s\n", file.toUtf8().constData());
            return 0;
        }
        window.show();
        return QApplication::exec();
    } catch (const velta::Exception& e) {
        std::fprintf(stderr, "velta-host: %s\n", e.message().toUtf8().constData());
        return 1;
    }
}
