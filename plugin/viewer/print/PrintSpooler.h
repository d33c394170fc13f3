#pragma once
// The print spooler as the HTML quick print uses it: the printer list and the
// current printer's index, printers opened by name, and their level-2
// information (PRINTER_INFO_2) read and written back, which changes the
// printer's default settings. PrintSpooler is the interface (tests give one
// that fails where they want); QtPrintSpooler stands in for the system's over
// Qt's printers.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <map>

class QPrinter;

namespace velta::viewer {

// The device mode (DEVMODE) fields the viewer sets.
struct DevMode {
    static constexpr short kPortrait = 1;  // DMORIENT_PORTRAIT
    static constexpr short kLandscape = 2; // DMORIENT_LANDSCAPE
    short orientation = kPortrait;
};

// A printer's level-2 information (PRINTER_INFO_2), as far as the stand-in keeps it.
struct PrinterInfo2 {
    QString printerName;
    QString portName;
    QString driverName;
    DevMode devMode;
};

// The caller's memory block for the level-2 information, of the size the
// spooler asked for; reading into a smaller block fails.
class PrinterInfoBlock {
public:
    explicit PrinterInfoBlock(quint32 size) : size_(size) {}
    quint32 size() const { return size_; }
    PrinterInfo2 info;

private:
    quint32 size_;
};

class PrintSpooler {
public:
    using Handle = quintptr;

    virtual ~PrintSpooler();
    // The installed printers, in the order the printer index counts them.
    virtual QStringList printerNames() = 0;
    // The index of the current printer in printerNames(); -1 when there is none.
    virtual int printerIndex() = 0;
    // OpenPrinter: false when no printer has that name.
    virtual bool openPrinter(const QString& name, Handle& handle) = 0;
    // GetPrinter's answer to a query without a buffer: the size the level-2 information needs.
    virtual quint32 printerInfoSize(Handle handle) = 0;
    // GetPrinter and SetPrinter of the level-2 information; failures raise EOSError.
    virtual void readPrinterInfo(Handle handle, PrinterInfoBlock& block) = 0;
    virtual void writePrinterInfo(Handle handle, const PrinterInfoBlock& block) = 0;
    // ClosePrinter: false for a handle that is not open; never raises.
    virtual bool closePrinter(Handle handle) = 0;
};

// The spooler over Qt's printers, on behalf of the printer the viewer prints
// with (usually CurrentPrinter()). The list holds the system's printers; when
// that printer is a PDF printer (what Qt gives where none is installed, or a
// print to a file) the list ends with one more entry, kPdfPrinterName, which
// is then the current printer. Written settings are the printer's defaults
// for this process: they apply to the viewer's printer when it is the printer
// written, and are read back by later opens of the same name.
class QtPrintSpooler : public PrintSpooler {
public:
    // A name no system print queue can have (queue names hold no blanks).
    static const QString kPdfPrinterName;

    explicit QtPrintSpooler(QPrinter& printer);
    ~QtPrintSpooler() override;

    QStringList printerNames() override;
    int printerIndex() override;
    bool openPrinter(const QString& name, Handle& handle) override;
    quint32 printerInfoSize(Handle handle) override;
    void readPrinterInfo(Handle handle, PrinterInfoBlock& block) override;
    void writePrinterInfo(Handle handle, const PrinterInfoBlock& block) override;
    bool closePrinter(Handle handle) override;

    // Forgets the defaults written in this process. For tests.
    static void resetProcessDefaults();

private:
    QString targetName() const;
    const QString& openName(Handle handle) const;
    PrinterInfo2 currentInfo(const QString& name) const;

    QPrinter& printer_;
    std::map<Handle, QString> open_;
    Handle nextHandle_ = 1;
};

} // namespace velta::viewer
