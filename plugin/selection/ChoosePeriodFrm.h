#pragma once
// TChoosePeriodForm: the modal dialog in which the user chooses a period by
// date and time pickers or from one shift or a range of shifts. Laid out in
// ChoosePeriodFrm.ui: its pages' tabs are hidden, so it shows as one page.
// The shift last chosen as a range's begin is kept per station name in the
// window's placement store.
#include "common/DateTime.h"

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TChoosePeriodForm;
}

namespace velta {
class Dialogs;
}

namespace velta::selection {

// 23:59:59.999 as a fraction of a day: the end of a period's last day.
inline constexpr TDateTime kEndOfDay = 0.999999988425926;

// The client height that fits a page whose controls have no layout: walking
// them in their order, a running bottom is raised to a control's bottom + 2
// whenever that bottom reaches it; then the button panel's height and 30.
int FittedClientHeight(const QWidget& page, int panelHeight);

class TChoosePeriodForm : public QDialog {
    Q_OBJECT
public:
    explicit TChoosePeriodForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TChoosePeriodForm() override;

    // The period read back: the pickers' dates plus their times of day.
    TDateTime Begin() const;
    TDateTime End() const;
    // Sets both pickers of one end (date part and time of day).
    void SetBegin(TDateTime value);
    void SetEnd(TDateTime value);

    // The shift last chosen as the begin of a range, and the name it is kept
    // under: the hex form of the station name + "BegSmNum".
    int LastBegShift() const { return lastBegShift_; }
    int LastEndShift() const { return lastEndShift_; }
    const QString& ShiftKeyName() const { return shiftKeyName_; }

    // Window commands, public so tests run them as clicks do.
    void btnChooseSmenaClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void btnCheckAllClick();
    void btnUncheckAllClick();
    void btnInvertClick();
    // A new date in a picker: from the dropped-down calendar it resets that
    // end's time (begin 0:00:00, end 23:59:59.999); typed it does not.
    void dtpBegDateChange();
    void dtpEndDateChange();
    // F4 confirms when btnOK is enabled; Esc focuses btnCancel and clicks it.
    void FormKeyDown(int key);
    // The client height fitted to the main page.
    void FitClientHeight();
    // The check list's counters: "НЕТ", "ВСЕ" or the number ticked; the total.
    void UpdateItemCounters();

    // Closing keeps the placement and LastBegShift.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void completeLayout();
    void connectControls();
    void restorePlacement();
    void savePlacement();
    void chooseShifts();

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TChoosePeriodForm> ui_;
    int lastBegShift_ = 0;
    int lastEndShift_ = 0;
    QString shiftKeyName_;
    bool closed_ = false;
};

// Creates the dialog, shows it modally and destroys it; true when confirmed,
// with Begin and End set; on cancel they are left unchanged.
bool ChoosePeriod(TDateTime& Begin, TDateTime& End);

} // namespace velta::selection
