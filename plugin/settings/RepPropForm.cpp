#include "plugin/settings/RepPropForm.h"

#include "ui_RepPropForm.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "plugin/core/HostValues.h"
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/settings/FinRepEditorForm.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/platform/SystemError.h"
#include "plugin/ui/FormPlacement.h"

#include <QFileInfo>
#include <QScreen>
#include <QShowEvent>

namespace velta::settings {

namespace {

const QString kReports = QStringLiteral("Reports");
const QString kMisc = QStringLiteral("Misc");
const QString kSmenaRep = QStringLiteral("SmenaRep");

// The stored separator, or the system's when the stored text is not one character.
QString storedSeparator(TSafeIniFile& ini, const QString& key, QChar system)
{
    const QString value = ini.ReadHexString(kReports, key, QString(system));
    return value.size() == 1 ? value : QString(system);
}

// An INI read gives the defaults when the file cannot be read; the window must
// know, or it would write those defaults over the station's settings. A
// missing file is no error: it holds the defaults.
void checkReadable(const QString& fileName)
{
    if (!QFileInfo::exists(IniFileStore::nativePathOf(fileName)) || IniFileStore::probeReadable(fileName))
        return;
    throw Exception(QStringLiteral("Не удалось прочитать файл %1: %2").arg(fileName,
                                                                             SystemError::message(SystemError::last())));
}

} // namespace

TRepPropForm::TRepPropForm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), ui_(std::make_unique<Ui::TRepPropForm>())
{
    ui_->setupUi(this);
    ui_->cbOneBackReport->setVisible(false);
    kind_ = core::HostValues::privWorkplaceKind();

    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TRepPropForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->Button1, &QPushButton::clicked, this, &TRepPropForm::Button1Click);
    for (QComboBox* box : {ui_->cbDecimalSeparator, ui_->cbThousandSeparator})
        connect(box, &QComboBox::editTextChanged, this, [this, box] { separatorChanged(*box); });

    if (!FormPlacement(*this, FormPlacement::reportsKey()).restore(*this) && screen())
        move(screen()->availableGeometry().center() - rect().center());
}

TRepPropForm::~TRepPropForm() = default;

void TRepPropForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TRepPropForm::FormShow()
{
    ui_->PageControl1->setCurrentIndex(0);
    ui_->PageControl1->setTabVisible(ui_->PageControl1->indexOf(ui_->TabSheet2), EditsCommonSettings());
    try {
        readSettings();
    } catch (const Exception& e) {
        // The controls hold defaults, not the settings: OK may not save them.
        readError_ = e.message();
        ui_->BitBtn1->setEnabled(false);
        showError(readError_);
    }
}

void TRepPropForm::readSettings()
{
    checkReadable(CnfIniFileName());
    TSafeIniFile ini(CnfIniFileName());
    if (EditsCommonSettings()) {
        ui_->seDecL->SetValue(ini.ReadInteger(kReports, QStringLiteral("DecL"), 2));
        ui_->seDecKg->SetValue(ini.ReadInteger(kReports, QStringLiteral("DecKg"), 2));
        ui_->seDecL2->SetValue(ini.ReadInteger(kReports, QStringLiteral("DecL2"), 2));
        ui_->seDecKg2->SetValue(ini.ReadInteger(kReports, QStringLiteral("DecKg2"), 2));
        const bool byLitres = ini.ReadInteger(kMisc, QStringLiteral("RepSmType"), 0) != 0;
        ui_->RadioButton1->setChecked(!byLitres);
        ui_->RadioButton2->setChecked(byLitres);
        const TFormatSettings system = TFormatSettings::systemDefaults();
        ui_->cbDecimalSeparator->setEditText(
            storedSeparator(ini, QStringLiteral("DecimalSeparator"), system.DecimalSeparator));
        CheckSeparator(*ui_->cbDecimalSeparator);
        ui_->cbThousandSeparator->setEditText(
            storedSeparator(ini, QStringLiteral("ThousandSeparator"), system.ThousandSeparator));
        CheckSeparator(*ui_->cbThousandSeparator);
        const bool byName = ini.ReadInteger(kSmenaRep, QStringLiteral("SiloReportSortField"), 0) == 1;
        ui_->rgSiloReportSortField0->setChecked(!byName);
        ui_->rgSiloReportSortField1->setChecked(byName);
        ui_->RoundCB->setChecked(!ini.ReadBool(kSmenaRep, QStringLiteral("RoundRVal"), false));
        ui_->seMaxReportSize->SetValue(ini.ReadInteger(kReports, QStringLiteral("MaxSize"), 30));
        ui_->seMaxRows->SetValue(ini.ReadInteger(kReports, QStringLiteral("MaxRows"), 30000));
        ui_->cbFinPrcDelim->setChecked(ini.ReadBool(kReports, QStringLiteral("FinPrcDelim"), false));
        ui_->cbRezGroupByGSM->setChecked(ini.ReadBool(kReports, QStringLiteral("RezGrGSM"), false));
        ui_->cbRepeatHead->setChecked(ini.ReadBool(kReports, QStringLiteral("RepeatH"), true));
    }
    if (kind_ == 0) {
        ui_->cbOneBackReport->setVisible(true);
        ui_->cbOneBackReport->setChecked(ini.ReadBool(kReports, QStringLiteral("OneBRep"), false));
    }
    ui_->chbAllowExport->setChecked(ini.ReadBool(kReports, QStringLiteral("AllowExportReports"), true));
    ui_->chbAllowOldReports->setChecked(ini.ReadBool(kReports, QStringLiteral("AllowOldReports"), false));
}

void TRepPropForm::CheckSeparator(QComboBox& box)
{
    const QString text = box.currentText();
    if (text.size() != 1)
        throw Exception(QStringLiteral("Разделитель может состоять только из одного символа!"));
    box.setToolTip(QStringLiteral("Код символа: 0x") +
                   QString::number(codec::unicodeToCp1251(text[0].unicode()), 16).toUpper());
}

void TRepPropForm::separatorChanged(QComboBox& box)
{
    try {
        CheckSeparator(box);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRepPropForm::BitBtn1Click()
{
    if (!readError_.isEmpty()) {
        showError(readError_);
        return;
    }
    if (EditsCommonSettings() && (ui_->cbDecimalSeparator->currentText().size() != 1 ||
                                  ui_->cbThousandSeparator->currentText().size() != 1)) {
        showError(QStringLiteral("Длина разделителя должна быть равна 1"));
        return;
    }
    accept();
}

void TRepPropForm::Button1Click()
{
    try {
        EditFinancialTemplate(dialogs_);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRepPropForm::SaveSettings()
{
    TSafeIniFile ini(CnfIniFileName());
    // One change of the file: other programs see all of the settings or none.
    ini.Atomically([&] {
        if (EditsCommonSettings()) {
            ini.WriteInteger(kReports, QStringLiteral("DecL"), ui_->seDecL->Value());
            ini.WriteInteger(kReports, QStringLiteral("DecKg"), ui_->seDecKg->Value());
            ini.WriteInteger(kReports, QStringLiteral("DecL2"), ui_->seDecL2->Value());
            ini.WriteInteger(kReports, QStringLiteral("DecKg2"), ui_->seDecKg2->Value());
            ini.WriteInteger(kMisc, QStringLiteral("RepSmType"), ui_->RadioButton2->isChecked() ? 1 : 0);
            ini.WriteHexString(kReports, QStringLiteral("DecimalSeparator"), ui_->cbDecimalSeparator->currentText());
            ini.WriteHexString(kReports, QStringLiteral("ThousandSeparator"), ui_->cbThousandSeparator->currentText());
            ini.WriteInteger(kSmenaRep, QStringLiteral("SiloReportSortField"),
                             ui_->rgSiloReportSortField1->isChecked() ? 1 : 0);
            // Kept as a boolean; the shift report reads it as a number.
            ini.WriteBool(kSmenaRep, QStringLiteral("RoundRVal"), !ui_->RoundCB->isChecked());
            ini.WriteInteger(kReports, QStringLiteral("MaxSize"), ui_->seMaxReportSize->Value());
            ini.WriteInteger(kReports, QStringLiteral("MaxRows"), ui_->seMaxRows->Value());
            ini.WriteBool(kReports, QStringLiteral("FinPrcDelim"), ui_->cbFinPrcDelim->isChecked());
            ini.WriteBool(kReports, QStringLiteral("RezGrGSM"), ui_->cbRezGroupByGSM->isChecked());
            ini.WriteBool(kReports, QStringLiteral("RepeatH"), ui_->cbRepeatHead->isChecked());
        }
        if (kind_ == 0)
            ini.WriteBool(kReports, QStringLiteral("OneBRep"), ui_->cbOneBackReport->isChecked());
        ini.WriteBool(kReports, QStringLiteral("AllowExportReports"), ui_->chbAllowExport->isChecked());
        ini.WriteBool(kReports, QStringLiteral("AllowOldReports"), ui_->chbAllowOldReports->isChecked());
    });
}

void TRepPropForm::done(int result)
{
    FormPlacement(*this, FormPlacement::reportsKey()).save(*this);
    if (result == Accepted && readError_.isEmpty()) {
        try {
            SaveSettings();
        } catch (const Exception& e) {
            showError(e.message());
        }
    }
    QDialog::done(result);
}

void TRepPropForm::showError(const QString& message)
{
    dialogs_.messageBox(message, QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
}

void ShowReportSettings(Dialogs& dialogs)
{
    TRepPropForm window(dialogs);
    dialogs.showModal(window);
}

} // namespace velta::settings
