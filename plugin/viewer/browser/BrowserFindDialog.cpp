#include "plugin/viewer/browser/BrowserFindDialog.h"

#include "ui_BrowserFindDialog.h"

#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/BrowserView.h"

#include <QTextBrowser>

namespace velta::viewer {

BrowserFindDialog::BrowserFindDialog(BrowserView& browser, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , browser_(browser)
    , dialogs_(dialogs)
    , ui_(std::make_unique<Ui::BrowserFindDialog>())
{
    ui_->setupUi(this);

    const QString selection = browser_.selectedText();
    if (!selection.contains(QLatin1Char('\n')))
        ui_->edFindText->setText(selection);
    ui_->edFindText->selectAll();

    connect(ui_->edFindText, &QLineEdit::textChanged, this, [this] {
        restart_ = false;
        updateButtons();
    });
    connect(ui_->btnFindNext, &QPushButton::clicked, this, [this] { findNextClick(); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
}

BrowserFindDialog::~BrowserFindDialog() = default;

bool BrowserFindDialog::findNextClick()
{
    const QString text = ui_->edFindText->text();
    if (text.isEmpty())
        return false;
    const bool backward = ui_->rbUp->isChecked();
    if (restart_) {
        browser_.documentView()->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
        restart_ = false;
    }
    if (browser_.findNext(text, ui_->cbMatchCase->isChecked(), backward))
        return true;
    dialogs_.messageBox(QStringLiteral("Поиск в документе завершен."), QStringLiteral("Поиск"),
                        MB_OK | MB_ICONINFORMATION);
    restart_ = true;
    return false;
}

void BrowserFindDialog::updateButtons()
{
    ui_->btnFindNext->setEnabled(!ui_->edFindText->text().isEmpty());
}

} // namespace velta::viewer
