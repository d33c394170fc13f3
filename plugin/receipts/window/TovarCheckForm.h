#pragma once
// TTovarCheckForm: the sales receipt window. It lists the station's recent
// sales (the last days or a period) and prints a receipt for the chosen one,
// on a printer through the report viewer or on the cash register's tape from
// the template of the sale's payment type. Laid out in TovarCheckForm.ui; its
// settings stay in its section of the plug-in's placement store.
#include "plugin/receipts/window/SalesQuery.h"
#include "plugin/receipts/window/TovarCheckSettings.h"

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TTovarCheckForm;
}

namespace velta {
class Dialogs;
}

namespace velta::core {
class TDBFrm;
}

namespace velta::receipts {

class TTovarCheckForm : public QDialog {
    Q_OBJECT
public:
    // Binds the grid to the data module's sales and fills the operator.
    TTovarCheckForm(Dialogs& dialogs, core::TDBFrm& data, QWidget* parent = nullptr);
    ~TTovarCheckForm() override;

    // What showing does: the template button enabled by host value 56, the
    // contragent link probed, the list opened, the print button centred.
    void FormShow();
    // Commands, public so tests run them as clicks and keys do.
    void btnUpdateListClick();
    void btnPrintClick();
    void BitBtn3Click();
    void btnEditTovarCheckClick();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void cbEndPeriodClick();
    // Keeps btnPrint centred in the window.
    void FormResize();

    // Whether sales name their contragent from the contragent directory.
    bool ContragentLinked() const { return contragentLinked_; }
    // The list's period as the controls say now.
    SalesPeriod Period() const;
    // The controls' values as they are kept.
    TovarCheckSettings Settings() const;

    // Closing keeps the placement and the settings.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void completeLayout();
    void connectControls();
    void applySettings(const TovarCheckSettings& settings);
    void openSalesList();
    void printSelected();
    void printOnKassa();
    void showError(const QString& message);

    Dialogs& dialogs_;
    core::TDBFrm& data_;
    std::unique_ptr<Ui::TTovarCheckForm> ui_;
    bool contragentLinked_ = false;
    QString openDir_;
    QString saveDir_;
    bool openDirChosen_ = false;
    bool saveDirChosen_ = false;
    bool closed_ = false;
};

// Shows the window modally over the data module's sales.
void ShowSalesReceiptWindow(Dialogs& dialogs, core::TDBFrm& data);

} // namespace velta::receipts
