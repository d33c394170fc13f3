#include "plugin/receipts/window/TovarCheckForm.h"

#include "ui_TovarCheckForm.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/platform/Clock.h"
#include "plugin/receipts/editor/CheckPreviewForm.h"
#include "plugin/receipts/editor/TovCheckOnVidOplForm.h"
#include "plugin/receipts/window/KassaReceipt.h"
#include "plugin/receipts/window/PrinterComment.h"
#include "plugin/receipts/window/ReceiptCalls.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/viewer/export/TextFileSave.h"

#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QShowEvent>

namespace velta::receipts {

namespace {

const QString kCommentFilter = QStringLiteral("Текст (*.txt)|*.txt|Все файлы (*.*)|*.*");

FormPlacement settingsStore(const QWidget& window)
{
    return FormPlacement(window, FormPlacement::reportsKey());
}

// The rows of an SQL text asked from the station through the service report.
void LoadStationRows(TClientDataSet& dataSet, const QString& sql)
{
    Variant data;
    core::GetProviderData(sql, report::kBaseStation, data);
    dataSet.Close();
    dataSet.SetData(data.toByteArray());
}

} // namespace

TTovarCheckForm::TTovarCheckForm(Dialogs& dialogs, core::TDBFrm& data, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), data_(data), ui_(std::make_unique<Ui::TTovarCheckForm>())
{
    ui_->setupUi(this);
    completeLayout();
    connectControls();
    ui_->DocGrid->SetDataSource(&data_.AllLogTranSource);
    ui_->DocGrid->SetDialogs(&dialogs_);
    ui_->edOperator->setText(core::HostValues::operatorName());

    const FormPlacement store = settingsStore(*this);
    if (!store.restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
    applySettings(LoadTovarCheckSettings(store, Clock::current().now()));
}

TTovarCheckForm::~TTovarCheckForm() = default;

void TTovarCheckForm::completeLayout()
{
    for (QAction* action : {ui_->ActionOnF4, ui_->ActionOnCtrlO, ui_->ActionOnCtrlS, ui_->ActionOnF2})
        addAction(action);
    // The bottom panel has no layout: btnPrint is kept at the window's centre.
    ui_->PanelButtons->installEventFilter(this);
    for (QPushButton* button : {ui_->BitBtn3, ui_->btnPrint, ui_->BitBtn2})
        button->resize(button->sizeHint().width() + 16, 30);
}

void TTovarCheckForm::connectControls()
{
    connect(ui_->btnUpdateList, &QPushButton::clicked, this, &TTovarCheckForm::btnUpdateListClick);
    connect(ui_->btnPrint, &QPushButton::clicked, this, &TTovarCheckForm::btnPrintClick);
    connect(ui_->ActionOnF4, &QAction::triggered, this, &TTovarCheckForm::btnPrintClick);
    connect(ui_->DocGrid, &TDBGrid::recordDoubleClicked, this, [this] { btnPrintClick(); });
    connect(ui_->BitBtn3, &QPushButton::clicked, this, &TTovarCheckForm::BitBtn3Click);
    connect(ui_->btnEditTovarCheck, &QPushButton::clicked, this, &TTovarCheckForm::btnEditTovarCheckClick);
    connect(ui_->Button1, &QPushButton::clicked, this, &TTovarCheckForm::Button1Click);
    connect(ui_->ActionOnCtrlO, &QAction::triggered, this, &TTovarCheckForm::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TTovarCheckForm::Button2Click);
    connect(ui_->ActionOnCtrlS, &QAction::triggered, this, &TTovarCheckForm::Button2Click);
    connect(ui_->Button3, &QPushButton::clicked, this, &TTovarCheckForm::Button3Click);
    connect(ui_->ActionOnF2, &QAction::triggered, this, &TTovarCheckForm::Button3Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::close);
    connect(ui_->cbEndPeriod, &QCheckBox::toggled, this, &TTovarCheckForm::cbEndPeriodClick);
}

void TTovarCheckForm::applySettings(const TovarCheckSettings& s)
{
    ui_->dtpBegDate->SetDate(s.begin);
    ui_->dtpBegTime->SetTime(s.begin);
    ui_->dtpEndDate->SetDate(s.end);
    ui_->dtpEndTime->SetTime(s.end);
    ui_->edPost->setText(s.post);
    ui_->cbEndPeriod->setChecked(s.endPeriod);
    cbEndPeriodClick();
    ui_->memComment->setPlainText(viewer::SplitTextLines(s.comment).join(QLatin1Char('\n')));
    openDir_ = s.openDir;
    saveDir_ = s.saveDir;
    ui_->seCopyCount->SetValue(s.copies);
    ui_->seDayCount->SetValue(s.dayCount);
    ui_->cbPreview->setChecked(s.preview);
    (s.forDayCount ? ui_->rbForDayCount : ui_->rbForPeriod)->setChecked(true);
    (s.onPrinter ? ui_->rbPrintOnPrinter : ui_->rbPrintOnKassa)->setChecked(true);
}

TovarCheckSettings TTovarCheckForm::Settings() const
{
    const SalesPeriod period = Period();
    TovarCheckSettings s;
    s.begin = period.begin;
    s.end = period.end;
    s.post = ui_->edPost->text();
    s.endPeriod = ui_->cbEndPeriod->isChecked();
    s.comment = ui_->memComment->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    s.openDir = openDir_;
    s.saveDir = saveDir_;
    s.copies = ui_->seCopyCount->Value();
    s.dayCount = ui_->seDayCount->Value();
    s.preview = ui_->cbPreview->isChecked();
    s.forDayCount = ui_->rbForDayCount->isChecked();
    s.onPrinter = ui_->rbPrintOnPrinter->isChecked();
    return s;
}

SalesPeriod TTovarCheckForm::Period() const
{
    SalesPeriod period;
    period.lastDays = ui_->rbForDayCount->isChecked();
    period.dayCount = ui_->seDayCount->Value();
    period.now = Clock::current().now();
    period.begin = ui_->dtpBegDate->Date() + ui_->dtpBegTime->Time();
    period.end = ui_->dtpEndDate->Date() + ui_->dtpEndTime->Time();
    return period;
}

void TTovarCheckForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TTovarCheckForm::FormShow()
{
    ui_->btnEditTovarCheck->setEnabled(core::HostValues::reportPrologueValue() == 0);
    try {
        TClientDataSet contragents;
        LoadStationRows(contragents, ContragentLinkQuery());
        contragentLinked_ = !contragents.IsEmpty();
        openSalesList();
    } catch (const Exception& e) {
        showError(e.message());
    }
    FormResize();
}

void TTovarCheckForm::openSalesList()
{
    TClientDataSet probe;
    LoadStationRows(probe, TrkDensityProbeQuery());
    SalesQueryOptions options;
    options.trkDensity = probe.FindField(QString::fromLatin1(kTrkDensityColumn)) != nullptr;
    options.contragentDirectory = contragentLinked_;
    options.period = Period();
    TClientDataSet& sales = data_.dsAllLogTran;
    sales.Close();
    sales.SetCommandText(SalesQueryText(options));
    sales.Open();
}

void TTovarCheckForm::btnUpdateListClick()
{
    try {
        openSalesList();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTovarCheckForm::btnPrintClick()
{
    try {
        printSelected();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTovarCheckForm::printSelected()
{
    TClientDataSet& sales = data_.dsAllLogTran;
    if (!sales.Active() || sales.IsEmpty())
        return;
    if (ui_->rbPrintOnPrinter->isChecked())
        ShowPrinterReceipt(sales.FieldByName(QStringLiteral("INDEXSALE")).AsInteger(), ui_->edOperator->text(),
                           ui_->edPost->text(), PrinterComment(ui_->memComment->toPlainText()));
    else
        printOnKassa();
}

void TTovarCheckForm::printOnKassa()
{
    KassaReceipt receipt;
    receipt.sale = ReadSaleRow(data_.dsAllLogTran);
    receipt.operatorName = ui_->edOperator->text();
    receipt.copies = ui_->seCopyCount->Value();
    ReceiptPreview preview;
    if (ui_->cbPreview->isChecked())
        preview = [this](const QString& text) { return PreviewReceipt(dialogs_, text, this); };
    if (!PrintKassaReceipt(receipt, preview))
        return;
    if (dialogs_.messageBox(QStringLiteral("Печать товарного чека завершена!\r\n\r\nХотите закрыть данное окно сейчас?"),
                            QStringLiteral("Информация"), MB_OKCANCEL | MB_ICONINFORMATION) == IDOK)
        close();
}

void TTovarCheckForm::BitBtn3Click()
{
    try {
        ShowPrinterReceipt(-1, ui_->edOperator->text(), ui_->edPost->text(),
                           PrinterComment(ui_->memComment->toPlainText()));
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTovarCheckForm::btnEditTovarCheckClick()
{
    try {
        OpenReceiptTemplateSettings(dialogs_, this);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTovarCheckForm::Button1Click()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Диалог открытия файла");
    options.filter = kCommentFilter;
    options.initialDir = openDir_;
    const std::optional<QString> fileName = dialogs_.openFile(options);
    if (!fileName)
        return;
    openDir_ = QFileInfo(*fileName).absolutePath();
    openDirChosen_ = true;
    QFile file(*fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Cannot open file \"%1\". %2").arg(*fileName, file.errorString()));
        return;
    }
    ui_->memComment->setPlainText(viewer::SplitTextLines(codec::fromCp1251(file.readAll())).join(QLatin1Char('\n')));
}

void TTovarCheckForm::Button2Click()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Диалог сохранения в файл");
    options.filter = kCommentFilter;
    options.initialDir = saveDir_;
    options.overwritePrompt = true;
    const std::optional<QString> fileName = dialogs_.saveFile(options);
    if (!fileName)
        return;
    saveDir_ = QFileInfo(*fileName).absolutePath();
    saveDirChosen_ = true;
    try {
        viewer::WriteWholeFile(*fileName, codec::toCp1251(viewer::JoinLinesCrLf(
                                              viewer::SplitTextLines(ui_->memComment->toPlainText()))));
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTovarCheckForm::Button3Click()
{
    ui_->memComment->clear();
}

void TTovarCheckForm::cbEndPeriodClick()
{
    const bool enabled = ui_->cbEndPeriod->isChecked();
    ui_->dtpEndDate->setEnabled(enabled);
    ui_->dtpEndTime->setEnabled(enabled);
}

void TTovarCheckForm::FormResize()
{
    QWidget& panel = *ui_->PanelButtons;
    const int top = (panel.height() - ui_->btnPrint->height()) / 2;
    ui_->btnPrint->move((width() - ui_->btnPrint->width()) / 2 - panel.x(), top);
    ui_->BitBtn3->move(0, top);
    ui_->BitBtn2->move(panel.width() - ui_->BitBtn2->width(), top);
}

bool TTovarCheckForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->PanelButtons && event->type() == QEvent::Resize)
        FormResize();
    return QDialog::eventFilter(watched, event);
}

void TTovarCheckForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        const FormPlacement store = settingsStore(*this);
        store.save(*this);
        SaveTovarCheckSettings(store, Settings(), openDirChosen_, saveDirChosen_);
    }
    QDialog::done(result);
}

void TTovarCheckForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void ShowSalesReceiptWindow(Dialogs& dialogs, core::TDBFrm& data)
{
    TTovarCheckForm form(dialogs, data);
    dialogs.showModal(form);
}

} // namespace velta::receipts
