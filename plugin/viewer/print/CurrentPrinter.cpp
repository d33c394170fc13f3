#include "plugin/viewer/print/CurrentPrinter.h"

#include "common/Exception.h"

#include <QPainter>
#include <QPrinter>
#include <memory>

namespace velta::viewer {
namespace {

// Never destroyed by the runtime: a printer outliving the application object
// must not be torn down after it at exit.
std::unique_ptr<QPrinter>& printer()
{
    static auto* instance = new std::unique_ptr<QPrinter>;
    return *instance;
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
    printer().reset();
}

} // namespace velta::viewer
