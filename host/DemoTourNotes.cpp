// The demo tour's documents: a consignment note made from two sales, its
// goods section and invoice in the viewer, and a scanned document of two
// pages registered from a scanner folder.
#include "host/DemoTour.h"

#include "common/Exception.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"
#include "host/TourActions.h"

#include <QAbstractItemModel>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTableView>

namespace velta::host {

using namespace tour;

namespace {

// The column of a grid whose title is the text, or -1.
int columnTitled(const QAbstractItemModel& model, const QString& title)
{
    for (int column = 0; column < model.columnCount(); ++column)
        if (model.headerData(column, Qt::Horizontal).toString() == title)
            return column;
    return -1;
}

// Marks two sales of one consignee and different fuels, the first as the
// main sale (M), the other with Space, as a user picks a note's cargo.
void markTwoSales(QDialog& window)
{
    auto* grid = window.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    if (!grid || !grid->model() || grid->model()->rowCount() < 2)
        throw EInOutError(QStringLiteral("the sale list has fewer than two sales"));
    const QAbstractItemModel& model = *grid->model();
    const int fuel = columnTitled(model, QStringLiteral("ГСМ"));
    const int consignee = columnTitled(model, QStringLiteral("Грузополучатель"));
    if (fuel < 0 || consignee < 0)
        throw EInOutError(QStringLiteral("the sale list has no fuel or consignee column"));
    const auto cell = [&](int row, int column) { return model.index(row, column).data().toString(); };
    // A sale to a contragent, and another of a different fuel to the same one.
    int first = -1;
    int second = -1;
    for (int row = 0; row < model.rowCount() && second < 0; ++row) {
        if (cell(row, consignee).isEmpty())
            continue;
        first = row;
        for (int other = row + 1; other < model.rowCount() && second < 0; ++other)
            if (cell(other, consignee) == cell(row, consignee) && cell(other, fuel) != cell(row, fuel))
                second = other;
    }
    // A small station may have no such contragent: any two sales of two fuels then.
    for (int row = 1; row < model.rowCount() && second < 0; ++row)
        if (cell(row, fuel) != cell(0, fuel)) {
            first = 0;
            second = row;
        }
    if (second < 0)
        throw EInOutError(QStringLiteral("the sale list has one fuel only"));
    grid->setFocus();
    grid->setCurrentIndex(model.index(first, fuel));
    pressKey(*grid, Qt::Key_M);
    grid->setCurrentIndex(model.index(second, fuel));
    pressKey(*grid, Qt::Key_Space);
}

void chooseReportKind(QDialog& list, const char* item)
{
    check(list, item);
    clickLater(list, "Button1");
}

// A page as a scanner leaves it: a white sheet with a form's head and ruled lines.
QString scannedPage(const QDir& folder, int page)
{
    QImage image(1240, 1754, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 246));
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(42);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 90, image.width(), 60), Qt::AlignCenter, QStringLiteral("ТОВАРНО-ТРАНСПОРТНАЯ НАКЛАДНАЯ"));
    font.setPixelSize(30);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 160, image.width(), 50), Qt::AlignCenter,
                     QStringLiteral("№ ТН-1001 от 31.03.2024, лист %1").arg(page));
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    for (int y = 280; y < image.height() - 120; y += 56)
        painter.drawLine(120, y, image.width() - 120, y);
    painter.drawRect(100, 250, image.width() - 200, image.height() - 350);
    painter.end();
    const QString path = folder.filePath(QStringLiteral("scan-%1.png").arg(page));
    if (!image.save(path, "PNG"))
        throw EInOutError(QStringLiteral("Не удалось сохранить страницу %1").arg(path));
    return QDir::toNativeSeparators(path);
}

} // namespace

void DemoTour::runConsignmentNotes(HostWindow& window)
{
    const QString list = QStringLiteral("TTTNListForm");
    const QList<TourStep> steps = {
        {list, [](QDialog& shown) { clickLater(shown, "btnAdd"); }},
        {QStringLiteral("TSelectSaleForm"),
         [](QDialog& shown) {
             settleFor(300);
             markTwoSales(shown);
             clickLater(shown, "btnOK");
         }},
        {QStringLiteral("TTTNEditForm"),
         [this](QDialog& shown) {
             typeText(shown, "edTTNSer", QStringLiteral("ББ"));
             typeText(shown, "edTTNNumber", QStringLiteral("000101"));
             settleFor(400);
             save(shown, QStringLiteral("35-ttn-editor.png"));
             clickLater(shown, "btnOK");
         }},
        {list,
         [this](QDialog& shown) {
             shown.resize(std::max(shown.width(), 1040), std::max(shown.height(), 560));
             settleFor(300);
             save(shown, QStringLiteral("36-ttn-list.png"));
             chooseReportKind(shown, "rgRepKind0");
         }},
        {QStringLiteral("TRptFrm"),
         [this](QDialog& shown) {
             widenViewer(shown);
             save(shown, QStringLiteral("37-ttn-goods-section.png"));
             shown.reject();
         }},
        {list, [](QDialog& shown) { chooseReportKind(shown, "rgRepKind3"); }},
        {QStringLiteral("TRptFrm"),
         [this](QDialog& shown) {
             widenViewer(shown);
             save(shown, QStringLiteral("38-ttn-invoice.png"));
             shown.reject();
         }},
        {list, [](QDialog& shown) { press(shown, "BitBtn1"); }},
    };
    runItem(window, QStringLiteral("Товарно-транспортные накладные..."), steps);
}

void DemoTour::runScannedDocuments(HostWindow& window)
{
    QDir scanner(QDir(folder_).filePath(QStringLiteral("scanner")));
    if (!scanner.mkpath(QStringLiteral(".")))
        throw EInOutError(QStringLiteral("Не удалось создать папку %1").arg(scanner.path()));
    const QString first = scannedPage(scanner, 1);
    const QString second = scannedPage(scanner, 2);
    const QString form = QStringLiteral("TScanDocListForm");
    const QString fileDialog = QStringLiteral("QFileDialog");
    const QList<TourStep> steps = {
        {form,
         [](QDialog& shown) {
             shown.resize(std::max(shown.width(), 1140), std::max(shown.height(), 640));
             press(shown, "btnAdd");
             typeText(shown, "edDocNumber", QStringLiteral("ТН-1001"));
             typeText(shown, "edDriver", QStringLiteral("Смирнов А.В."));
             typeText(shown, "edOther", QStringLiteral("Оригинал в папке поставщика"));
             press(shown, "btnOperator");
             clickLater(shown, "btnOpenImage");
         }},
        {fileDialog, [first](QDialog& shown) { chooseFile(shown, first); }},
        // The plus button asks for the new page's file at once.
        {form, [](QDialog& shown) { clickLater(shown, "btnPagePlus"); }},
        {fileDialog, [second](QDialog& shown) { chooseFile(shown, second); }},
        {form,
         [this](QDialog& shown) {
             settleFor(400);
             save(shown, QStringLiteral("39-scanned-document.png"));
             clickLater(shown, "btnOK");
         }},
        // "Будет сохранен документ ...", then the offer to delete the scanner's files.
        {QStringLiteral("QMessageBox"), [](QDialog& shown) { acceptBox(shown); }},
        {QStringLiteral("QMessageBox"), [](QDialog& shown) { acceptBox(shown); }},
        {form,
         [this](QDialog& shown) {
             settleFor(300);
             save(shown, QStringLiteral("40-scanned-documents.png"));
             press(shown, "btnOK");
         }},
    };
    runItem(window, QStringLiteral("Отсканированные документы..."), steps);
}

} // namespace velta::host
