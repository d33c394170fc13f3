// The viewer's tests never reach the machine's printers: before anything asks
// the print system, it is pointed at a server socket that does not exist and
// the user's default destination variables are dropped, so a printer a test
// leaves unready can never fall back to a real default printer.
#include <cstdlib>

namespace {

const bool kNoMachinePrinters = [] {
    setenv("CUPS_SERVER", "/nonexistent/velta-tests-have-no-printers.sock", 1);
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    return true;
}();

} // namespace
