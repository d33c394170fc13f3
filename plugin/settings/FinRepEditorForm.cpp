#include "plugin/settings/FinRepEditorForm.h"

#include "ui_FinRepEditorForm.h"

#include "common/Exception.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/Field.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QFileInfo>
#include <QScreen>

namespace velta::settings {

namespace {

const QString kOrderNum = QStringLiteral("ORDERNUM");
const QString kEnabled = QStringLiteral("ENABLED");
const QString kColumnName = QStringLiteral("COLUMNNAME");
const QString kVidOpl = QStringLiteral("VIDOPL");
const QString kBaseName = QStringLiteral("BASEVONAME");
const QString kVisVolume = QStringLiteral("VISVOLUME");
const QString kVisMassa = QStringLiteral("VISMASSA");
const QString kVisSumma = QStringLiteral("VISSUMMA");

void booleanText(TField& field, QString& text, bool)
{
    text = field.IsNull() ? QString() : field.AsBoolean() ? QStringLiteral("Да") : QStringLiteral("Нет");
}

// Typed into a boolean cell: nothing clears it, 1, T, Y or Д first means true.
void booleanFromText(TField& field, const QString& typed)
{
    const QString text = typed.trimmed().toUpper();
    if (text.isEmpty()) {
        field.Clear();
        return;
    }
    const QChar first = text[0];
    field.SetAsBoolean(first == u'1' || first == u'T' || first == u'Y' || first == u'Д');
}

// The base name is derived: the user cannot type it, the code sets it.
class DerivedWrite {
public:
    explicit DerivedWrite(TField& field) : field_(field), was_(field.ReadOnly()) { field_.SetReadOnly(false); }
    ~DerivedWrite() { field_.SetReadOnly(was_); }
    DerivedWrite(const DerivedWrite&) = delete;
    DerivedWrite& operator=(const DerivedWrite&) = delete;

private:
    TField& field_;
    bool was_;
};

bool flagOf(const TField& field)
{
    return !field.IsNull() && field.AsBoolean();
}

} // namespace

TFinRepEditorForm::TFinRepEditorForm(Dialogs& dialogs, QString fileName, QList<FinRepPayType> payTypes, QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      ui_(std::make_unique<Ui::TFinRepEditorForm>()),
      fileName_(std::move(fileName)),
      payTypes_(std::move(payTypes))
{
    ui_->setupUi(this);
    ui_->DBGrid1->SetDialogs(&dialogs_);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->cbShowItog, &QCheckBox::toggled, this, &TFinRepEditorForm::cbShowItogClick);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this,
            [this](int, TField* field) { DBGrid1DblClick(field); });
    if (!FormPlacement(*this).restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
}

TFinRepEditorForm::~TFinRepEditorForm()
{
    ui_->DBGrid1->SetDataSource(nullptr);
}

void TFinRepEditorForm::createColumns()
{
    columns_.Close();
    columns_.FieldDefs.clear();
    columns_.FieldDefs.append(FieldDef(kOrderNum, FieldType::Int32));
    columns_.FieldDefs.append(FieldDef(kEnabled, FieldType::Boolean));
    columns_.FieldDefs.append(FieldDef(kColumnName, FieldType::String, 50));
    columns_.FieldDefs.append(FieldDef(kVidOpl, FieldType::Int32));
    columns_.FieldDefs.append(FieldDef(kBaseName, FieldType::String, 50));
    columns_.FieldDefs.append(FieldDef(kVisVolume, FieldType::Boolean));
    columns_.FieldDefs.append(FieldDef(kVisMassa, FieldType::Boolean));
    columns_.FieldDefs.append(FieldDef(kVisSumma, FieldType::Boolean));
    columns_.CreateDataSet();

    const struct {
        const QString& name;
        const char16_t* label;
        int width;
    } looks[] = {{kOrderNum, u"№", 4},
                 {kEnabled, u"Вкл.", -1},
                 {kColumnName, u"Наименование", 25},
                 {kVidOpl, u"Вид оплаты", -1},
                 {kBaseName, u"Базовый вид оплаты", 25},
                 {kVisVolume, u"Показ. \"Объем\"", -1},
                 {kVisMassa, u"Показ. \"Масса\"", -1},
                 {kVisSumma, u"Показ. \"Сумма\"", -1}};
    for (const auto& look : looks) {
        TField& field = columns_.FieldByName(look.name);
        field.SetDisplayLabel(QString::fromUtf16(look.label));
        if (look.width > 0)
            field.SetDisplayWidth(look.width);
        if (field.DataType() == FieldType::Boolean) {
            field.OnGetText = booleanText;
            field.OnSetText = booleanFromText;
        }
    }
    columns_.FieldByName(kBaseName).SetReadOnly(true);
    columns_.FieldByName(kVidOpl).OnChange = [](TField& code) {
        TField& base = code.DataSet().FieldByName(kBaseName);
        const DerivedWrite write(base);
        base.SetAsString(BaseVidOplName(code.AsInteger()));
    };
    columns_.SetIndexFieldNames(kOrderNum);
}

void TFinRepEditorForm::appendRow(const FinRepColumn& column)
{
    const DerivedWrite write(columns_.FieldByName(kBaseName));
    columns_.AppendRecord({Variant(column.orderNum), Variant(column.enabled), Variant(column.columnName),
                           Variant(column.vidOpl), Variant(BaseVidOplName(column.vidOpl)), Variant(column.visVolume),
                           Variant(column.visMassa), Variant(column.visSumma)});
}

void TFinRepEditorForm::Load()
{
    ui_->DBGrid1->SetDataSource(nullptr);
    createColumns();
    if (!QFileInfo::exists(fileName_))
        throw Exception(QStringLiteral("Не найден файл: ") + fileName_);
    const FinRepLayout layout = LayoutForTemplate(ReadTemplateFile(fileName_), payTypes_);
    for (const FinRepColumn& column : layout.columns)
        appendRow(column);
    const FinRepTotals& t = layout.totals;
    ui_->cbShowItog->setChecked(t.showItog);
    ui_->cbShowItogNal->setChecked(t.nal);
    ui_->cbShowItogBN->setChecked(t.bn);
    ui_->cbShowItogAll->setChecked(t.all);
    ui_->cbShowItogVolume->setChecked(t.volume);
    ui_->cbShowItogMassa->setChecked(t.massa);
    ui_->cbShowItogSumma->setChecked(t.summa);
    cbShowItogClick();
    columns_.First();
    source_.SetDataSet(&columns_);
    ui_->DBGrid1->SetDataSource(&source_);
}

FinRepLayout TFinRepEditorForm::Layout() const
{
    FinRepLayout layout;
    auto& rows = const_cast<TClientDataSet&>(columns_);
    if (rows.Active()) {
        rows.CheckBrowseMode();
        const TBookmark place = rows.GetBookmark();
        for (rows.First(); !rows.Eof(); rows.Next()) {
            FinRepColumn column;
            column.orderNum = rows.FieldByName(kOrderNum).AsInteger();
            column.enabled = flagOf(rows.FieldByName(kEnabled));
            column.columnName = rows.FieldByName(kColumnName).AsString();
            column.vidOpl = rows.FieldByName(kVidOpl).AsInteger();
            column.visVolume = flagOf(rows.FieldByName(kVisVolume));
            column.visMassa = flagOf(rows.FieldByName(kVisMassa));
            column.visSumma = flagOf(rows.FieldByName(kVisSumma));
            layout.columns.append(column);
        }
        if (rows.BookmarkValid(place))
            rows.GotoBookmark(place);
    }
    FinRepTotals& t = layout.totals;
    t.showItog = ui_->cbShowItog->isChecked();
    t.nal = ui_->cbShowItogNal->isChecked();
    t.bn = ui_->cbShowItogBN->isChecked();
    t.all = ui_->cbShowItogAll->isChecked();
    t.volume = ui_->cbShowItogVolume->isChecked();
    t.massa = ui_->cbShowItogMassa->isChecked();
    t.summa = ui_->cbShowItogSumma->isChecked();
    return layout;
}

void TFinRepEditorForm::Save()
{
    SaveTemplateLayout(fileName_, Layout());
}

void TFinRepEditorForm::DBGrid1DblClick(TField* field)
{
    if (!field || field->DataType() != FieldType::Boolean || columns_.IsEmpty())
        return;
    columns_.Edit();
    field->SetAsBoolean(!flagOf(*field));
    columns_.Post();
}

void TFinRepEditorForm::cbShowItogClick()
{
    const bool shown = ui_->cbShowItog->isChecked();
    for (QCheckBox* box : {ui_->cbShowItogNal, ui_->cbShowItogBN, ui_->cbShowItogAll, ui_->cbShowItogVolume,
                           ui_->cbShowItogMassa, ui_->cbShowItogSumma})
        box->setEnabled(shown);
}

void TFinRepEditorForm::done(int result)
{
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

QList<FinRepPayType> HostPayTypes()
{
    const core::PluginState& plugin = core::state();
    QList<FinRepPayType> types;
    for (int i = 0; i < plugin.payTypeCount; ++i) {
        const Variant row = plugin.payTypeTable.at(i);
        types.append({row.at(0).toString(), row.at(1).toString().toInt()});
    }
    return types;
}

void EditFinancialTemplate(Dialogs& dialogs)
{
    FileDialogOptions options;
    options.title = QStringLiteral("Выберите файл шаблона финансового отчета");
    options.filter = QStringLiteral("Файл шаблона отчета (*.html)|*.html|Все файлы|*.*");
    options.initialDir = QStringLiteral("C:\\DEXE\\FORMS\\WEBREP");
    options.fileName = QStringLiteral("Финансовый отчет.html");
    options.defaultExt = QStringLiteral("html");
    const std::optional<QString> chosen = dialogs.openFile(options);
    if (!chosen)
        return;
    const QString fileName = *chosen;
    // The user reads the suite's names ("C:\DEXE\..."), not the folders they live in here.
    const QString shownName = Paths::fromNative(fileName);
    if (!QFileInfo::exists(fileName))
        throw Exception(QStringLiteral("Файл не найден: ") + shownName);
    if (QFileInfo(fileName).completeBaseName().toUpper() != QStringLiteral("Финансовый отчет").toUpper() &&
        dialogs.messageBox(QStringLiteral("Вы выбрали файл: ") + shownName +
                               QStringLiteral("\r\nЭтот файл не является стандартным шаблоном для фин. отчета\r\n"
                                              "ХОТИТЕ ПРОДОЛЖИТЬ РЕДАКТИРОВАНИЕ ЭТОГО ФАЙЛА?"),
                           QStringLiteral("Внимание!"), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    TFinRepEditorForm window(dialogs, fileName, HostPayTypes());
    window.Load();
    if (dialogs.showModal(window) == mrOk)
        window.Save();
}

} // namespace velta::settings
