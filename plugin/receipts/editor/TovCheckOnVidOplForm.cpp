#include "plugin/receipts/editor/TovCheckOnVidOplForm.h"

#include "ui_TovCheckOnVidOplForm.h"

#include "common/Exception.h"
#include "plugin/core/HostValues.h"
#include "plugin/receipts/editor/DocCnfForm.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace velta::receipts {

namespace {

const QString kChosen = QStringLiteral("*");

} // namespace

void OpenReceiptTemplateSettings(Dialogs& dialogs, QWidget* parent)
{
    const QList<TemplatePayType> payTypes = LoadTemplatePayTypes();
    const PredChecksFile file(PredChecksFile::nameForWorkplace(core::HostValues::workplaceKind()));
    TTovCheckOnVidOplForm form(dialogs, file, payTypes, parent);
    dialogs.showModal(form);
}

TTovCheckOnVidOplForm::TTovCheckOnVidOplForm(Dialogs& dialogs, const PredChecksFile& file,
                                             const QList<TemplatePayType>& payTypes, QWidget* parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , ui_(std::make_unique<Ui::TTovCheckOnVidOplForm>())
    , file_(file)
    , payTypes_(payTypes)
{
    ui_->setupUi(this);
    connect(ui_->lv, &QTreeWidget::currentItemChanged, this, &TTovCheckOnVidOplForm::lvSelectItem);
    connect(ui_->rb1, &QRadioButton::clicked, this, &TTovCheckOnVidOplForm::rbClick);
    connect(ui_->rb2, &QRadioButton::clicked, this, &TTovCheckOnVidOplForm::rbClick);
    connect(ui_->bbAll, &QPushButton::clicked, this, &TTovCheckOnVidOplForm::bbAllClick);
    connect(ui_->bbCustom, &QPushButton::clicked, this, &TTovCheckOnVidOplForm::bbCustomClick);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TTovCheckOnVidOplForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TTovCheckOnVidOplForm::BitBtn2Click);
    fillList();
    completeLayout();
    FormPlacement(*this).restore(*this);
}

TTovCheckOnVidOplForm::~TTovCheckOnVidOplForm() = default;

void TTovCheckOnVidOplForm::fillList()
{
    ui_->lv->clear();
    for (qsizetype i = 0; i < payTypes_.size(); ++i) {
        const TemplatePayType& type = payTypes_[i];
        const bool own = file_.ownTemplateFlag(type.code) != 0;
        auto* item = new QTreeWidgetItem(ui_->lv);
        item->setText(ColumnId, QString::number(i));
        item->setText(ColumnCode, QString::number(type.code));
        item->setText(ColumnName, type.name);
        item->setText(own ? ColumnOwn : ColumnCommon, kChosen);
        item->setTextAlignment(ColumnCommon, Qt::AlignCenter);
        item->setTextAlignment(ColumnOwn, Qt::AlignCenter);
    }
    if (ui_->lv->topLevelItemCount() > 0)
        ui_->lv->setCurrentItem(ui_->lv->topLevelItem(0));
}

// The ID column stays one pixel wide; the others fit their header and cells.
void TTovCheckOnVidOplForm::completeLayout()
{
    QHeaderView* header = ui_->lv->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    for (int column : {ColumnCode, ColumnName, ColumnCommon, ColumnOwn})
        ui_->lv->resizeColumnToContents(column);
    const QFontMetrics metrics(header->font());
    for (int column : {ColumnCommon, ColumnOwn}) {
        const int width = metrics.horizontalAdvance(ui_->lv->headerItem()->text(column)) + 4 * metrics.averageCharWidth();
        header->resizeSection(column, std::max(header->sectionSize(column), width));
    }
    header->resizeSection(ColumnName, std::max(header->sectionSize(ColumnName), 20 * metrics.averageCharWidth()));
    header->resizeSection(ColumnId, 1);
    int listWidth = 2 * ui_->lv->frameWidth() + ui_->lv->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < header->count(); ++column)
        listWidth += header->sectionSize(column);
    ui_->lv->setMinimumWidth(listWidth);
}

int TTovCheckOnVidOplForm::selectedRow() const
{
    QTreeWidgetItem* item = ui_->lv->currentItem();
    return item ? ui_->lv->indexOfTopLevelItem(item) : -1;
}

void TTovCheckOnVidOplForm::lvSelectItem()
{
    QTreeWidgetItem* item = ui_->lv->currentItem();
    ui_->gbZagot->setEnabled(item != nullptr);
    if (!item)
        return;
    (item->text(ColumnCommon).isEmpty() ? ui_->rb2 : ui_->rb1)->setChecked(true);
    rbClick();
}

void TTovCheckOnVidOplForm::rbClick()
{
    QTreeWidgetItem* item = ui_->lv->currentItem();
    if (!item)
        return;
    const bool common = ui_->rb1->isChecked();
    ui_->bbAll->setEnabled(common);
    ui_->bbCustom->setEnabled(!common);
    item->setText(ColumnCommon, common ? kChosen : QString());
    item->setText(ColumnOwn, common ? QString() : kChosen);
}

void TTovCheckOnVidOplForm::editTemplate(int payTypeCode)
{
    try {
        const TemplateEditResult edited =
            EditReceiptTemplate(dialogs_, payTypeCode, file_.readTemplate(payTypeCode), this);
        if (edited.applied)
            file_.writeTemplate(payTypeCode, edited.text);
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
    }
}

void TTovCheckOnVidOplForm::bbAllClick()
{
    editTemplate(kCommonTemplate);
}

void TTovCheckOnVidOplForm::bbCustomClick()
{
    const int row = selectedRow();
    if (row >= 0)
        editTemplate(payTypes_[row].code);
}

void TTovCheckOnVidOplForm::BitBtn1Click()
{
    try {
        QList<QPair<int, int>> flags;
        for (int row = 0; row < ui_->lv->topLevelItemCount(); ++row) {
            const bool own = ui_->lv->topLevelItem(row)->text(ColumnCommon).isEmpty();
            flags.append({payTypes_[row].code, own ? 1 : 0});
        }
        file_.writeOwnTemplateFlags(flags);
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
        return;
    }
    accept();
}

void TTovCheckOnVidOplForm::BitBtn2Click()
{
    reject();
}

void TTovCheckOnVidOplForm::done(int result)
{
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

} // namespace velta::receipts
