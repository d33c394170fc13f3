#include "plugin/directories/scandocs/ScanDocListForm.h"

#include "ui_ScanDocListForm.h"

#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/Field.h"
#include "plugin/directories/OrganizationsForm.h"
#include "plugin/directories/scandocs/ScanDocFilter.h"
#include "plugin/directories/scandocs/ScanDocPreview.h"
#include "plugin/directories/scandocs/ScanDocStorage.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QButtonGroup>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QProcess>
#include <QScrollBar>
#include <QToolButton>
#include <QUrl>
#include <cmath>

namespace velta::directories::scandocs {

namespace {

const QString kAttention = QStringLiteral("Внимание!");
const QString kAllDocuments = QStringLiteral("Все документы");

// Contragent roles of the choosers.
constexpr int kRoleSender = 2;
constexpr int kRoleTarget = 3;
constexpr int kRoleCarrier = 4;
// Image edit stays open for this many whole hours after registration.
constexpr int kImageEditHours = 25;

QString imageEditor()
{
    const QString program = qEnvironmentVariable("VELTA_IMAGE_EDITOR");
    return program.isEmpty() ? QStringLiteral("xdg-open") : program;
}

// The editor's note names MS Paint only when it is the program that runs.
QString editorNote(const QString& program)
{
    const bool paint = QFileInfo(program).baseName().compare(QStringLiteral("mspaint"), Qt::CaseInsensitive) == 0;
    return QStringLiteral("Графический файл открыт в программе") + (paint ? QStringLiteral(" MS Paint") : QString())
           + QStringLiteral(".\r\nПри необходимости Вы можете внести изменения в\r\n"
                            "изображение документа (исправить поворот, яркость,\r\n"
                            "масштаб и др.). После внесения изменений сохраните\r\n"
                            "файл и нажмите кнопку \"ОК\" для того, чтобы программа\r\n"
                            "перезагрузила изображение. Если вы не внесли \r\n"
                            "никаких изменений, то нажмите \"Отмена\"");
}

} // namespace

TScanDocListForm::TScanDocListForm(Dialogs& dialogs, core::TDBFrm& db, const ScanDocWindowSettings& settings,
                                   QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), db_(db), settings_(settings),
      register_(db, dialogs, StorageRoot(settings.workplaceKind),
                settings.stationName.isEmpty() ? QStringLiteral("АЗС") : settings.stationName),
      ui_(std::make_unique<Ui::TScanDocListForm>()), typesLink_(&db.dsScanDocTypes)
{
    ui_->setupUi(this);
    ui_->DBGrid1->SetDataSource(&db_.ScanDocSource);
    ui_->DBGrid1->SetDialogs(&dialogs_);
    ui_->DBGrid2->SetDataSource(&db_.ScanDocTypesSource);
    ui_->DBGrid2->SetDialogs(&dialogs_);
    ui_->nbDelete->setEnabled(false); // types are never deleted here
    ui_->ScrollBox1->installEventFilter(this);
    pageButtons_ = new QButtonGroup(this);
    pageButtons_->setExclusive(true);
    connectControls();
    showPage(List);
    register_.Open();
    fillTypeLists();
    applyGroupFilter();
    showTypeValues();
    setTypeEditing(false);
    if (settings_.officeWorkplace) {
        ui_->btnEditScanDocTypes->setEnabled(false);
        ui_->btnOK->setEnabled(false);
    }
    FormPlacement(*this).restore(*this);
}

TScanDocListForm::~TScanDocListForm()
{
    typesLink_.OnDataChange = nullptr;
}

void TScanDocListForm::connectControls()
{
    connect(ui_->btnAdd, &QPushButton::clicked, this, &TScanDocListForm::btnAddClick);
    connect(ui_->btnEdit, &QPushButton::clicked, this, &TScanDocListForm::btnEditClick);
    connect(ui_->btnDelete, &QPushButton::clicked, this, &TScanDocListForm::btnDeleteClick);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this, [this] { btnEditClick(); });
    connect(ui_->btnDoSearch, &QToolButton::clicked, this, &TScanDocListForm::btnDoSearchClick);
    connect(ui_->rbSearch, &QRadioButton::clicked, this, &TScanDocListForm::btnDoSearchClick);
    connect(ui_->RadioButton1, &QRadioButton::clicked, this, &TScanDocListForm::btnDoSearchClick);
    connect(ui_->edSearchText, &QLineEdit::returnPressed, this, &TScanDocListForm::btnDoSearchClick);
    connect(ui_->cbDocTypes, &QComboBox::activated, this, &TScanDocListForm::cbDocTypesChange);
    connect(ui_->btnEditScanDocTypes, &QPushButton::clicked, this, &TScanDocListForm::btnEditScanDocTypesClick);
    connect(ui_->btnOK, &QPushButton::clicked, this, &TScanDocListForm::btnOKClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &TScanDocListForm::btnCancelClick);
    connect(ui_->btnCntSender, &QToolButton::clicked, this, &TScanDocListForm::btnCntSenderClick);
    connect(ui_->btnCntTarget, &QToolButton::clicked, this, &TScanDocListForm::btnCntTargetClick);
    connect(ui_->btnCntPer, &QToolButton::clicked, this, &TScanDocListForm::btnCntPerClick);
    connect(ui_->btnOperator, &QToolButton::clicked, this, &TScanDocListForm::btnOperatorClick);
    connect(ui_->btnPagePlus, &QToolButton::clicked, this, &TScanDocListForm::btnPagePlusClick);
    connect(ui_->btnPageMinus, &QToolButton::clicked, this, &TScanDocListForm::btnPageMinusClick);
    connect(ui_->btnOpenImage, &QPushButton::clicked, this, &TScanDocListForm::btnOpenImageClick);
    connect(pageButtons_, &QButtonGroup::idClicked, this, &TScanDocListForm::PageButtonClick);
    connect(ui_->cbImgSize, &QComboBox::currentIndexChanged, this, &TScanDocListForm::cbImgSizeChange);
    connect(ui_->btnImgEdit, &QPushButton::clicked, this, &TScanDocListForm::btnImgEditClick);
    connect(ui_->btnImgOpen, &QPushButton::clicked, this, &TScanDocListForm::btnImgOpenClick);
    connect(ui_->nbInsert, &QToolButton::clicked, this, &TScanDocListForm::nbInsertClick);
    connect(ui_->btnEditType, &QPushButton::clicked, this, &TScanDocListForm::btnEditTypeClick);
    connect(ui_->nbPost, &QToolButton::clicked, this, &TScanDocListForm::nbPostClick);
    connect(ui_->nbCancel, &QToolButton::clicked, this, &TScanDocListForm::nbCancelClick);
    typesLink_.OnDataChange = [this](TDataSource&, TField* field) {
        if (!field)
            showTypeValues();
    };
}

template <class F>
void TScanDocListForm::guarded(F&& command)
{
    try {
        command();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TScanDocListForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void TScanDocListForm::showPage(int mode)
{
    registerMode_ = mode;
    QWidget* pages[] = {ui_->tsList, ui_->tsRegister, ui_->tsRegister, ui_->tsTypes};
    ui_->PageControl1->setCurrentWidget(pages[mode]);
}

void TScanDocListForm::fillTypeLists()
{
    const QList<ScanDocType> types = register_.Types();
    ui_->cbDocTypes->clear();
    ui_->cbDocType->clear();
    ui_->cbDocTypes->addItem(kAllDocuments, -1);
    for (const ScanDocType& type : types) {
        ui_->cbDocTypes->addItem(type.name, type.id);
        ui_->cbDocType->addItem(type.name, type.id);
    }
    ui_->cbDocTypes->setCurrentIndex(0);
    ui_->cbDocType->setCurrentIndex(types.isEmpty() ? -1 : 0);
}

void TScanDocListForm::applyGroupFilter()
{
    const QVariant id = ui_->cbDocTypes->currentData();
    groupFilter_ = scandocs::GroupFilter(id.isValid() ? id.toInt() : -1);
    register_.SetFilter(groupFilter_);
}

void TScanDocListForm::cbDocTypesChange()
{
    guarded([&] {
        applyGroupFilter();
        if (!ui_->edSearchText->text().isEmpty())
            btnDoSearchClick();
    });
}

void TScanDocListForm::btnDoSearchClick()
{
    guarded([&] {
        const QString fieldName = SearchFieldNames().value(ui_->cbFieldName->currentIndex(), SearchFieldNames().first());
        const QString text = ui_->edSearchText->text();
        if (ui_->rbSearch->isChecked()) {
            register_.SetFilter(groupFilter_);
            if (!text.isEmpty())
                register_.Search(fieldName, text);
        } else {
            register_.SetFilter(SearchFilter(groupFilter_, fieldName, text));
        }
    });
}

// Registration page.

void TScanDocListForm::clearRegistration()
{
    ui_->edDocNumber->clear();
    ui_->dtpDocData->SetDate(DateOf(Clock::current().now()));
    senderId_ = targetId_ = carrierId_ = 0;
    ui_->edCntSender->clear();
    ui_->edCntTarget->clear();
    ui_->edCntPer->clear();
    ui_->edOperator->clear();
    ui_->edDriver->clear();
    ui_->edOther->clear();
    pages_.Reset();
    rebuildPageButtons();
    showSelectedPage();
}

void TScanDocListForm::btnAddClick()
{
    guarded([&] {
        if (ui_->cbDocType->count() == 0)
            throw Exception(QStringLiteral("Сперва необходимо настроить типы документов! Для этого в области "
                                           "\"Отображать группу документов\" нажмите кнопку \"...\""));
        clearRegistration();
        const int group = ui_->cbDocTypes->currentData().toInt();
        const int index = ui_->cbDocType->findData(group);
        ui_->cbDocType->setCurrentIndex(index >= 0 ? index : 0);
        setPageEditing(true);
        ui_->btnImgEdit->setEnabled(true);
        showPage(Adding);
        ui_->edDocNumber->setFocus();
    });
}

void TScanDocListForm::btnEditClick()
{
    guarded([&] { loadForEdit(); });
}

void TScanDocListForm::loadForEdit()
{
    const ScanDocEntry entry = register_.ReadCurrent();
    ui_->edDocNumber->setText(entry.number);
    ui_->dtpDocData->SetDate(entry.docDate);
    ui_->cbDocType->setCurrentIndex(ui_->cbDocType->findData(entry.typeId));
    senderId_ = entry.senderId;
    targetId_ = entry.targetId;
    carrierId_ = entry.carrierId;
    ui_->edCntSender->setText(entry.sender);
    ui_->edCntTarget->setText(entry.target);
    ui_->edCntPer->setText(entry.carrier);
    ui_->edOperator->setText(entry.operatorName);
    ui_->edDriver->setText(entry.driver);
    ui_->edOther->setText(entry.other);
    pages_.Load(entry.pages);
    rebuildPageButtons();
    showPage(Editing);
    warnMissingFiles(entry.pages);
    showSelectedPage();
    setPageEditing(false);
    const double hours = (Clock::current().now() - entry.registered) * 24.0;
    ui_->btnImgEdit->setEnabled(std::floor(hours + 1e-9) < kImageEditHours);
}

void TScanDocListForm::warnMissingFiles(const QStringList& pages)
{
    const QStringList missing = MissingFiles(pages);
    if (missing.isEmpty())
        return;
    dialogs_.messageBox(QStringLiteral("Обнаружены несуществующие файлы страниц документа:\r\n\r\n")
                            + missing.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")
                            + QStringLiteral("Возможно они были удалены! Без этих файлов запись\r\n")
                            + QStringLiteral("о документе недействительна! Рекомендуется\r\n")
                            + QStringLiteral("вернуть файлы на место!"),
                        kAttention, MB_OK | MB_ICONWARNING);
}

void TScanDocListForm::btnDeleteClick()
{
    guarded([&] {
        if (!db_.dsScanDoc.Active() || db_.dsScanDoc.IsEmpty())
            throw Exception(QStringLiteral("Запись не выбрана!"));
        if (dialogs_.messageBox(QStringLiteral("Вы действительно хотите удалить запись?"), kAttention,
                                MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
        register_.DeleteCurrent();
    });
}

ScanDocEntry TScanDocListForm::gatheredEntry() const
{
    ScanDocEntry entry;
    const QVariant type = ui_->cbDocType->currentData();
    entry.typeId = type.isValid() ? type.toInt() : 0;
    entry.typeName = ui_->cbDocType->currentText();
    entry.number = ui_->edDocNumber->text();
    entry.docDate = ui_->dtpDocData->Date();
    entry.senderId = senderId_;
    entry.targetId = targetId_;
    entry.carrierId = carrierId_;
    entry.sender = ui_->edCntSender->text();
    entry.target = ui_->edCntTarget->text();
    entry.carrier = ui_->edCntPer->text();
    entry.operatorName = ui_->edOperator->text();
    entry.driver = ui_->edDriver->text();
    entry.other = ui_->edOther->text();
    entry.pages = pages_.Files();
    return entry;
}

void TScanDocListForm::chooseContragent(int role, int& id, QLineEdit& edit)
{
    guarded([&] {
        Variant::Array values;
        if (!ChooseContragent(db_.VeltaServer, role, id, values) || values.size() < 3)
            return;
        id = values.at(0).toInt();
        edit.setText(values.at(2).toString());
    });
}

void TScanDocListForm::btnCntSenderClick()
{
    chooseContragent(kRoleSender, senderId_, *ui_->edCntSender);
}

void TScanDocListForm::btnCntTargetClick()
{
    chooseContragent(kRoleTarget, targetId_, *ui_->edCntTarget);
}

void TScanDocListForm::btnCntPerClick()
{
    chooseContragent(kRoleCarrier, carrierId_, *ui_->edCntPer);
}

void TScanDocListForm::btnOperatorClick()
{
    guarded([&] { ui_->edOperator->setText(core::HostValues::operatorName()); });
}

// Pages.

void TScanDocListForm::rebuildPageButtons()
{
    for (QAbstractButton* button : pageButtons_->buttons()) {
        pageButtons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < pages_.Count(); ++i) {
        auto* button = new QToolButton(ui_->ButtonGroup1);
        button->setObjectName(QStringLiteral("btnPage%1").arg(i + 1));
        button->setText(ScanDocPages::Caption(i));
        button->setCheckable(true);
        button->setChecked(i == pages_.Selected());
        ui_->ButtonGroup1Layout->addWidget(button);
        pageButtons_->addButton(button, i);
    }
}

void TScanDocListForm::setPageEditing(bool enabled)
{
    ui_->btnPagePlus->setEnabled(enabled);
    ui_->btnPageMinus->setEnabled(enabled);
    ui_->btnOpenImage->setEnabled(enabled);
}

void TScanDocListForm::btnPagePlusClick()
{
    guarded([&] {
        pages_.Add(static_cast<int>(pageButtons_->buttons().size()));
        rebuildPageButtons();
        showSelectedPage();
    });
    if (pages_.SelectedFile().isEmpty())
        btnOpenImageClick();
}

void TScanDocListForm::btnPageMinusClick()
{
    guarded([&] {
        pages_.RemoveSelected(static_cast<int>(pageButtons_->buttons().size()));
        rebuildPageButtons();
        showSelectedPage();
    });
}

void TScanDocListForm::PageButtonClick(int index)
{
    pages_.Select(index);
    showSelectedPage();
}

void TScanDocListForm::btnOpenImageClick()
{
    guarded([&] {
        FileDialogOptions options;
        options.filter = QStringLiteral("Графические файлы|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.tif;*.tiff|Все файлы|*.*");
        options.fileName = pages_.SelectedFile();
        const std::optional<QString> chosen = dialogs_.openFile(options);
        if (!chosen)
            return;
        const QString file = Paths::fromNative(*chosen);
        const int usedBy = pages_.PageUsing(file);
        if (usedBy > 0
            && dialogs_.messageBox(QStringLiteral("Указанный графический файл\r\n") + file + QStringLiteral("\r\n")
                                       + QStringLiteral("уже выбран на Стр. ") + QString::number(usedBy)
                                       + QStringLiteral("\r\n")
                                       + QStringLiteral("Хотите выбрать этот же файл для текущей страницы?"),
                                   kAttention, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
            return;
        pages_.SetSelectedFile(file);
        showSelectedPage();
    });
}

void TScanDocListForm::showSelectedPage()
{
    const QString file = pages_.SelectedFile();
    picture_ = file.isEmpty() ? QPixmap() : QPixmap(Paths::toNative(file));
    applyPreviewSize();
}

void TScanDocListForm::applyPreviewSize()
{
    const QSize size = PreviewSize(ui_->cbImgSize->currentText(), ui_->ScrollBox1->viewport()->size(), picture_.size());
    if (size.isEmpty()) {
        ui_->imgScanDoc->clear();
        ui_->imgScanDoc->resize(0, 0);
    } else {
        ui_->imgScanDoc->setPixmap(picture_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        ui_->imgScanDoc->resize(size);
    }
    ui_->ScrollBox1->horizontalScrollBar()->setValue(0);
    ui_->ScrollBox1->verticalScrollBar()->setValue(0);
}

void TScanDocListForm::cbImgSizeChange()
{
    applyPreviewSize();
}

bool TScanDocListForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->ScrollBox1 && event->type() == QEvent::Resize)
        applyPreviewSize();
    return QDialog::eventFilter(watched, event);
}

QString TScanDocListForm::checkedImageFile() const
{
    const QString file = pages_.SelectedFile();
    if (file.isEmpty())
        throw Exception(QStringLiteral("Имя графического файла неизвестно!"));
    if (!Paths::fileExists(file))
        throw Exception(QStringLiteral("Графический файл не существует!"));
    return file;
}

void TScanDocListForm::btnImgEditClick()
{
    guarded([&] {
        const QString file = checkedImageFile();
        const QString program = imageEditor();
        QProcess editor;
        editor.setProgram(program);
        editor.setArguments({Paths::toNative(file)});
        if (!editor.startDetached())
            throw Exception(program + QStringLiteral(": ") + editor.errorString());
        if (dialogs_.messageBox(editorNote(program), kAttention, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK)
            showSelectedPage();
    });
}

void TScanDocListForm::btnImgOpenClick()
{
    guarded([&] {
        const QString file = checkedImageFile();
        QDesktopServices::openUrl(QUrl::fromLocalFile(Paths::toNative(file)));
    });
}

// Types page.

void TScanDocListForm::btnEditScanDocTypesClick()
{
    showPage(Types);
    showTypeValues();
    setTypeEditing(register_.TypeEditing());
}

void TScanDocListForm::showTypeValues()
{
    TClientDataSet& types = db_.dsScanDocTypes;
    const bool any = types.Active() && !types.IsEmpty();
    ui_->edDocType->setText(any ? types.FieldByName(QStringLiteral("NAME")).AsString() : QString());
    ui_->edDocPrefix->setText(any ? types.FieldByName(QStringLiteral("FILEPREFIX")).AsString() : QString());
}

void TScanDocListForm::setTypeEditing(bool editing)
{
    ui_->DBGrid2->setEnabled(!editing);
    ui_->edDocType->setReadOnly(!editing);
    ui_->edDocPrefix->setReadOnly(!editing);
}

void TScanDocListForm::nbInsertClick()
{
    guarded([&] {
        ui_->edDocType->setFocus();
        db_.dsScanDocTypes.Append();
        ui_->edDocType->clear();
        ui_->edDocPrefix->clear();
        setTypeEditing(true);
    });
}

void TScanDocListForm::btnEditTypeClick()
{
    guarded([&] {
        ui_->edDocType->setFocus();
        db_.dsScanDocTypes.Edit();
        setTypeEditing(true);
    });
}

void TScanDocListForm::nbPostClick()
{
    guarded([&] {
        TClientDataSet& types = db_.dsScanDocTypes;
        if (register_.TypeEditing()) {
            types.FieldByName(QStringLiteral("NAME")).SetAsString(ui_->edDocType->text());
            types.FieldByName(QStringLiteral("FILEPREFIX")).SetAsString(ui_->edDocPrefix->text());
            types.Post();
        }
    });
    setTypeEditing(register_.TypeEditing());
    if (!register_.TypeEditing())
        showTypeValues();
}

void TScanDocListForm::nbCancelClick()
{
    guarded([&] {
        if (register_.TypeEditing())
            db_.dsScanDocTypes.Cancel();
    });
    setTypeEditing(register_.TypeEditing());
    showTypeValues();
}

// OK and Cancel by mode.

void TScanDocListForm::btnOKClick()
{
    guarded([&] {
        switch (registerMode_) {
        case List:
            accept();
            break;
        case Adding:
            register_.SaveNew(gatheredEntry());
            showPage(List);
            break;
        case Editing:
            register_.SaveCurrent(gatheredEntry());
            showPage(List);
            break;
        case Types:
            if (register_.TypeEditing())
                throw Exception(QStringLiteral(
                    "Необходимо сначала подтвердить или отменить изменения! Для подтверждение нажмите кнопку \"V\", "
                    "для отмены - \"X\" на верхней панели кнопок!"));
            register_.ApplyTypes();
            fillTypeLists();
            applyGroupFilter();
            showPage(List);
            break;
        }
    });
}

void TScanDocListForm::btnCancelClick()
{
    guarded([&] {
        switch (registerMode_) {
        case List:
            QDialog::reject();
            break;
        case Adding:
        case Editing:
            showPage(List);
            break;
        case Types:
            if (register_.TypesChanged()
                && dialogs_.messageBox(QStringLiteral("Были внесены изменения в типы документов.\r\n"
                                                      "После отмены изменения будут потеряны\r\n"
                                                      "Отменить сделанные изменения?"),
                                       kAttention, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) != IDOK)
                return;
            if (register_.TypeEditing())
                db_.dsScanDocTypes.Cancel();
            register_.ReopenTypes();
            setTypeEditing(false);
            showTypeValues();
            showPage(List);
            break;
        }
    });
}

void TScanDocListForm::reject()
{
    btnCancelClick();
}

void ShowScanDocRegister(Dialogs& dialogs, core::TDBFrm& db)
{
    ScanDocWindowSettings settings;
    settings.stationName = core::HostValues::stationName();
    settings.workplaceKind = core::HostValues::workplaceKind();
    settings.officeWorkplace = core::state().isOfficeWorkplace;
    struct CloseAfter {
        core::TDBFrm& db;
        ~CloseAfter()
        {
            db.dsScanDoc.Close();
            db.dsScanDoc.SetFilter(QString());
            db.dsScanDocTypes.Close();
        }
    } closeAfter{db};
    TScanDocListForm form(dialogs, db, settings);
    dialogs.showModal(form);
    FormPlacement(form).save(form);
}

} // namespace velta::directories::scandocs
