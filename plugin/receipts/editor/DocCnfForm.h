#pragma once
// TDocCnfForm: the editor of one cash register receipt template. The memo
// holds the template; beside it the variables offered for the payment type
// and three examples of formats, each inserted at the caret by a click; the
// bold marker puts or takes "@" at the start of the caret's line. Tags and
// bold lines are highlighted as the user types. Texts come and go with CR LF
// line breaks.
#include "plugin/receipts/template/DefaultReceiptTemplate.h"

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class TDocCnfForm;
}

namespace velta {
class Dialogs;
}

namespace velta::receipts {

class TemplateHighlighter;

struct TemplateEditResult {
    bool applied = false;
    QString text;
};

// Edits a template for a payment type code (kCommonTemplate for the common
// one) modally. applied is true when the user pressed "Применить"; the text is
// then the edited one, otherwise the given one.
TemplateEditResult EditReceiptTemplate(Dialogs& dialogs, int payTypeCode, const QString& text,
                                       QWidget* parent = nullptr);

class TDocCnfForm : public QDialog {
    Q_OBJECT
public:
    // The editor for the payment type's variables over the text (the default
    // template when it is empty).
    TDocCnfForm(int payTypeCode, const QString& text, QWidget* parent = nullptr);
    ~TDocCnfForm() override;

    int PayTypeCode() const { return payTypeCode_; }
    // The memo's text with CR LF line breaks.
    QString Text() const;

    // Commands.
    // A click on a variable or an example: its text replaces the selection at the caret.
    void InsertText(const QString& text);
    void lbBoldLineClick();
    void BitBtn1Click(); // "Применить"
    void BitBtn2Click(); // "Отменить"
    // Esc in the memo: an unchanged text closes as "Отменить", a changed one
    // sends the focus to "Отменить".
    void memo1Escape();

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void completeLayout();
    void buildVariableList();

    std::unique_ptr<Ui::TDocCnfForm> ui_;
    int payTypeCode_;
    TemplateHighlighter* highlighter_ = nullptr;
    QString shownText_;
    bool shown_ = false;
};

} // namespace velta::receipts
