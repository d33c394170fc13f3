// The template editor driven offscreen: the variables offered per payment
// type, the default template, insertion by a click at the caret, the bold
// marker, Esc, and the highlighting kept in the layout (tags blue and bold,
// "@" lines bold at 14 points) with the caret, the selection and the undo
// history untouched.
#include "plugin/receipts/editor/DocCnfForm.h"

#include "plugin/receipts/editor/TagLabel.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::receipts;

namespace {

const QStringList kDefaultLines{
    QStringLiteral("Вид оплаты: <#VidOpl(24)>"),   QStringLiteral("Дата: <#DateTime>"),
    QStringLiteral("Заправлено: <#GSM> <#Liter(5.1)>л."), QStringLiteral("@ИТОГО:    <#Summa(10.2)>р."),
    QString(),
    QStringLiteral("КАССИР ____________ <#Kassir(16)>"),
    QString(),
    QStringLiteral("       <#OrgName> <#AZS>"),   QStringLiteral("         СПАСИБО ЗА ПОКУПКУ"),
    QString()};

QPlainTextEdit& memo(QWidget& form)
{
    return *form.findChild<QPlainTextEdit*>(QStringLiteral("memo1"));
}

QPushButton& button(QWidget& form, const char* name)
{
    return *form.findChild<QPushButton*>(QLatin1String(name));
}

TagLabel& tagLabel(QWidget& form, const QString& name)
{
    return *form.findChild<TagLabel*>(name);
}

// The tags the variable panel offers, in order.
QStringList offeredTags(QWidget& form)
{
    QStringList tags;
    const auto* panel = form.findChild<QFrame*>(QStringLiteral("panVars"));
    for (const TagLabel* label : panel->findChildren<TagLabel*>())
        tags << label->text();
    return tags;
}

void click(QWidget& widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

void pressKey(QWidget& widget, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &release);
}

// Types text at the caret as the keyboard does, one character at a time.
void type(QWidget& widget, const QString& text)
{
    for (const QChar c : text)
        pressKey(widget, c == QLatin1Char('\n') ? Qt::Key_Return : 0, c == QLatin1Char('\n') ? QStringLiteral("\r") : QString(c));
}

// The caret at a position of the memo (a selection when anchor differs).
void placeCaret(QPlainTextEdit& edit, int position, int anchor = -1)
{
    QTextCursor cursor(edit.document());
    cursor.setPosition(anchor < 0 ? position : anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
}

// The highlighting at a position of the text: the layout format covering it.
QTextCharFormat shownFormat(const QPlainTextEdit& edit, int position)
{
    const QTextBlock block = edit.document()->findBlock(position);
    const int inBlock = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (inBlock >= range.start && inBlock < range.start + range.length)
            return range.format;
    return {};
}

bool isTagLook(const QTextCharFormat& format)
{
    return format.foreground().color() == QColor(Qt::blue) && format.fontWeight() == QFont::Bold;
}

bool isBoldLineLook(const QTextCharFormat& format)
{
    return format.fontWeight() == QFont::Bold && format.fontPointSize() == 14;
}

bool isPlainLook(const QTextCharFormat& format)
{
    return format.foreground().color() == QColor(Qt::black) && format.fontWeight() == QFont::Normal
        && !format.hasProperty(QTextFormat::FontPointSize);
}

class DocCnfFormTest : public ::testing::Test {
protected:
    test::TestEnv env; // the window's placement goes to a private registry
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_F(DocCnfFormTest, TheDefaultTemplateAppliedUnchangedReturnsItsTenLines)
{
    dialogs.expectModal(QStringLiteral("TDocCnfForm"))
        .withCaption(QStringLiteral("Настройка вида произвольного документа для ККМ"))
        .drive([](QDialog& form) {
            EXPECT_EQ(memo(form).document()->blockCount(), 10);
            EXPECT_EQ(button(form, "BitBtn1").toolTip(), QStringLiteral("Шаблон товарного чека будет сохранен в файле"));
            click(button(form, "BitBtn1"));
        });
    const TemplateEditResult result = EditReceiptTemplate(dialogs, kCommonTemplate, QString());
    dialogs.verify();
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.text, kDefaultLines.join(QStringLiteral("\r\n")));
    EXPECT_EQ(DefaultReceiptTemplate(), result.text);
}

TEST_F(DocCnfFormTest, AGivenTextComesBackAsItWasAndCancelDoesNotApply)
{
    const QString text = QStringLiteral("@Чек\r\n\r\n<#Summa(10.2)>\r\n  конец  ");
    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([](QDialog& form) { click(button(form, "BitBtn1")); });
    EXPECT_EQ(EditReceiptTemplate(dialogs, 4, text).text, text);

    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([](QDialog& form) {
        memo(form).setPlainText(QStringLiteral("другой"));
        click(button(form, "BitBtn2"));
    });
    const TemplateEditResult cancelled = EditReceiptTemplate(dialogs, 4, text);
    EXPECT_FALSE(cancelled.applied);
    EXPECT_EQ(cancelled.text, text);
    dialogs.verify();
}

TEST_F(DocCnfFormTest, TheVariablesOfferedFollowThePaymentType)
{
    QStringList all;
    for (const ReceiptTag& row : ReceiptTagTable())
        if (row.shownFor == kShownForAll)
            all << row.tag();
    ASSERT_EQ(all.size(), 16);
    const auto offered = [](int code) {
        TDocCnfForm form(code, QString());
        return offeredTags(form);
    };
    EXPECT_EQ(offered(kCommonTemplate), all);
    EXPECT_EQ(offered(0), all);
    EXPECT_EQ(offered(104), all); // the code itself, not its group, picks the rows

    EXPECT_EQ(offered(4), (all + QStringList{QStringLiteral("<#CNT>"), QStringLiteral("<#INN>"),
                                             QStringLiteral("<#Driver>"), QStringLiteral("<#Auto>"),
                                             QStringLiteral("<#PutList>")}));
    EXPECT_EQ(offered(8), (all + QStringList{QStringLiteral("<#DogCNT>"), QStringLiteral("<#INN>")}));
    EXPECT_EQ(offered(9), (all + QStringList{QStringLiteral("<#TalonList>")}));
    QStringList reserve = all;
    reserve.insert(15, QStringLiteral("<#Запас>"));
    reserve.append(QStringLiteral("<#Запас>"));
    EXPECT_EQ(offered(50), reserve);
}

TEST_F(DocCnfFormTest, VariableRowsStandOneUnderAnotherWithTheirDescriptions)
{
    TDocCnfForm form(4, QString());
    form.show();
    const auto* panel = form.findChild<QFrame*>(QStringLiteral("panVars"));
    const QList<TagLabel*> tags = panel->findChildren<TagLabel*>();
    const QList<QLabel*> labels = panel->findChildren<QLabel*>();
    ASSERT_EQ(tags.size(), 21);
    QStringList descriptions;
    for (QLabel* label : labels)
        if (!qobject_cast<TagLabel*>(label))
            descriptions << label->text();
    ASSERT_EQ(descriptions.size(), 21);
    EXPECT_EQ(descriptions.first(), QStringLiteral("- Дата и время отлива"));
    EXPECT_EQ(descriptions.at(17), QStringLiteral("- ИНН контрагента"));
    EXPECT_EQ(tags.first()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(tags.first()->font().bold());
    for (qsizetype k = 1; k < tags.size(); ++k) {
        EXPECT_GE(tags[k]->y(), tags[k - 1]->y() + 16);
        EXPECT_GE(tags[k]->y(), tags[k - 1]->geometry().bottom()) << "rows overlap at " << k;
    }
    EXPECT_EQ(tags.first()->y(), 5);
}

TEST_F(DocCnfFormTest, AClickInsertsAtTheCaretReplacingTheSelection)
{
    TDocCnfForm form(4, QStringLiteral("Итого: XX руб."));
    form.show();
    QPlainTextEdit& edit = memo(form);
    placeCaret(edit, 9, 7); // "XX" selected
    click(tagLabel(form, QStringLiteral("lbVarSumma")));
    EXPECT_EQ(form.Text(), QStringLiteral("Итого: <#Summa> руб."));
    EXPECT_EQ(edit.textCursor().position(), 15);

    placeCaret(edit, 0);
    click(tagLabel(form, QStringLiteral("lbExample2")));
    click(tagLabel(form, QStringLiteral("lbVarCNT")));
    EXPECT_EQ(form.Text(), QStringLiteral("<#Summa(10.2)><#CNT>Итого: <#Summa> руб."));
    click(tagLabel(form, QStringLiteral("lbExample1")));
    click(tagLabel(form, QStringLiteral("lbExample3")));
    EXPECT_TRUE(form.Text().startsWith(QStringLiteral("<#Summa(10.2)><#CNT><#GSM(5)><#CurDateTime(dd.mm.yy)>Итого")));
}

TEST_F(DocCnfFormTest, TheBoldMarkerTogglesTheCaretLinesAt)
{
    TDocCnfForm form(kCommonTemplate, QStringLiteral("первая\r\nвторая строка\r\n@третья"));
    form.show();
    QPlainTextEdit& edit = memo(form);
    placeCaret(edit, 12); // inside "вторая"
    click(tagLabel(form, QStringLiteral("lbBoldLine")));
    EXPECT_EQ(form.Text(), QStringLiteral("первая\r\n@вторая строка\r\n@третья"));
    click(tagLabel(form, QStringLiteral("lbBoldLine")));
    EXPECT_EQ(form.Text(), QStringLiteral("первая\r\nвторая строка\r\n@третья"));
    EXPECT_EQ(edit.textCursor().position(), 12);

    placeCaret(edit, edit.document()->characterCount() - 1); // end of "@третья"
    form.lbBoldLineClick();
    EXPECT_EQ(form.Text(), QStringLiteral("первая\r\nвторая строка\r\nтретья"));

    // An "@" inside the line is text; the marker goes in front of the line.
    edit.setPlainText(QStringLiteral("a@b"));
    placeCaret(edit, 3);
    form.lbBoldLineClick();
    EXPECT_EQ(form.Text(), QStringLiteral("@a@b"));
}

TEST_F(DocCnfFormTest, EscClosesAnUnchangedTextAsCancelAndOtherwiseGoesToCancel)
{
    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([](QDialog& form) {
        QPlainTextEdit& edit = memo(form);
        edit.setFocus();
        type(edit, QStringLiteral("x"));
        pressKey(edit, Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), &button(form, "BitBtn2"));
        edit.undo();
        pressKey(edit, Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
    });
    const TemplateEditResult result = EditReceiptTemplate(dialogs, 7, QStringLiteral("чек"));
    dialogs.verify();
    EXPECT_FALSE(result.applied);
}

TEST_F(DocCnfFormTest, TagsAndBoldLinesAreHighlightedAsTheUserTypes)
{
    TDocCnfForm form(kCommonTemplate, QStringLiteral("Сумма <#Summa(10.2)> р.\r\n@ИТОГО <#Liter>\r\nx@y\r\n@после"));
    form.show();
    QPlainTextEdit& edit = memo(form);
    const QString text = edit.toPlainText();
    const int tag = static_cast<int>(text.indexOf(QStringLiteral("<#Summa")));
    EXPECT_TRUE(isPlainLook(shownFormat(edit, 0)));
    EXPECT_TRUE(isTagLook(shownFormat(edit, tag)));
    EXPECT_TRUE(isTagLook(shownFormat(edit, tag + 13)));   // its ">"
    EXPECT_TRUE(isPlainLook(shownFormat(edit, tag + 14)));
    const int total = static_cast<int>(text.indexOf(QStringLiteral("@ИТОГО")));
    EXPECT_TRUE(isBoldLineLook(shownFormat(edit, total)));
    EXPECT_EQ(shownFormat(edit, total).foreground().color(), QColor(Qt::black));
    const QTextCharFormat tagInBoldLine = shownFormat(edit, total + 7);
    EXPECT_TRUE(isBoldLineLook(tagInBoldLine) && isTagLook(tagInBoldLine));
    EXPECT_TRUE(isPlainLook(shownFormat(edit, static_cast<int>(text.indexOf(QStringLiteral("x@y"))) + 1)));
    // A line after an "@" inside a line is still looked at.
    EXPECT_TRUE(isBoldLineLook(shownFormat(edit, static_cast<int>(text.indexOf(QStringLiteral("@после"))))));

    // Typing "@" at a line's start makes it bold; the caret and the selection stay.
    placeCaret(edit, 0);
    type(edit, QStringLiteral("@"));
    EXPECT_TRUE(isBoldLineLook(shownFormat(edit, 3)));
    EXPECT_EQ(edit.textCursor().position(), 1);
    // A "<#" without a ">" is plain until one is typed, even lines later.
    edit.moveCursor(QTextCursor::End);
    type(edit, QStringLiteral("\n<#Kassir"));
    const int open = static_cast<int>(edit.toPlainText().lastIndexOf(QStringLiteral("<#Kassir")));
    EXPECT_TRUE(isPlainLook(shownFormat(edit, open)));
    type(edit, QStringLiteral("\nконец"));
    placeCaret(edit, open + 8, open + 2); // "Kassir" selected
    edit.moveCursor(QTextCursor::End);
    type(edit, QStringLiteral(">"));
    EXPECT_TRUE(isTagLook(shownFormat(edit, open)));
    EXPECT_TRUE(isTagLook(shownFormat(edit, open + 10))); // the next line belongs to the span
    // Deleting the ">" takes the span away again, on every line it covered.
    pressKey(edit, Qt::Key_Backspace);
    EXPECT_TRUE(isPlainLook(shownFormat(edit, open)));
    EXPECT_TRUE(isPlainLook(shownFormat(edit, open + 10)));
}

TEST_F(DocCnfFormTest, HighlightingLeavesTheUndoHistoryToTheUsersEdits)
{
    TDocCnfForm form(kCommonTemplate, QStringLiteral("строка"));
    form.show();
    QPlainTextEdit& edit = memo(form);
    edit.moveCursor(QTextCursor::End);
    type(edit, QStringLiteral(" <#GSM>"));
    edit.moveCursor(QTextCursor::Start);
    type(edit, QStringLiteral("@"));
    placeCaret(edit, 4, 2);
    ASSERT_TRUE(isBoldLineLook(shownFormat(edit, 0)));
    EXPECT_EQ(edit.textCursor().anchor(), 2);
    EXPECT_EQ(edit.textCursor().position(), 4);
    while (edit.document()->isUndoAvailable())
        edit.undo();
    EXPECT_EQ(form.Text(), QStringLiteral("строка"));
    EXPECT_TRUE(isPlainLook(shownFormat(edit, 0)));
    edit.redo();
    EXPECT_EQ(form.Text(), QStringLiteral("строка <#GSM>"));
    EXPECT_TRUE(isTagLook(shownFormat(edit, 8)));
}

} // namespace
