#pragma once
// TfmTRKHistory: the journal of one dispenser (or loading-rack post), newest
// first, and the print of its latest pourings down to the chosen row.
#include <QDialog>
#include <memory>

namespace Ui {
class TfmTRKHistory;
}

namespace velta {
class Dialogs;
class TClientDataSet;
class TDataSource;
} // namespace velta

namespace velta::journals {

class TfmTRKHistory : public QDialog {
    Q_OBJECT
public:
    // journal is open (or opened by RefreshButton) and shown through source.
    TfmTRKHistory(Dialogs& dialogs, TClientDataSet& journal, TDataSource& source, QString dispenserName,
                  bool loadingRack, QWidget* parent = nullptr);
    ~TfmTRKHistory() override;

    void RefreshButtonClick();
    void Button1Click();
    // Up and Down move in the journal; Esc closes; F5 prints.
    void FormKeyDown(int key);

    void done(int result) override;

private:
    void showError(const QString& message);

    Dialogs& dialogs_;
    TClientDataSet& journal_;
    std::unique_ptr<Ui::TfmTRKHistory> ui_;
    QString dispenserName_;
    bool loadingRack_;
    bool closed_ = false;
};

// The window caption: "Журнал по АСН '1'" with a loading rack, else "Журнал по ТРК '1'".
QString DispenserHistoryCaption(const QString& dispenserName, bool loadingRack);

// Connects to the station, prepares the journal of the dispenser, shows the
// window modally; then, also after a failure, closes the journal, destroys
// the window and closes the connection.
void ShowDispenserHistory(const QString& dispenserName);

} // namespace velta::journals
