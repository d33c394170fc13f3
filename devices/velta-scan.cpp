// velta-scan: makes the scanner library of a running program deliver a code,
// as if a barcode had been scanned.
#include "common/Codecs.h"
#include "devices/ScanChannel.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] = "usage: velta-scan CODE\n";
const char kHelp[] =
    "\n"
    "Sends CODE to the scanner library (liblectra.so) of the program that has\n"
    "installed a scanner event procedure, which receives it on the library's\n"
    "thread as a scanned code. CODE is UTF-8 on the command line and reaches the\n"
    "program in cp1251; codes longer than 255 characters are cut by the library.\n"
    "The two meet at $VELTA_LOCK_DIR/lectra-scanner.sock (default folder\n"
    "/tmp/velta-locks). Exits 1 when no scanner library is listening.\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc != 2) {
        std::fputs(argc < 2 ? "velta-scan: no code given\n" : "velta-scan: give one code\n", stderr);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const QByteArray code = velta::codec::toCp1251(QString::fromUtf8(argv[1]));
    if (code.isEmpty()) {
        std::fputs("velta-scan: the code is empty\n", stderr);
        return kExitUsage;
    }
    std::string message;
    if (velta::devices::sendCode(code.toStdString(), message) != velta::devices::SendResult::Sent) {
        std::fprintf(stderr, "velta-scan: %s\n", message.c_str());
        return kExitFailure;
    }
    return 0;
}
