// The scripted double: answers from the script, records calls, and makes
// every departure from the script a failure the test cannot miss.
#include "plugin/ui/ScriptedDialogs.h"
#include "common/Exception.h"
#include "tests/ui/WidgetTestApp.h"

#include <QDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace velta;

namespace {

// A small window in the plug-in's manner: built in code, controls named, its
// logic talking to the user through the Dialogs it was given.
class NameForm : public QDialog {
public:
    explicit NameForm(Dialogs& dialogs)
        : dialogs_(dialogs)
    {
        setObjectName(QStringLiteral("TNameForm"));
        setWindowTitle(QStringLiteral("Имя"));
        auto* layout = new QVBoxLayout(this);
        edName = new QLineEdit(this);
        edName->setObjectName(QStringLiteral("edName"));
        auto* btnOK = new QPushButton(QStringLiteral("OK"), this);
        btnOK->setObjectName(QStringLiteral("btnOK"));
        auto* btnCurrent = new QPushButton(QStringLiteral("Текущая"), this);
        btnCurrent->setObjectName(QStringLiteral("btnCurrent"));
        layout->addWidget(edName);
        layout->addWidget(btnOK);
        layout->addWidget(btnCurrent);
        connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
        connect(btnCurrent, &QPushButton::clicked, this, [this] { done(mrIgnore); });
    }

    QLineEdit* edName;

private:
    void btnOKClick()
    {
        if (edName->text().trimmed().isEmpty()) {
            dialogs_.messageBox(QStringLiteral("Необходимо указать имя!"), QStringLiteral("Ошибка"),
                                MB_OK | MB_ICONERROR);
            return;
        }
        done(mrOk);
    }

    Dialogs& dialogs_;
};

template <class T>
T* child(QDialog& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class ScriptedDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureWidgetApplication(); }

    // Failures land here instead of failing the test, so tests can check them.
    QStringList reported;
    ScriptedDialogs dialogs{[this](const QString& message) { reported << message; }};
};

} // namespace

TEST_F(ScriptedDialogsTest, ExpectedCallsGetTheirAnswersInOrderAndAreRecorded)
{
    dialogs.expectMessageDlg(QStringLiteral("Вы действительно хотите удалить запись?")).answer(mrNo);
    dialogs.expectMessageBox(QStringLiteral("Список пуст")).withCaption(QStringLiteral("Информация"));
    dialogs.expectShowMessage(QStringLiteral("Готово"));

    EXPECT_EQ(dialogs.messageDlg(QStringLiteral("Вы действительно хотите удалить запись?"), mtConfirmation, mbYes | mbNo),
              mrNo);
    // Without an answer the box's default button is pressed.
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("Список пуст"), QStringLiteral("Информация"),
                                 MB_OK | MB_ICONINFORMATION),
              IDOK);
    dialogs.showMessage(QStringLiteral("Готово"));

    ASSERT_EQ(dialogs.calls().size(), 3u);
    EXPECT_EQ(dialogs.calls()[0].caption, QStringLiteral("Подтверждение"));
    EXPECT_EQ(dialogs.calls()[0].buttons, mbYes | mbNo);
    EXPECT_EQ(dialogs.calls()[1].flags, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(dialogs.calls()[2].caption, QStringLiteral("Велта"));
    EXPECT_TRUE(dialogs.verify().isEmpty());
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(ScriptedDialogsTest, AnUnexpectedCallIsReportedAndThrownPastTheExceptionFamily)
{
    bool caughtAsVeltaException = false;
    try {
        try {
            dialogs.showMessage(QStringLiteral("Лишнее"));
        } catch (const Exception&) {
            caughtAsVeltaException = true;
        }
        FAIL() << "the call went through";
    } catch (const ScriptedDialogsError& e) {
        EXPECT_NE(std::string(e.what()).find("ShowMessage"), std::string::npos);
    }
    EXPECT_FALSE(caughtAsVeltaException);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("Лишнее")));
    EXPECT_EQ(dialogs.verify().size(), 1);
}

TEST_F(ScriptedDialogsTest, CallsOfAnotherKindTextOrCaptionDoNotMeetTheExpectation)
{
    dialogs.expectMessageBox(QStringLiteral("Текст")).withCaption(QStringLiteral("Внимание!"));
    EXPECT_THROW(dialogs.messageDlg(QStringLiteral("Текст"), mtWarning, mbOK), ScriptedDialogsError);
    EXPECT_THROW(dialogs.messageBox(QStringLiteral("Текст "), QStringLiteral("Внимание!")), ScriptedDialogsError);
    EXPECT_THROW(dialogs.messageBox(QStringLiteral("Текст"), QStringLiteral("Ошибка")), ScriptedDialogsError);
    EXPECT_EQ(reported.size(), 3);
    EXPECT_TRUE(reported[2].contains(QStringLiteral("caption differs")));
    // The right call still meets it.
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("Текст"), QStringLiteral("Внимание!")), IDOK);
    EXPECT_EQ(dialogs.pendingCount(), 0u);
}

TEST_F(ScriptedDialogsTest, PartsAndPredicatesNarrowAnExpectation)
{
    dialogs.expect(DialogKind::MessageBox)
        .containing(QStringLiteral("уже выбран на Стр. 2"))
        .when([](const DialogCall& c) { return (c.flags & MB_DEFMASK) == MB_DEFBUTTON2; }, QStringLiteral("Cancel first"))
        .answer(IDOK);
    EXPECT_THROW(dialogs.messageBox(QStringLiteral("Файл\r\nуже выбран на Стр. 2"), QStringLiteral("Внимание!"),
                                    MB_OKCANCEL),
                 ScriptedDialogsError);
    EXPECT_TRUE(reported.value(0).contains(QStringLiteral("Cancel first")));
    EXPECT_EQ(dialogs.messageBox(QStringLiteral("Файл\r\nуже выбран на Стр. 2"), QStringLiteral("Внимание!"),
                                 MB_OKCANCEL | MB_DEFBUTTON2),
              IDOK);
}

TEST_F(ScriptedDialogsTest, AnAnswerTheBoxCannotGiveIsAFailure)
{
    // The code under test showed OK/Cancel where the script expects a Yes/No question.
    dialogs.expectMessageBox(QStringLiteral("Объединить?")).answer(IDYES);
    EXPECT_THROW(dialogs.messageBox(QStringLiteral("Объединить?"), QStringLiteral("Внимание!"), MB_OKCANCEL),
                 ScriptedDialogsError);

    // Esc on a Yes/No box does nothing, so a script cannot cancel one.
    dialogs.expectMessageBox(QStringLiteral("Да или нет?")).cancel();
    EXPECT_THROW(dialogs.messageBox(QStringLiteral("Да или нет?"), QString(), MB_YESNO), ScriptedDialogsError);

    dialogs.expectMessageDlg(QStringLiteral("Да или нет?")).cancel();
    EXPECT_EQ(dialogs.messageDlg(QStringLiteral("Да или нет?"), mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(reported.size(), 2);
}

TEST_F(ScriptedDialogsTest, ExpectationsNeverMetFailVerifyOrTheDestructor)
{
    dialogs.expectMessageDlg(QStringLiteral("Не показано"));
    const QStringList problems = dialogs.verify();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Не показано")));
    EXPECT_EQ(reported, problems);
    EXPECT_EQ(dialogs.pendingCount(), 0u);

    QStringList heardAtEnd;
    {
        ScriptedDialogs forgotten([&](const QString& m) { heardAtEnd << m; });
        forgotten.expectOpenFile();
    }
    EXPECT_EQ(heardAtEnd.size(), 1);

    // Without a reporter, verify throws what it found.
    ScriptedDialogs silent;
    silent.expectFont();
    EXPECT_THROW(silent.verify(), ScriptedDialogsError);
}

TEST_F(ScriptedDialogsTest, AModalWindowIsDrivenThroughItsNamedControls)
{
    NameForm form(dialogs);
    dialogs.expectModal(QStringLiteral("TNameForm")).drive([](QDialog& window) {
        EXPECT_TRUE(window.isVisible());
        child<QPushButton>(window, "btnOK")->click(); // empty name: refused, window stays
        EXPECT_TRUE(window.isVisible());
        child<QLineEdit>(window, "edName")->setText(QStringLiteral("Иванов"));
        child<QPushButton>(window, "btnOK")->click();
    });
    // The window's own check talks to the user through the same double.
    dialogs.expectMessageBox(QStringLiteral("Необходимо указать имя!")).withCaption(QStringLiteral("Ошибка"));

    EXPECT_EQ(dialogs.showModal(form), mrOk);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.edName->text(), QStringLiteral("Иванов"));
    ASSERT_EQ(dialogs.calls().size(), 2u);
    EXPECT_EQ(dialogs.calls()[0].caption, QStringLiteral("Имя"));
    EXPECT_TRUE(dialogs.verify().isEmpty());
}

TEST_F(ScriptedDialogsTest, WindowResultsOtherThanOkAndCancelPassThrough)
{
    NameForm form(dialogs);
    dialogs.expectModal(QStringLiteral("TNameForm")).drive([](QDialog& w) {
        child<QPushButton>(w, "btnCurrent")->click();
    });
    EXPECT_EQ(dialogs.showModal(form), mrIgnore);

    dialogs.expectModal(QStringLiteral("TNameForm")).cancel();
    EXPECT_EQ(dialogs.showModal(form), mrCancel);

    dialogs.expectModal(QStringLiteral("TNameForm")).answer(mrOk);
    EXPECT_EQ(dialogs.showModal(form), mrOk);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(ScriptedDialogsTest, AWindowLeftOpenByTheScriptIsAFailure)
{
    NameForm form(dialogs);
    dialogs.expectModal(QStringLiteral("TNameForm")).drive([](QDialog& w) {
        child<QLineEdit>(w, "edName")->setText(QStringLiteral("x"));
    });
    EXPECT_THROW(dialogs.showModal(form), ScriptedDialogsError);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(reported.value(0).contains(QStringLiteral("left")));
}

TEST_F(ScriptedDialogsTest, AFailingScriptHidesTheWindowAndPropagates)
{
    NameForm form(dialogs);
    dialogs.expectModal(QStringLiteral("TNameForm")).drive([](QDialog&) { throw std::logic_error("script broke"); });
    EXPECT_THROW(dialogs.showModal(form), std::logic_error);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ScriptedDialogsTest, FileFontPrintAndInputDialogs)
{
    dialogs.expectSaveFile()
        .when([](const DialogCall& c) { return c.file.defaultExt == QLatin1String("txt"); }, QStringLiteral("txt"))
        .choose(QStringLiteral("/tmp/x.txt"));
    dialogs.expectOpenFile().cancel();
    dialogs.expectFont().chooseFont(QFont(QStringLiteral("Courier New"), 10));
    dialogs.expectPrintDialog().confirmPrint([](QPrinter&, PrintDialogOptions& o) {
        o.allPages = false;
        o.fromPage = 2;
        o.toPage = 3;
    });
    dialogs.expectPrinterSetup().cancel();
    dialogs.expectInputQuery(QStringLiteral("Номер:")).enter(QStringLiteral("42"));

    FileDialogOptions save;
    save.defaultExt = QStringLiteral("txt");
    EXPECT_EQ(dialogs.saveFile(save), std::optional<QString>(QStringLiteral("/tmp/x.txt")));
    EXPECT_FALSE(dialogs.openFile({}).has_value());
    const auto font = dialogs.chooseFont(QFont(QStringLiteral("Arial"), 8));
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->pointSize(), 10);

    QPrinter printer;
    PrintDialogOptions pages;
    EXPECT_TRUE(dialogs.printDialog(printer, pages));
    EXPECT_FALSE(pages.allPages);
    EXPECT_EQ(pages.toPage, 3);
    EXPECT_FALSE(dialogs.printerSetup(printer));

    QString value = QStringLiteral("1");
    EXPECT_TRUE(dialogs.inputQuery(QStringLiteral("Велта"), QStringLiteral("Номер:"), value));
    EXPECT_EQ(value, QStringLiteral("42"));
    EXPECT_EQ(dialogs.calls().back().value, QStringLiteral("1"));
    EXPECT_TRUE(dialogs.verify().isEmpty());
}

TEST_F(ScriptedDialogsTest, CurrentDialogsScopeInstallsAndRestores)
{
    Dialogs& before = currentDialogs();
    {
        CurrentDialogsScope scope(dialogs);
        EXPECT_EQ(&currentDialogs(), &dialogs);
        ScriptedDialogs inner{test::failTestReporter()};
        {
            CurrentDialogsScope nested(inner);
            EXPECT_EQ(&currentDialogs(), &inner);
        }
        EXPECT_EQ(&currentDialogs(), &dialogs);
    }
    EXPECT_EQ(&currentDialogs(), &before);
    EXPECT_NE(&before, static_cast<Dialogs*>(&dialogs));
}
