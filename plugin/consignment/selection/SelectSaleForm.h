#pragma once
// TSelectSaleForm: the choice of the sales a consignment note is made from.
// It lists the station's sales that have no note yet (the data module's sale
// list, opened when shown and closed with the window). With one line per
// note the current sale is taken on OK; in multi-line mode the user marks
// sales with Space, makes one the main sale with M, and OK merges them into
// the note's cargo lines (TSaleSelection). "Пропустить" leaves the choice
// for later. Laid out in SelectSaleForm.ui.
#include "common/Variant.h"
#include "plugin/consignment/selection/DataSetSaleRows.h"
#include "plugin/consignment/selection/SaleSelection.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>

class QKeyEvent;

namespace Ui {
class TSelectSaleForm;
}

namespace velta {
class Dialogs;
}

namespace velta::core {
class TDBFrm;
}

namespace velta::consignment {

class TSelectSaleForm : public QDialog {
    Q_OBJECT
public:
    enum class Outcome { None, Selected, Skipped };

    TSelectSaleForm(Dialogs& dialogs, core::TDBFrm& data, bool multiLine, QWidget* parent = nullptr);
    ~TSelectSaleForm() override;

    // What showing does: the station's columns probed, the list opened.
    void FormShow();
    // Commands and the grid's keys, public so tests run them as users do.
    void btnOKClick();
    void btnSkipClick();
    void btnCancelClick();
    // Space, M and V (the key of the Cyrillic М) in multi-line mode; true
    // when the key was the window's.
    bool DBGrid1KeyDown(QKeyEvent& event);

    bool MultiLine() const { return multiLine_; }
    const TSaleSelection& Selection() const { return selection_; }
    // How the window was left.
    Outcome Result() const { return outcome_; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void completeLayout();
    void openSales();
    void showColumns();
    void roomForMainSale();
    void showError(const QString& message);

    Dialogs& dialogs_;
    core::TDBFrm& data_;
    const bool multiLine_;
    std::unique_ptr<Ui::TSelectSaleForm> ui_;
    DataSetSaleRows rows_;
    TSaleSelection selection_;
    Outcome outcome_ = Outcome::None;
    QString savedCommandText_;
    bool opened_ = false;
    bool closed_ = false;
};

// Lets the user choose the sales of a note over the data module's sales
// (connecting its server for the time if needed). True with the selection
// array in result (and the records, when asked), or with an empty array when
// the user skipped; false when the user cancelled or took nothing, with
// result and records left as they were.
bool SelectSales(Dialogs& dialogs, core::TDBFrm& data, bool multiLine, Variant& result,
                 QList<TTideRecord>* records = nullptr);
// The same over the plug-in's data module.
bool SelectSales(Dialogs& dialogs, bool multiLine, Variant& result, QList<TTideRecord>* records = nullptr);

} // namespace velta::consignment
