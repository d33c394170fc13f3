#pragma once
// TSmenaListFrm: the modal list from which a report procedure takes one shift,
// a range of shifts, the current shift or fuel operations; with optional
// dispenser buttons, a card number field fed by the barcode scanner, a car
// filter and the report properties button. One instance at a time, made by
// CreateShiftList and destroyed by FreeShiftList. The controls are laid out in
// SmenaListForm.ui; the commands are public so a test drives them as the
// buttons, keys and timers do.
#include "common/DateTime.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QButtonGroup;
class QTimer;

namespace Ui {
class TSmenaListFrm;
}

namespace velta {
class TClientDataSet;
class TDataSource;
class TDBGrid;
class Dialogs;
}

namespace velta::selection {

class ShiftGapSet;

// The modal result of the current-shift button (OK is 1, Cancel 2).
inline constexpr int mrCurrentShift = 5;
// The report number whose list takes scanned card numbers.
inline constexpr int kCardsReportNumber = 4;

class TSmenaListFrm : public QDialog {
    Q_OBJECT
public:
    explicit TSmenaListFrm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TSmenaListFrm() override;

    int ReportNumber() const { return reportNumber_; }
    // ReportNumber := n and the properties button is shown.
    void SetReportNumber(int n);

    // What report procedures set before showing the list.
    void SetCurrentButtonVisible(bool visible); // CurBtn "Текущая (F4)"
    void SetChoiceEnabled(bool enabled);        // BitBtn1 "Выбор"
    void ShowCardNumber();                      // lbCardNum, edSimpleText; minimum width 567
    QString CardNumberText() const;             // edSimpleText's text
    void SetCars(const QStringList& names);     // shows lbAuto/cbAuto with "Все" first, then names
    // Dispenser buttons from the data module's cdsTrkList (field "Trk"),
    // sorted, the first pressed.
    void AddDispenserButtons();
    QString SelectedDispenser() const { return selectedDispenser_; }

    // The window's state for the choosers and tests.
    TDBGrid& Grid() const;                    // DBGrid1
    TClientDataSet& LookAheadSet() const { return *lookAhead_; }
    QString SearchText() const { return searchText_; }
    QString SavedFilter() const { return savedFilter_; }
    Dialogs& dialogs() const { return dialogs_; }
    QTimer& SearchTimer() const { return *tmSearchTimer_; }
    QTimer& BringToFrontTimer() const { return *tmBringToFront_; }

    // Window commands, public so tests run them as clicks do.
    void BitBtn1Click();
    void BitBtn2Click();
    void CurBtnClick();
    // Errors of the properties window are swallowed.
    void PropBtnClick();
    void CheckBox1Click();
    void tmSearchTimerTimer();
    void tmBringToFrontTimer();
    void cbAutoChange();
    // F4: the current-shift result while CurBtn is visible and enabled.
    void CurrentShiftKey();
    // Ctrl+W: the card number field takes the focus while it is visible.
    void CardNumberKey();
    // The scanner's message: a scanned code becomes the card number while
    // ReportNumber is 4. Runs on the window's thread only.
    void ScannerMessage(const QString& code);

    // The first column's colour rule of ChooseShifts: red on a shift whose
    // next shift in the list is more than one number away.
    void BeginGapPainting(TClientDataSet& shown);
    void EndGapPainting();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the Designer file cannot say: the help text's wrapping, the
    // timers, the dispenser group and the grid's digit hook.
    void completeLayout();
    void connectControls();
    // Digits typed into the grid start or extend the quick search.
    bool searchKey(const QString& text);
    void placeDispenserButtons();
    void placeHelp();

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TSmenaListFrm> ui_; // the controls, laid out in SmenaListForm.ui
    std::unique_ptr<TClientDataSet> lookAhead_;
    std::unique_ptr<ShiftGapSet> gaps_; // over lookAhead_, while the rule paints
    QTimer* tmBringToFront_ = nullptr;
    QTimer* tmSearchTimer_ = nullptr;
    QButtonGroup* dispensers_ = nullptr;
    int reportNumber_ = -1;
    QString searchText_;
    QString selectedDispenser_;
    QString savedFilter_;
    QString paintedField_; // the column the gap rule paints, empty when off
    int memoHeight_ = 0;
};

// What the properties button opens for the list's report number: the report
// properties window, which lives in a library above this one, so the menu
// installs it. Without one the button does nothing.
using PropertiesOpener = std::function<void(Dialogs& dialogs, int reportNumber, QWidget* parent)>;
void SetPropertiesOpener(PropertiesOpener opener);

// The one shift list, or null.
TSmenaListFrm* SmenaListFrm();
// Makes the shift list when there is none: ReportNumber -1, the grid on the
// data module's SmLogSource, the look-ahead clone made, the help collapsed.
void CreateShiftList();
// Destroys the shift list and clears the reference.
void FreeShiftList();

// Shows the list over Source's shift dataset (fields SmNum, BegTime, EndTime)
// and reads the choice: true for OK or the current-shift result. The fields
// are read from DataSet (null: Source's dataset); after a choice of several
// rows that dataset stands on the last one chosen. The list is made when
// there is none.
bool ChooseShifts(int& BegShift, int& EndShift, TDateTime& BegTime, TDataSource& Source, TClientDataSet* DataSet,
                  TDateTime& EndTime);
// The same over fuel operations (field "OpNum"); false at once without that
// field; every error inside is swallowed (false).
bool ChooseOperations(int& FirstOp, int& LastOp, TDataSource& Source);

// Connects and disconnects the barcode scanner library ("Lectra.dll"); when
// the library or its "SetEventProc" is missing there is simply no scanner.
void StartScanner();
void StopScanner();
// The event procedure handed to the scanner library: the length-prefixed code
// goes to the shift list while its ReportNumber is 4, by a call that blocks
// until the list's thread has taken it. Any thread may call it.
void ScannerEventProc(const unsigned char* code);

} // namespace velta::selection
