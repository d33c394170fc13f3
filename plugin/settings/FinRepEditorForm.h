#pragma once
// TFinRepEditorForm: edits the table of the financial report's HTML template:
// which payment types get columns, in which order, under which heading, with
// which measures, and which total columns appear. The rows live in an
// in-memory dataset shown in the grid; the template's own descriptor gives
// the starting state. EditFinancialTemplate is the whole procedure: choose the
// file, edit, regenerate the template on OK. Laid out in FinRepEditorForm.ui.
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/settings/FinRepTemplate.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>

namespace Ui {
class TFinRepEditorForm;
}

namespace velta {
class Dialogs;
class TField;
} // namespace velta

namespace velta::settings {

class TFinRepEditorForm : public QDialog {
    Q_OBJECT
public:
    // The template (native path) and the payment types offered for columns.
    TFinRepEditorForm(Dialogs& dialogs, QString fileName, QList<FinRepPayType> payTypes, QWidget* parent = nullptr);
    ~TFinRepEditorForm() override;

    // Fills the rows and the totals from the template. Raises "Не найден
    // файл: " when it is gone.
    void Load();
    // The layout the window holds: enabled rows in ORDERNUM order, the totals.
    FinRepLayout Layout() const;
    // Regenerates the template's table and descriptor from Layout().
    void Save();

    TClientDataSet& Columns() { return columns_; }

    // Window commands, public so tests run them as the framework does.
    // A double click on a boolean cell toggles it and saves the row.
    void DBGrid1DblClick(TField* field);
    void cbShowItogClick();

    void done(int result) override;

private:
    void createColumns();
    void appendRow(const FinRepColumn& column);

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TFinRepEditorForm> ui_;
    QString fileName_;
    QList<FinRepPayType> payTypes_;
    TClientDataSet columns_;
    TDataSource source_;
};

// The host's payment types (name, code) as the plug-in holds them.
QList<FinRepPayType> HostPayTypes();

// Chooses the template through the file dialog, asks before a file of
// another name, shows the editor and saves the template on OK. Raises
// "Файл не найден: " for a chosen file that does not exist.
void EditFinancialTemplate(Dialogs& dialogs);

} // namespace velta::settings
