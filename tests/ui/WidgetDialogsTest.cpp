// The real message boxes and dialogs on the offscreen platform: what the
// built box shows, and the results when a button, Esc or the close button is used.
#include "plugin/ui/WidgetDialogs.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/WidgetTestApp.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velta;

namespace {

class WidgetDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureWidgetApplication(); }
};

QStringList buttonTexts(const QMessageBox& box)
{
    QStringList texts;
    // buttons() lists them in the order they were added.
    for (const QAbstractButton* b : box.buttons())
        texts << b->text();
    return texts;
}

QAbstractButton* buttonWithText(const QMessageBox& box, const QString& text)
{
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Runs action on the modal widget that shows up next (the box or dialog under test).
template <class Widget>
void onNextModal(std::function<void(Widget&)> action)
{
    QTimer::singleShot(0, [action] {
        auto* widget = qobject_cast<Widget*>(QApplication::activeModalWidget());
        ASSERT_NE(widget, nullptr);
        action(*widget);
    });
}

void pressEscape(QWidget& widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

} // namespace

TEST_F(WidgetDialogsTest, BuiltBoxShowsTheLayoutsCaptionIconButtonsAndDefaults)
{
    const auto layout = MessageBoxLayout::forMessageBox(QStringLiteral("Внимание!"),
                                                        MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    auto box = WidgetDialogs::buildMessageBox(layout, QStringLiteral("Хотите продолжить?"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Внимание!"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(buttonTexts(*box), (QStringList{QStringLiteral("OK"), QStringLiteral("Отмена")}));
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Отмена"));
    ASSERT_NE(box->escapeButton(), nullptr);
    EXPECT_EQ(box->escapeButton()->text(), QStringLiteral("Отмена"));
}

TEST_F(WidgetDialogsTest, TextIsPlainWithSingleLineBreaks)
{
    const auto layout = MessageBoxLayout::forShowMessage(QStringLiteral("Велта"));
    auto box = WidgetDialogs::buildMessageBox(layout, QStringLiteral("<b>Файл</b> \"a&b\"\r\nстрока 2\rстрока 3"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), QStringLiteral("<b>Файл</b> \"a&b\"\nстрока 2\nстрока 3"));
}

TEST_F(WidgetDialogsTest, ClickedButtonGivesItsFrameworkResult)
{
    const auto layout = MessageBoxLayout::forMessageDlg(mtConfirmation, mbYesNoCancel, QStringLiteral("Велта"));
    for (const auto& [text, result] : {std::pair{"Да", mrYes}, std::pair{"Нет", mrNo}, std::pair{"Отмена", mrCancel}}) {
        auto box = WidgetDialogs::buildMessageBox(layout, QStringLiteral("?"));
        const QString label = QString::fromUtf8(text);
        QTimer::singleShot(0, box.get(), [&box, label] { buttonWithText(*box, label)->click(); });
        box->exec();
        EXPECT_EQ(WidgetDialogs::messageBoxResult(*box, layout), result) << text;
    }
}

TEST_F(WidgetDialogsTest, EscapeAnswersCancelOnlyWhereTheBoxHasIt)
{
    const auto okCancel = MessageBoxLayout::forMessageBox(QString(), MB_OKCANCEL);
    auto box = WidgetDialogs::buildMessageBox(okCancel, QStringLiteral("?"));
    QTimer::singleShot(0, box.get(), [&box] { pressEscape(*box); });
    box->exec();
    EXPECT_EQ(WidgetDialogs::messageBoxResult(*box, okCancel), IDCANCEL);

    // A Yes/No box ignores Esc and the close button; only a button closes it.
    const auto yesNo = MessageBoxLayout::forMessageBox(QString(), MB_YESNO);
    auto question = WidgetDialogs::buildMessageBox(yesNo, QStringLiteral("?"));
    bool stillOpen = false;
    QTimer::singleShot(0, question.get(), [&] {
        pressEscape(*question);
        question->close();
        stillOpen = question->isVisible();
        buttonWithText(*question, QStringLiteral("Нет"))->click();
    });
    question->exec();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(WidgetDialogs::messageBoxResult(*question, yesNo), IDNO);
}

TEST_F(WidgetDialogsTest, MessageBoxAndMessageDlgThroughTheService)
{
    WidgetDialogs dialogs;
    onNextModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Подтверждение"));
        buttonWithText(box, QStringLiteral("OK"))->click();
    });
    EXPECT_EQ(dialogs.messageDlg(QStringLiteral("Удалить?"), mtConfirmation, mbOKCancel), mrOk);

    onNextModal<QMessageBox>([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Ошибка"));
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        buttonWithText(box, QStringLiteral("Повтор"))->click();
    });
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("x"), QStringLiteral("Ошибка"), MB_RETRYCANCEL | MB_ICONERROR),
              IDRETRY);
}

TEST_F(WidgetDialogsTest, ShowModalKeepsTheWindowsResultAndTurnsACloseIntoCancel)
{
    WidgetDialogs dialogs;
    QDialog window;
    QTimer::singleShot(0, &window, [&] { window.done(5); });
    EXPECT_EQ(dialogs.showModal(window), 5);

    QTimer::singleShot(0, &window, [&] { pressEscape(window); });
    EXPECT_EQ(dialogs.showModal(window), mrCancel);

    QTimer::singleShot(0, &window, [&] { window.accept(); });
    EXPECT_EQ(dialogs.showModal(window), mrOk);
}

TEST_F(WidgetDialogsTest, SaveDialogAddsTheDefaultExtensionAndOpensInTheInitialFolder)
{
    test::TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("out")));
    WidgetDialogs dialogs;
    FileDialogOptions options;
    options.title = QStringLiteral("Диалог сохранения в файл");
    options.filter = QStringLiteral("HTML-файлы (*.html)|*.html|Все файлы (*.*)|*.*");
    options.defaultExt = QStringLiteral("html");
    options.initialDir = env.path(QStringLiteral("out"));
    onNextModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), options.title);
        EXPECT_EQ(QDir(dialog.directory()).canonicalPath(), QDir(env.path(QStringLiteral("out"))).canonicalPath());
        EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("HTML-файлы (*.html *.HTML)"));
        dialog.selectFile(QStringLiteral("ОТЧЕТ 061226 1425"));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog's own accept() is protected
    });
    const auto chosen = dialogs.saveFile(options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(chosen->endsWith(QStringLiteral("/out/ОТЧЕТ 061226 1425.html"))) << chosen->toStdString();

    onNextModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(dialogs.openFile(options).has_value());
}

TEST_F(WidgetDialogsTest, InputQueryChangesTheValueOnlyWhenConfirmed)
{
    WidgetDialogs dialogs;
    QString value = QStringLiteral("старое");
    onNextModal<QInputDialog>([](QInputDialog& dialog) {
        EXPECT_EQ(dialog.textValue(), QStringLiteral("старое"));
        EXPECT_EQ(dialog.cancelButtonText(), QStringLiteral("Отмена"));
        dialog.setTextValue(QStringLiteral("новое"));
        dialog.reject();
    });
    EXPECT_FALSE(dialogs.inputQuery(QStringLiteral("Велта"), QStringLiteral("Номер:"), value));
    EXPECT_EQ(value, QStringLiteral("старое"));

    onNextModal<QInputDialog>([](QInputDialog& dialog) {
        dialog.setTextValue(QStringLiteral("новое"));
        dialog.accept();
    });
    EXPECT_TRUE(dialogs.inputQuery(QStringLiteral("Велта"), QStringLiteral("Номер:"), value));
    EXPECT_EQ(value, QStringLiteral("новое"));
}
