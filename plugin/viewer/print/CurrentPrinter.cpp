#include "plugin/viewer/print/CurrentPrinter.h"

#include "common/Exception.h"
#include "plugin/platform/ProcessSingleton.h"

#include <QPainter>
#include <QPrinter>
#include <memory>

namespace velta::viewer {
namespace {

// Not destroyed by the runtime: a printer outliving the application object
// must not be torn down after it at exit. The plug-in's unload frees it.
ProcessSingleton<std::unique_ptr<QPrinter>> g_printer;

std::unique_ptr<QPrinter>& printer()
{
    return g_printer.get();
}

} // namespace

QPrinter& CurrentPrinter()
{
    auto& instance = printer();
    if (!instance)
        instance = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *instance;
}

QString PrinterNotReadyMessage(const QPrinter& printer)
{
    const QString name = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
    if (name.isEmpty())
        return QStringLiteral("Печать невозможна: принтер не выбран");
    return QStringLiteral("Печать невозможна: принтер \"%1\" недоступен").arg(name);
}

void BeginPrintJob(QPainter& painter, QPrinter& printer)
{
    const bool pdfWithoutFile = printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
    if (pdfWithoutFile || !painter.begin(&printer))
        throw EPrinter(PrinterNotReadyMessage(printer));
}

void ResetCurrentPrinter()
{
    g_printer.release();
}

} // namespace velta::viewer
