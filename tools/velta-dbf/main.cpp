// velta-dbf: shows, dumps and creates the dBase tables the suite exchanges
// with other programs (contragent export files and the like).
#include "tools/velta-dbf/DbfCommands.h"

#include <QString>
#include <QStringList>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: velta-dbf info FILE\n"
    "       velta-dbf dump FILE [--deleted] [--filter TEXT] [--ansi]\n"
    "       velta-dbf create FILE --fields SPEC --from CSV [--ansi]\n"
    "\n"
    "  info    the version, code page, record count and one line per field:\n"
    "          name, type letter, length, decimals.\n"
    "  dump    the records as UTF-8 CSV with a header row of field names; dates\n"
    "          as yyyy-mm-dd, logicals as T/F, empty values empty. --deleted also\n"
    "          dumps records marked deleted; --filter keeps the records that\n"
    "          pass one comparison such as \"NAME=abc\" or \"PRICE>=10\".\n"
    "  create  a new dBase III+ table from a UTF-8 CSV whose header row names\n"
    "          the fields. SPEC lists them as NAME:TYPE:LENGTH[:DECIMALS]\n"
    "          separated by commas, e.g. NAME:C:40,PRICE:N:12:2,DAY:D:8,OK:L:1.\n"
    "\n"
    "Strings are stored in the DOS code page 866 unless --ansi is given (then\n"
    "code page 1251). FILE is a native path or a Windows-style one (\"C:\\...\",\n"
    "mapped under $VELTA_ROOT).\n";

} // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty() || args.front() == u"--help" || args.front() == u"-h") {
        std::fputs(kUsage, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? velta::dbftool::kExitUsage : velta::dbftool::kExitOk;
    }
    const QString command = args.takeFirst();
    if (command == u"info")
        return velta::dbftool::info(args);
    if (command == u"dump")
        return velta::dbftool::dump(args);
    if (command == u"create")
        return velta::dbftool::create(args);
    std::fprintf(stderr, "velta-dbf: unknown command '%s'\n%s", command.toUtf8().constData(), kUsage);
    return velta::dbftool::kExitUsage;
}
