#pragma once
// The quick print of an HTML report: the printer's default orientation is set
// through the print spooler to the viewer's orientation choice, then the
// browser prints without a dialog. A failure names the step it happened in.
#include <QString>

class QPrinter;

namespace velta::viewer {

class BrowserView;
class PrintSpooler;

// The context of every error of the quick print, followed by the step's name.
inline constexpr char16_t kQuickPrintErrorContext[] = u"Ошибка печати! Произошла ошибка при выполнении операции: ";

// The steps, in order.
namespace QuickPrintStep {
inline constexpr char16_t kPrinterIndex[] = u"Определение индекса принтера";
inline constexpr char16_t kPrinterName[] = u"Определение имени принтера";
inline constexpr char16_t kOpenPrinter[] = u"Открыть принтер";
inline constexpr char16_t kInfoSize[] = u"Определить размер памяти";
inline constexpr char16_t kAllocate[] = u"Выделить память";
inline constexpr char16_t kReadInfo[] = u"Получить параметры принтера";
inline constexpr char16_t kOrientation[] = u"Установить ориентацию";
inline constexpr char16_t kWriteInfo[] = u"Установить параметры принтера";
inline constexpr char16_t kPrint[] = u"Вывести документ на печать";
} // namespace QuickPrintStep

// Sets the current printer's default orientation to orientationIndex + 1
// (index 0 portrait, 1 landscape) when the spooler knows and opens the
// printer, then prints the browser's document on printer. The printer is
// closed in every case. Any error is raised again, as its own class, with
// kQuickPrintErrorContext and the step's name before its message and its
// class name after it.
void HtmlQuickPrint(BrowserView& browser, QPrinter& printer, int orientationIndex, PrintSpooler& spooler);

} // namespace velta::viewer
