#include "plugin/viewer/browser/HtmlQuickPrint.h"

#include "common/Exception.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/print/PrintSpooler.h"

#include <memory>

namespace velta::viewer {
namespace {

// Closes an open printer when the steps end, however they end.
class OpenedPrinter {
public:
    OpenedPrinter(PrintSpooler& spooler, PrintSpooler::Handle handle) : spooler_(spooler), handle_(handle) {}
    ~OpenedPrinter() { spooler_.closePrinter(handle_); }
    OpenedPrinter(const OpenedPrinter&) = delete;
    OpenedPrinter& operator=(const OpenedPrinter&) = delete;

private:
    PrintSpooler& spooler_;
    PrintSpooler::Handle handle_;
};

// Steps 4 to 8 on an open printer: its level-2 information read, the
// orientation set in its device mode and the information written back.
void setDefaultOrientation(PrintSpooler& spooler, PrintSpooler::Handle handle, int orientationIndex,
                           const char16_t*& step)
{
    step = QuickPrintStep::kInfoSize;
    const quint32 size = spooler.printerInfoSize(handle);
    step = QuickPrintStep::kAllocate;
    if (size == 0)
        return;
    const auto block = std::make_unique<PrinterInfoBlock>(size);
    step = QuickPrintStep::kReadInfo;
    spooler.readPrinterInfo(handle, *block);
    step = QuickPrintStep::kOrientation;
    block->info.devMode.orientation = static_cast<short>(orientationIndex + 1);
    step = QuickPrintStep::kWriteInfo;
    spooler.writePrinterInfo(handle, *block);
}

[[noreturn]] void raiseListIndexError(int index)
{
    throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

} // namespace

void HtmlQuickPrint(BrowserView& browser, QPrinter& printer, int orientationIndex, PrintSpooler& spooler)
{
    const char16_t* step = QuickPrintStep::kPrinterIndex;
    try {
        const int index = spooler.printerIndex();
        if (index >= 0) {
            step = QuickPrintStep::kPrinterName;
            const QStringList names = spooler.printerNames();
            if (index >= names.size())
                raiseListIndexError(index);
            step = QuickPrintStep::kOpenPrinter;
            PrintSpooler::Handle handle{};
            if (spooler.openPrinter(names.at(index), handle)) {
                const OpenedPrinter opened(spooler, handle);
                setDefaultOrientation(spooler, handle, orientationIndex, step);
            }
        }
        step = QuickPrintStep::kPrint;
        browser.print(printer);
    } catch (const Exception& e) {
        WrapExceptionTagged(e, QString::fromUtf16(kQuickPrintErrorContext) + QString::fromUtf16(step), true)
            ->raise();
    }
}

} // namespace velta::viewer
