#include "plugin/receipts/editor/CheckPreviewForm.h"

#include "ui_CheckPreviewForm.h"

#include "plugin/receipts/editor/ReceiptTextFont.h"
#include "plugin/receipts/editor/TemplateMarkup.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QTextCharFormat>
#include <QTextCursor>

namespace velta::receipts {

bool PreviewReceipt(Dialogs& dialogs, const QString& text, QWidget* parent)
{
    TCheckPreviewForm form(text, parent);
    return dialogs.showModal(form) == mrOk;
}

TCheckPreviewForm::TCheckPreviewForm(const QString& text, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TCheckPreviewForm>())
{
    ui_->setupUi(this);
    ui_->memo1->setFont(ReceiptTextFont());
    showReceipt(text);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TCheckPreviewForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TCheckPreviewForm::BitBtn2Click);
    FormPlacement(*this).restore(*this);
}

TCheckPreviewForm::~TCheckPreviewForm() = default;

// The text goes in piece by piece: plain text as it is, each bold line in
// bold 14 points with its "@" left out.
void TCheckPreviewForm::showReceipt(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextCharFormat plain;
    plain.setFont(ReceiptTextFont());
    plain.setForeground(QColor(Qt::black));
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(kBoldLinePointSize);

    ui_->memo1->clear();
    QTextCursor cursor(ui_->memo1->document());
    qsizetype from = 0;
    for (const TextSpan& line : BoldLineSpans(shown)) {
        cursor.insertText(shown.mid(from, line.start - from), plain);
        cursor.insertText(shown.mid(line.start + 1, line.length - 1), bold);
        from = line.end();
    }
    cursor.insertText(shown.mid(from), plain);
    ui_->memo1->moveCursor(QTextCursor::Start);
}

void TCheckPreviewForm::BitBtn1Click()
{
    accept();
}

void TCheckPreviewForm::BitBtn2Click()
{
    reject();
}

void TCheckPreviewForm::done(int result)
{
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

} // namespace velta::receipts
