#pragma once
// TPropFrm: the report properties window. Built at run time for one report
// kind of the shift list: the payment types a shift report covers and its
// options (kept in the registry under the kind's key), or for the shift report
// itself its composition (sections, order, print forms; kept in [SmenaRep] of
// cnf.ini). The fixed controls are laid out in PropFrm.ui; the per-kind
// controls are made by Build. Commands are public so tests drive them as the
// buttons, keys and the mouse do.
#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class TPropFrm;
}

namespace velta {
class Dialogs;
}

namespace velta::settings {

// The report kinds the shift list passes (its report numbers).
inline constexpr int kReturnsKind = 1;
inline constexpr int kShiftReportKind = 2;
inline constexpr int kBonusKind = 3;
inline constexpr int kCardsKind = 4;
inline constexpr int kStatementsKind = 6;
inline constexpr int kContractsKind = 7;
inline constexpr int kTalonsKind = 8;

// The registry key name of a kind's options ("BackRep", ...), empty for the
// shift report and unknown kinds.
QString PropKeyName(int kind);

// Makes the window, builds it for the kind, shows it modally and destroys it.
void ShowReportProperties(Dialogs& dialogs, int kind, QWidget* parent = nullptr);

class TPropFrm : public QDialog {
    Q_OBJECT
public:
    // Reads AllowOldReports of [Reports] in cnf.ini (default false).
    explicit TPropFrm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TPropFrm() override;

    // Builds the content for the kind; any other kind than those above leaves
    // the bare window, which saves nothing.
    void Build(int kind);
    int Kind() const { return kind_; }

    // One variant of the shift report composition as the window holds it: a
    // row of check box, print form edit and "..." button.
    struct Row {
        int section = 0;
        int position = 0; // 1 to VariantCount(); the controls stand at position * 25 + 20
        QCheckBox* box = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* button = nullptr;
        QString path;    // the text print form
        QString webPath; // the HTML print form
    };
    // In list order: sections ascending, each section's variants in order.
    const std::vector<std::unique_ptr<Row>>& Variants() const { return variants_; }
    int VariantCount() const { return static_cast<int>(variants_.size()); }
    // The variant at a position, or null.
    Row* VariantAt(int position) const;

    // Commands.
    // "Применить": saves; closes unless the forms folder is missing. After an
    // error while building the composition it repeats the error and saves nothing.
    void BitBtn1Click();
    void acAddExecute();                 // Ctrl+C: a copy of the focused composition variant
    void acDelExecute();                 // Ctrl+X: deletes the focused variant unless it is its section's only one
    void FormatClick();                  // rbtNew / rbtOld clicked
    void FormButtonClick(Row& variant); // "...": the print form from the file dialog
    // A composition check box clicked by the user (its new state is set).
    void CompositionBoxClick(Row& variant);
    // The right-button drag of a composition check box, in the box's own
    // coordinates: press, moves with the button held, release.
    void DragStart(Row& variant, int y);
    void DragMove(Row& variant, int y);
    void DragEnd();

    // Closing keeps the window's position.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildPayTypes(int kind);
    void fitPayTypeTexts();
    void buildComposition();
    void addVariant(int section, int position, bool on, const QString& path, const QString& webPath,
                    std::size_t at);
    void placeVariant(Row& variant) const;
    void arrange();
    void grow(int delta);
    bool newFormat() const;
    Row* variantOf(const QObject* control) const;
    Row* focusedVariant() const;
    void savePayTypes();
    bool saveComposition();

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TPropFrm> ui_;
    int kind_ = 0;
    bool allowOldReports_ = false;
    bool mayEdit_ = false;         // GetPrivValue 5
    bool built_ = false;           // the format switch works once built
    QString buildError_;           // the error that stopped building the composition
    bool reloadsGuard_ = true;     // the reloads section may not be switched off
    bool newFormatShown_ = true;   // the format the edits show
    int groupBoxBase_ = 0;         // the group box's height before any content
    int columnShift_ = 0;          // what the composition's box column needs beyond its design
    std::vector<std::pair<QCheckBox*, int>> payTypeBoxes_; // box, payment type code
    QCheckBox* allTypesBox_ = nullptr;     // CBAllVO
    QCheckBox* extraDiscountsBox_ = nullptr; // CBLOGTRANDSC
    std::vector<std::unique_ptr<Row>> variants_;
    Row* dragged_ = nullptr;
    int dragStartY_ = 0;
};

} // namespace velta::settings
