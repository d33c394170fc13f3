#include "plugin/viewer/browser/BrowserFindDialog.h"

#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/BrowserView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace velta::viewer {

BrowserFindDialog::BrowserFindDialog(BrowserView& browser, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , browser_(browser)
    , dialogs_(dialogs)
{
    setObjectName(QStringLiteral("BrowserFindDialog"));
    setWindowTitle(QStringLiteral("Найти"));

    auto* label = new QLabel(QStringLiteral("Найти:"), this);
    edFindText = new QLineEdit(this);
    edFindText->setObjectName(QStringLiteral("edFindText"));
    label->setBuddy(edFindText);
    cbMatchCase = new QCheckBox(QStringLiteral("С учетом регистра"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));

    auto* direction = new QGroupBox(QStringLiteral("Направление"), this);
    rbUp = new QRadioButton(QStringLiteral("Вверх"), direction);
    rbUp->setObjectName(QStringLiteral("rbUp"));
    rbDown = new QRadioButton(QStringLiteral("Вниз"), direction);
    rbDown->setObjectName(QStringLiteral("rbDown"));
    rbDown->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(rbUp);
    directionLayout->addWidget(rbDown);

    btnFindNext = new QPushButton(QStringLiteral("Найти далее"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnFindNext->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(edFindText, 0, 1);
    grid->addWidget(btnFindNext, 0, 2);
    grid->addWidget(cbMatchCase, 1, 0, 1, 2);
    grid->addWidget(btnCancel, 1, 2);
    grid->addWidget(direction, 2, 1);

    const QString selection = browser_.selectedText();
    if (!selection.contains(QLatin1Char('\n')))
        edFindText->setText(selection);
    edFindText->selectAll();

    connect(edFindText, &QLineEdit::textChanged, this, [this] {
        restart_ = false;
        updateButtons();
    });
    connect(btnFindNext, &QPushButton::clicked, this, [this] { findNextClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateButtons();
}

BrowserFindDialog::~BrowserFindDialog() = default;

bool BrowserFindDialog::findNextClick()
{
    const QString text = edFindText->text();
    if (text.isEmpty())
        return false;
    const bool backward = rbUp->isChecked();
    if (restart_) {
        browser_.documentView()->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
        restart_ = false;
    }
    if (browser_.findNext(text, cbMatchCase->isChecked(), backward))
        return true;
    dialogs_.messageBox(QStringLiteral("Поиск в документе завершен."), QStringLiteral("Поиск"),
                        MB_OK | MB_ICONINFORMATION);
    restart_ = true;
    return false;
}

void BrowserFindDialog::updateButtons()
{
    btnFindNext->setEnabled(!edFindText->text().isEmpty());
}

} // namespace velta::viewer
