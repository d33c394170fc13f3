#pragma once
// BrowserFindDialog: the browser's find window. It searches the document of a
// BrowserView from the cursor, up or down, with or without matching case, and
// says so through the dialog service when the document holds no further match;
// the search after that starts again from the document's edge. Laid out in
// BrowserFindDialog.ui.
#include <QDialog>
#include <memory>

namespace Ui {
class BrowserFindDialog;
}

namespace velta {
class Dialogs;
}

namespace velta::viewer {

class BrowserView;

class BrowserFindDialog : public QDialog {
    Q_OBJECT
public:
    // The text field starts with the browser's selection when it is one line.
    BrowserFindDialog(BrowserView& browser, Dialogs& dialogs, QWidget* parent = nullptr);
    ~BrowserFindDialog() override;

    // Find Next: one search step; false (after the message) when nothing more is found.
    bool findNextClick();

private:
    void updateButtons();

    BrowserView& browser_;
    Dialogs& dialogs_;
    std::unique_ptr<Ui::BrowserFindDialog> ui_;
    // Set after the end was reported: the next search starts from the edge.
    bool restart_ = false;
};

} // namespace velta::viewer
