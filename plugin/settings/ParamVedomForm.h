#pragma once
// TParamVedomFrm: the statement parameters window. Report procedures prepare
// it (which grids and check boxes are enabled, the client and car datasets,
// the client table mark), show it modally in a loop and read it afterwards.
// Laid out in ParamVedomForm.ui. The payment-type ticks are kept in the
// registry ("VedomProp") on every close, the period texts by the window's
// placement store.
#include "common/DateTime.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>

class QCheckBox;

namespace Ui {
class TParamVedomFrm;
}

namespace velta {
class Dialogs;
class TDataSource;
} // namespace velta

namespace velta::settings {

// The registry key of the statement payment types and the window's position.
inline constexpr char16_t kVedomPropKey[] = u"VedomProp";

// The client query of the statement reports for the ticked payment codes, in
// list order: clients of the client table with client types (newContragentTable)
// or of the older statement-client table. No code selects nothing.
QString StatementClientQuery(const QList<int>& codes, bool newContragentTable);

class TParamVedomFrm : public QDialog {
    Q_OBJECT
public:
    // Lists the statement payment types (code mod 100 = 4) ticked as the
    // registry's "VedomProp" says; the grids show the data module's client
    // and car lists when there is a data module.
    explicit TParamVedomFrm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TParamVedomFrm() override;

    // Preparation by the report procedures.
    void SetClientGridEnabled(bool enabled);   // OrgGrid
    void SetCarGridEnabled(bool enabled);      // AutoGrid
    void SetGroupingEnabled(bool enabled);     // chbDriver, chbAuto
    void SetGroupingVisible(bool visible);     // gbGroupBy
    void SetTimes(const QString& begin, const QString& end); // BegTimeEdit, EndTimeEdit ("00:00")
    // The station keeps statement clients in CONTRAGENT with client types
    // (true) or in the older VDCONTRACTOR table (false).
    void SetNewContragentTable(bool mark);
    bool NewContragentTable() const;
    // The data sources of the client grid (its dataset is what the window
    // reloads) and of the car grid.
    void SetClientSource(TDataSource* source);
    void SetCarSource(TDataSource* source);
    TDataSource* ClientSource() const;
    TDataSource* CarSource() const;

    // Read back after a confirmation.
    TDateTime PeriodBegin() const;  // BegDate + BegTimeEdit
    TDateTime PeriodEnd() const;    // EndDate + EndTimeEdit
    bool ByDrivers() const;         // chbDriver ticked
    bool ByCars() const;            // chbAuto ticked
    bool DriverFirst() const;       // chbDriver stands above chbAuto

    // The payment codes of the list's items, in list order.
    QList<int> ItemCodes() const;
    // The codes of the ticked items, in list order.
    QList<int> CheckedCodes() const;

    // Window commands, public so tests run them as the framework does.
    void FormShow();
    void clbVidOplListClickCheck();
    void ReloadClients();
    // The client column takes the client grid's width but 30 pixels.
    void FitClientColumn();

    // Closing by either button (or Esc) keeps the ticks and the period texts.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void completeLayout();
    void fillPayTypes();
    void updateOkButton();
    void showClientColumnOnly();
    void savePayTypeFlags();
    void restoreTexts();
    void saveTexts();
    bool groupBoxMouse(QCheckBox& box, QEvent& event);
    void exchangeGroupBoxes();

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TParamVedomFrm> ui_;
    bool newContragentTable_ = false;
    bool closed_ = false;
    int dragStartY_ = 0;
    QCheckBox* dragged_ = nullptr;
};

} // namespace velta::settings
