#include "plugin/settings/ParamVedomForm.h"

#include "ui_ParamVedomForm.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QMouseEvent>
#include <QScreen>
#include <cstdlib>

namespace velta::settings {

namespace {

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");
const QString kClientField = QStringLiteral("Name");
const QString kIdField = QStringLiteral("ID");
// A grouping box dragged further than this exchanges places with the other.
constexpr int kDragDistance = 20;

// Disables a data source for a scope: its controls see one change at the end.
class QuietSource {
public:
    explicit QuietSource(TDataSource& source) : source_(source) { source_.SetEnabled(false); }
    ~QuietSource() { source_.SetEnabled(true); }
    QuietSource(const QuietSource&) = delete;
    QuietSource& operator=(const QuietSource&) = delete;

private:
    TDataSource& source_;
};

// The "ID" of the current record of an open, non-empty dataset, else Empty.
Variant currentId(const TClientDataSet* dataSet)
{
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return Variant();
    const TField* id = dataSet->FindField(kIdField);
    return id ? id->Value() : Variant();
}

void locateId(TClientDataSet* dataSet, const Variant& id)
{
    if (id.isEmptyOrNull() || !dataSet || !dataSet->Active() || !dataSet->FindField(kIdField))
        return;
    dataSet->Locate(kIdField, id, 0);
}

// The time of an "hh:mm" text; 0 when it is not a valid time.
TDateTime timeOfText(const QString& text)
{
    TDateTime time = 0;
    return TryStrToTime(text, time, globalFormatSettings()) ? time : 0;
}

} // namespace

QString StatementClientQuery(const QList<int>& codes, bool newContragentTable)
{
    QString condition;
    for (int code : codes)
        condition += (newContragentTable ? QStringLiteral(" ct.PARAM1 = ") : QStringLiteral(" VIDOPL = ")) +
                     QString::number(code) + QStringLiteral(" OR");
    if (codes.isEmpty())
        condition = newContragentTable ? QStringLiteral(" ct.PARAM1 < 0 ") : QStringLiteral(" VIDOPL = 999 ");
    else
        condition.chop(2); // the last "OR"; its blank stays
    if (newContragentTable)
        return QStringLiteral("SELECT DISTINCT c.CONTR_ID AS ID, c.NAME FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct "
                              "ON ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (") +
               condition + QStringLiteral(") ORDER BY c.NAME");
    return QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 AND (") + condition +
           QStringLiteral(") ORDER BY NAME");
}

TParamVedomFrm::TParamVedomFrm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TParamVedomFrm>())
{
    ui_->setupUi(this);
    completeLayout();
    fillPayTypes();

    connect(ui_->clbVidOplList, &TCheckListBox::clickCheck, this, [this](int) { clbVidOplListClickCheck(); });
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    for (QCheckBox* box : {ui_->chbDriver, ui_->chbAuto})
        box->installEventFilter(this);
    ui_->OrgGrid->viewport()->installEventFilter(this);

    if (core::TDBFrm* data = core::state().dataModule.get()) {
        SetClientSource(&data->CntDS);
        SetCarSource(&data->CarDS);
    }

    const TDateTime today = DateOf(Clock::current().now());
    ui_->BegDate->SetDate(today);
    ui_->EndDate->SetDate(today);
    restoreTexts();
    if (!FormPlacement(*this).restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
}

TParamVedomFrm::~TParamVedomFrm() = default;

void TParamVedomFrm::completeLayout()
{
    ui_->BegDate->calendarWidget()->setWindowTitle(QStringLiteral("Выбор даты начала отчета"));
    ui_->EndDate->calendarWidget()->setWindowTitle(QStringLiteral("Выбор даты конца отчета"));

    const QString hint = QStringLiteral("Используйте правую кнопку мыши,\r\nчтобы переместить пункты \"") +
                         ui_->chbDriver->text() + QStringLiteral("\"\r\nи \"") + ui_->chbAuto->text() +
                         QStringLiteral("\" вверх или вних\r\nдля определения порядка группировки.");
    for (QWidget* control : {static_cast<QWidget*>(ui_->gbGroupBy), static_cast<QWidget*>(ui_->chbDriver),
                             static_cast<QWidget*>(ui_->chbAuto)})
        control->setToolTip(hint);
}

void TParamVedomFrm::fillPayTypes()
{
    const core::PluginState& plugin = core::state();
    const Variant flags = core::ReadPayTypeFlags(QString::fromUtf16(kVedomPropKey), 4);
    for (int i = 0; i < plugin.payTypeCount; ++i) {
        const Variant row = plugin.payTypeTable.at(i);
        if (row.at(2).toString().toInt() != 4)
            continue;
        const int index = ui_->clbVidOplList->AddItem(row.at(0).toString(), flags.at(i).toInt() == 1);
        ui_->clbVidOplList->item(index)->setData(Qt::UserRole, row.at(1).toString().toInt());
    }
}

void TParamVedomFrm::SetClientGridEnabled(bool enabled)
{
    ui_->OrgGrid->setEnabled(enabled);
}

void TParamVedomFrm::SetCarGridEnabled(bool enabled)
{
    ui_->AutoGrid->setEnabled(enabled);
}

void TParamVedomFrm::SetGroupingEnabled(bool enabled)
{
    ui_->chbDriver->setEnabled(enabled);
    ui_->chbAuto->setEnabled(enabled);
}

void TParamVedomFrm::SetGroupingVisible(bool visible)
{
    ui_->gbGroupBy->setVisible(visible);
}

void TParamVedomFrm::SetTimes(const QString& begin, const QString& end)
{
    ui_->BegTimeEdit->setText(begin);
    ui_->EndTimeEdit->setText(end);
}

void TParamVedomFrm::SetNewContragentTable(bool mark)
{
    newContragentTable_ = mark;
}

bool TParamVedomFrm::NewContragentTable() const
{
    return newContragentTable_;
}

void TParamVedomFrm::SetClientSource(TDataSource* source)
{
    ui_->OrgGrid->SetDataSource(source);
}

void TParamVedomFrm::SetCarSource(TDataSource* source)
{
    ui_->AutoGrid->SetDataSource(source);
}

TDataSource* TParamVedomFrm::ClientSource() const
{
    return ui_->OrgGrid->DataSource();
}

TDataSource* TParamVedomFrm::CarSource() const
{
    return ui_->AutoGrid->DataSource();
}

TDateTime TParamVedomFrm::PeriodBegin() const
{
    return ui_->BegDate->Date() + timeOfText(ui_->BegTimeEdit->text());
}

TDateTime TParamVedomFrm::PeriodEnd() const
{
    return ui_->EndDate->Date() + timeOfText(ui_->EndTimeEdit->text());
}

bool TParamVedomFrm::ByDrivers() const
{
    return ui_->chbDriver->isChecked();
}

bool TParamVedomFrm::ByCars() const
{
    return ui_->chbAuto->isChecked();
}

bool TParamVedomFrm::DriverFirst() const
{
    return ui_->chbDriver->y() < ui_->chbAuto->y();
}

QList<int> TParamVedomFrm::ItemCodes() const
{
    QList<int> codes;
    for (int i = 0; i < ui_->clbVidOplList->Count(); ++i)
        codes << ui_->clbVidOplList->item(i)->data(Qt::UserRole).toInt();
    return codes;
}

QList<int> TParamVedomFrm::CheckedCodes() const
{
    QList<int> codes;
    for (int i : ui_->clbVidOplList->CheckedIndexes())
        codes << ui_->clbVidOplList->item(i)->data(Qt::UserRole).toInt();
    return codes;
}

void TParamVedomFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    closed_ = false;
    FormShow();
}

void TParamVedomFrm::FormShow()
{
    if (ui_->OrgGrid->isEnabled())
        (ui_->AutoGrid->isEnabled() ? ui_->AutoGrid : ui_->OrgGrid)->setFocus();
    else
        ui_->BegDate->setFocus();
    try {
        ReloadClients();
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
    }
    if (ui_->OrgGrid->isEnabled())
        ui_->OrgGrid->setFocus();
    updateOkButton();
    // Something to report on is offered; the user confirms it by a tick click.
    if (!ui_->BitBtn1->isEnabled() && ui_->clbVidOplList->Count() > 0)
        ui_->clbVidOplList->SetChecked(0, true);
}

void TParamVedomFrm::clbVidOplListClickCheck()
{
    try {
        ReloadClients();
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
    }
    updateOkButton();
}

void TParamVedomFrm::updateOkButton()
{
    ui_->BitBtn1->setEnabled(ui_->clbVidOplList->CheckedCount() > 0);
}

void TParamVedomFrm::ReloadClients()
{
    TDataSource* source = ClientSource();
    TClientDataSet* clients = source ? source->DataSet() : nullptr;
    if (!clients)
        return;
    TClientDataSet* cars = CarSource() ? CarSource()->DataSet() : nullptr;
    const Variant clientId = currentId(clients);
    const Variant carId = currentId(cars);

    Variant data;
    core::GetProviderData(StatementClientQuery(CheckedCodes(), newContragentTable_), 0, data);
    {
        // The grid sees the new rows once, with its one column already set.
        QuietSource quiet(*source);
        clients->SetData(data.toByteArray());
        showClientColumnOnly();
    }
    locateId(clients, clientId);
    locateId(cars, carId);
    FitClientColumn();
}

void TParamVedomFrm::showClientColumnOnly()
{
    TClientDataSet* clients = ClientSource()->DataSet();
    for (int i = 0; i < clients->FieldCount(); ++i) {
        TField& field = clients->Fields(i);
        const bool name = field.FieldName().compare(kClientField, Qt::CaseInsensitive) == 0;
        field.SetVisible(name);
        if (name)
            field.SetDisplayLabel(QStringLiteral("Организация"));
    }
}

void TParamVedomFrm::FitClientColumn()
{
    const DatasetModel& model = ui_->OrgGrid->Model();
    for (int column = 0; column < model.columnCount(); ++column) {
        const TField* field = model.fieldAt(column);
        if (field && field->FieldName().compare(kClientField, Qt::CaseInsensitive) == 0)
            ui_->OrgGrid->setColumnWidth(column, ui_->OrgGrid->viewport()->width() - 30);
    }
}

bool TParamVedomFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->OrgGrid->viewport() && event->type() == QEvent::Resize)
        FitClientColumn();
    if (watched == ui_->chbDriver || watched == ui_->chbAuto)
        return groupBoxMouse(*static_cast<QCheckBox*>(watched), *event);
    return QDialog::eventFilter(watched, event);
}

bool TParamVedomFrm::groupBoxMouse(QCheckBox& box, QEvent& event)
{
    switch (event.type()) {
    case QEvent::MouseButtonPress: {
        auto& mouse = static_cast<QMouseEvent&>(event);
        if (mouse.button() != Qt::RightButton || mouse.buttons() != Qt::RightButton ||
            mouse.modifiers() != Qt::NoModifier)
            return false;
        // The box keeps the mouse until the button is released (Qt grabs
        // it for the pressed widget by itself).
        box.setFocus();
        dragged_ = &box;
        dragStartY_ = qRound(mouse.position().y());
        return true;
    }
    case QEvent::MouseMove: {
        auto& mouse = static_cast<QMouseEvent&>(event);
        if (dragged_ != &box || mouse.buttons() != Qt::RightButton || mouse.modifiers() != Qt::NoModifier)
            return false;
        // The position is the box's own: once the boxes changed places the
        // pointer is near the dragged box again and nothing more happens.
        if (std::abs(qRound(mouse.position().y()) - dragStartY_) > kDragDistance)
            exchangeGroupBoxes();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto& mouse = static_cast<QMouseEvent&>(event);
        if (dragged_ != &box || mouse.button() != Qt::RightButton)
            return false;
        dragged_ = nullptr;
        return true;
    }
    default:
        return false;
    }
}

void TParamVedomFrm::exchangeGroupBoxes()
{
    const int driverTop = ui_->chbDriver->y();
    ui_->chbDriver->move(ui_->chbDriver->x(), ui_->chbAuto->y());
    ui_->chbAuto->move(ui_->chbAuto->x(), driverTop);
}

void TParamVedomFrm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        dragged_ = nullptr;
        try {
            savePayTypeFlags();
            saveTexts();
        } catch (const Exception& e) {
            // The window closes all the same; the user learns what was not kept.
            dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
        }
    }
    QDialog::done(result);
}

void TParamVedomFrm::savePayTypeFlags()
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKey(core::ReportOptionsKey(QString::fromUtf16(kVedomPropKey)), true))
        return;
    const QList<int> codes = ItemCodes();
    for (int i = 0; i < codes.size(); ++i)
        registry.writeInteger(QStringLiteral("PayType") + QString::number(codes[i]),
                              ui_->clbVidOplList->Checked(i) ? 1 : 0);
    registry.closeKey();
}

void TParamVedomFrm::restoreTexts()
{
    const FormPlacement store(*this);
    for (TDatePicker* date : {ui_->BegDate, ui_->EndDate}) {
        const QDate stored = QDate::fromString(store.readString(date->objectName() + QStringLiteral(".Text"), {}),
                                               kDateFormat);
        if (stored.isValid())
            date->setDate(stored);
    }
    for (QLineEdit* time : {ui_->BegTimeEdit, ui_->EndTimeEdit}) {
        const QString name = time->objectName() + QStringLiteral(".Text");
        if (store.valueExists(name))
            time->setText(store.readString(name, time->text()));
    }
}

void TParamVedomFrm::saveTexts()
{
    const FormPlacement store(*this);
    store.save(*this);
    for (const TDatePicker* date : {ui_->BegDate, ui_->EndDate})
        store.writeString(date->objectName() + QStringLiteral(".Text"), date->date().toString(kDateFormat));
    for (const QLineEdit* time : {ui_->BegTimeEdit, ui_->EndTimeEdit})
        store.writeString(time->objectName() + QStringLiteral(".Text"), time->text());
}

} // namespace velta::settings
