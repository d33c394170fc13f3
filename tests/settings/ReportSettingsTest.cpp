// The report settings window and the financial template editor driven
// offscreen: the cnf.ini keys each workplace kind saves, the separators and
// their hints, the template regenerated through the file dialog and the
// editor (compared with reference files), read back from its own descriptor,
// the table's edge cases, a damaged count and a failed write.
#include "plugin/settings/FinRepEditorForm.h"
#include "plugin/settings/FinRepTemplate.h"
#include "plugin/settings/RepPropForm.h"

#include "common/Codecs.h"
#include "common/FormatSettings.h"
#include "common/Hex.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/Field.h"
#include "plugin/foundation/ini/IniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/PluginStateFixture.h"
#include "tests/support/ReferenceFile.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>

using namespace velta;
using namespace velta::settings;

namespace {

const QString kTemplateName = QStringLiteral("Финансовый отчет.html");

// The keys a section of cnf.ini holds, each as "key=value".
QStringList sectionValues(const QString& section)
{
    TIniFile ini(Paths::toNative(CnfIniFileName()));
    QStringList values;
    ini.ReadSectionValues(section, values);
    return values;
}

class SettingsWindowTest : public test::PluginStateTest {
protected:
    SettingsWindowTest()
    {
        saved = globalFormatSettings();
        globalFormatSettings().DecimalSeparator = QLatin1Char(',');
        globalFormatSettings().ThousandSeparator = QChar(0x00A0);
    }
    ~SettingsWindowTest() override { globalFormatSettings() = saved; }

    static void writeCnf(const QString& section, const QString& key, const QString& value)
    {
        TIniFile ini(Paths::toNative(CnfIniFileName()));
        ini.WriteString(section, key, value);
    }
    std::unique_ptr<TRepPropForm> openForm(int kind)
    {
        host.privValues[15] = Variant(kind);
        auto form = std::make_unique<TRepPropForm>(dialogs);
        form->show();
        return form;
    }
    template <typename T>
    static T& control(QWidget& form, const char* name)
    {
        T* found = form.findChild<T*>(QLatin1String(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    static void ok(QWidget& form) { control<QPushButton>(form, "BitBtn1").click(); }

    TFormatSettings saved;
};

TEST_F(SettingsWindowTest, TheServerReadsAndSavesEveryKeyAndTheRoundingIsKeptInverted)
{
    writeCnf(QStringLiteral("Reports"), QStringLiteral("DecL"), QStringLiteral("3"));
    writeCnf(QStringLiteral("Reports"), QStringLiteral("DecimalSeparator"), HexEncode(QStringLiteral(".,")));
    writeCnf(QStringLiteral("Misc"), QStringLiteral("RepSmType"), QStringLiteral("7"));
    auto form = openForm(0);

    EXPECT_TRUE(control<QTabWidget>(*form, "PageControl1").isTabVisible(1));
    EXPECT_EQ(control<QTabWidget>(*form, "PageControl1").currentIndex(), 0);
    EXPECT_FALSE(control<QCheckBox>(*form, "cbOneBackReport").isHidden());
    // Two stored characters give the system's separator, and its hint.
    auto& decimal = control<QComboBox>(*form, "cbDecimalSeparator");
    EXPECT_EQ(decimal.currentText(), QStringLiteral(","));
    EXPECT_EQ(decimal.toolTip(), QStringLiteral("Код символа: 0x2C"));
    EXPECT_TRUE(control<QRadioButton>(*form, "RadioButton2").isChecked()) << "any value but 0 reads as by litres";
    EXPECT_TRUE(control<QCheckBox>(*form, "RoundCB").isChecked()) << "no RoundRVal: rounding on";
    EXPECT_TRUE(control<QCheckBox>(*form, "cbRepeatHead").isChecked());
    EXPECT_TRUE(control<QCheckBox>(*form, "chbAllowExport").isChecked());

    // The no-break space for digit groups is stored as A0.
    auto& thousands = control<QComboBox>(*form, "cbThousandSeparator");
    thousands.setEditText(QStringLiteral(" "));
    EXPECT_EQ(thousands.toolTip(), QStringLiteral("Код символа: 0x20"));
    thousands.setCurrentIndex(0);
    EXPECT_EQ(thousands.toolTip(), QStringLiteral("Код символа: 0xA0"));
    decimal.setCurrentIndex(0);
    EXPECT_EQ(decimal.toolTip(), QStringLiteral("Код символа: 0x2E"));
    control<QCheckBox>(*form, "RoundCB").setChecked(false);
    control<QCheckBox>(*form, "cbOneBackReport").setChecked(true);
    control<QCheckBox>(*form, "chbAllowOldReports").setChecked(true);
    control<QRadioButton>(*form, "rgSiloReportSortField1").setChecked(true);
    ok(*form);
    EXPECT_EQ(form->result(), QDialog::Accepted);

    EXPECT_EQ(sectionValues(QStringLiteral("Reports")),
              QStringList({"DecL=3", "DecimalSeparator=2E", "DecKg=2", "DecL2=2", "DecKg2=2", "ThousandSeparator=A0",
                           "MaxSize=30", "MaxRows=30000", "FinPrcDelim=0", "RezGrGSM=0", "RepeatH=1", "OneBRep=1",
                           "AllowExportReports=1", "AllowOldReports=1"}));
    EXPECT_EQ(sectionValues(QStringLiteral("Misc")), QStringList({"RepSmType=1"}));
    // The rounding box unchecked stores true, as a boolean.
    EXPECT_EQ(sectionValues(QStringLiteral("SmenaRep")), QStringList({"SiloReportSortField=1", "RoundRVal=1"}));
    dialogs.verify();
}

TEST_F(SettingsWindowTest, TheOfficeSavesTheCommonPageButNotTheCombinedReturns)
{
    auto form = openForm(3);
    EXPECT_TRUE(control<QTabWidget>(*form, "PageControl1").isTabVisible(1));
    EXPECT_TRUE(control<QCheckBox>(*form, "cbOneBackReport").isHidden());
    EXPECT_EQ(control<QComboBox>(*form, "cbThousandSeparator").toolTip(), QStringLiteral("Код символа: 0xA0"));
    ok(*form);
    const QStringList reports = sectionValues(QStringLiteral("Reports"));
    EXPECT_EQ(reports.size(), 13) << reports.join(u' ').toStdString();
    EXPECT_FALSE(reports.join(u' ').contains(QStringLiteral("OneBRep")));
    EXPECT_EQ(sectionValues(QStringLiteral("SmenaRep")), QStringList({"SiloReportSortField=0", "RoundRVal=0"}));
}

TEST_F(SettingsWindowTest, AClientSeesTheFirstPageOnlyAndSavesTheTwoPermissions)
{
    writeCnf(QStringLiteral("Reports"), QStringLiteral("AllowExportReports"), QStringLiteral("0"));
    auto form = openForm(2);
    EXPECT_FALSE(control<QTabWidget>(*form, "PageControl1").isTabVisible(1));
    EXPECT_FALSE(control<QCheckBox>(*form, "chbAllowExport").isChecked());
    // A bad separator on the hidden page does not stop a client's OK.
    dialogs.expectMessageBox(QStringLiteral("Разделитель может состоять только из одного символа!")).answer(IDOK);
    control<QComboBox>(*form, "cbDecimalSeparator").setEditText(QString());
    ok(*form);
    EXPECT_EQ(sectionValues(QStringLiteral("Reports")),
              QStringList({"AllowExportReports=0", "AllowOldReports=0"}));
    EXPECT_TRUE(sectionValues(QStringLiteral("Misc")).isEmpty());
    EXPECT_TRUE(sectionValues(QStringLiteral("SmenaRep")).isEmpty());
    dialogs.verify();
}

TEST_F(SettingsWindowTest, ALongSeparatorIsRefusedAndOkStaysOpenWhileCancelWritesNothing)
{
    auto form = openForm(0);
    auto& decimal = control<QComboBox>(*form, "cbDecimalSeparator");
    dialogs.expectMessageBox(QStringLiteral("Разделитель может состоять только из одного символа!"))
        .withCaption(QStringLiteral("Ошибка"))
        .answer(IDOK);
    decimal.setEditText(QStringLiteral(".."));
    EXPECT_EQ(decimal.currentText(), QStringLiteral("..")) << "the text stays";
    dialogs.expectMessageBox(QStringLiteral("Длина разделителя должна быть равна 1")).answer(IDOK);
    ok(*form);
    EXPECT_TRUE(form->isVisible());
    control<QPushButton>(*form, "BitBtn2").click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_FALSE(QFileInfo::exists(Paths::toNative(CnfIniFileName())));
    dialogs.verify();
}

// A cnf.ini that cannot be read (here a folder of that name) is reported, and
// the window's defaults are never saved over it, even once it reads again.
TEST_F(SettingsWindowTest, AnUnreadableCnfIniIsShownAndNothingIsSaved)
{
    const QString cnf = Paths::toNative(CnfIniFileName());
    ASSERT_TRUE(QDir().mkpath(cnf));
    const QString error = QStringLiteral("Не удалось прочитать файл ") + CnfIniFileName() +
                          QStringLiteral(": Отказано в доступе.");
    dialogs.expectMessageBox(error).withCaption(QStringLiteral("Ошибка")).answer(IDOK);
    auto form = openForm(0);
    dialogs.verify();
    EXPECT_FALSE(control<QPushButton>(*form, "BitBtn1").isEnabled());

    ASSERT_TRUE(QDir(cnf).removeRecursively());
    const QByteArray stored = "[Reports]\r\nDecL=3\r\nMaxRows=10\r\n";
    test::writeFileBytes(cnf, stored);
    dialogs.expectMessageBox(error).withCaption(QStringLiteral("Ошибка")).answer(IDOK);
    form->BitBtn1Click();
    EXPECT_TRUE(form->isVisible());
    form->accept();
    dialogs.verify();
    EXPECT_EQ(test::readFileBytes(cnf), stored);
}

// With nothing stored the separators are the system's, whatever the process
// has put in force since.
TEST_F(SettingsWindowTest, TheSeparatorsDefaultToTheSystems)
{
    globalFormatSettings().DecimalSeparator = QLatin1Char('.');
    globalFormatSettings().ThousandSeparator = QLatin1Char(' ');
    writeCnf(QStringLiteral("Reports"), QStringLiteral("ThousandSeparator"), HexEncode(QStringLiteral("ab")));
    auto form = openForm(3);
    EXPECT_EQ(control<QComboBox>(*form, "cbDecimalSeparator").currentText(),
              QString(TFormatSettings::systemDefaults().DecimalSeparator));
    EXPECT_EQ(control<QComboBox>(*form, "cbThousandSeparator").currentText(),
              QString(TFormatSettings::systemDefaults().ThousandSeparator));
}

// The financial template editor.

FinRepLayout twoColumnLayout()
{
    FinRepLayout layout;
    layout.columns = {{1, true, QStringLiteral("Наличные"), 0, true, false, true},
                      {2, true, QStringLiteral("Карты"), 2, true, false, true},
                      {3, false, QStringLiteral("Талоны"), 9, true, true, true}};
    return layout;
}

TEST(FinRepTableTest, TwoRowsWithAllTotalsMakeTwelveColumnsOfEightPercent)
{
    const QString table = GenerateFinRepTable(twoColumnLayout());
    EXPECT_TRUE(table.contains(QStringLiteral("<td colspan=12>\r\n<font size=2>&lt;#Repeat&gt;</font></td>")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td width=\"8%\" align=left>\r\n<font size=2>&lt;#GSM&gt;")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td rowspan=3>\r\n<font size=2>ГСМ</font></td>")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td colspan=6 bgcolor=\"#c0c0c0\">")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td  width=\"8%\"  bgcolor=\"#c0c0c0\">\r\n<font size=2>&lt;#AS&gt;")));
    EXPECT_FALSE(table.contains(QStringLiteral("#S9"))) << "a disabled row has no columns";
    EXPECT_TRUE(table.endsWith(QStringLiteral("</tr>\r\n</table>\r\n")));
}

TEST(FinRepTableTest, WithoutTotalsTheHeadHasTwoRowsAndNoGreyColumns)
{
    FinRepLayout layout = twoColumnLayout();
    layout.totals.showItog = false;
    const QString table = GenerateFinRepTable(layout);
    EXPECT_TRUE(table.contains(QStringLiteral("<td rowspan=2>\r\n<font size=2>ГСМ</font></td>")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td colspan=2 rowspan=1>\r\n<font size=2>Карты</font></td>")));
    EXPECT_FALSE(table.contains(QStringLiteral("bgcolor=\"#c0c0c0\"")));
    EXPECT_FALSE(table.contains(QStringLiteral("Итого отпущено")));
    EXPECT_TRUE(table.contains(QStringLiteral("<td colspan=6>"))) << "2 + 4 columns";
    EXPECT_TRUE(table.contains(QStringLiteral("width=\"16%\"")));
}

TEST(FinRepTableTest, AClearedHeadingLeavesItsLineOutAndReadsBackEmpty)
{
    FinRepLayout layout = twoColumnLayout();
    layout.columns[1].columnName.clear();
    const QString body = DescriptorBody(layout);
    EXPECT_TRUE(body.contains(QStringLiteral("1_COLUMNNAME=Наличные\r\n1_VIDOPL=0\r\n")));
    EXPECT_TRUE(body.contains(QStringLiteral("2_ENABLED=1\r\n2_VIDOPL=2\r\n")));
    const DescriptorContent read = ReadDescriptor(QStringLiteral("<html>\r\n") + DescriptorComment(layout));
    ASSERT_EQ(read.columns.size(), 3);
    EXPECT_EQ(read.columns[1].columnName, QString());
    EXPECT_EQ(read.columns[2].columnName, QStringLiteral("Талоны"));
    EXPECT_TRUE(read.columns[2].visMassa);
    EXPECT_FALSE(read.totals.massa);
    EXPECT_TRUE(read.totals.all);
}

TEST(FinRepTableTest, AHugeCountReadsNoMoreRowsThanTheBodyHasLines)
{
    const QString body = QStringLiteral("CNT=2000000000\r\n1_VIDOPL=5\r\nSHOWITOG=1\r\n");
    const DescriptorContent read =
        ReadDescriptor(QStringLiteral("<!--VELTATABLEDESC=") + HexEncode(body) + QStringLiteral("-->"));
    ASSERT_EQ(read.columns.size(), 3);
    EXPECT_EQ(read.columns[0].vidOpl, 5);
    EXPECT_EQ(read.columns[2].orderNum, 3) << "a missing ORDERNUM is the row's place";
    EXPECT_TRUE(read.totals.showItog);
    // A body that does not decode gives no rows; the payment types come anew, disabled.
    const FinRepLayout layout = LayoutForTemplate(QStringLiteral("<!--VELTATABLEDESC=ZZ-->"),
                                                  {{QStringLiteral("Нал"), 0}});
    ASSERT_EQ(layout.columns.size(), 1);
    EXPECT_TRUE(layout.columns[0].enabled) << "no rows were read, so the table is fresh";
    EXPECT_FALSE(layout.totals.showItog) << "the marks were there: missing values uncheck";
}

TEST(FinRepTableTest, TheDemoTemplateHoldsTheTableOfTheDemoPaymentTypes)
{
    // Every payment type of the demo station, so that the columns add up to the totals.
    const QList<FinRepPayType> demo = {{QStringLiteral("Наличные"), 0},         {QStringLiteral("Платеж. терминал"), 1},
                                       {QStringLiteral("Товарные карты"), 2},   {QStringLiteral("Безналичные"), 3},
                                       {QStringLiteral("Ведомость +"), 104},      {QStringLiteral("Мерник"), 5},
                                       {QStringLiteral("Ведомость лимитная"), 204}, {QStringLiteral("Самообслуживание"), 7},
                                       {QStringLiteral("Талоны"), 109},         {QStringLiteral("Договорной"), 108},
                                       {QStringLiteral("Дисконтные карты"), 10}};
    const QString path = test::referencePath(QStringLiteral("../station/demo/forms/WEBREP/") + kTemplateName);
    const QString text = codec::fromCp1251(test::readFileBytes(path));
    const FinRepLayout layout = LayoutForTemplate(text, demo);
    EXPECT_EQ(layout.columns.size(), demo.size());
    const qsizetype mark = text.indexOf(QStringLiteral("&lt;#GROUP&gt;"));
    const qsizetype start = text.indexOf(QStringLiteral("<table"), mark);
    const qsizetype end = text.indexOf(QStringLiteral("</table>"), start);
    ASSERT_TRUE(mark >= 0 && start > mark && end > start);
    ASSERT_FALSE(text.contains(QString::fromUtf16(kDescriptorStart)));
    const QString generated = GenerateFinRepTable(layout);
    const QString shipped = text.mid(start, end + 8 - start) + QStringLiteral("\r\n");
    if (shipped != generated && qEnvironmentVariableIntValue(test::kUpdateReferencesVariable) == 1) {
        QString updated = text;
        updated.replace(start, end + 10 - start, generated);
        test::writeFileBytes(path, codec::toCp1251(updated));
        return;
    }
    EXPECT_EQ(shipped, generated) << "VELTA_UPDATE_REFERENCES=1 rewrites the demo template's table";
}

class FinRepEditorTest : public SettingsWindowTest {
protected:
    FinRepEditorTest()
    {
        folder = Paths::toNative(QStringLiteral("C:\\DEXE\\FORMS\\WEBREP"));
        QDir().mkpath(folder);
        path = QDir(folder).filePath(kTemplateName);
        test::writeFileBytes(path, test::readFileBytes(test::referencePath(
                                       QStringLiteral("../station/demo/forms/WEBREP/") + kTemplateName)));
        test::setPluginPayTypes({{QStringLiteral("Наличные"), 0}, {QStringLiteral("Банковские карты"), 7},
                     {QStringLiteral("Ведомость"), 104}});
    }
    QString fileText() const { return codec::fromCp1251(test::readFileBytes(path)); }
    // The editor is opened from the settings window's button through the file dialog.
    void editThroughSettings(std::function<void(TFinRepEditorForm&)> script)
    {
        auto form = openForm(0);
        dialogs.expectOpenFile()
            .when(
                [](const DialogCall& call) {
                    return call.file.title == QStringLiteral("Выберите файл шаблона финансового отчета") &&
                           call.file.initialDir == QStringLiteral("C:\\DEXE\\FORMS\\WEBREP") &&
                           call.file.fileName == kTemplateName && call.file.defaultExt == QStringLiteral("html") &&
                           call.file.filter ==
                               QStringLiteral("Файл шаблона отчета (*.html)|*.html|Все файлы|*.*");
                },
                QStringLiteral("the template dialog"))
            .choose(path);
        dialogs.expectModal(QStringLiteral("TFinRepEditorForm")).drive([script](QDialog& window) {
            script(static_cast<TFinRepEditorForm&>(window));
        });
        control<QPushButton>(*form, "Button1").click();
        dialogs.verify();
    }
    static void setCell(TFinRepEditorForm& editor, int row, int column, const QString& text)
    {
        auto& grid = control<TDBGrid>(editor, "DBGrid1");
        EXPECT_TRUE(grid.model()->setData(grid.model()->index(row, column), text));
    }

    QString folder;
    QString path;
};

TEST_F(FinRepEditorTest, TheTemplateIsRegeneratedReadBackAndKeepsOneDescriptor)
{
    editThroughSettings([](TFinRepEditorForm& editor) {
        TClientDataSet& rows = editor.Columns();
        EXPECT_EQ(rows.RecordCount(), 3);
        for (rows.First(); !rows.Eof(); rows.Next()) {
            EXPECT_TRUE(rows.FieldByName(QStringLiteral("ENABLED")).AsBoolean());
            EXPECT_EQ(rows.FieldByName(QStringLiteral("VISVOLUME")).DisplayText(), QStringLiteral("Да"));
            EXPECT_EQ(rows.FieldByName(QStringLiteral("VISMASSA")).DisplayText(), QStringLiteral("Нет"));
        }
        rows.First();
        EXPECT_EQ(rows.FieldByName(QStringLiteral("BASEVONAME")).AsString(), QStringLiteral("Наличные"));
        EXPECT_FALSE(control<QCheckBox>(editor, "cbShowItogMassa").isChecked());
        EXPECT_TRUE(control<QCheckBox>(editor, "cbShowItogAll").isChecked());
        // The user renames the first group, switches the cards' mass on by a
        // double click and types "нет" into the statement row's switch.
        setCell(editor, 0, 2, QStringLiteral("Наличный расчет <b>"));
        rows.SetRecNo(2);
        editor.DBGrid1DblClick(rows.FindField(QStringLiteral("VISMASSA")));
        setCell(editor, 2, 1, QStringLiteral(" нет "));
        setCell(editor, 2, 7, QString());
        control<QPushButton>(editor, "BitBtn1").click();
    });
    EXPECT_TRUE(test::matchesReference(QStringLiteral("settings/reference/financial-template.html"), fileText()));

    // A payment type added since comes in disabled; the saved choices come back.
    test::setPluginPayTypes({{QStringLiteral("Наличные"), 0}, {QStringLiteral("Банковские карты"), 7},
                 {QStringLiteral("Ведомость"), 104}, {QStringLiteral("Талоны"), 9}});
    editThroughSettings([](TFinRepEditorForm& editor) {
        const FinRepLayout layout = editor.Layout();
        ASSERT_EQ(layout.columns.size(), 4);
        EXPECT_EQ(layout.columns[0].columnName, QStringLiteral("Наличный расчет <b>"));
        EXPECT_TRUE(layout.columns[1].visMassa);
        EXPECT_FALSE(layout.columns[2].enabled);
        EXPECT_FALSE(layout.columns[3].enabled);
        EXPECT_EQ(layout.columns[3].orderNum, 4);
        EXPECT_EQ(layout.columns[3].columnName, QStringLiteral("Талоны"));
        control<QCheckBox>(editor, "cbShowItog").setChecked(false);
        EXPECT_FALSE(control<QCheckBox>(editor, "cbShowItogNal").isEnabled());
        control<QPushButton>(editor, "BitBtn1").click();
    });
    const QString text = fileText();
    EXPECT_EQ(text.count(QString::fromUtf16(kDescriptorStart)), 1);
    EXPECT_TRUE(text.endsWith(QStringLiteral("-->\r\n")));
    EXPECT_TRUE(test::matchesReference(QStringLiteral("settings/reference/financial-template-no-totals.html"), text));
}

TEST_F(FinRepEditorTest, AnotherFileNameIsAskedAboutAndAMissingFileIsAnError)
{
    const QString other = QDir(folder).filePath(QStringLiteral("Копия.html"));
    QFile::copy(path, other);
    dialogs.expectOpenFile().choose(other);
    dialogs
        .expectMessageBox(QStringLiteral("Вы выбрали файл: C:\\DEXE\\FORMS\\WEBREP\\Копия.html") +
                          QStringLiteral("\r\nЭтот файл не является стандартным шаблоном для фин. отчета\r\n"
                                         "ХОТИТЕ ПРОДОЛЖИТЬ РЕДАКТИРОВАНИЕ ЭТОГО ФАЙЛА?"))
        .withCaption(QStringLiteral("Внимание!"))
        .answer(IDCANCEL);
    EditFinancialTemplate(dialogs);

    dialogs.expectOpenFile().choose(QDir(folder).filePath(QStringLiteral("нет.html")));
    try {
        EditFinancialTemplate(dialogs);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Файл не найден: C:\\DEXE\\FORMS\\WEBREP\\нет.html"))
            << "the suite's name, not the native path";
    }
    // Cancelled in the editor: the file is not touched.
    const QByteArray before = test::readFileBytes(path);
    dialogs.expectOpenFile().choose(path);
    dialogs.expectModal(QStringLiteral("TFinRepEditorForm")).drive([](QDialog& window) { window.reject(); });
    EditFinancialTemplate(dialogs);
    EXPECT_EQ(test::readFileBytes(path), before);
    dialogs.verify();
}

TEST_F(FinRepEditorTest, AFailedWriteLeavesTheTemplateWholeAndNoFileBeside)
{
    const QByteArray before = test::readFileBytes(path);
    // The file size limit stands for a full disk: the new text cannot be written whole.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 512; // well below the template
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        SaveTemplateLayout(path, LayoutForTemplate(QString(), {{QStringLiteral("Наличные"), 0}}));
    } catch (const Exception& e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(message.startsWith(QStringLiteral("Не удалось записать файл "))) << message.toStdString();
    EXPECT_EQ(test::readFileBytes(path), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({kTemplateName}));
}

} // namespace
