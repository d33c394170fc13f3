#include "plugin/directories/OrganizationsForm.h"

#include "ui_OrganizationsForm.h"

#include "common/Exception.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/Field.h"
#include "plugin/directories/AddEditOrganizationForm.h"
#include "plugin/directories/BoldTitleStyle.h"
#include "plugin/directories/ContragentDbfExport.h"
#include "plugin/directories/ContragentDbfImport.h"
#include "plugin/directories/ContragentQuery.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

namespace velta::directories {

namespace {

const QString kDbfFilter = QStringLiteral("dBase files (*.dbf)|*.DBF");
const QString kDbfName = QStringLiteral("Contragent");
const QString kDbfExt = QStringLiteral(".dbf");

FileDialogOptions dbfDialog()
{
    FileDialogOptions options;
    options.filter = kDbfFilter;
    options.fileName = kDbfName;
    options.defaultExt = kDbfExt;
    return options;
}

} // namespace

TOrganizationsForm::TOrganizationsForm(Dialogs& dialogs, TDCOMConnection& connection, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), directory_(connection), source_(&directory_.OrgListDS),
      ui_(std::make_unique<Ui::TOrganizationsForm>()), payTypes_(LoadContractPayTypes())
{
    ui_->setupUi(this);
    completeLayout();
    connectControls();
    fillGroups();
    FormPlacement(*this).restore(*this);
}

TOrganizationsForm::~TOrganizationsForm() = default;

void TOrganizationsForm::completeLayout()
{
    ui_->DBGrid1->SetDataSource(&source_);
    ui_->DBGrid1->SetDialogs(&dialogs_);
    titleStyle_ = new BoldTitleStyle;
    titleStyle_->setParent(ui_->DBGrid1->horizontalHeader());
    ui_->DBGrid1->horizontalHeader()->setStyle(titleStyle_);
    QPalette hint = ui_->labErrorHint->palette();
    hint.setColor(QPalette::WindowText, Qt::red);
    ui_->labErrorHint->setPalette(hint);
    ui_->edSearchText->installEventFilter(this);
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(500);
}

void TOrganizationsForm::connectControls()
{
    connect(ui_->btnAdd, &QPushButton::clicked, this, &TOrganizationsForm::btnAddClick);
    connect(ui_->btnEdit, &QPushButton::clicked, this, &TOrganizationsForm::btnEditClick);
    connect(ui_->btnDelete, &QPushButton::clicked, this, &TOrganizationsForm::btnDeleteClick);
    connect(ui_->btnDoSearch, &QToolButton::clicked, this, &TOrganizationsForm::btnDoSearchClick);
    connect(ui_->rbSearch, &QRadioButton::clicked, this, &TOrganizationsForm::btnDoSearchClick);
    connect(ui_->RadioButton1, &QRadioButton::clicked, this, &TOrganizationsForm::btnDoSearchClick);
    connect(ui_->edSearchText, &QLineEdit::textChanged, this, &TOrganizationsForm::edSearchTextChange);
    connect(ui_->btnExport, &QPushButton::clicked, this, &TOrganizationsForm::btnExportClick);
    connect(ui_->btnImport, &QPushButton::clicked, this, &TOrganizationsForm::btnImportClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &TOrganizationsForm::btnOKClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->cbCTypes, &QComboBox::currentIndexChanged, this, &TOrganizationsForm::cbCTypesChange);
    connect(ui_->DBGrid1, &TDBGrid::titleClicked, this, &TOrganizationsForm::DBGrid1TitleClick);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this, [this] { btnEditClick(); });
    connect(timer_, &QTimer::timeout, this, &TOrganizationsForm::Timer1Timer);
}

void TOrganizationsForm::fillGroups()
{
    const QSignalBlocker block(ui_->cbCTypes);
    ui_->cbCTypes->addItem(RoleGroupCaption(kRoleNone), kRoleNone);
    for (const ContragentRole& role : ContragentRoles())
        ui_->cbCTypes->addItem(role.caption, role.ctype);
    ui_->cbCTypes->addItem(RoleGroupCaption(kRolePayType), kRolePayType);
    for (const ContractPayType& type : payTypes_)
        ui_->cbCTypes->addItem(PayTypeGroupCaption(type), kRolePayType);
    ui_->cbCTypes->setCurrentIndex(0);
}

void TOrganizationsForm::SetChooserRole(int role)
{
    chooserRole_ = role;
    const int index = role > 0 ? ui_->cbCTypes->findData(role) : 0;
    const QSignalBlocker block(ui_->cbCTypes);
    ui_->cbCTypes->setCurrentIndex(index < 0 ? 0 : index);
    ui_->labErrorHint->setText(QStringLiteral("Для того, чтобы нажать кнопку \"ОК\" выберите группу: ") +
                               RoleGroupCaption(role));
    updateChooserState();
}

int TOrganizationsForm::SelectedRole() const
{
    return ui_->cbCTypes->currentData().toInt();
}

void TOrganizationsForm::updateChooserState()
{
    const bool wrongGroup = chooserRole_ > 0 && SelectedRole() != chooserRole_;
    ui_->labErrorHint->setVisible(wrongGroup);
    ui_->btnOK->setEnabled(!wrongGroup);
}

void TOrganizationsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    FormShow();
}

void TOrganizationsForm::FormShow()
{
    try {
        runGroupQuery();
        if (startRecord_ > 0)
            locate(startRecord_);
    } catch (const Exception& e) {
        showError(e.message());
    }
    Timer1Timer();
    timer_->start();
}

void TOrganizationsForm::runGroupQuery()
{
    directory_.OpenGroup(SelectedRole(), PayTypeOfGroupCaption(ui_->cbCTypes->currentText()));
    sortBy(0);
}

void TOrganizationsForm::selectGroup(int index)
{
    {
        const QSignalBlocker block(ui_->cbCTypes);
        ui_->cbCTypes->setCurrentIndex(index);
    }
    runGroupQuery();
    updateChooserState();
}

void TOrganizationsForm::cbCTypesChange()
{
    updateChooserState();
    try {
        runGroupQuery();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TOrganizationsForm::sortBy(int column)
{
    TField* field = ui_->DBGrid1->Model().fieldAt(column);
    if (!field)
        return;
    directory_.OrgListDS.SetIndexFieldNames(field->FieldName());
    titleStyle_->SetBoldSection(column);
    ui_->DBGrid1->horizontalHeader()->viewport()->update();
}

void TOrganizationsForm::DBGrid1TitleClick(TField* field)
{
    if (!field)
        return;
    for (int column = 0; column < ui_->DBGrid1->Model().columnCount(); ++column)
        if (ui_->DBGrid1->Model().fieldAt(column) == field)
            sortBy(column);
}

QString TOrganizationsForm::SortField() const
{
    return directory_.OrgListDS.IndexFieldNames();
}

int TOrganizationsForm::BoldTitle() const
{
    return titleStyle_->BoldSection();
}

void TOrganizationsForm::Timer1Timer()
{
    const TClientDataSet& list = directory_.OrgListDS;
    const int count = list.Active() ? list.RecordCount() : 0;
    const int current = count > 0 ? list.RecNo() : 0;
    setWindowTitle(QStringLiteral("Контрагенты (%1 из %2)").arg(current).arg(count));
}

void TOrganizationsForm::edSearchTextChange()
{
    btnDoSearchClick();
}

void TOrganizationsForm::btnDoSearchClick()
{
    try {
        const QString field = SearchFieldNames().value(ui_->cbFieldName->currentIndex(), SearchFieldNames().first());
        const QString text = ui_->edSearchText->text();
        if (ui_->rbSearch->isChecked()) {
            directory_.SetSearchFilter(QString());
            if (!text.isEmpty())
                directory_.Search(field, text);
        } else {
            directory_.SetSearchFilter(text.isEmpty() ? QString() : ContragentFilterText(field, text));
        }
    } catch (const Exception& e) {
        showError(e.message());
    }
}

bool TOrganizationsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->edSearchText && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (ui_->edSearchText->text().isEmpty())
            ui_->DBGrid1->setFocus();
        else
            ui_->edSearchText->clear();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TOrganizationsForm::locate(int id)
{
    directory_.OrgListDS.Locate(QStringLiteral("CONTR_ID"), Variant(id), 0);
}

void TOrganizationsForm::btnAddClick()
{
    editRecord(true);
}

void TOrganizationsForm::btnEditClick()
{
    editRecord(false);
}

void TOrganizationsForm::editRecord(bool adding)
{
    TClientDataSet& list = directory_.OrgListDS;
    ContragentRecord record;
    ContragentRoleSet roles;
    int editedId = 0;
    try {
        if (adding) {
            roles.mask = RoleMask(chooserRole_);
        } else {
            if (!list.Active() || list.IsEmpty())
                throw Exception(QStringLiteral("Запись не выбрана"));
            record = ReadContragent(list);
            editedId = record.id;
            roles = directory_.ReadRoles(editedId);
        }
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }

    TAddEditOrganizationForm editor(dialogs_, payTypes_, adding, this);
    editor.SetRecord(record);
    editor.SetRoles(roles);
    if (dialogs_.showModal(editor) != mrOk)
        return;
    const ContragentRecord edited = editor.Record();
    const ContragentRoleSet editedRoles = editor.Roles();

    const int group = ui_->cbCTypes->currentIndex();
    const QString caption = windowTitle();
    int savedId = editedId;
    QString failure;
    try {
        selectGroup(0);
        const QString duplicate = directory_.DuplicateMessage(edited, editedId);
        if (!duplicate.isEmpty())
            throw Exception(duplicate);
        setWindowTitle(caption + QStringLiteral(" - выполняется сохранение записи..."));
        savedId = directory_.Save(edited, editedRoles, editedId);
        setWindowTitle(caption + QStringLiteral(" - запись сохранена..."));
    } catch (const Exception& e) {
        failure = e.message();
    }
    try {
        selectGroup(group);
        if (savedId > 0)
            locate(savedId);
    } catch (const Exception& e) {
        failure = failure.isEmpty() ? e.message() : failure;
    }
    if (!failure.isEmpty())
        showError(failure);
}

void TOrganizationsForm::btnDeleteClick()
{
    TClientDataSet& list = directory_.OrgListDS;
    if (!list.Active() || list.IsEmpty()) {
        showError(QStringLiteral("Запись не выбрана"));
        return;
    }
    if (dialogs_.messageBox(QStringLiteral("Вы действительно хотите удалить запись?"), QStringLiteral("Подтверждение"),
                            MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    try {
        directory_.SoftDelete();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TOrganizationsForm::btnExportClick()
{
    TClientDataSet& list = directory_.OrgListDS;
    if (ui_->cbCTypes->currentIndex() > 0 &&
        dialogs_.messageBox(QStringLiteral("Выбрана категория контрагентов \"") + ui_->cbCTypes->currentText() +
                                QStringLiteral("\".\r\nБудет произведен экспорт только для этих контрагентов.\r\n"
                                               "Хотите продолжить экспорт?"),
                            QStringLiteral("Внимание!"), MB_OKCANCEL | MB_ICONWARNING) != IDOK)
        return;
    if (!list.Active() || list.IsEmpty()) {
        dialogs_.messageBox(QStringLiteral("В таблице нет данных о контрагентах!"), QStringLiteral("Велта"),
                            MB_OK | MB_ICONWARNING);
        return;
    }
    const std::optional<QString> path = dialogs_.saveFile(dbfDialog());
    if (!path)
        return;
    try {
        ExportContragentDbf(list, [this](int id) { return directory_.ReadRoles(id); }, *path);
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }
    dialogs_.messageBox(QStringLiteral("Экспорт справочника завершен!"), QStringLiteral("Велта"),
                        MB_OK | MB_ICONINFORMATION);
}

void TOrganizationsForm::btnImportClick()
{
    try {
        selectGroup(0);
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }
    FileDialogOptions options = dbfDialog();
    options.fileMustExist = true;
    const std::optional<QString> path = dialogs_.openFile(options);
    if (!path)
        return;
    QString failure;
    try {
        ImportContragentDbf(directory_, *path);
    } catch (const Exception& e) {
        failure = e.message();
    }
    try {
        runGroupQuery();
    } catch (const Exception& e) {
        failure = failure.isEmpty() ? e.message() : failure;
    }
    if (!failure.isEmpty()) {
        showError(failure);
        return;
    }
    dialogs_.messageBox(QStringLiteral("Импорт справочника контрагентов завершен!\r\n"
                                       "Справочник контрагентов сохранен в базе данных!"),
                        QStringLiteral("Сообщение"), MB_OK | MB_ICONINFORMATION);
}

void TOrganizationsForm::btnOKClick()
{
    if (ui_->btnOK->isEnabled())
        accept();
}

void TOrganizationsForm::done(int result)
{
    timer_->stop();
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

void TOrganizationsForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

bool ChooseContragent(TDCOMConnection& connection, int role, int currentId, Variant::Array& values)
{
    const bool wasConnected = connection.Connected();
    if (!wasConnected)
        connection.Open();
    struct CloseAfter {
        TDCOMConnection& connection;
        bool close;
        ~CloseAfter()
        {
            if (close)
                connection.Close();
        }
    } closeAfter{connection, !wasConnected};

    Dialogs& dialogs = currentDialogs();
    TOrganizationsForm form(dialogs, connection);
    form.SetChooserRole(role);
    form.SetStartRecord(currentId);
    if (dialogs.showModal(form) != mrOk)
        return false;
    TClientDataSet& list = form.Directory().OrgListDS;
    if (!list.Active() || list.IsEmpty() || list.FieldByName(QStringLiteral("CONTR_ID")).AsInteger() <= 0)
        return false;
    values = ChooserValues(list);
    return true;
}

void ShowContragentDirectory(TDCOMConnection& connection)
{
    Dialogs& dialogs = currentDialogs();
    TOrganizationsForm form(dialogs, connection);
    dialogs.showModal(form);
}

} // namespace velta::directories
