#pragma once
// TTovCheckOnVidOplForm: for each enabled payment type of the station, whether
// its cash register receipts print with the common template or a template of
// its own, kept in PredChecks.txt; the template editor opens on either, and an
// applied template is written at once. "Применить" writes every choice.
#include "plugin/receipts/editor/TemplatePayTypes.h"
#include "plugin/receipts/template/PredChecksFile.h"

#include <QDialog>
#include <QList>
#include <memory>

namespace Ui {
class TTovCheckOnVidOplForm;
}

namespace velta {
class Dialogs;
}

namespace velta::receipts {

// Reads the host's payment types and shows the window modally over the file
// of the workplace (host value 46). Raises "Не удалось загрузить список видов
// оплаты!" or "Все виды оплаты отключены!" instead of opening.
void OpenReceiptTemplateSettings(Dialogs& dialogs, QWidget* parent = nullptr);

class TTovCheckOnVidOplForm : public QDialog {
    Q_OBJECT
public:
    // The list column of each payment type's cells.
    enum Column { ColumnId, ColumnCode, ColumnName, ColumnCommon, ColumnOwn };

    // Lists the payment types with their stored choices and selects the first.
    TTovCheckOnVidOplForm(Dialogs& dialogs, const PredChecksFile& file, const QList<TemplatePayType>& payTypes,
                          QWidget* parent = nullptr);
    ~TTovCheckOnVidOplForm() override;

    // Commands.
    void lvSelectItem();  // the selected row changed
    void rbClick();       // "Общая" or "своя для ВО" chosen
    void bbAllClick();    // edits the common template
    void bbCustomClick(); // edits the selected payment type's template
    void BitBtn1Click();  // "Применить"
    void BitBtn2Click();  // "Отменить"

    void done(int result) override;

private:
    void fillList();
    void completeLayout();
    void editTemplate(int payTypeCode);
    int selectedRow() const;

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TTovCheckOnVidOplForm> ui_;
    PredChecksFile file_;
    QList<TemplatePayType> payTypes_;
};

} // namespace velta::receipts
