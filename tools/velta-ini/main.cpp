// velta-ini: reads, writes, deletes and lists values of an INI file such as
// cnf.ini under the same system-wide lock and multi-line scheme as the
// plug-in, so a script never sees or leaves a half-written value.
#include "common/Exception.h"
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

namespace Paths = velta::Paths;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: velta-ini get FILE SECTION KEY [DEFAULT]\n"
    "       velta-ini set FILE SECTION KEY [VALUE]\n"
    "       velta-ini delete FILE SECTION [KEY]\n"
    "       velta-ini sections FILE\n"
    "       velta-ini keys FILE SECTION\n"
    "       velta-ini --help\n";

const char kHelp[] =
    "\n"
    "Reads and writes INI files such as cnf.ini under the lock the other programs\n"
    "of the suite take, so no program ever reads a value half written.\n"
    "\n"
    "  get       prints the value of KEY and a line feed; line breaks inside the\n"
    "            value are printed as line feeds. A missing key prints DEFAULT\n"
    "            (empty when not given).\n"
    "  set       writes VALUE to KEY. Without VALUE the value is read from\n"
    "            standard input, and exactly one trailing line feed is removed,\n"
    "            so 'velta-ini get ... | velta-ini set ...' copies a value unchanged.\n"
    "            Values of any length and with line breaks are stored across\n"
    "            several keys, as the suite does.\n"
    "  delete    deletes KEY with its continuation keys, or the whole SECTION\n"
    "            when KEY is not given.\n"
    "  sections  lists the section names, one a line.\n"
    "  keys      lists the keys of SECTION, one a line (without the continuation\n"
    "            keys of long values).\n"
    "\n"
    "FILE is a native path or a Windows-style one (\"C:\\WINDOWS\\cnf.ini\", mapped\n"
    "under $VELTA_ROOT). A missing FILE reads as empty, as in the suite: get prints\n"
    "DEFAULT, sections and keys print nothing, delete changes nothing and exits 0.\n"
    "A FILE that exists must be a readable file.\n"
    "Texts on the command line and on standard input and output are UTF-8; the\n"
    "file itself stays in code page 1251.\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be read or written, 2 bad arguments.\n";

void printUtf8(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

int usageError(const QString& message)
{
    printUtf8(stderr, QStringLiteral("velta-ini: ") + message + u'\n');
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

int failure(const QString& message)
{
    printUtf8(stderr, QStringLiteral("velta-ini: ") + message + u'\n');
    return kExitFailure;
}

// A relative native path is taken from the current folder, as a shell user
// expects (the platform functions would look in the Windows folder instead).
QString resolveFile(const QString& file)
{
    if (Paths::isWindowsPath(file))
        return file;
    return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

// A missing file (or folder) is an empty document to the store, so only a file
// that exists but cannot be read is an error.
bool checkReadableIfPresent(const QString& file, const QString& shown)
{
    if (velta::IniFileStore::probeReadable(file))
        return true;
    const int code = velta::SystemError::last();
    if (code == velta::SystemError::FileNotFound || code == velta::SystemError::PathNotFound)
        return true;
    failure(QStringLiteral("cannot read %1: %2").arg(shown, velta::SystemError::message(code)));
    return false;
}

// The keys a long value is spread over besides its own.
bool isContinuationKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("__\\$(Count|Hash|Line\\d+)$"));
    return pattern.match(key).hasMatch();
}

QString readStandardInput()
{
    QByteArray bytes;
    velta::FileIO::readAll(STDIN_FILENO, bytes); // a failed read keeps what came before it
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}

struct Command {
    int minArgs;
    int maxArgs;
    bool readsFile; // an existing file must be readable
    std::function<int(velta::TSafeIniFile&, const QStringList&)> run;
};

int runGet(velta::TSafeIniFile& ini, const QStringList& args)
{
    QString value = ini.ReadString(args[1], args[2], args.value(3));
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    printUtf8(stdout, value + u'\n');
    return 0;
}

int runSet(velta::TSafeIniFile& ini, const QStringList& args)
{
    ini.WriteString(args[1], args[2], args.size() > 3 ? args[3] : readStandardInput());
    return 0;
}

int runDelete(velta::TSafeIniFile& ini, const QStringList& args)
{
    if (args.size() > 2)
        ini.DeleteKey(args[1], args[2]);
    else
        ini.EraseSection(args[1]);
    return 0;
}

int runSections(velta::TSafeIniFile& ini, const QStringList&)
{
    QStringList names;
    ini.ReadSections(names);
    for (const QString& name : names)
        printUtf8(stdout, name + u'\n');
    return 0;
}

int runKeys(velta::TSafeIniFile& ini, const QStringList& args)
{
    QStringList keys;
    ini.ReadSection(args[1], keys);
    for (const QString& key : keys) {
        if (!isContinuationKey(key))
            printUtf8(stdout, key + u'\n');
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h") || args[0] == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }

    // Arguments after the command: FILE and the rest.
    static const std::map<QString, Command> commands = {
        {QStringLiteral("get"), {3, 4, true, runGet}},
        {QStringLiteral("set"), {3, 4, false, runSet}},
        {QStringLiteral("delete"), {2, 3, true, runDelete}},
        {QStringLiteral("sections"), {1, 1, true, runSections}},
        {QStringLiteral("keys"), {2, 2, true, runKeys}},
    };
    const QString name = args.takeFirst();
    const auto it = commands.find(name);
    if (it == commands.end())
        return usageError(QStringLiteral("unknown command '%1'").arg(name));
    const Command& command = it->second;
    if (args.size() < command.minArgs)
        return usageError(QStringLiteral("too few arguments for '%1'").arg(name));
    if (args.size() > command.maxArgs)
        return usageError(QStringLiteral("too many arguments for '%1'").arg(name));
    if (args[0].isEmpty())
        return usageError(QStringLiteral("FILE is empty"));
    if (args.size() > 1 && args[1].trimmed().isEmpty())
        return usageError(QStringLiteral("SECTION is empty"));
    if (args.size() > 2 && args[2].trimmed().isEmpty())
        return usageError(QStringLiteral("KEY is empty"));

    const QString shown = args[0];
    args[0] = resolveFile(args[0]);
    if (command.readsFile && !checkReadableIfPresent(args[0], shown))
        return kExitFailure;
    try {
        velta::TSafeIniFile ini(args[0]);
        return command.run(ini, args);
    } catch (const velta::Exception& e) {
        return failure(e.message());
    }
}
