#pragma once
// The scripted demo tour: shows the host window, opens its "&Журналы" menu (and
// a "Отчеты" submenu when there is one) and "&Настройка", and saves
// screenshots of the window and of each open menu into a folder; then opens
// one report in the viewer and photographs its views, and runs four shift
// reports through their choice windows, photographing each window and each
// viewer, three journals with their choice windows, and the fuel price
// history through the period chooser on an office workplace. Whatever menus
// exist are photographed, so the tour also works without the plug-in.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QPixmap;
class QWidget;

namespace velta::host {

class HostWindow;
class QtMenuItem;

// One step of a scripted command: once the window of that object name shows,
// the action works it (and usually closes it).
struct TourStep {
    QString window;
    std::function<void(QDialog&)> act;
};

class DemoTour {
public:
    explicit DemoTour(QString outputFolder) : folder_(std::move(outputFolder)) {}

    // Runs the tour; returns the files written. Raises EInOutError when the
    // folder cannot be made; a step that fails (a window that never came, a
    // picture not saved) is told on stderr, kept in failures() and the tour
    // goes on.
    QStringList run(HostWindow& window);
    const QStringList& failures() const { return failures_; }

    // Clicks the menu item and runs the steps as their windows show. A window
    // that does not come in time, or a failing step, ends the script: the
    // open modal windows are then closed so that the command returns. Returns
    // what went wrong, or an empty text.
    QString runCommand(QtMenuItem& item, const QList<TourStep>& steps, int deadlineMs = 30000);

private:
    void save(const QPixmap& image, const QString& name);
    // Saves a picture of the window once it is shown and settled.
    void save(QWidget& shown, const QString& name);
    // The open report viewer in its text view, text preview and HTML view
    // with the options panel; closes it afterwards.
    void photographViewer(QDialog& viewer);
    // Runs the command of the item of that caption when the menu has one;
    // what went wrong is told on stderr and the tour goes on.
    void runItem(HostWindow& window, const QString& caption, const QList<TourStep>& steps);
    // The shift reports: the shift list, the statement parameters window and
    // the viewers of "Сменный отчет", "Отчеты по картам" (with a scanned card
    // number), "Сменный отчет по контрагенту" and "Отчет по мернику".
    // The shift report in the viewer, in its text and its HTML form.
    void photographBothForms(QDialog& viewer);
    void runShiftReports(HostWindow& window);
    // The journals: "Поступления топлива" (the operation list), "Отпуск по
    // контрагенту за период" (the statement parameters window) and "История
    // продаж по ТРК" (the shift list with its dispenser buttons), each window
    // and viewer photographed.
    void runJournals(HostWindow& window);
    // "&Настройка" -> "Отчеты": the report settings window on its common
    // page, then its financial template button with the demo template chosen
    // in the file dialog, and the editor; everything closed by "Отмена".
    void runReportSettings(HostWindow& window);
    // The items of an office workplace: "История изменения цен на ГСМ..."
    // (the period chooser, the viewer, the chooser cancelled) and "Общий
    // список дисконтных  карт" with its report. On another workplace the step
    // opens a second host window of an office workplace; it comes last, as
    // the plug-in then belongs to that window.
    void runOfficeCommands(HostWindow& window);

    // "Товарный чек на ГСМ...": the receipt window, a receipt in the viewer,
    // the template settings and editor, a receipt previewed and printed on
    // the cash register, and the tape in the journal window.
    void runReceipts(HostWindow& window);
    // "Товарно-транспортные накладные...": a note made from two sales in the
    // editor, the list with it, its goods section and invoice in the viewer.
    void runConsignmentNotes(HostWindow& window);
    // "Отсканированные документы...": a document of two generated page images
    // registered from a scanner folder, and the list with it.
    void runScannedDocuments(HostWindow& window);
    // The keeper movement window with its report, and a dispenser's journal
    // with its history in the viewer.
    void runJournalWindows(HostWindow& window);
    // The discount card window of every station and its report.
    QList<TourStep> discountCardSteps();

    // Tells a failed step on stderr and keeps it.
    void fail(const QString& what, const QString& failure);

    QString folder_;
    QStringList written_;
    QStringList failures_;
};

} // namespace velta::host
