// The receipt preview driven offscreen: "Печатать" confirms, "Отмена" and
// Esc back out, and bold lines show bold at 14 points without their "@".
#include "plugin/receipts/editor/CheckPreviewForm.h"

#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::receipts;

namespace {

const QString kReceipt = QStringLiteral("Вид оплаты: Наличные\r\n@ИТОГО:       1234.50р.\r\nсумма@ не жирная\r\n"
                                        "@СПАСИБО\r\n\r\n@");

QTextEdit& shown(QWidget& form)
{
    return *form.findChild<QTextEdit*>(QStringLiteral("memo1"));
}

QPushButton& button(QWidget& form, const char* name)
{
    return *form.findChild<QPushButton*>(QLatin1String(name));
}

// Each shown line with "B" in front when all of it is bold at 14 points.
QStringList shownLines(QTextEdit& edit)
{
    QStringList lines;
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next()) {
        bool bold = block.length() > 1;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            bold = bold && format.fontWeight() == QFont::Bold && format.fontPointSize() == 14;
        }
        lines << (bold ? QStringLiteral("B ") : QStringLiteral("  ")) + block.text();
    }
    return lines;
}

class CheckPreviewFormTest : public ::testing::Test {
protected:
    test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_F(CheckPreviewFormTest, BoldLinesShowBoldWithoutTheirMarker)
{
    TCheckPreviewForm form(kReceipt);
    form.show();
    EXPECT_EQ(shownLines(shown(form)),
              (QStringList{QStringLiteral("  Вид оплаты: Наличные"), QStringLiteral("B ИТОГО:       1234.50р."),
                           QStringLiteral("  сумма@ не жирная"), QStringLiteral("B СПАСИБО"), QStringLiteral("  "),
                           QStringLiteral("  ")}));
    EXPECT_TRUE(shown(form).isReadOnly());
    EXPECT_EQ(shown(form).document()->begin().charFormat().fontWeight(), QFont::Normal);
}

TEST_F(CheckPreviewFormTest, PrintConfirmsWhileCancelAndEscBackOut)
{
    dialogs.expectModal(QStringLiteral("TCheckPreviewForm"))
        .withCaption(QStringLiteral("Просмотр товарного чека перед печатью на кассе"))
        .drive([](QDialog& form) {
            QTest::mouseClick(&button(form, "BitBtn1"), Qt::LeftButton);
        });
    EXPECT_TRUE(PreviewReceipt(dialogs, kReceipt));

    dialogs.expectModal(QStringLiteral("TCheckPreviewForm")).drive([](QDialog& form) {
        EXPECT_EQ(button(form, "BitBtn2").toolTip(), QStringLiteral("Закрывает окно без сохранения изменений"));
        QTest::mouseClick(&button(form, "BitBtn2"), Qt::LeftButton);
    });
    EXPECT_FALSE(PreviewReceipt(dialogs, kReceipt));

    dialogs.expectModal(QStringLiteral("TCheckPreviewForm")).drive([](QDialog& form) {
        QTextEdit& text = shown(form);
        text.setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&text, &press);
        EXPECT_FALSE(form.isVisible());
    });
    EXPECT_FALSE(PreviewReceipt(dialogs, kReceipt));
    dialogs.verify();
}

} // namespace
