#pragma once
// TRepPropForm: the station-wide settings of the reports in cnf.ini: decimals
// of fuel quantities, the separators of report numbers, the shift report's
// options, the limits of a report's size, table heads on every page, and the
// two per-workplace viewer switches. Only the server and the office (workplace
// kinds 0 and 3) see and save the common page; the server alone the combined
// returns report. Laid out in RepPropForm.ui; placement kept under
// "Software\Norvane\Velta\veltareports".
#include <QDialog>
#include <memory>

class QComboBox;

namespace Ui {
class TRepPropForm;
}

namespace velta {
class Dialogs;
}

namespace velta::settings {

class TRepPropForm : public QDialog {
    Q_OBJECT
public:
    // Reads the workplace kind (host privilege value 15) and the settings.
    explicit TRepPropForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TRepPropForm() override;

    unsigned WorkplaceKind() const { return kind_; }
    // Kinds 0 and 3 edit the common settings.
    bool EditsCommonSettings() const { return kind_ == 0 || kind_ == 3; }

    // Window commands, public so tests run them as the framework does.
    void FormShow();
    // Raises when the box's text is not one character; else sets its hint
    // to the character's code.
    void CheckSeparator(QComboBox& box);
    // Refused with the error when the settings could not be read.
    void BitBtn1Click();
    void Button1Click();
    // Writes the settings the workplace edits into cnf.ini (on OK, unless
    // reading them failed).
    void SaveSettings();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readSettings();
    void separatorChanged(QComboBox& box);
    void showError(const QString& message);

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TRepPropForm> ui_;
    unsigned kind_ = 0;
    QString readError_; // why the settings could not be read; nothing is saved then
};

// Opens the window modally; on OK its settings are saved.
void ShowReportSettings(Dialogs& dialogs);

} // namespace velta::settings
