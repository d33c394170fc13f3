// The template settings by payment type, from the host's list to
// PredChecks.txt: the list and its choices, the editor opened on the common
// template or on a payment type's own, templates written at once and kept
// after "Отменить", the choices written by "Применить", the opening refused
// without payment types, and a failed write that leaves the old file whole.
#include "plugin/receipts/editor/TovCheckOnVidOplForm.h"

#include "common/Exception.h"
#include "plugin/receipts/editor/DocCnfForm.h"
#include "plugin/receipts/editor/TagLabel.h"
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/PluginStateFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace velta;
using namespace velta::receipts;

namespace {

using Columns = TTovCheckOnVidOplForm::Column;
using velta::test::FileSizeLimit;

QTreeWidget& list(QWidget& form)
{
    return *form.findChild<QTreeWidget*>(QStringLiteral("lv"));
}

template <class Widget = QPushButton>
Widget& control(QWidget& form, const char* name)
{
    return *form.findChild<Widget*>(QLatin1String(name));
}

void click(QWidget& widget)
{
    QTest::mouseClick(&widget, Qt::LeftButton, {}, widget.rect().center());
}

void clickRow(QTreeWidget& view, int row)
{
    const QRect rect = view.visualItemRect(view.topLevelItem(row));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rect.center());
}

// Each row as "code name common own".
QStringList rows(QTreeWidget& view)
{
    QStringList texts;
    for (int i = 0; i < view.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = view.topLevelItem(i);
        texts << QStringList{item->text(Columns::ColumnId), item->text(Columns::ColumnCode),
                             item->text(Columns::ColumnName), item->text(Columns::ColumnCommon),
                             item->text(Columns::ColumnOwn)}
                     .join(QLatin1Char('|'));
    }
    return texts;
}

QStringList offeredTags(QWidget& editor)
{
    QStringList tags;
    for (const TagLabel* label : editor.findChild<QFrame*>(QStringLiteral("panVars"))->findChildren<TagLabel*>())
        tags << label->text();
    return tags;
}

class TovCheckOnVidOplFormTest : public test::PluginStateTest {
protected:
    TovCheckOnVidOplFormTest()
    {
        payTypes.entries = {{0, QStringLiteral("Наличные"), 0, true},
                            {4, QStringLiteral("Ведомость"), 0, true},
                            {7, QStringLiteral("Банковская карта"), 0, false},
                            {104, QStringLiteral("Ведомость АЗС-2"), 0, true}};
        host.values[46] = Variant(0);
        host.values[57] = Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(&payTypes)));
        QDir().mkpath(QFileInfo(file.path()).absolutePath());
    }

    test::TestPayTypeList payTypes;
    // Workplace kind 0 keeps the file on the station's own drive.
    PredChecksFile file{PredChecksFile::stationName()};
};

TEST_F(TovCheckOnVidOplFormTest, OwnTemplateForAStatementTypeFromTheHostListToTheFile)
{
    file.writeOwnTemplateFlag(104, 1);
    file.writeTemplate(kCommonTemplate, QStringLiteral("Общий\r\nшаблон"));
    QString edited;

    dialogs.expectModal(QStringLiteral("TTovCheckOnVidOplForm"))
        .withCaption(QStringLiteral("Настройка печати товарного чека на ККМ"))
        .drive([&](QDialog& form) {
            QTreeWidget& view = list(form);
            // The disabled card type is not listed; a type missing from the file uses the common template.
            EXPECT_EQ(rows(view), (QStringList{QStringLiteral("0|0|Наличные|*|"), QStringLiteral("1|4|Ведомость|*|"),
                                               QStringLiteral("2|104|Ведомость АЗС-2||*")}));
            EXPECT_EQ(view.currentItem(), view.topLevelItem(0));
            EXPECT_TRUE(control<QGroupBox>(form, "gbZagot").isEnabled());
            EXPECT_TRUE(control<QRadioButton>(form, "rb1").isChecked());
            EXPECT_TRUE(control(form, "bbAll").isEnabled());
            EXPECT_FALSE(control(form, "bbCustom").isEnabled());

            clickRow(view, 2);
            EXPECT_TRUE(control<QRadioButton>(form, "rb2").isChecked());
            EXPECT_FALSE(control(form, "bbAll").isEnabled());
            EXPECT_TRUE(control(form, "bbCustom").isEnabled());

            clickRow(view, 1);
            click(control<QRadioButton>(form, "rb2"));
            EXPECT_EQ(rows(view).at(1), QStringLiteral("1|4|Ведомость||*"));
            EXPECT_FALSE(control(form, "bbAll").isEnabled());

            dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([&](QDialog& editor) {
                const QStringList tags = offeredTags(editor);
                for (const char* tag : {"<#CNT>", "<#INN>", "<#Driver>", "<#Auto>", "<#PutList>"})
                    EXPECT_TRUE(tags.contains(QLatin1String(tag))) << tag;
                EXPECT_FALSE(tags.contains(QStringLiteral("<#DogCNT>")));
                auto& memo = control<QPlainTextEdit>(editor, "memo1");
                EXPECT_EQ(memo.toPlainText().count(QLatin1Char('\n')), 9); // no own template yet: the default
                click(control<TagLabel>(editor, "lbBoldLine"));
                memo.moveCursor(QTextCursor::End);
                click(*editor.findChild<TagLabel*>(QStringLiteral("lbVarCNT")));
                edited = static_cast<TDocCnfForm&>(editor).Text();
                click(control(editor, "BitBtn1"));
            });
            click(control(form, "bbCustom"));
            // Written at once, before the choices are applied.
            EXPECT_EQ(file.readTemplate(4), edited);
            EXPECT_EQ(file.ownTemplateFlag(4), 0);
            click(control(form, "BitBtn1"));
        });
    OpenReceiptTemplateSettings(dialogs);
    dialogs.verify();

    EXPECT_EQ(edited, QStringLiteral("@") + DefaultReceiptTemplate() + QStringLiteral("<#CNT>"));
    EXPECT_EQ(file.ownTemplateFlag(0), 0);
    EXPECT_EQ(file.ownTemplateFlag(4), 1);
    EXPECT_EQ(file.ownTemplateFlag(104), 1);
    EXPECT_EQ(file.templateFor(4), edited);
    EXPECT_EQ(file.templateFor(0), QStringLiteral("Общий\r\nшаблон"));
    // One line per template, its line breaks stored as TABs.
    const QByteArray bytes = test::readFileBytes(file.path());
    EXPECT_TRUE(bytes.contains("VO4=1"));
    EXPECT_TRUE(bytes.contains("TOVARNCHECK=@"));
    EXPECT_EQ(bytes.count('\t'), 9 + 1);
}

TEST_F(TovCheckOnVidOplFormTest, TheCommonTemplateOffersTheRowsForAllAndStaysWrittenAfterCancel)
{
    file.writeOwnTemplateFlag(0, 1);
    file.writeTemplate(kCommonTemplate, QStringLiteral("строка 1\r\nстрока 2\r\nстрока 3"));
    dialogs.expectModal(QStringLiteral("TTovCheckOnVidOplForm")).drive([&](QDialog& form) {
        click(control<QRadioButton>(form, "rb1"));
        EXPECT_EQ(rows(list(form)).at(0), QStringLiteral("0|0|Наличные|*|"));
        dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([&](QDialog& editor) {
            QStringList all;
            for (const ReceiptTag& row : ReceiptTagsFor(kCommonTemplate))
                all << row.tag();
            EXPECT_EQ(offeredTags(editor), all);
            auto& memo = control<QPlainTextEdit>(editor, "memo1");
            EXPECT_EQ(memo.toPlainText(), QStringLiteral("строка 1\nстрока 2\nстрока 3"));
            memo.moveCursor(QTextCursor::End);
            click(*editor.findChild<TagLabel*>(QStringLiteral("lbVarAZS")));
            click(control(editor, "BitBtn1"));
        });
        click(control(form, "bbAll"));
        click(control(form, "BitBtn2"));
    });
    OpenReceiptTemplateSettings(dialogs);
    dialogs.verify();
    EXPECT_EQ(file.readTemplate(kCommonTemplate), QStringLiteral("строка 1\r\nстрока 2\r\nстрока 3<#AZS>"));
    EXPECT_EQ(file.ownTemplateFlag(0), 1); // the choice was not applied
}

TEST_F(TovCheckOnVidOplFormTest, AnEditorClosedWithCancelWritesNothing)
{
    file.writeTemplate(4, QStringLiteral("свой"));
    file.writeOwnTemplateFlag(4, 1);
    const QByteArray before = test::readFileBytes(file.path());
    TTovCheckOnVidOplForm form(dialogs, file, TemplatePayTypesOf(&payTypes));
    form.show();
    clickRow(list(form), 1);
    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([](QDialog& editor) {
        control<QPlainTextEdit>(editor, "memo1").setPlainText(QStringLiteral("чужой"));
        click(control(editor, "BitBtn2"));
    });
    form.bbCustomClick();
    dialogs.verify();
    EXPECT_EQ(test::readFileBytes(file.path()), before);
}

TEST_F(TovCheckOnVidOplFormTest, WithoutEnabledPaymentTypesTheWindowDoesNotOpen)
{
    const auto openingError = [&] {
        try {
            OpenReceiptTemplateSettings(dialogs);
        } catch (const Exception& e) {
            return e.message();
        }
        return QStringLiteral("opened");
    };
    host.values[57] = Variant(QStringLiteral("нет списка"));
    EXPECT_EQ(openingError(), QStringLiteral("Не удалось загрузить список видов оплаты!"));
    host.values[57] = Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(&payTypes)));
    for (auto& entry : payTypes.entries)
        entry.enabled = false;
    EXPECT_EQ(openingError(), QStringLiteral("Все виды оплаты отключены!"));
    payTypes.entries.clear();
    EXPECT_EQ(openingError(), QStringLiteral("Все виды оплаты отключены!"));
    dialogs.verify(); // no window was shown
}

TEST_F(TovCheckOnVidOplFormTest, TheFileOfARemoteWorkplaceIsOnTheServersDrive)
{
    host.values[46] = Variant(1);
    const PredChecksFile remote{QStringLiteral("S:\\DEXE\\PredChecks.txt")};
    QDir().mkpath(QFileInfo(remote.path()).absolutePath());
    dialogs.expectModal(QStringLiteral("TTovCheckOnVidOplForm")).drive([](QDialog& form) {
        click(control(form, "BitBtn1"));
    });
    OpenReceiptTemplateSettings(dialogs);
    dialogs.verify();
    EXPECT_TRUE(QFileInfo::exists(remote.path()));
    EXPECT_FALSE(QFileInfo::exists(file.path()));
}

TEST_F(TovCheckOnVidOplFormTest, ATemplateThatCannotBeWrittenLeavesTheOldFileWhole)
{
    file.writeTemplate(kCommonTemplate, QStringLiteral("старый\r\nшаблон"));
    file.writeOwnTemplateFlag(4, 1);
    const QByteArray before = test::readFileBytes(file.path());
    ASSERT_LT(before.size(), 1024);
    const QString huge = QStringLiteral("<#GSM> ").repeated(2000);

    TTovCheckOnVidOplForm form(dialogs, file, TemplatePayTypesOf(&payTypes));
    form.show();
    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([&](QDialog& editor) {
        control<QPlainTextEdit>(editor, "memo1").setPlainText(huge);
        click(control(editor, "BitBtn1"));
    });
    dialogs.expect(DialogKind::MessageBox).withCaption(QStringLiteral("Ошибка"));
    {
        FileSizeLimit limit(4096);
        form.bbAllClick();
    }
    dialogs.verify();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(test::readFileBytes(file.path()), before);
    const QStringList left = QDir(QFileInfo(file.path()).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList{QFileInfo(file.path()).fileName()});
    // Without the limit the same template is written.
    dialogs.expectModal(QStringLiteral("TDocCnfForm")).drive([&](QDialog& editor) {
        control<QPlainTextEdit>(editor, "memo1").setPlainText(huge);
        click(control(editor, "BitBtn1"));
    });
    form.bbAllClick();
    dialogs.verify();
    EXPECT_EQ(file.readTemplate(kCommonTemplate), huge);
}

TEST_F(TovCheckOnVidOplFormTest, TheColumnsFitTheirTextsAndTheIdColumnIsHidden)
{
    TTovCheckOnVidOplForm form(dialogs, file, TemplatePayTypesOf(&payTypes));
    form.show();
    QTreeWidget& view = list(form);
    const QFontMetrics metrics(view.header()->font());
    EXPECT_LE(view.header()->sectionSize(Columns::ColumnId), 1);
    for (int column : {Columns::ColumnCode, Columns::ColumnName, Columns::ColumnCommon, Columns::ColumnOwn}) {
        const int needed = metrics.horizontalAdvance(view.headerItem()->text(column));
        EXPECT_GT(view.header()->sectionSize(column), needed) << column;
        for (int row = 0; row < view.topLevelItemCount(); ++row)
            EXPECT_GT(view.header()->sectionSize(column),
                      QFontMetrics(view.font()).horizontalAdvance(view.topLevelItem(row)->text(column)));
    }
    EXPECT_LE(view.header()->length(), view.viewport()->width()); // no sideways scrolling
}

} // namespace
