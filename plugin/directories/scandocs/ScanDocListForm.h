#pragma once
// TScanDocListForm: the register of scanned documents. Three pages without
// tabs: the list with its group, search and filter; the registration of one
// document with its page images; the document types. The work on data and
// files is ScanDocRegister's; this class gathers the controls' values.
// Laid out in ScanDocListForm.ui.
#include "plugin/data/DataSource.h"
#include "plugin/directories/scandocs/ScanDocPages.h"
#include "plugin/directories/scandocs/ScanDocRegister.h"

#include <QDialog>
#include <QPixmap>
#include <memory>

class QButtonGroup;
class QLineEdit;

namespace Ui {
class TScanDocListForm;
}

namespace velta {
class Dialogs;
namespace core {
class TDBFrm;
}
} // namespace velta

namespace velta::directories::scandocs {

// What the window takes from the host when it opens.
struct ScanDocWindowSettings {
    QString stationName;  // host value 13, "АЗС" when empty
    int workplaceKind = 0; // host value 46
    bool officeWorkplace = false;
};

class TScanDocListForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { List = 0, Adding = 1, Editing = 2, Types = 3 };

    TScanDocListForm(Dialogs& dialogs, core::TDBFrm& db, const ScanDocWindowSettings& settings,
                     QWidget* parent = nullptr);
    ~TScanDocListForm() override;

    int RegisterMode() const { return registerMode_; }
    ScanDocRegister& Register() { return register_; }
    const ScanDocPages& PageFiles() const { return pages_; }
    int SenderId() const { return senderId_; }
    int TargetId() const { return targetId_; }
    int CarrierId() const { return carrierId_; }
    QString GroupFilter() const { return groupFilter_; }

    // Commands.
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnDoSearchClick();
    void cbDocTypesChange();
    void btnEditScanDocTypesClick();
    void btnOKClick();
    void btnCancelClick();
    void btnCntSenderClick();
    void btnCntTargetClick();
    void btnCntPerClick();
    void btnOperatorClick();
    void btnPagePlusClick();
    void btnPageMinusClick();
    void btnOpenImageClick();
    void PageButtonClick(int index);
    void cbImgSizeChange();
    void btnImgEditClick();
    void btnImgOpenClick();
    void nbInsertClick();
    void btnEditTypeClick();
    void nbPostClick();
    void nbCancelClick();

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void fillTypeLists();
    void applyGroupFilter();
    void showPage(int mode);
    void clearRegistration();
    void loadForEdit();
    void warnMissingFiles(const QStringList& pages);
    ScanDocEntry gatheredEntry() const;
    void chooseContragent(int role, int& id, QLineEdit& edit);
    void rebuildPageButtons();
    void setPageEditing(bool enabled);
    void showSelectedPage();
    void applyPreviewSize();
    QString checkedImageFile() const;
    void showTypeValues();
    void setTypeEditing(bool editing);
    void showError(const QString& message);
    template <class F>
    void guarded(F&& command);

    Dialogs& dialogs_;
    core::TDBFrm& db_;
    ScanDocWindowSettings settings_;
    ScanDocRegister register_;
    std::unique_ptr<Ui::TScanDocListForm> ui_;
    TDataSource typesLink_;
    QButtonGroup* pageButtons_ = nullptr;
    ScanDocPages pages_;
    QPixmap picture_;
    int registerMode_ = List;
    int senderId_ = 0;
    int targetId_ = 0;
    int carrierId_ = 0;
    QString groupFilter_;
};

// Creates the register over the data module, shows it modally and destroys it.
void ShowScanDocRegister(Dialogs& dialogs, core::TDBFrm& db);

} // namespace velta::directories::scandocs
