#include "plugin/viewer/CurrentPrinter.h"

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

void ResetCurrentPrinter()
{
    printer().reset();
}

} // namespace velta::viewer
