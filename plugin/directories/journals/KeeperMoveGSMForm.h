#pragma once
// TKeeperMoveGSMForm: a fuel keeper and a period for the report of the
// keeper's fuel movement; the window stays open for the next report.
#include "common/DateTime.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TKeeperMoveGSMForm;
}

namespace velta {
class Dialogs;
}

namespace velta::journals {

class TKeeperMoveGSMForm : public QDialog {
    Q_OBJECT
public:
    // Fills the keeper list from the station database.
    explicit TKeeperMoveGSMForm(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TKeeperMoveGSMForm() override;

    void btnOkClick();
    TDateTime Begin() const;
    TDateTime End() const;

    void done(int result) override;

private:
    void loadKeepers();
    void showError(const QString& message);

    Dialogs& dialogs_;
    std::unique_ptr<Ui::TKeeperMoveGSMForm> ui_;
    bool closed_ = false;
};

// Creates the window, shows it modally and destroys it.
void ShowKeeperMoveDialog();

} // namespace velta::journals
