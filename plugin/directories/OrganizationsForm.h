#pragma once
// TOrganizationsForm: the contragent directory window. It lists a group of
// contragents (all, one role, one contract payment type), searches and
// filters the list, adds, edits and softly deletes contragents with their
// roles, exchanges them with dBase files, and serves as the chooser of one
// role for other windows (ChooseContragent). Laid out in OrganizationsForm.ui.
#include "plugin/directories/ContractPayTypes.h"
#include "plugin/directories/ContragentDirectory.h"
#include "plugin/data/DataSource.h"

#include <QDialog>
#include <QString>
#include <memory>

class QTimer;

namespace Ui {
class TOrganizationsForm;
}

namespace velta {
class Dialogs;
class TDCOMConnection;
class TField;
}

namespace velta::directories {

class BoldTitleStyle;

class TOrganizationsForm : public QDialog {
    Q_OBJECT
public:
    // The lists live on the connection, which must be open.
    TOrganizationsForm(Dialogs& dialogs, TDCOMConnection& connection, QWidget* parent = nullptr);
    ~TOrganizationsForm() override;

    // As a chooser: the group of the role is preselected, OK needs it, and a
    // new contragent starts with the role. 0: no group required.
    void SetChooserRole(int role);
    // The record made current when the window shows.
    void SetStartRecord(int id) { startRecord_ = id; }

    // What showing does: the group's list opened and the start record made current.
    void FormShow();
    // Commands and handlers, public so tests run them as the user does.
    void cbCTypesChange();
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnDoSearchClick();
    void edSearchTextChange();
    void btnExportClick();
    void btnImportClick();
    void btnOKClick();
    void DBGrid1TitleClick(TField* field);
    void Timer1Timer();

    ContragentDirectory& Directory() { return directory_; }
    // The CTYPE of the group selected (1 for a payment type item).
    int SelectedRole() const;
    // The column the list is sorted by, and the title shown bold (-1: none).
    QString SortField() const;
    int BoldTitle() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void completeLayout();
    void connectControls();
    void fillGroups();
    void selectGroup(int index);
    void runGroupQuery();
    void setUpListFields();
    void sortBy(int column);
    void updateChooserState();
    void editRecord(bool adding);
    void locate(int id);
    void showError(const QString& message);

    Dialogs& dialogs_;
    ContragentDirectory directory_;
    TDataSource source_;
    std::unique_ptr<Ui::TOrganizationsForm> ui_;
    BoldTitleStyle* titleStyle_ = nullptr; // owned by the grid's title row
    QTimer* timer_ = nullptr;
    QList<ContractPayType> payTypes_;
    int chooserRole_ = 0;
    int startRecord_ = 0;
    bool shown_ = false;
};

// Shows the directory modally over the connection (opened when closed, and
// closed again afterwards) with the group of role preselected and the record
// currentId current. When the user confirms a contragent, true and values =
// its 19 values (ChooserValues).
bool ChooseContragent(TDCOMConnection& connection, int role, int currentId, Variant::Array& values);

// The directory as a window of its own, without a group required.
void ShowContragentDirectory(TDCOMConnection& connection);

} // namespace velta::directories
