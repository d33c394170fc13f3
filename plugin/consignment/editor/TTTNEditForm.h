#pragma once
// TTTNEditForm: the consignment note editor window, "Товарно-транспортная
// накладная". Laid out in TTTNEditForm.ui; the note itself (values, lines,
// references, saving) lives in TtnNoteEditor, the window shows it and hands
// its editors' values back.
//
// Tests drive it through ScriptedDialogs: EditConsignmentNote shows it with
// dialogs.showModal, so a test queues expectModal("TTTNEditForm").drive(...),
// works the controls found by objectName and presses OK with
// findChild<QPushButton*>("btnOK")->click() (the window closes only when the
// note was saved; every failure is a showMessage the script expects).
#include "plugin/consignment/editor/EditConsignmentNote.h"
#include "plugin/consignment/editor/TtnNoteEditor.h"

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QTabBar;
class QTimer;

namespace Ui {
class TTTNEditForm;
}

namespace velta::consignment {

class TTTNEditForm : public QDialog {
    Q_OBJECT
public:
    TTTNEditForm(Dialogs& dialogs, core::TDBFrm& db, TTNEditMode mode, std::optional<SaleSelectionResult> selection,
                 bool multiLine, QWidget* parent = nullptr);
    ~TTTNEditForm() override;

    TtnNoteEditor& Editor() { return editor_; }
    // The line each section shows (from 0).
    int ShownLine(TtnLineSection section) const;

    // Commands, as the buttons call them.
    void btnOKClick();
    void btnAddGruzClick();
    void btnDelGruzClick();
    void btnResetGruzClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton7Click();
    // Button1..Button6: the contragent chooser of slot 0..5.
    void ChooseContragentClick(int slot);
    // The "X" beside consignor, consignee, payer and carrier (slots 0..3).
    void ClearContragentClick(int slot);
    // One tick of the blinking "Требуется пересчет!" labels.
    void BlinkTimerTimer();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void completeLayout();
    void connectControls();
    void start();

    TtnEditorValues gatherHeader() const;
    void showHeader(const TtnEditorValues& values);
    void storeSection(TtnLineSection section);
    void storeAllSections();
    void showSection(TtnLineSection section, int index);
    void rebuildTabs(int selected);
    void tabChanged(TtnLineSection section, int index);
    void showContragents();
    void printBoxToggled(TtnLineSection section, bool checked);
    void startBlinking();
    void numberChanged(const QString& numberEditor, double value);
    void showError(const QString& message);

    QTabBar* tabsOf(TtnLineSection section) const;
    QCheckBox* printBoxOf(TtnLineSection section) const;
    static int slotOf(TtnLineSection section);

    Dialogs& dialogs_;
    core::TDBFrm& db_;
    std::optional<SaleSelectionResult> selection_;
    TtnNoteEditor editor_;
    std::unique_ptr<Ui::TTTNEditForm> ui_;
    QTimer* blinkTimer_ = nullptr;
    std::array<int, 4> shown_{0, 0, 0, 0};
    // Each blinking label counts up from -10 to 0; 0 when it is still.
    std::array<int, 2> blink_{0, 0};
    bool showingLine_ = false;
    bool rebuilding_ = false;
    bool started_ = false;
};

} // namespace velta::consignment
