#pragma once
// TAllDscCardForm: card numbers or masks, stations of the head office and a
// report form for the report over the discount cards.
#include <QDialog>
#include <memory>

namespace Ui {
class TAllDscCardForm;
}

namespace velta {
class Dialogs;
}

namespace velta::journals {

class TAllDscCardForm : public QDialog {
    Q_OBJECT
public:
    // Fills the station list from the head-office database.
    explicit TAllDscCardForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TAllDscCardForm() override;

    void BitBtn1Click();
    void reCardNumbersChange();
    // The index of the chosen report form (0, 1, 2).
    int RepFormatIndex() const;
    QString Cards() const;
    QString Stations() const;

    void done(int result) override;

private:
    void loadStations();
    void updateEnabled();
    void showError(const QString& message);

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TAllDscCardForm> ui_;
    bool closed_ = false;
};

// Creates the window, shows it modally and destroys it.
void ShowDiscountCardDialog();

} // namespace velta::journals
