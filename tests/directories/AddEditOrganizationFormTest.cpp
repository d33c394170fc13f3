// The contragent edit window offscreen: the caption of a new and an edited
// contragent, the field lengths, the country code, the role boxes and the
// regional box, the payment type list with an unknown chosen id, the short
// name copied into an empty full name, the licence date label, and OK
// refused without a short name.
#include "plugin/directories/AddEditOrganizationForm.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/directories/DirectoryStation.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace velta::directories::test {
namespace {

const QList<ContractPayType> kPayTypes = {{4, QStringLiteral("Ведомость")}, {104, QStringLiteral("Ведомость +")}};

class AddEditOrganizationFormTest : public ::testing::Test {
protected:
    velta::test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_F(AddEditOrganizationFormTest, ANewContragentShowsItsDefaultsAndTheControlsKeepTheirLengths)
{
    TAddEditOrganizationForm form(dialogs, kPayTypes, true);
    EXPECT_EQ(form.windowTitle(), u"Информация о контрагенте [новая]");
    EXPECT_EQ(control<QLineEdit>(form, "edCountryCode").text(), u"000");
    const QList<std::pair<const char*, int>> lengths = {
        {"edShortName", 100}, {"edFullName", 100}, {"edAddress", 100}, {"edPhones", 50}, {"edFax", 30},
        {"edContactInfo", 100}, {"edCountryCode", 3}, {"edINN", 12}, {"edOKPO", 15}, {"edKPP", 9},
        {"edRSchet", 20}, {"edKSchet", 20}, {"edBankName", 100}, {"edBIK", 9}, {"edLicenceNum", 30},
        {"edLicenceOrg", 100}};
    for (const auto& [name, length] : lengths)
        EXPECT_EQ(control<QLineEdit>(form, name).maxLength(), length) << name;
    const auto& pages = control<QTabWidget>(form, "PageControl1");
    QStringList titles;
    for (int i = 0; i < pages.count(); ++i)
        titles << pages.tabText(i);
    EXPECT_EQ(titles, (QStringList{"Основное", "Реквизиты", "Лицензия", "Дополнительно"}));
    EXPECT_EQ(control<TCheckListBox>(form, "clbVOList").Items(), (QStringList{"  4 - Ведомость", "104 - Ведомость +"}));
    EXPECT_FALSE(control<QLabel>(form, "labLicDateNotSet").isHidden());
    EXPECT_FALSE(control<QCheckBox>(form, "cbRegional").isEnabled());

    // A number reads as itself ("000" too); anything else as 643.
    EXPECT_EQ(form.Record().countryCode, 0);
    control<QLineEdit>(form, "edCountryCode").setText(QStringLiteral("RU"));
    EXPECT_EQ(form.Record().countryCode, 643);
    control<QLineEdit>(form, "edCountryCode").setText(QStringLiteral(""));
    EXPECT_EQ(form.Record().countryCode, 643);
    control<QLineEdit>(form, "edCountryCode").setText(QStringLiteral("112"));
    EXPECT_EQ(form.Record().countryCode, 112);
    EXPECT_EQ(form.Record().licDate, 0);
}

TEST_F(AddEditOrganizationFormTest, RolesComeBackAsTheyWereTickedWithRegionalOnlyForAMaker)
{
    TAddEditOrganizationForm form(dialogs, kPayTypes, false);
    EXPECT_EQ(form.windowTitle(), u"Информация о контрагенте [изменение / просмотр]");
    ContragentRoleSet roles{(1 << 3) | (1 << 7) | (1 << 8) | (1 << 1), {104, 999}};
    form.SetRoles(roles);
    EXPECT_TRUE(control<QCheckBox>(form, "cbGSMConsignee").isChecked());
    EXPECT_TRUE(control<QCheckBox>(form, "cbRegional").isEnabled());
    auto& list = control<TCheckListBox>(form, "clbVOList");
    EXPECT_EQ(list.Items(), (QStringList{"  4 - Ведомость", "104 - Ведомость +", "вид оплаты №999"}));
    EXPECT_FALSE(list.Checked(0));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_TRUE(list.Checked(2));
    EXPECT_EQ(form.Roles(), roles);

    // Without the maker the regional box is off and its bit goes.
    control<QCheckBox>(form, "cbManufacturer").setChecked(false);
    EXPECT_FALSE(control<QCheckBox>(form, "cbRegional").isEnabled());
    list.SetAllChecked(false);
    control<QCheckBox>(form, "cbTovarBuyer").setChecked(true);
    EXPECT_EQ(form.Roles(), (ContragentRoleSet{(1 << 3) | (1 << 10), {}}));
}

TEST_F(AddEditOrganizationFormTest, TheShortNameFillsAnEmptyFullNameAndIsRequired)
{
    TAddEditOrganizationForm form(dialogs, kPayTypes, true);
    form.show();
    auto& shortName = control<QLineEdit>(form, "edShortName");
    auto& fullName = control<QLineEdit>(form, "edFullName");
    shortName.setText(QStringLiteral("  Заря  "));
    emit shortName.editingFinished();
    EXPECT_EQ(fullName.text(), u"Заря");
    shortName.setText(QStringLiteral("Заря-2"));
    emit shortName.editingFinished();
    EXPECT_EQ(fullName.text(), u"Заря"); // a full name typed or copied stays

    shortName.setText(QStringLiteral("   "));
    dialogs.expectMessageBox(QStringLiteral("Необходимо указать наименование организации!")).withCaption(QStringLiteral("Ошибка"));
    press(form, "btnOK");
    dialogs.verify();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.result(), 0);
    shortName.setText(QStringLiteral("Заря"));
    press(form, "btnOK");
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(AddEditOrganizationFormTest, AnEditedRecordComesBackWhole)
{
    ContragentRecord record;
    record.id = 7;
    record.name = QStringLiteral("Автобаза №3");
    record.fullName = QStringLiteral("ОАО \"Автобаза №3\"");
    record.inn = QStringLiteral("4826000777");
    record.address = QStringLiteral("г. Липецк");
    record.phone = QStringLiteral("22-33-44");
    record.okpo = QStringLiteral("12345678");
    record.kpp = QStringLiteral("482601001");
    record.rschet = QStringLiteral("40702810035000010007");
    record.bankName = QStringLiteral("Сбербанк");
    record.kschet = QStringLiteral("30101810800000000604");
    record.bik = QStringLiteral("044206604");
    record.fax = QStringLiteral("22-33-45");
    record.contactInfo = QStringLiteral("Бухгалтерия");
    record.other = QStringLiteral("строка 1\nстрока 2");
    record.licNum = QStringLiteral("ЛН-4807");
    record.licDate = 44204; // 08.01.2021
    record.licOrg = QStringLiteral("Ростехнадзор");
    record.countryCode = 643;
    TAddEditOrganizationForm form(dialogs, kPayTypes, false);
    form.SetRecord(record);
    EXPECT_TRUE(control<QLabel>(form, "labLicDateNotSet").isHidden());
    EXPECT_EQ(control<QLineEdit>(form, "edCountryCode").text(), u"643");
    ContragentRecord back = form.Record();
    back.id = record.id; // the window does not hold the number
    const auto fields = [](const ContragentRecord& r) {
        return QStringList{r.name, r.fullName, r.inn, r.address, r.phone, r.okpo, r.kpp, r.rschet, r.bankName,
                           r.kschet, r.bik, r.fax, r.contactInfo, r.other, r.licNum, r.licOrg,
                           QString::number(r.licDate), QString::number(r.countryCode)};
    };
    EXPECT_EQ(fields(back), fields(record));
    // A date taken back to its zero shows the label again.
    control<TDatePicker>(form, "dtpLicenceDate").SetDate(0);
    EXPECT_FALSE(control<QLabel>(form, "labLicDateNotSet").isHidden());
}

} // namespace
} // namespace velta::directories::test
