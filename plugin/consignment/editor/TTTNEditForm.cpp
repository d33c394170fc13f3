#include "plugin/consignment/editor/TTTNEditForm.h"

#include "ui_TTTNEditForm.h"

#include "common/Exception.h"
#include "plugin/consignment/editor/EditorWidgets.h"
#include "plugin/consignment/editor/TtnWords.h"
#include "plugin/core/DBForm.h"
#include "plugin/directories/OrganizationsForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QShowEvent>
#include <QTimer>

namespace velta::consignment {
namespace {

using L = TtnLineSection;
constexpr std::array kSections{L::Goods, L::Transport, L::Invoice, L::Waybill};

// The six contragent fields: edit box, chooser button, contragent kind, reference.
struct ContragentSlot {
    const char* edit;
    int kind;
    int TtnContragents::*member;
};
constexpr std::array<ContragentSlot, 6> kContragentSlots{{
    {"edGO", 2, &TtnContragents::Go},
    {"edGP", 3, &TtnContragents::Gp},
    {"edPlat", 5, &TtnContragents::Plat},
    {"edPer", 4, &TtnContragents::Per},
    {"edTNPLAT_ID", 5, &TtnContragents::TNPlat},
    {"edTNPOST_ID", 2, &TtnContragents::TNPost},
}};

// The framework's red (colour 255) and the blinking label's other colour.
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
constexpr int kBlinkTicks = 10;

void setTextColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

// The header editors the window hands to the note: the stored columns, the
// free variables and the shipment receipt.
QStringList headerEditorNames()
{
    QStringList names;
    for (const TtnHeaderField& f : ttnHeaderFields())
        names << QString::fromLatin1(f.editor);
    for (int i = 1; i <= 10; ++i) {
        names << QStringLiteral("edVarDsc%1").arg(i) << QStringLiteral("edVarName%1").arg(i)
              << QStringLiteral("edVarValue%1").arg(i);
    }
    names << QStringLiteral("edKVITNUMBER") << QStringLiteral("dtpKVITDATE");
    return names;
}

} // namespace

TTTNEditForm::TTTNEditForm(Dialogs& dialogs, core::TDBFrm& db, TTNEditMode mode,
                           std::optional<SaleSelectionResult> selection, bool multiLine, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), db_(db), selection_(std::move(selection)), editor_(db, mode, multiLine),
      ui_(std::make_unique<Ui::TTTNEditForm>())
{
    ui_->setupUi(this);
    completeLayout();
    connectControls();
    FormPlacement(*this).restore(*this);
}

TTTNEditForm::~TTTNEditForm() = default;

void TTTNEditForm::completeLayout()
{
    ui_->PageControl1->setCurrentIndex(0);
    const TDateTime today = DateOf(SystemNow());
    // Day 0 is the empty date: shown blank rather than as 30.12.1899.
    for (TDatePicker* date : findChildren<TDatePicker*>()) {
        date->setMinimumDate(QDate(1899, 12, 30));
        date->setSpecialValueText(QStringLiteral(" "));
    }
    ui_->dtpDoverDate->SetDate(0);
    ui_->dtpTNOSNDATE->SetDate(0);
    for (TDatePicker* date : {ui_->dtpTTNDate, ui_->dtpDostDate, ui_->dtpSFDATE, ui_->dtpTNDATE, ui_->dtpTNTRDATE,
                              ui_->dtpKVITDATE})
        date->SetDate(today);
    ui_->cbVELTANDS->setChecked(editor_.Vat().Included);
    ui_->seVELTANDS->setValue(editor_.Vat().Rate);
    ui_->seVELTANDS->setEnabled(editor_.Vat().Included);
    ui_->SpeedButton1->setToolTip(QStringLiteral("Запоминает введенные параметры.\r\nВ следующий раз при создании "
                                                 "новой ТТН\r\nредкоизменяемые поля будут заполнены\r\nавтоматически."));
    ui_->lblSummaRecalc->hide();
    ui_->lblMassaRecalc->hide();
    for (QLabel* label : {ui_->lblSummaRecalc, ui_->lblMassaRecalc})
        setTextColor(*label, kRed);
    for (QTabBar* tabs : {ui_->tcTTN1, ui_->tcTTN2, ui_->tcSF, ui_->tcTN}) {
        tabs->setDrawBase(false);
        tabs->setExpanding(false);
    }
    if (!editor_.MultiLine()) {
        ui_->btnAddGruz->setEnabled(false);
        ui_->btnDelGruz->setEnabled(false);
        ui_->btnResetGruz->setEnabled(false);
        ui_->lblAddGruz->hide();
        for (L section : kSections)
            printBoxOf(section)->hide();
    }
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(500);
}

void TTTNEditForm::connectControls()
{
    connect(ui_->btnOK, &QPushButton::clicked, this, &TTTNEditForm::btnOKClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->btnAddGruz, &QPushButton::clicked, this, &TTTNEditForm::btnAddGruzClick);
    connect(ui_->btnDelGruz, &QPushButton::clicked, this, &TTTNEditForm::btnDelGruzClick);
    connect(ui_->btnResetGruz, &QPushButton::clicked, this, &TTTNEditForm::btnResetGruzClick);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TTTNEditForm::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TTTNEditForm::SpeedButton2Click);
    connect(ui_->SpeedButton7, &QPushButton::clicked, this, &TTTNEditForm::SpeedButton7Click);
    const std::array choosers{ui_->Button1, ui_->Button2, ui_->Button3, ui_->Button4, ui_->Button5, ui_->Button6};
    for (int slot = 0; slot < static_cast<int>(choosers.size()); ++slot)
        connect(choosers[slot], &QPushButton::clicked, this, [this, slot] { ChooseContragentClick(slot); });
    const std::array clears{ui_->btnClearGO, ui_->btnClearGP, ui_->btnClearPlat, ui_->btnClearPer};
    for (int slot = 0; slot < static_cast<int>(clears.size()); ++slot)
        connect(clears[slot], &QPushButton::clicked, this, [this, slot] { ClearContragentClick(slot); });
    for (L section : kSections) {
        connect(tabsOf(section), &QTabBar::currentChanged, this,
                [this, section](int index) { tabChanged(section, index); });
        connect(printBoxOf(section), &QCheckBox::toggled, this,
                [this, section](bool checked) { printBoxToggled(section, checked); });
    }
    connect(ui_->cbVELTANDS, &QCheckBox::toggled, ui_->seVELTANDS, &QWidget::setEnabled);
    for (QDoubleSpinBox* spin : {ui_->seAllSumma, ui_->seMNetto, ui_->seMBrutto}) {
        const QString name = spin->objectName();
        connect(spin, &QDoubleSpinBox::valueChanged, this, [this, name](double value) { numberChanged(name, value); });
    }
    for (int i = 1; i <= 10; ++i) {
        auto* value = findChild<QLineEdit*>(QStringLiteral("edVarValue%1").arg(i));
        connect(value, &QLineEdit::textChanged, value, &QWidget::setToolTip);
    }
    connect(blinkTimer_, &QTimer::timeout, this, &TTTNEditForm::BlinkTimerTimer);
}

void TTTNEditForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    start();
}

void TTTNEditForm::start()
{
    try {
        editor_.Values() = gatherHeader();
        editor_.Vat() = {ui_->cbVELTANDS->isChecked(), ui_->seVELTANDS->value()};
        editor_.Start(selection_, DateOf(SystemNow()));
        showHeader(editor_.Values());
        showContragents();
    } catch (const Exception& e) {
        showError(e.message());
    }
    rebuildTabs(0);
}

int TTTNEditForm::ShownLine(TtnLineSection section) const
{
    return shown_[static_cast<size_t>(slotOf(section))];
}

int TTTNEditForm::slotOf(TtnLineSection section)
{
    switch (section) {
    case L::Transport:
        return 1;
    case L::Invoice:
        return 2;
    case L::Waybill:
        return 3;
    default:
        break;
    }
    return 0;
}

QTabBar* TTTNEditForm::tabsOf(TtnLineSection section) const
{
    const std::array tabs{ui_->tcTTN1, ui_->tcTTN2, ui_->tcSF, ui_->tcTN};
    return tabs[static_cast<size_t>(slotOf(section))];
}

QCheckBox* TTTNEditForm::printBoxOf(TtnLineSection section) const
{
    const std::array boxes{ui_->cbPrintToTTN1, ui_->cbPrintToTTN2, ui_->cbPrintToSF, ui_->cbPrintToTN};
    return boxes[static_cast<size_t>(slotOf(section))];
}

TtnEditorValues TTTNEditForm::gatherHeader() const
{
    TtnEditorValues values;
    for (const QString& name : headerEditorNames()) {
        if (const auto* widget = findChild<QWidget*>(name))
            values[name] = EditorWidgetValue(*widget);
    }
    return values;
}

void TTTNEditForm::showHeader(const TtnEditorValues& values)
{
    for (const auto& [name, value] : values) {
        if (auto* widget = findChild<QWidget*>(name))
            SetEditorWidgetValue(*widget, value);
    }
}

void TTTNEditForm::storeSection(TtnLineSection section)
{
    TtnEditorValues values;
    for (const TtnLineField& f : ttnLineFields(section)) {
        const QString name = QString::fromLatin1(f.editor);
        values[name] = EditorWidgetValue(*findChild<QWidget*>(name));
    }
    TtnLineFromEditors(values, section, editor_.Line(ShownLine(section)));
}

void TTTNEditForm::storeAllSections()
{
    for (L section : kSections)
        storeSection(section);
}

void TTTNEditForm::showSection(TtnLineSection section, int index)
{
    const auto& lines = editor_.Lines();
    index = std::clamp(index, 0, static_cast<int>(lines.size()) - 1);
    const TTTNRecord& line = lines[static_cast<size_t>(index)];
    TtnEditorValues values;
    TtnLineToEditors(line, section, values);
    showingLine_ = true;
    for (const auto& [name, value] : values)
        SetEditorWidgetValue(*findChild<QWidget*>(name), value);
    showingLine_ = false;
    shown_[static_cast<size_t>(slotOf(section))] = index;
    QCheckBox& box = *printBoxOf(section);
    setTextColor(box, box.isChecked() ? Qt::black : kRed);
    if (section == L::Goods)
        ui_->btnResetGruz->setEnabled(editor_.MultiLine() && line.IndexSale > 0);
}

void TTTNEditForm::rebuildTabs(int selected)
{
    const int count = static_cast<int>(editor_.Lines().size());
    selected = std::clamp(selected, 0, count - 1);
    rebuilding_ = true;
    for (L section : kSections) {
        QTabBar& tabs = *tabsOf(section);
        while (tabs.count() > 0)
            tabs.removeTab(tabs.count() - 1);
        for (int i = 1; i <= count; ++i)
            tabs.addTab(QStringLiteral("Груз %1").arg(i));
        tabs.setCurrentIndex(selected);
    }
    rebuilding_ = false;
    for (L section : kSections)
        showSection(section, selected);
}

void TTTNEditForm::tabChanged(TtnLineSection section, int index)
{
    if (rebuilding_ || index < 0)
        return;
    try {
        storeSection(section);
    } catch (const Exception& e) {
        showError(e.message());
    }
    showSection(section, index);
}

void TTTNEditForm::showContragents()
{
    for (const ContragentSlot& slot : kContragentSlots) {
        const int id = editor_.Refs().*slot.member;
        if (id > 0)
            findChild<QLineEdit*>(QString::fromLatin1(slot.edit))->setText(editor_.ContragentText(id));
    }
}

void TTTNEditForm::numberChanged(const QString& numberEditor, double value)
{
    TtnEditorValues values;
    TtnSetWithWords(values, numberEditor, value);
    const QString words = TtnWordsEditor(numberEditor);
    findChild<QLineEdit*>(words)->setText(values[words].toString());
}

void TTTNEditForm::printBoxToggled(TtnLineSection section, bool checked)
{
    setTextColor(*printBoxOf(section), checked ? Qt::black : kRed);
    if (section == L::Goods && !showingLine_)
        startBlinking();
}

void TTTNEditForm::startBlinking()
{
    ui_->lblSummaRecalc->show();
    ui_->lblMassaRecalc->show();
    blink_ = {-kBlinkTicks, -kBlinkTicks};
    blinkTimer_->start();
}

void TTTNEditForm::BlinkTimerTimer()
{
    const std::array labels{ui_->lblSummaRecalc, ui_->lblMassaRecalc};
    bool running = false;
    for (size_t i = 0; i < labels.size(); ++i) {
        if (blink_[i] >= 0)
            continue;
        ++blink_[i];
        setTextColor(*labels[i], blink_[i] % 2 == 0 ? kRed : kWhite);
        running = running || blink_[i] < 0;
    }
    if (!running)
        blinkTimer_->stop();
}

void TTTNEditForm::btnAddGruzClick()
{
    try {
        storeAllSections();
        editor_.AddLine();
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }
    const int count = static_cast<int>(editor_.Lines().size());
    rebuilding_ = true;
    for (L section : kSections)
        tabsOf(section)->addTab(QStringLiteral("Груз %1").arg(count));
    rebuilding_ = false;
}

void TTTNEditForm::btnDelGruzClick()
{
    // The shown editors' contents are dropped with the line, not stored.
    const int index = ShownLine(L::Goods);
    try {
        editor_.DeleteLine(index);
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }
    rebuildTabs(index);
}

void TTTNEditForm::btnResetGruzClick()
{
    if (dialogs_.messageBox(QStringLiteral("Вы действительно хотите УСТРАНИТЬ привязку\r\nстроки ТТН к записи отлива?"),
                            QStringLiteral("Внимание!"), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    try {
        editor_.ResetSale(ShownLine(L::Goods));
        ui_->btnResetGruz->setEnabled(false);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNEditForm::SpeedButton2Click()
{
    try {
        storeSection(L::Goods);
        editor_.Values() = gatherHeader();
        ui_->seAllSumma->setValue(editor_.RecalcSum());
        ui_->lblSummaRecalc->hide();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNEditForm::SpeedButton7Click()
{
    try {
        storeSection(L::Goods);
        const double mass = editor_.RecalcMass();
        ui_->seMNetto->setValue(mass);
        ui_->seMBrutto->setValue(mass);
        ui_->lblMassaRecalc->hide();
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNEditForm::SpeedButton1Click()
{
    if (dialogs_.messageBox(QStringLiteral("Вы действительно хотите сохранить введенные значения полей\r\nс тем, чтобы "
                                           "при добавлении новой ТТН все эти значения\r\nвосстанавливались "
                                           "автоматически?"),
                            QStringLiteral("Подтверждение"), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    try {
        TtnEditorValues values = gatherHeader();
        for (const TtnLineField& f : ttnLineFields()) {
            const QString name = QString::fromLatin1(f.editor);
            values[name] = EditorWidgetValue(*findChild<QWidget*>(name));
        }
        editor_.StoreDefaults(values);
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNEditForm::ChooseContragentClick(int slot)
{
    const ContragentSlot& s = kContragentSlots.at(static_cast<size_t>(slot));
    int& reference = editor_.Refs().*s.member;
    try {
        Variant::Array values;
        if (!directories::ChooseContragent(db_.VeltaServer, s.kind, reference, values) || values.empty())
            return;
        reference = values.front().toInt();
        if (reference > 0)
            findChild<QLineEdit*>(QString::fromLatin1(s.edit))->setText(editor_.ContragentText(reference));
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TTTNEditForm::ClearContragentClick(int slot)
{
    const ContragentSlot& s = kContragentSlots.at(static_cast<size_t>(slot));
    if (dialogs_.messageBox(QStringLiteral("Очистить поле?"), QStringLiteral("Подтверждение"),
                            MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    editor_.Refs().*s.member = 0;
    findChild<QLineEdit*>(QString::fromLatin1(s.edit))->clear();
}

void TTTNEditForm::btnOKClick()
{
    try {
        storeAllSections();
        editor_.Values() = gatherHeader();
        editor_.Vat() = {ui_->cbVELTANDS->isChecked(), ui_->seVELTANDS->value()};
        editor_.Save(ui_->edKardNum1->text());
    } catch (const Exception& e) {
        showError(e.message());
        return;
    }
    accept();
}

void TTTNEditForm::done(int result)
{
    blinkTimer_->stop();
    try {
        editor_.Defaults().StoreVat({ui_->cbVELTANDS->isChecked(), ui_->seVELTANDS->value()});
    } catch (const Exception& e) {
        showError(e.message());
    }
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

void TTTNEditForm::showError(const QString& message)
{
    dialogs_.showMessage(message);
}

} // namespace velta::consignment
