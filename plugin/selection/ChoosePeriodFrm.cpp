#include "plugin/selection/ChoosePeriodFrm.h"

#include "ui_ChoosePeriodFrm.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Clock.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QScopeGuard>
#include <QScreen>
#include <QTabBar>

namespace velta::selection {

int FittedClientHeight(const QWidget& page, int panelHeight)
{
    int bottom = 0;
    for (const QObject* child : page.children()) {
        const auto* control = qobject_cast<const QWidget*>(child);
        if (!control)
            continue;
        const int controlBottom = control->y() + control->height();
        if (controlBottom >= bottom)
            bottom = controlBottom + 2;
    }
    return bottom + panelHeight + 30;
}

TChoosePeriodForm::TChoosePeriodForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TChoosePeriodForm>())
{
    ui_->setupUi(this);
    completeLayout();
    connectControls();

    shiftKeyName_ = HexEncode(core::HostValues::stationName() + QStringLiteral("BegSmNum"));
    const TDateTime today = DateOf(Clock::current().now());
    SetBegin(today);
    SetEnd(today + kEndOfDay);
    restorePlacement();
}

TChoosePeriodForm::~TChoosePeriodForm() = default;

void TChoosePeriodForm::completeLayout()
{
    // Every page's tab is hidden and the first page shown: one plain page.
    ui_->PageControl1->tabBar()->hide();
    ui_->PageControl1->setCurrentWidget(ui_->tsMain);
    // The shift button's hint breaks its line with CR LF, as the framework
    // does, which a Designer file cannot hold.
    QString hint = ui_->btnChooseSmena->toolTip();
    ui_->btnChooseSmena->setToolTip(hint.replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    addAction(ui_->ActionOnF4);
    addAction(ui_->ActionOnEsc);
    UpdateItemCounters();
}

void TChoosePeriodForm::connectControls()
{
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, &TChoosePeriodForm::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, &TChoosePeriodForm::SpeedButton2Click);
    connect(ui_->btnChooseSmena, &QPushButton::clicked, this, &TChoosePeriodForm::btnChooseSmenaClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->dtpBegDate, &QDateEdit::dateChanged, this, &TChoosePeriodForm::dtpBegDateChange);
    connect(ui_->dtpEndDate, &QDateEdit::dateChanged, this, &TChoosePeriodForm::dtpEndDateChange);
    connect(ui_->btnCheckAll, &QPushButton::clicked, this, &TChoosePeriodForm::btnCheckAllClick);
    connect(ui_->btnUncheckAll, &QPushButton::clicked, this, &TChoosePeriodForm::btnUncheckAllClick);
    connect(ui_->btnInvert, &QPushButton::clicked, this, &TChoosePeriodForm::btnInvertClick);
    connect(ui_->clbItemList, &TCheckListBox::clickCheck, this, [this](int) { UpdateItemCounters(); });
    connect(ui_->ActionOnF4, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_F4); });
    connect(ui_->ActionOnEsc, &QAction::triggered, this, [this] { FormKeyDown(Qt::Key_Escape); });
}

TDateTime TChoosePeriodForm::Begin() const
{
    return ui_->dtpBegDate->Date() + ui_->dtpBegTime->Time();
}

TDateTime TChoosePeriodForm::End() const
{
    return ui_->dtpEndDate->Date() + ui_->dtpEndTime->Time();
}

void TChoosePeriodForm::SetBegin(TDateTime value)
{
    ui_->dtpBegDate->SetDate(value);
    ui_->dtpBegTime->SetTime(value);
}

void TChoosePeriodForm::SetEnd(TDateTime value)
{
    ui_->dtpEndDate->SetDate(value);
    ui_->dtpEndTime->SetTime(value);
}

void TChoosePeriodForm::SpeedButton1Click()
{
    ui_->dtpBegTime->SetTime(0);
}

void TChoosePeriodForm::SpeedButton2Click()
{
    ui_->dtpEndTime->SetTime(kEndOfDay);
}

void TChoosePeriodForm::dtpBegDateChange()
{
    if (ui_->dtpBegDate->DroppedDown())
        ui_->dtpBegTime->SetTime(0);
}

void TChoosePeriodForm::dtpEndDateChange()
{
    if (ui_->dtpEndDate->DroppedDown())
        ui_->dtpEndTime->SetTime(kEndOfDay);
}

void TChoosePeriodForm::btnCheckAllClick()
{
    ui_->clbItemList->SetAllChecked(true);
    UpdateItemCounters();
}

void TChoosePeriodForm::btnUncheckAllClick()
{
    ui_->clbItemList->SetAllChecked(false);
    UpdateItemCounters();
}

void TChoosePeriodForm::btnInvertClick()
{
    for (int i = 0; i < ui_->clbItemList->Count(); ++i)
        ui_->clbItemList->SetChecked(i, !ui_->clbItemList->Checked(i));
    UpdateItemCounters();
}

void TChoosePeriodForm::UpdateItemCounters()
{
    const int checked = ui_->clbItemList->CheckedCount();
    const int total = ui_->clbItemList->Count();
    QString text;
    if (checked == 0)
        text = QStringLiteral("НЕТ");
    else if (checked == total)
        text = QStringLiteral("ВСЕ");
    else
        text = QString::number(checked);
    ui_->labChooseItemCount->setText(text);
    ui_->labAllItemCount->setText(QString::number(total));
}

void TChoosePeriodForm::FormKeyDown(int key)
{
    if (key == Qt::Key_F4) {
        if (ui_->btnOK->isEnabled())
            ui_->btnOK->click();
    } else if (key == Qt::Key_Escape) {
        ui_->btnCancel->setFocus();
        ui_->btnCancel->click();
    }
}

void TChoosePeriodForm::showEvent(QShowEvent* event)
{
    closed_ = false;
    FitClientHeight();
    QDialog::showEvent(event);
}

void TChoosePeriodForm::FitClientHeight()
{
    layout()->activate();
    resize(width(), FittedClientHeight(*ui_->tsMain, ui_->panOkCancel->height()));
}

void TChoosePeriodForm::btnChooseSmenaClick()
{
    try {
        chooseShifts();
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
    }
}

void TChoosePeriodForm::chooseShifts()
{
    core::PluginState& plugin = core::state();
    if (!plugin.dataModule)
        plugin.dataModule = std::make_unique<core::TDBFrm>();
    core::TDBFrm& data = *plugin.dataModule;

    // A connection opened here is closed here; one the caller holds stays.
    const bool wasConnected = data.VeltaServer.Connected();
    if (!wasConnected)
        data.VeltaServer.Open();
    const auto disconnect = qScopeGuard([&data, wasConnected] {
        if (!wasConnected)
            data.VeltaServer.Close();
    });

    CreateShiftList();
    const auto freeList = qScopeGuard([&data] {
        try {
            data.SmLogtable.Close();
        } catch (const Exception&) {
            // Closing only lets go of the rows; the window goes all the same.
        }
        FreeShiftList();
    });
    SmenaListFrm()->setWindowTitle(QStringLiteral("Выберите смену"));
    data.SmLogSource.SetDataSet(&data.SmLogtable);
    data.SmLogtable.Open();
    data.SmLogtable.First();
    data.SmLogtable.Locate(QStringLiteral("SmNum"), Variant(lastBegShift_), 0);
    if (data.SmLogtable.IsEmpty())
        throw Exception(QStringLiteral("Список смен пуст!"));

    TDateTime begTime = 0;
    TDateTime endTime = 0;
    if (ChooseShifts(lastBegShift_, lastEndShift_, begTime, data.SmLogSource, &data.SmLogtable, endTime)) {
        SetBegin(begTime);
        SetEnd(endTime);
    }
}

void TChoosePeriodForm::restorePlacement()
{
    const FormPlacement store(*this);
    if (!store.restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
    lastBegShift_ = store.readInteger(shiftKeyName_, lastBegShift_);
}

void TChoosePeriodForm::savePlacement()
{
    const FormPlacement store(*this);
    store.save(*this);
    store.writeInteger(shiftKeyName_, lastBegShift_);
}

void TChoosePeriodForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        savePlacement();
    }
    QDialog::done(result);
}

bool ChoosePeriod(TDateTime& Begin, TDateTime& End)
{
    Dialogs& dialogs = currentDialogs();
    TChoosePeriodForm form(dialogs);
    if (dialogs.showModal(form) != mrOk)
        return false;
    Begin = form.Begin();
    End = form.End();
    return true;
}

} // namespace velta::selection
