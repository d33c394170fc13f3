#pragma once
// The application's printer, shared by every print path of the viewer as the
// framework's global printer object is: the text print, the preview's page
// metrics and the browser's print all use the printer and orientation chosen
// last. It is the system's default printer at first; where no printer is
// installed Qt makes it a PDF printer, which prints only once given a file.
#include <QString>

class QPainter;
class QPrinter;

namespace velta::viewer {

QPrinter& CurrentPrinter();
// The message of EPrinter when a print job cannot start on the printer (no
// printer installed, a PDF printer without a file, a printer that refuses).
QString PrinterNotReadyMessage(const QPrinter& printer);
// Begins a print job with the painter on the printer, or raises EPrinter with
// that message. A PDF printer without a file is refused before Qt tries it,
// as a failed start would leave the printer marked busy for good.
void BeginPrintJob(QPainter& painter, QPrinter& printer);
// Forgets the printer and its settings; the next call makes a fresh one. For tests.
void ResetCurrentPrinter();

} // namespace velta::viewer
