#pragma once
// TCheckPreviewForm: a filled receipt shown before the cash register prints
// it, read-only, its bold lines ("@" at a line's start) bold at 14 points and
// without their "@". "Печатать" confirms the print; "Отмена" and Esc back out.
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TCheckPreviewForm;
}

namespace velta {
class Dialogs;
}

namespace velta::receipts {

// Shows the receipt (CR LF line breaks) modally; true when the user pressed "Печатать".
bool PreviewReceipt(Dialogs& dialogs, const QString& text, QWidget* parent = nullptr);

class TCheckPreviewForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBoldLinePointSize = 14;

    explicit TCheckPreviewForm(const QString& text, QWidget* parent = nullptr);
    ~TCheckPreviewForm() override;

    // Commands.
    void BitBtn1Click(); // "Печатать"
    void BitBtn2Click(); // "Отмена"

    void done(int result) override;

private:
    void showReceipt(const QString& text);

    std::unique_ptr<Ui::TCheckPreviewForm> ui_;
};

} // namespace velta::receipts
