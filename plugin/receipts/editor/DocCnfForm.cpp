#include "plugin/receipts/editor/DocCnfForm.h"

#include "ui_DocCnfForm.h"

#include "plugin/receipts/editor/ReceiptTextFont.h"
#include "plugin/receipts/editor/TagLabel.h"
#include "plugin/receipts/editor/TemplateHighlighter.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QKeyEvent>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

namespace velta::receipts {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The variable rows: line k at kRowStep * k + kRowTop, the description
// kDescriptionShift pixels right of the tag, both grown when the font needs more.
constexpr int kRowStep = 16;
constexpr int kRowTop = 5;
constexpr int kRowLeft = 8;
constexpr int kDescriptionShift = 120;
constexpr int kGap = 8;

// The look of everything a click inserts: bold, blue, a hand over it.
void giveTagLook(QLabel& label)
{
    QFont font = label.font();
    font.setBold(true);
    label.setFont(font);
    label.setStyleSheet(QStringLiteral("color: blue;"));
    label.setCursor(Qt::PointingHandCursor);
    label.setTextFormat(Qt::PlainText);
}

QString toMemoText(const QString& text)
{
    QString memo = text;
    memo.replace(kCrLf, QStringLiteral("\n"));
    return memo;
}

} // namespace

TemplateEditResult EditReceiptTemplate(Dialogs& dialogs, int payTypeCode, const QString& text, QWidget* parent)
{
    TDocCnfForm form(payTypeCode, text, parent);
    if (dialogs.showModal(form) == mrOk)
        return {true, form.Text()};
    return {false, text};
}

TDocCnfForm::TDocCnfForm(int payTypeCode, const QString& text, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TDocCnfForm>()), payTypeCode_(payTypeCode)
{
    ui_->setupUi(this);
    completeLayout();
    ui_->memo1->setPlainText(toMemoText(text.isEmpty() ? DefaultReceiptTemplate() : text));
    ui_->memo1->installEventFilter(this);

    for (TagLabel* example : {ui_->lbExample1, ui_->lbExample2, ui_->lbExample3})
        connect(example, &TagLabel::clicked, this, [this, example] { InsertText(example->text()); });
    connect(ui_->lbBoldLine, &TagLabel::clicked, this, &TDocCnfForm::lbBoldLineClick);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TDocCnfForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TDocCnfForm::BitBtn2Click);
    FormPlacement(*this).restore(*this);
}

TDocCnfForm::~TDocCnfForm() = default;

void TDocCnfForm::completeLayout()
{
    ui_->memo1->setFont(ReceiptTextFont());
    highlighter_ = new TemplateHighlighter(ui_->memo1->document());
    buildVariableList();
}

void TDocCnfForm::buildVariableList()
{
    QList<TagLabel*> tags;
    QList<QLabel*> descriptions;
    int tagWidth = 0;
    int rowHeight = kRowStep;
    for (const ReceiptTag& row : ReceiptTagsFor(payTypeCode_)) {
        auto* tag = new TagLabel(ui_->panVars);
        tag->setObjectName(QStringLiteral("lbVar") + row.name);
        giveTagLook(*tag);
        tag->setText(row.tag());
        tag->adjustSize();
        auto* description = new QLabel(QStringLiteral("- ") + row.description, ui_->panVars);
        description->adjustSize();
        connect(tag, &TagLabel::clicked, this, [this, tag] { InsertText(tag->text()); });
        tagWidth = std::max(tagWidth, tag->width());
        rowHeight = std::max({rowHeight, tag->height(), description->height()});
        tags.append(tag);
        descriptions.append(description);
    }
    // The design's 16-pixel rows and 120-pixel column, wider where the font is.
    const int descriptionLeft = kRowLeft + std::max(kDescriptionShift, tagWidth + kGap);
    int right = descriptionLeft;
    for (qsizetype k = 0; k < tags.size(); ++k) {
        const int top = rowHeight * static_cast<int>(k) + kRowTop;
        tags[k]->move(kRowLeft, top);
        descriptions[k]->move(descriptionLeft, top);
        right = std::max(right, descriptionLeft + descriptions[k]->width());
    }
    ui_->panVars->setMinimumSize(right + kGap, rowHeight * static_cast<int>(tags.size()) + 2 * kRowTop);
}

QString TDocCnfForm::Text() const
{
    QString text = ui_->memo1->toPlainText();
    text.replace(QLatin1Char('\n'), kCrLf);
    return text;
}

void TDocCnfForm::InsertText(const QString& text)
{
    ui_->memo1->textCursor().insertText(text);
    ui_->memo1->setFocus();
}

void TDocCnfForm::lbBoldLineClick()
{
    QTextCursor lineStart(ui_->memo1->textCursor().block());
    if (lineStart.block().text().startsWith(QLatin1Char('@')))
        lineStart.deleteChar();
    else
        lineStart.insertText(QStringLiteral("@"));
    ui_->memo1->setFocus();
}

void TDocCnfForm::BitBtn1Click()
{
    accept();
}

void TDocCnfForm::BitBtn2Click()
{
    reject();
}

void TDocCnfForm::memo1Escape()
{
    if (Text() == shownText_)
        BitBtn2Click();
    else
        ui_->BitBtn2->setFocus();
}

bool TDocCnfForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->memo1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        memo1Escape();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TDocCnfForm::showEvent(QShowEvent* event)
{
    if (!shown_) {
        shown_ = true;
        shownText_ = Text();
    }
    QDialog::showEvent(event);
}

void TDocCnfForm::done(int result)
{
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

} // namespace velta::receipts
