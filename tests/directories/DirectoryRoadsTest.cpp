// The contragent directory over a real station, driven as the user does:
// a consignee added in the window is in the database with its roles, in the
// chooser for consignees and in the directory opened again; duplicates that
// differ in letter case are refused; the soft delete keeps the role rows; the
// chooser holds OK back while another group is shown; a refused role row
// leaves nothing written; O'Key is found by the search and the filter.
#include "common/Exception.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/Field.h"
#include "plugin/directories/ContragentQuery.h"
#include "plugin/directories/OrganizationsForm.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DialogTypes.h"
#include "station/db/StationDatabase.h"
#include "tests/directories/DirectoryStation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace velta::directories::test {
namespace {

constexpr int kConsignee = 3;

TOrganizationsForm& directoryOf(QDialog& window)
{
    return static_cast<TOrganizationsForm&>(window);
}

TClientDataSet& listOf(QDialog& window)
{
    return directoryOf(window).Directory().OrgListDS;
}

// The names listed, the current record kept.
QStringList listedNames(QDialog& window)
{
    TClientDataSet& list = listOf(window);
    const TBookmark current = list.GetBookmark();
    QStringList names;
    for (list.First(); !list.Eof(); list.Next())
        names << list.FieldByName(QStringLiteral("NAME")).AsString();
    if (list.BookmarkValid(current))
        list.GotoBookmark(current);
    return names;
}

void selectGroup(QDialog& window, const QString& caption)
{
    auto& groups = control<QComboBox>(window, "cbCTypes");
    const int index = groups.findText(caption);
    ASSERT_GE(index, 0) << caption.toStdString();
    groups.setCurrentIndex(index);
}

void typeSearch(QDialog& window, const QString& text)
{
    control<QLineEdit>(window, "edSearchText").setText(text);
}

void pressEscape(QWidget& target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&target, &release);
}

class DirectoryRoadsTest : public DirectoryStationTest {
protected:
    // The edit window fills the short name, ticks the consignee box and the
    // first contract payment type, and is confirmed.
    void expectEditor(const QString& name, bool consignee, int payTypeItem)
    {
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([=](QDialog& editor) {
            auto& shortName = control<QLineEdit>(editor, "edShortName");
            shortName.setText(name);
            emit shortName.editingFinished(); // the user leaves the field
            control<QCheckBox>(editor, "cbGSMConsignee").setChecked(consignee);
            if (payTypeItem >= 0)
                control<TCheckListBox>(editor, "clbVOList").SetChecked(payTypeItem, true);
            press(editor, "btnOK");
        });
    }

    // Opens the directory on its own and runs the script in it; the script closes it.
    void inDirectory(const std::function<void(QDialog&)>& script)
    {
        dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive(script);
        ShowContragentDirectory(data_->VeltaServer);
    }
};

TEST_F(DirectoryRoadsTest, AnAddedConsigneeIsStoredWithItsRolesAndOfferedByTheChooserAndTheDirectory)
{
    inDirectory([&](QDialog& window) {
        expectEditor(QStringLiteral("Нефтетранзит"), true, 0);
        press(window, "btnAdd");
        EXPECT_EQ(listOf(window).FieldByName(QStringLiteral("NAME")).AsString(), u"Нефтетранзит");
        window.reject();
    });
    dialogs.verify();

    ASSERT_EQ(contragentsNamed(QStringLiteral("Нефтетранзит")), QStringList{QStringLiteral("Нефтетранзит|0")});
    const int id = idOf(QStringLiteral("Нефтетранзит"));
    EXPECT_GT(id, 18); // numbered by the station after the demo's contragents
    // The full name was copied from the short one; the country is Russia.
    const auto row = query(QStringLiteral("SELECT FULLNAME, COUNTRYCODE, LICDATE FROM CONTRAGENT WHERE CONTR_ID=%1").arg(id));
    EXPECT_EQ(row->Fields(0).AsString(), u"Нефтетранзит");
    EXPECT_EQ(row->Fields(1).AsInteger(), 643);
    EXPECT_TRUE(row->Fields(2).IsNull());
    EXPECT_EQ(roleRowsOf(id), (QStringList{QStringLiteral("1:104"), QStringLiteral("3:0")}));

    // The chooser for consignees shows it among the consignees; OK hands its values back.
    Variant::Array values;
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        EXPECT_EQ(control<QComboBox>(window, "cbCTypes").currentText(), u"Получатели ГСМ");
        EXPECT_EQ(listedNames(window), (QStringList{QStringLiteral("Агрохолдинг Заря"), QStringLiteral("Горэлектротранс"),
                                                    QStringLiteral("Нефтетранзит"), QStringLiteral("СтройТранс")}));
        typeSearch(window, QStringLiteral("нефтет"));
        EXPECT_TRUE(control<QPushButton>(window, "btnOK").isEnabled());
        press(window, "btnOK");
    });
    ASSERT_TRUE(ChooseContragent(data_->VeltaServer, kConsignee, 0, values));
    dialogs.verify();
    ASSERT_EQ(values.size(), 19);
    EXPECT_EQ(values[0].toInt(), id);
    EXPECT_EQ(values[2].toString(), u"Нефтетранзит");
    EXPECT_EQ(values[3].toString(), u"Нефтетранзит");
    EXPECT_EQ(values[18].toInt(), 643);

    // Opened again with it current: the window shows it without a search.
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        EXPECT_EQ(listOf(window).FieldByName(QStringLiteral("CONTR_ID")).AsInteger(), id);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Контрагенты (%1 из 4)").arg(listOf(window).RecNo()));
        window.reject();
    });
    EXPECT_FALSE(ChooseContragent(data_->VeltaServer, kConsignee, id, values));
    dialogs.verify();

    // The whole directory has it too, sorted by name with that title bold.
    inDirectory([&](QDialog& window) {
        EXPECT_TRUE(listedNames(window).contains(QStringLiteral("Нефтетранзит")));
        EXPECT_EQ(directoryOf(window).SortField(), u"NAME");
        EXPECT_EQ(directoryOf(window).BoldTitle(), 0);
        window.reject();
    });
}

TEST_F(DirectoryRoadsTest, TheChooserOpensAClosedConnectionAndClosesItAfterwards)
{
    ASSERT_FALSE(data_->VeltaServer.Connected());
    Variant::Array values;
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        EXPECT_TRUE(data_->VeltaServer.Connected());
        typeSearch(window, QStringLiteral("Нефтеснаб"));
        press(window, "btnOK");
    });
    ASSERT_TRUE(ChooseContragent(data_->VeltaServer, 2, 0, values));
    EXPECT_EQ(values[2].toString(), u"Нефтеснаб");
    EXPECT_FALSE(data_->VeltaServer.Connected());

    // An open connection stays open.
    data_->VeltaServer.Open();
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([](QDialog& window) { window.reject(); });
    EXPECT_FALSE(ChooseContragent(data_->VeltaServer, 2, 0, values));
    EXPECT_TRUE(data_->VeltaServer.Connected());
}

TEST_F(DirectoryRoadsTest, AChooserShownAnotherGroupHoldsOKBackWithTheHint)
{
    Variant::Array values;
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        auto& hint = control<QLabel>(window, "labErrorHint");
        auto& ok = control<QPushButton>(window, "btnOK");
        EXPECT_TRUE(hint.isHidden());
        EXPECT_TRUE(ok.isEnabled());
        selectGroup(window, QStringLiteral("Поставщики ГСМ"));
        EXPECT_FALSE(hint.isHidden());
        EXPECT_EQ(hint.text(), u"Для того, чтобы нажать кнопку \"ОК\" выберите группу: Получатели ГСМ");
        EXPECT_FALSE(ok.isEnabled());
        EXPECT_EQ(listedNames(window), (QStringList{QStringLiteral("Нефтеснаб"), QStringLiteral("Северная нефтебаза")}));
        directoryOf(window).btnOKClick(); // a disabled OK does nothing
        EXPECT_TRUE(window.isVisible());
        selectGroup(window, QStringLiteral("Получатели ГСМ"));
        EXPECT_TRUE(hint.isHidden());
        EXPECT_TRUE(ok.isEnabled());
        window.reject();
    });
    EXPECT_FALSE(ChooseContragent(data_->VeltaServer, kConsignee, 0, values));
    dialogs.verify();
}

TEST_F(DirectoryRoadsTest, ADuplicateDifferingInLetterCaseIsRefusedAndNothingChanges)
{
    const int stroyTrans = idOf(QStringLiteral("СтройТранс"));
    inDirectory([&](QDialog& window) {
        typeSearch(window, QStringLiteral("СтройТранс"));
        ASSERT_EQ(listOf(window).FieldByName(QStringLiteral("CONTR_ID")).AsInteger(), stroyTrans);
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([](QDialog& editor) {
            EXPECT_EQ(editor.windowTitle(), u"Информация о контрагенте [изменение / просмотр]");
            EXPECT_TRUE(control<QCheckBox>(editor, "cbGSMConsignee").isChecked());
            EXPECT_TRUE(control<QCheckBox>(editor, "cbGSMCarrier").isChecked());
            control<QLineEdit>(editor, "edShortName").setText(QStringLiteral("АГРОХОЛДИНГ заря"));
            press(editor, "btnOK");
        });
        dialogs.expectMessageBox(QStringLiteral("В базе уже есть контрагент с коротким именем \"Агрохолдинг Заря\""))
            .withCaption(QStringLiteral("Ошибка"));
        press(window, "btnEdit");
        // An INN of another one, on a new contragent.
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([](QDialog& editor) {
            EXPECT_EQ(editor.windowTitle(), u"Информация о контрагенте [новая]");
            control<QLineEdit>(editor, "edShortName").setText(QStringLiteral("Новый"));
            control<QLineEdit>(editor, "edINN").setText(QStringLiteral("4826000111"));
            press(editor, "btnOK");
        });
        dialogs.expectMessageBox(QStringLiteral("В базе уже есть контрагент с ИНН \"4826000111\""));
        press(window, "btnAdd");
        window.reject();
    });
    dialogs.verify();
    EXPECT_EQ(contragentsNamed(QStringLiteral("СтройТранс")), QStringList{QStringLiteral("СтройТранс|0")});
    EXPECT_EQ(contragentsNamed(QStringLiteral("Агрохолдинг Заря")).size(), 1);
    EXPECT_TRUE(contragentsNamed(QStringLiteral("Новый")).isEmpty());
    // Keeping its own name under another case is no duplicate.
    inDirectory([&](QDialog& window) {
        typeSearch(window, QStringLiteral("СтройТранс"));
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([](QDialog& editor) {
            control<QLineEdit>(editor, "edShortName").setText(QStringLiteral("Стройтранс"));
            press(editor, "btnOK");
        });
        press(window, "btnEdit");
        window.reject();
    });
    dialogs.verify();
    EXPECT_EQ(contragentsNamed(QStringLiteral("СтройТранс")), QStringList{QStringLiteral("Стройтранс|0")});
    EXPECT_EQ(roleRowsOf(stroyTrans), (QStringList{QStringLiteral("1:104"), QStringLiteral("3:0"), QStringLiteral("4:0")}));
}

TEST_F(DirectoryRoadsTest, TheSoftDeleteKeepsTheRecordAndItsRolesButHidesItEverywhere)
{
    const int id = idOf(QStringLiteral("Горэлектротранс"));
    const QStringList roles = roleRowsOf(id);
    ASSERT_EQ(roles.size(), 3);
    inDirectory([&](QDialog& window) {
        selectGroup(window, QStringLiteral("Получатели ГСМ"));
        typeSearch(window, QStringLiteral("Горэлектро"));
        dialogs.expectMessageBox(QStringLiteral("Вы действительно хотите удалить запись?"))
            .withCaption(QStringLiteral("Подтверждение"))
            .answer(IDCANCEL);
        press(window, "btnDelete");
        EXPECT_TRUE(listedNames(window).contains(QStringLiteral("Горэлектротранс")));
        dialogs.expectMessageBox(QStringLiteral("Вы действительно хотите удалить запись?")).answer(IDOK);
        press(window, "btnDelete");
        EXPECT_FALSE(listedNames(window).contains(QStringLiteral("Горэлектротранс")));
        window.reject();
    });
    dialogs.verify();
    EXPECT_EQ(contragentsNamed(QStringLiteral("Горэлектротранс")), QStringList{QStringLiteral("Горэлектротранс|1")});
    EXPECT_EQ(roleRowsOf(id), roles);
    inDirectory([&](QDialog& window) {
        for (const QString& group : {QStringLiteral("Все контрагенты"), QStringLiteral("Получатели ГСМ"),
                                     QStringLiteral("Для видов оплаты:"), QStringLiteral("  [104] Ведомость +")}) {
            selectGroup(window, group);
            EXPECT_FALSE(listedNames(window).contains(QStringLiteral("Горэлектротранс"))) << group.toStdString();
        }
        window.reject();
    });
}

// A station whose database refuses role rows of payment type 204 (a rule
// added before it is served), as it would refuse any row it cannot take.
class RefusedRoleRowTest : public DirectoryRoadsTest {
protected:
    void prepareStation(const QString& databasePath) override
    {
        station::StationDatabase db(databasePath);
        db.exec(QStringLiteral("ALTER TABLE CONTRAGENTTYPE ADD CONSTRAINT CHK_NO_204 CHECK (NOT (CTYPE = 1 AND PARAM1 = 204))"));
    }
};

TEST_F(RefusedRoleRowTest, ARoleRowTheDatabaseRefusesLeavesNeitherTheContragentNorItsRoles)
{
    inDirectory([&](QDialog& window) {
        expectEditor(QStringLiteral("Полупустой"), true, 1); // consignee, payment type 204
        dialogs.expect(DialogKind::MessageBox).withCaption(QStringLiteral("Ошибка")).containing(QStringLiteral("CHK_NO_204"));
        press(window, "btnAdd");
        EXPECT_FALSE(listedNames(window).contains(QStringLiteral("Полупустой")));
        EXPECT_FALSE(window.windowTitle().contains(QStringLiteral("запись сохранена")));
        window.reject();
    });
    dialogs.verify();
    EXPECT_TRUE(contragentsNamed(QStringLiteral("Полупустой")).isEmpty());
    EXPECT_EQ(query(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE t WHERE NOT EXISTS "
                                   "(SELECT 1 FROM CONTRAGENT c WHERE c.CONTR_ID = t.CONTR_ID)"))->Fields(0).AsInteger(), 0);

    // An edit refused the same way changes neither the record nor its roles.
    const int stroyTrans = idOf(QStringLiteral("СтройТранс"));
    const QStringList roles = roleRowsOf(stroyTrans);
    inDirectory([&](QDialog& window) {
        typeSearch(window, QStringLiteral("СтройТранс"));
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([](QDialog& editor) {
            control<QLineEdit>(editor, "edShortName").setText(QStringLiteral("СтройТранс-2"));
            control<QCheckBox>(editor, "cbGSMKeeper").setChecked(true);
            control<TCheckListBox>(editor, "clbVOList").SetChecked(1, true);
            press(editor, "btnOK");
        });
        dialogs.expect(DialogKind::MessageBox).withCaption(QStringLiteral("Ошибка"));
        press(window, "btnEdit");
        window.reject();
    });
    dialogs.verify();
    EXPECT_EQ(contragentsNamed(QStringLiteral("СтройТранс")).size(), 1);
    EXPECT_EQ(roleRowsOf(stroyTrans), roles);

    // The same contragent without the refused row is written whole.
    inDirectory([&](QDialog& window) {
        expectEditor(QStringLiteral("Полупустой"), true, 0);
        press(window, "btnAdd");
        window.reject();
    });
    dialogs.verify();
    EXPECT_EQ(roleRowsOf(idOf(QStringLiteral("Полупустой"))), (QStringList{QStringLiteral("1:104"), QStringLiteral("3:0")}));
}

TEST_F(DirectoryRoadsTest, OKeyIsFoundByTheSearchAndTheFilterAndEscClearsFirst)
{
    inDirectory([&](QDialog& window) {
        expectEditor(QStringLiteral("O'Key"), false, -1);
        press(window, "btnAdd");
        expectEditor(QStringLiteral("O'Keyton"), false, -1);
        press(window, "btnAdd");

        // Search: the list stays whole and the first match becomes current.
        control<QComboBox>(window, "cbFieldName").setCurrentIndex(0);
        typeSearch(window, QStringLiteral("o'k"));
        EXPECT_EQ(listOf(window).FieldByName(QStringLiteral("NAME")).AsString(), u"O'Key");
        EXPECT_GT(listOf(window).RecordCount(), 10);

        // Filter: only the names holding the text.
        control<QRadioButton>(window, "RadioButton1").click();
        EXPECT_EQ(listedNames(window), (QStringList{QStringLiteral("O'Key"), QStringLiteral("O'Keyton")}));
        EXPECT_EQ(listOf(window).Filter(), u"ISDELETE<>1 AND (Name LIKE '%o''k%')");
        typeSearch(window, QStringLiteral("'"));
        EXPECT_EQ(listedNames(window), (QStringList{QStringLiteral("O'Key"), QStringLiteral("O'Keyton")}));

        // Esc clears the text (the filter goes), then moves to the grid; the window stays.
        auto& search = control<QLineEdit>(window, "edSearchText");
        search.setFocus();
        pressEscape(search);
        EXPECT_TRUE(search.text().isEmpty());
        EXPECT_GT(listOf(window).RecordCount(), 10);
        EXPECT_TRUE(window.isVisible());
        pressEscape(search);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.focusWidget(), &control<TDBGrid>(window, "DBGrid1"));
        window.reject();
    });
    dialogs.verify();
}

TEST_F(DirectoryRoadsTest, ATitleClickSortsByItsColumnAndOnlyThatTitleIsBold)
{
    inDirectory([&](QDialog& window) {
        auto& grid = control<TDBGrid>(window, "DBGrid1");
        QHeaderView* titles = grid.horizontalHeader();
        const int innColumn = 2;
        ASSERT_EQ(grid.Model().fieldAt(innColumn)->FieldName(), u"INN");
        // The name title is drawn bold, then plain once another column sorts.
        const auto titleImage = [&](int column) {
            return titles->grab(QRect(titles->sectionViewportPosition(column), 0, titles->sectionSize(column),
                                      titles->height())).toImage();
        };
        const QImage nameBold = titleImage(0);
        const QImage innPlain = titleImage(innColumn);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                          QPoint(titles->sectionViewportPosition(innColumn) + 5, titles->height() / 2));
        EXPECT_EQ(directoryOf(window).SortField(), u"INN");
        EXPECT_EQ(directoryOf(window).BoldTitle(), innColumn);
        EXPECT_NE(titleImage(0), nameBold);
        EXPECT_NE(titleImage(innColumn), innPlain);
        TClientDataSet& list = listOf(window);
        QStringList inns;
        for (list.First(); !list.Eof(); list.Next())
            inns << list.FieldByName(QStringLiteral("INN")).AsString();
        QStringList sorted = inns;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(inns, sorted);
        // A new group sorts by name again.
        selectGroup(window, QStringLiteral("Хранители ГСМ"));
        EXPECT_EQ(directoryOf(window).SortField(), u"NAME");
        EXPECT_EQ(directoryOf(window).BoldTitle(), 0);
        window.reject();
    });
}

TEST_F(DirectoryRoadsTest, EditAndDeleteOfAnEmptyListSayNoRecordIsChosen)
{
    inDirectory([&](QDialog& window) {
        control<QRadioButton>(window, "RadioButton1").click();
        typeSearch(window, QStringLiteral("нет такого"));
        ASSERT_TRUE(listOf(window).IsEmpty());
        dialogs.expectMessageBox(QStringLiteral("Запись не выбрана"));
        press(window, "btnEdit");
        dialogs.expectMessageBox(QStringLiteral("Запись не выбрана"));
        press(window, "btnDelete");
        window.reject();
    });
    dialogs.verify();
}

} // namespace
} // namespace velta::directories::test
