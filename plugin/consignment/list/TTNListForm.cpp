#include "plugin/consignment/list/TTNListForm.h"

#include "ui_TTNListForm.h"

#include "common/Exception.h"
#include "plugin/consignment/list/NoteListQuery.h"
#include "plugin/consignment/list/NotePrintForms.h"
#include "plugin/consignment/list/NoteRowsDelegate.h"
#include "plugin/consignment/selection/SaleListQuery.h"
#include "plugin/consignment/selection/SelectSaleForm.h"
#include "plugin/core/DBForm.h"
#include "plugin/data/ShownColumns.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/viewer/window/ShowReport.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>

namespace velta::consignment {

namespace {

const QString kRepKind = QStringLiteral("repkind");
const QString kNoNote = QStringLiteral("Не выбрана запись ТТН!");

// The list's visible columns, in order; a width of 0 keeps the field's own.
constexpr ShownColumn kColumns[] = {
    {"TTNAPPLIED", "Пров.", 5},         {"TTNDATE", "Дата", 0},
    {"TTNSER", "Серия", 5},             {"TTNNUMBER", "Номер", 15},
    {"NAME1", "Наименование груза", 30}, {"COUNT1", "Кол-во, т.", 10},
    {"POLNAME", "Грузополучатель", 25}, {"REPNAME", "Грузоперевозчик", 25},
};

FormPlacement placement(const QWidget& window)
{
    return FormPlacement(window, FormPlacement::reportsKey());
}

bool isPosted(const TClientDataSet& list)
{
    const TField* applied = list.FindField(QStringLiteral("TTNAPPLIED"));
    return applied && applied->AsInteger() == 1;
}

} // namespace

TTTNListForm::TTTNListForm(Dialogs& dialogs, core::TDBFrm& data, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), data_(data), ui_(std::make_unique<Ui::TTTNListForm>())
{
    ui_->setupUi(this);
    repKinds_ = new QButtonGroup(this);
    const QList<QRadioButton*> items = {ui_->rgRepKind0, ui_->rgRepKind1, ui_->rgRepKind2, ui_->rgRepKind3,
                                        ui_->rgRepKind4, ui_->rgRepKind5, ui_->rgRepKind6, ui_->rgRepKind7};
    for (int kind = 0; kind < items.size(); ++kind)
        repKinds_->addButton(items.at(kind), kind);
    ui_->DBGrid1->setItemDelegate(new NoteRowsDelegate(*ui_->DBGrid1));
    connectControls();

    data_.DBConnect();
    ui_->DBGrid1->SetDialogs(&dialogs_);
    ui_->DBGrid1->SetDataSource(&data_.TTNListSource);

    const FormPlacement store = placement(*this);
    if (!store.restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
    setRepKind(store.readInteger(kRepKind, 0));
}

TTTNListForm::~TTTNListForm() = default;

void TTTNListForm::connectControls()
{
    connect(ui_->btnAdd, &QPushButton::clicked, this, &TTTNListForm::btnAddClick);
    connect(ui_->btnAddCopy, &QPushButton::clicked, this, &TTTNListForm::btnAddCopyClick);
    connect(ui_->btnEdit, &QPushButton::clicked, this, &TTTNListForm::btnEditClick);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this, [this] { btnEditClick(); });
    connect(ui_->btnDelete, &QPushButton::clicked, this, &TTTNListForm::btnDeleteClick);
    connect(ui_->Button1, &QPushButton::clicked, this, &TTTNListForm::Button1Click);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &QDialog::close);
}

int TTTNListForm::RepKind() const
{
    return repKinds_->checkedId();
}

void TTTNListForm::setRepKind(int kind)
{
    if (QAbstractButton* item = repKinds_->button(kind)) {
        item->setChecked(true);
        return;
    }
    // An index outside the list leaves no kind chosen.
    repKinds_->setExclusive(false);
    for (QAbstractButton* item : repKinds_->buttons())
        item->setChecked(false);
    repKinds_->setExclusive(true);
}

void TTTNListForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
}

void TTTNListForm::FormShow()
{
    try {
        data_.OpenSQL(NoteLinesProbeQuery());
        multiLine_ = true;
    } catch (const Exception&) {
        multiLine_ = false;
    }
    try {
        openList();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::openList()
{
    TClientDataSet& list = data_.dsTTNList;
    if (list.Active())
        return;
    list.SetCommandText(NoteListQueryText(multiLine_));
    // The grid is told once, with the columns already set up.
    list.DisableControls();
    try {
        list.Open();
        showColumns();
    } catch (...) {
        list.EnableControls();
        throw;
    }
    list.EnableControls();
    orderColumns();
}

void TTTNListForm::refreshList()
{
    TClientDataSet& list = data_.dsTTNList;
    const int current = currentNote();
    list.Close();
    openList();
    if (current > 0)
        list.Locate(QStringLiteral("TTN_ID"), Variant(current), 0);
}

void TTTNListForm::showColumns()
{
    TClientDataSet& list = data_.dsTTNList;
    ShowOnlyColumns(list, kColumns);
    if (TField* applied = list.FindField(QStringLiteral("TTNAPPLIED")))
        applied->OnGetText = [](TField& sender, QString& text, bool) {
            text = sender.AsInteger() == 1 ? QStringLiteral("Да") : QStringLiteral("Нет");
        };
}

void TTTNListForm::orderColumns()
{
    // The query puts the cargo columns first; the grid shows them after the number.
    QHeaderView& header = *ui_->DBGrid1->horizontalHeader();
    const DatasetModel& model = ui_->DBGrid1->Model();
    int position = 0;
    for (const ShownColumn& column : kColumns) {
        for (int logical = 0; logical < model.columnCount(); ++logical) {
            if (model.fieldAt(logical)->FieldName().compare(QLatin1String(column.field), Qt::CaseInsensitive) != 0)
                continue;
            header.moveSection(header.visualIndex(logical), position++);
            break;
        }
    }
}

int TTTNListForm::currentNote() const
{
    const TClientDataSet& list = data_.dsTTNList;
    if (!list.Active() || list.IsEmpty())
        return 0;
    return list.FieldByName(QStringLiteral("TTN_ID")).AsInteger();
}

void TTTNListForm::checkChangeable(const QString& refusal) const
{
    const TClientDataSet& list = data_.dsTTNList;
    if (!list.Active() || list.IsEmpty())
        throw Exception(kNoNote);
    if (ui_->cbBlockAppliedTTN->isChecked() && isPosted(list))
        throw Exception(refusal);
}

void TTTNListForm::btnAddClick()
{
    try {
        addNote(TTNEditMode::New);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::btnAddCopyClick()
{
    try {
        addNote(TTNEditMode::Copy);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::addNote(TTNEditMode mode)
{
    Variant selection;
    if (!SelectSales(dialogs_, data_, multiLine_, selection))
        return;
    EditConsignmentNote(dialogs_, data_, mode, selection, multiLine_);
    refreshList();
}

void TTTNListForm::btnEditClick()
{
    try {
        editNote();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::editNote()
{
    checkChangeable(QStringLiteral("Невозможно изменить ТТН, т.к. она уже проведена!"));
    Variant selection = Variant(Variant::Array{});
    if (ui_->cbCanSelectSale->isChecked() && !SelectSales(dialogs_, data_, multiLine_, selection))
        selection = Variant(Variant::Array{});
    EditConsignmentNote(dialogs_, data_, TTNEditMode::Edit, selection, multiLine_);
    ui_->cbCanSelectSale->setChecked(false);
    refreshList();
}

void TTTNListForm::btnDeleteClick()
{
    try {
        deleteNote();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::deleteNote()
{
    checkChangeable(QStringLiteral("Невозможно удалить ТТН, т.к. она уже проведена!"));
    if (dialogs_.messageBox(QStringLiteral("Вы действительно хотите удалить запись?"), QStringLiteral("Подтверждение"),
                            MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    TClientDataSet& list = data_.dsTTNList;
    const int note = currentNote();
    list.Delete();
    try {
        list.ApplyUpdates(0);
    } catch (const Exception&) {
        // The server kept the note: so does the list, on the same row.
        list.CancelUpdates();
        list.Locate(QStringLiteral("TTN_ID"), Variant(note), 0);
        throw;
    }
}

void TTTNListForm::Button1Click()
{
    try {
        printNote();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNListForm::printNote()
{
    const TClientDataSet& list = data_.dsTTNList;
    if (!list.Active() || list.IsEmpty())
        throw Exception(kNoNote);
    const int kind = RepKind();
    if (kind < 0)
        return;
    const NotePrint print = ProduceNotePrint(kind, currentNote(), repKinds_->button(kind)->text());
    viewer::ShowReport(print.text, print.html, print.caption);
}

void TTTNListForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        const FormPlacement store = placement(*this);
        store.save(*this);
        store.writeInteger(kRepKind, RepKind());
        data_.dsTTNList.Close();
    }
    QDialog::done(result);
}

void TTTNListForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void ShowConsignmentNoteList(Dialogs& dialogs, core::TDBFrm& data)
{
    TTTNListForm form(dialogs, data);
    dialogs.showModal(form);
}

} // namespace velta::consignment
