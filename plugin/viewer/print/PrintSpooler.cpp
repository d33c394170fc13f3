#include "plugin/viewer/print/PrintSpooler.h"

#include "common/Exception.h"
#include "plugin/platform/SystemError.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace velta::viewer {
namespace {

// Sizes of the fixed parts of the level-2 information and of its device
// mode, as the system lays them out; the names follow as wide strings.
constexpr quint32 kInfoFixedSize = 136;
constexpr quint32 kDevModeSize = 220;
constexpr int kInsufficientBuffer = 122;

[[noreturn]] void raiseSystemError(int code)
{
    SystemError::setLast(code);
    throw EOSError(QStringLiteral("System Error.  Code: %1.\r\n%2").arg(code).arg(SystemError::message(code)));
}

quint32 wideSize(const QString& text)
{
    return static_cast<quint32>(text.size() + 1) * 2;
}

// The orientations written through the spooler in this process, by printer name.
std::map<QString, short>& processDefaults()
{
    static std::map<QString, short> defaults;
    return defaults;
}

bool isPdf(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat;
}

} // namespace

PrintSpooler::~PrintSpooler() = default;

const QString QtPrintSpooler::kPdfPrinterName = QStringLiteral("Print to PDF");

QtPrintSpooler::QtPrintSpooler(QPrinter& printer)
    : printer_(printer)
{
}

QtPrintSpooler::~QtPrintSpooler() = default;

QString QtPrintSpooler::targetName() const
{
    return isPdf(printer_) ? kPdfPrinterName : printer_.printerName();
}

QStringList QtPrintSpooler::printerNames()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    if (isPdf(printer_))
        names << kPdfPrinterName;
    return names;
}

int QtPrintSpooler::printerIndex()
{
    const QString name = targetName();
    if (name.isEmpty())
        return -1;
    return static_cast<int>(printerNames().indexOf(name));
}

bool QtPrintSpooler::openPrinter(const QString& name, Handle& handle)
{
    if (name.isEmpty() || !printerNames().contains(name)) {
        SystemError::setLast(1801); // ERROR_INVALID_PRINTER_NAME
        return false;
    }
    handle = nextHandle_++;
    open_.emplace(handle, name);
    return true;
}

const QString& QtPrintSpooler::openName(Handle handle) const
{
    const auto it = open_.find(handle);
    if (it == open_.end())
        raiseSystemError(SystemError::InvalidHandle);
    return it->second;
}

PrinterInfo2 QtPrintSpooler::currentInfo(const QString& name) const
{
    PrinterInfo2 info;
    info.printerName = name;
    if (name == kPdfPrinterName) {
        info.portName = printer_.outputFileName();
        info.driverName = QStringLiteral("PDF");
    } else {
        const QPrinterInfo system = QPrinterInfo::printerInfo(name);
        info.portName = system.location();
        info.driverName = system.makeAndModel();
    }
    if (name == targetName()) {
        info.devMode.orientation = printer_.pageLayout().orientation() == QPageLayout::Landscape
                                       ? DevMode::kLandscape
                                       : DevMode::kPortrait;
    } else if (const auto it = processDefaults().find(name); it != processDefaults().end()) {
        info.devMode.orientation = it->second;
    }
    return info;
}

quint32 QtPrintSpooler::printerInfoSize(Handle handle)
{
    const PrinterInfo2 info = currentInfo(openName(handle));
    return kInfoFixedSize + kDevModeSize + wideSize(info.printerName) + wideSize(info.portName)
           + wideSize(info.driverName);
}

void QtPrintSpooler::readPrinterInfo(Handle handle, PrinterInfoBlock& block)
{
    if (block.size() < printerInfoSize(handle))
        raiseSystemError(kInsufficientBuffer);
    block.info = currentInfo(openName(handle));
}

void QtPrintSpooler::writePrinterInfo(Handle handle, const PrinterInfoBlock& block)
{
    const QString& name = openName(handle);
    const short orientation = block.info.devMode.orientation;
    if (orientation != DevMode::kPortrait && orientation != DevMode::kLandscape)
        raiseSystemError(SystemError::InvalidParameter);
    processDefaults()[name] = orientation;
    if (name == targetName())
        printer_.setPageOrientation(orientation == DevMode::kLandscape ? QPageLayout::Landscape
                                                                       : QPageLayout::Portrait);
}

bool QtPrintSpooler::closePrinter(Handle handle)
{
    if (open_.erase(handle) == 0) {
        SystemError::setLast(SystemError::InvalidHandle);
        return false;
    }
    return true;
}

void QtPrintSpooler::resetProcessDefaults()
{
    processDefaults().clear();
}

} // namespace velta::viewer
