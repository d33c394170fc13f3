#include "plugin/consignment/selection/SelectSaleForm.h"

#include "ui_SelectSaleForm.h"

#include "common/Exception.h"
#include "plugin/consignment/selection/MarkedRowsDelegate.h"
#include "plugin/consignment/selection/SaleListQuery.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ShownColumns.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QShowEvent>

namespace velta::consignment {

namespace {

// The instruction panel's height with one line per note: its first two lines.
constexpr int kShortHintHeight = 46;

// The grid's columns: field, title, width in characters (0: the type's own).
constexpr ShownColumn kColumns[] = {
    {"INDEXSALE", "№ отлива", 0},         {"TIDEDATE", "Дата отлива", 0},   {"GSMNAME", "ГСМ", 15},
    {"LITER", "Объем, л", 15},            {"MASSA", "Масса, кг", 15},       {"SUMMA", "Сумма, руб", 15},
    {"GPNAME", "Грузополучатель", 25},    {"CNAME", "Перевозчик", 25},      {"DRIVERFIO", "Водитель", 20},
    {"CARMARKA", "Марка", 15},            {"CARGOSNUM", "Гос. номер", 15},
};

// The key carrying the Cyrillic М reports that letter under a Russian layout.
constexpr int kCyrillicEmKey = 0x041C;

} // namespace

TSelectSaleForm::TSelectSaleForm(Dialogs& dialogs, core::TDBFrm& data, bool multiLine, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), data_(data), multiLine_(multiLine),
      ui_(std::make_unique<Ui::TSelectSaleForm>()), rows_(data.dsLogTran), selection_(rows_)
{
    ui_->setupUi(this);
    completeLayout();
    connect(ui_->btnOK, &QPushButton::clicked, this, &TSelectSaleForm::btnOKClick);
    connect(ui_->btnSkip, &QPushButton::clicked, this, &TSelectSaleForm::btnSkipClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &TSelectSaleForm::btnCancelClick);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this, [this] { btnOKClick(); });
    ui_->DBGrid1->SetDialogs(&dialogs_);
    ui_->DBGrid1->InstallKeyHook([this](QKeyEvent& event) { return DBGrid1KeyDown(event); });
    FormPlacement(*this).restore(*this);
}

TSelectSaleForm::~TSelectSaleForm()
{
    ui_->DBGrid1->SetDataSource(nullptr);
    if (opened_) {
        data_.dsLogTran.Close();
        data_.dsLogTran.SetCommandText(savedCommandText_);
    }
}

void TSelectSaleForm::completeLayout()
{
    // The hint keeps its CR LF line ends, which a Designer file loses.
    ui_->btnSkip->setToolTip(QStringLiteral("Пропускает этап выбора записи отлива \r\n(в случае, если слив в бензовоз "
                                            "еще не завершился).\r\nЗапись отлива можно будет выбрать позже."));
    if (multiLine_) {
        TDBGrid& grid = *ui_->DBGrid1;
        grid.setItemDelegate(new MarkedRowsDelegate(
            [this, &grid](int row) {
                const int recNo = row + 1;
                return MarkedRowsDelegate::RowLook{selection_.IsMarked(recNo), selection_.IsMain(recNo),
                                                   grid.Model().currentRow() == row};
            },
            &grid));
        return;
    }
    for (QLabel* line : {ui_->Label3, ui_->Label4, ui_->Label5})
        line->hide();
    ui_->Panel1->setFixedHeight(kShortHintHeight);
}

void TSelectSaleForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !opened_)
        FormShow();
}

void TSelectSaleForm::FormShow()
{
    try {
        openSales();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TSelectSaleForm::openSales()
{
    SaleListOptions options;
    {
        const std::unique_ptr<TClientDataSet> probe = data_.OpenSQL(SaleColumnsProbeQuery());
        options.meterMass = probe->FindField(QString::fromLatin1(kMeterMassColumn)) != nullptr;
        options.consignee = probe->FindField(QString::fromLatin1(kConsigneeColumn)) != nullptr;
    }
    try {
        data_.OpenSQL(NoteLinesProbeQuery());
        options.noteLines = true;
    } catch (const Exception&) {
        // A station without note lines keeps its notes' sales in the header only.
    }
    TClientDataSet& sales = data_.dsLogTran;
    sales.Close();
    if (!opened_)
        savedCommandText_ = sales.CommandText();
    opened_ = true;
    sales.SetCommandText(SaleListQueryText(options));
    sales.Open();
    showColumns();
    ui_->DBGrid1->SetDataSource(&data_.LogTranSource);
    if (multiLine_)
        roomForMainSale();
}

void TSelectSaleForm::roomForMainSale()
{
    // The columns are sized for the grid's font; the main sale's bold text needs more.
    TDBGrid& grid = *ui_->DBGrid1;
    QFont bold = grid.font();
    bold.setBold(true);
    const int regular = grid.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int wide = QFontMetrics(bold).horizontalAdvance(QLatin1Char('0'));
    if (regular <= 0 || wide <= regular)
        return;
    for (int column = 0; column < grid.model()->columnCount(); ++column)
        grid.setColumnWidth(column, (grid.columnWidth(column) * wide + regular - 1) / regular);
}

void TSelectSaleForm::showColumns()
{
    TClientDataSet& sales = data_.dsLogTran;
    ShowOnlyColumns(sales, kColumns);
}

bool TSelectSaleForm::DBGrid1KeyDown(QKeyEvent& event)
{
    if (!multiLine_)
        return false;
    switch (event.key()) {
    case Qt::Key_Space:
        selection_.ToggleCurrent();
        break;
    case Qt::Key_M:
    case Qt::Key_V:
    case kCyrillicEmKey:
        selection_.MarkMainCurrent();
        break;
    default:
        return false;
    }
    ui_->DBGrid1->viewport()->update();
    return true;
}

void TSelectSaleForm::btnOKClick()
{
    try {
        const TSaleSelection::OkResult result = selection_.Ok(dialogs_);
        ui_->DBGrid1->viewport()->update();
        if (result == TSaleSelection::OkResult::Close) {
            outcome_ = Outcome::Selected;
            accept();
        }
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TSelectSaleForm::btnSkipClick()
{
    outcome_ = Outcome::Skipped;
    accept();
}

void TSelectSaleForm::btnCancelClick()
{
    reject();
}

void TSelectSaleForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        FormPlacement(*this).save(*this);
    }
    if (result != Accepted)
        outcome_ = Outcome::None;
    QDialog::done(result);
}

void TSelectSaleForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

bool SelectSales(Dialogs& dialogs, core::TDBFrm& data, bool multiLine, Variant& result, QList<TTideRecord>* records)
{
    const bool wasConnected = data.VeltaServer.Connected();
    struct Disconnect {
        core::TDBFrm& data;
        bool keep;
        ~Disconnect()
        {
            if (!keep && data.VeltaServer.Connected())
                data.VeltaServer.SetConnected(false);
        }
    } disconnect{data, wasConnected};
    if (!wasConnected)
        data.VeltaServer.SetConnected(true);

    TSelectSaleForm form(dialogs, data, multiLine);
    dialogs.showModal(form);
    switch (form.Result()) {
    case TSelectSaleForm::Outcome::Skipped:
        result = Variant(Variant::Array{});
        if (records)
            records->clear();
        return true;
    case TSelectSaleForm::Outcome::Selected: {
        const SaleSelectionResult selection = form.Selection().Result();
        if (selection.records.isEmpty())
            return false;
        result = selection.toVariant();
        if (records)
            *records = selection.records;
        return true;
    }
    case TSelectSaleForm::Outcome::None:
        break;
    }
    return false;
}

bool SelectSales(Dialogs& dialogs, bool multiLine, Variant& result, QList<TTideRecord>* records)
{
    core::TDBFrm* data = core::state().dataModule.get();
    if (!data)
        throw Exception(QStringLiteral("The data module is not created"));
    return SelectSales(dialogs, *data, multiLine, result, records);
}

} // namespace velta::consignment
