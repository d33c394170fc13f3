// The contragent exchange files through the directory window over real
// stations: the keepers exported in the OEM code page and read by dbfread,
// that file imported into a fresh station adding only what it lacks, files
// written by python3-dbf with VOLIST and duplicate INNs, a file without
// "Name" refused, and an export that cannot be written leaving the old file.
#include "plugin/directories/OrganizationsForm.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DialogTypes.h"
#include "tests/directories/DirectoryStation.h"
#include "tests/foundation/dbf/DbfProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/StationServer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace velta::directories::test {
namespace {

using velta::test::FileSizeLimit;
using velta::test::runProgram;

const QString kPython = QStringLiteral("/usr/bin/python3");

// dbfread prints the fields (name, type, length) and the records as JSON, in
// the code page the file's header names.
const char kReadWithDbfread[] = R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1], load=True)
rows = [{k: (v.isoformat() if hasattr(v, 'isoformat') else v) for k, v in r.items()} for r in t.records]
print(json.dumps({'encoding': t.encoding, 'fields': [[f.name, f.type, f.length] for f in t.fields], 'rows': rows}))
)";

// python3-dbf writes an exchange file of another program: consignees with
// VOLIST, one INN the station has, one record without a name, and a name
// given twice in different letter case.
const char kWriteWithPythonDbf[] = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'NAME C(100); INN C(20); PHONES C(50); ISGSMADDR N(1,0); ISMANUF N(1,0); ISREGIONAL N(1,0); VOLIST C(100)',
              dbf_type='db3', codepage='cp866')
t.open(dbf.READ_WRITE)
t.append(('Лукойл-Черноземье', '3664011111', '(473) 200-00-00', 1, 0, 0, '104,205,304'))
t.append(('Другое имя', '4826000111', '', 1, 0, 0, ''))
t.append(('', '7700000000', '', 1, 0, 0, '104'))
t.append(('Маслозавод', '', '', 0, 1, 1, ' 0, 4 ,x'))
t.append(('ЛУКОЙЛ-ЧЕРНОЗЕМЬЕ', '', '', 1, 0, 0, ''))
t.close()
)";

const char kWriteWithoutName[] = R"(
import sys, dbf
t = dbf.Table(sys.argv[1], 'FULLNAME C(100); INN C(20)', dbf_type='db3', codepage='cp866')
t.open(dbf.READ_WRITE)
t.append(('ООО "Безымянное"', '1234567890'))
t.close()
)";

bool pythonPresent()
{
    return QFile::exists(kPython);
}

QJsonObject readWithDbfread(const QString& path)
{
    const auto result = runProgram(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadWithDbfread), path});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return QJsonDocument::fromJson(result.out).object();
}

class DbfExchangeTest : public DirectoryStationTest {
protected:
    void inDirectory(const std::function<void(QDialog&)>& script)
    {
        dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive(script);
        ShowContragentDirectory(data_->VeltaServer);
        dialogs.verify();
    }

    void selectGroup(QDialog& window, const QString& caption)
    {
        auto& groups = control<QComboBox>(window, "cbCTypes");
        groups.setCurrentIndex(groups.findText(caption));
    }

    void exportGroup(const QString& group, const QString& path)
    {
        inDirectory([&](QDialog& window) {
            selectGroup(window, group);
            dialogs.expectMessageBox(QStringLiteral("Выбрана категория контрагентов \"") + group +
                                     QStringLiteral("\".\r\nБудет произведен экспорт только для этих контрагентов.\r\n"
                                                    "Хотите продолжить экспорт?"))
                .withCaption(QStringLiteral("Внимание!"))
                .answer(IDOK);
            dialogs.expectSaveFile()
                .when([](const DialogCall& call) {
                    return call.file.filter == u"dBase files (*.dbf)|*.DBF" && call.file.fileName == u"Contragent" &&
                           call.file.defaultExt == u".dbf";
                }, QStringLiteral("the dBase file dialog"))
                .choose(path);
            dialogs.expectMessageBox(QStringLiteral("Экспорт справочника завершен!")).withCaption(QStringLiteral("Велта"));
            press(window, "btnExport");
            window.reject();
        });
    }

    void importFile(const QString& path)
    {
        inDirectory([&](QDialog& window) {
            selectGroup(window, QStringLiteral("Получатели ГСМ"));
            dialogs.expectOpenFile().choose(path);
            dialogs.expectMessageBox(QStringLiteral("Импорт справочника контрагентов завершен!\r\n"
                                                    "Справочник контрагентов сохранен в базе данных!"))
                .withCaption(QStringLiteral("Сообщение"));
            press(window, "btnImport");
            EXPECT_EQ(control<QComboBox>(window, "cbCTypes").currentText(), u"Все контрагенты");
            window.reject();
        });
    }

    // The fixture's station makes way for a new demo station.
    void switchToFreshStation()
    {
        data_.reset();
        own_.reset();
        const QString root = env.path(QStringLiteral("fresh"));
        ASSERT_EQ(velta::test::StationServer::initStation(root, 5), QString());
        own_ = std::make_unique<velta::test::StationServer>(root);
        ASSERT_NE(own_->port(), 0) << own_->error().toStdString();
        serving = own_.get();
        qputenv("VELTA_STATION_PORT", QByteArray::number(own_->port()));
        data_ = std::make_unique<core::TDBFrm>();
    }

    int contragentCount() { return query(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENT"))->Fields(0).AsInteger(); }
};

TEST_F(DbfExchangeTest, TheKeepersExportedAreReadByDbfreadAndImportedIntoAFreshStationOnlyWhereMissing)
{
    if (!pythonPresent())
        GTEST_SKIP() << "python3 is not installed: the exported file cannot be read by dbfread";
    // A new keeper with two contract payment types and a note longer than its DBF field.
    const QString note = QStringLiteral("Примечание ").repeated(30);
    inDirectory([&](QDialog& window) {
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([&](QDialog& editor) {
            control<QLineEdit>(editor, "edShortName").setText(QStringLiteral("Хранилище \"Юг\""));
            control<QLineEdit>(editor, "edPhones").setText(QStringLiteral("(4742) 55-66-77"));
            control<QLineEdit>(editor, "edINN").setText(QStringLiteral("482699999999"));
            control<QCheckBox>(editor, "cbGSMKeeper").setChecked(true);
            control<QPlainTextEdit>(editor, "memOther").setPlainText(note);
            control<TCheckListBox>(editor, "clbVOList").SetChecked(0, true);
            control<TCheckListBox>(editor, "clbVOList").SetChecked(1, true);
            press(editor, "btnOK");
        });
        press(window, "btnAdd");
        window.reject();
    });

    const QString path = env.path(QStringLiteral("keepers.dbf"));
    exportGroup(QStringLiteral("Хранители ГСМ"), path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(static_cast<unsigned char>(file.read(32).at(29)), 0x65); // cp866
    const QJsonObject table = readWithDbfread(path);
    EXPECT_EQ(table.value(QStringLiteral("encoding")).toString(), u"cp866");
    QStringList fields;
    for (const QJsonValue& f : table.value(QStringLiteral("fields")).toArray())
        fields << QStringLiteral("%1 %2 %3").arg(f[0].toString(), f[1].toString()).arg(f[2].toInt());
    EXPECT_EQ(fields, (QStringList{
        "NAME C 100", "FULLNAME C 100", "INN C 20", "ADDRESS C 100", "PHONES C 50", "OKPO C 15", "KPP C 20",
        "RSCHET C 30", "BANKNAME C 100", "KSCHET C 30", "BIK C 15", "FAX C 30", "CONTINFO C 100", "OTHER C 200",
        "LICENCENUM C 30", "LICDATE D 8", "LICENCEORG C 100", "COUNTRYCOD N 11", "ISMANUF N 11", "ISREGIONAL N 11",
        "ISSUPPLIER N 11", "ISTOVARBUY N 11", "ISGSMSUPP N 11", "ISGSMADDR N 11", "ISGSMTRAN N 11", "ISGSMPAY N 11",
        "ISGSMKEEPR N 11", "VOLIST C 100"}));
    QStringList rows;
    for (const QJsonValue& r : table.value(QStringLiteral("rows")).toArray())
        rows << QStringLiteral("%1 keeper=%2 supplier=%3 consignee=%4 vo=%5")
                    .arg(r[QStringLiteral("NAME")].toString())
                    .arg(r[QStringLiteral("ISGSMKEEPR")].toInt())
                    .arg(r[QStringLiteral("ISGSMSUPP")].toInt())
                    .arg(r[QStringLiteral("ISGSMADDR")].toInt())
                    .arg(r[QStringLiteral("VOLIST")].toString());
    EXPECT_EQ(rows, (QStringList{"Гордеев В.Н. keeper=1 supplier=0 consignee=0 vo=",
                                 "Северная нефтебаза keeper=1 supplier=1 consignee=0 vo=",
                                 "Топливный резерв keeper=1 supplier=0 consignee=0 vo=",
                                 "Хранилище \"Юг\" keeper=1 supplier=0 consignee=0 vo=104,204"}));
    const QJsonObject south = table.value(QStringLiteral("rows")).toArray().at(3).toObject();
    EXPECT_EQ(south.value(QStringLiteral("OTHER")).toString(), note.left(200));
    EXPECT_EQ(south.value(QStringLiteral("PHONES")).toString(), u"(4742) 55-66-77");
    EXPECT_EQ(south.value(QStringLiteral("COUNTRYCOD")).toInt(), 643);
    EXPECT_TRUE(south.value(QStringLiteral("LICDATE")).isNull());

    // A fresh station has the demo's keepers: only the new one is added, with its roles.
    switchToFreshStation();
    const int before = contragentCount();
    importFile(path);
    EXPECT_EQ(contragentCount(), before + 1);
    const int id = idOf(QStringLiteral("Хранилище \"Юг\""));
    ASSERT_GT(id, 0);
    EXPECT_EQ(roleRowsOf(id), (QStringList{"1:104", "1:204", "6:0"}));
    const auto row = query(QStringLiteral("SELECT PHONE, INN, OTHER, ISDELETE, COUNTRYCODE FROM CONTRAGENT WHERE CONTR_ID=%1").arg(id));
    EXPECT_EQ(row->Fields(0).AsString(), u"(4742) 55-66-77");
    EXPECT_EQ(row->Fields(1).AsString(), u"482699999999");
    EXPECT_EQ(row->Fields(2).AsString(), note.left(200).trimmed());
    EXPECT_EQ(row->Fields(3).AsInteger(), 0);
    EXPECT_EQ(row->Fields(4).AsInteger(), 643);

    // Imported again, nothing is added.
    importFile(path);
    EXPECT_EQ(contragentCount(), before + 1);
}

TEST_F(DbfExchangeTest, AnOutsideFileAddsTheNewConsigneeWithItsStatementTypesAndSkipsKnownINNs)
{
    if (!pythonPresent())
        GTEST_SKIP() << "python3 is not installed: python3-dbf cannot write the file";
    const QString path = env.path(QStringLiteral("outside.dbf"));
    const auto written = runProgram(kPython, {QStringLiteral("-c"), QString::fromUtf8(kWriteWithPythonDbf), path});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();

    const int before = contragentCount();
    importFile(path);
    EXPECT_EQ(contragentCount(), before + 2);
    EXPECT_TRUE(contragentsNamed(QStringLiteral("Другое имя")).isEmpty()); // Нефтеснаб's INN
    const int lukoil = idOf(QStringLiteral("Лукойл-Черноземье"));
    ASSERT_GT(lukoil, 0);
    EXPECT_EQ(roleRowsOf(lukoil), (QStringList{"1:104", "1:304", "3:0"}));
    const auto row = query(QStringLiteral("SELECT PHONE, INN FROM CONTRAGENT WHERE CONTR_ID=%1").arg(lukoil));
    EXPECT_EQ(row->Fields(0).AsString(), u"(473) 200-00-00");
    EXPECT_EQ(row->Fields(1).AsString(), u"3664011111");
    // Id 4 ends in 04 too; 0 and a word are no ids.
    EXPECT_EQ(roleRowsOf(idOf(QStringLiteral("Маслозавод"))), (QStringList{"1:4", "101:1"}));
}

TEST_F(DbfExchangeTest, AFileWithoutNameIsRefusedAndAddsNothing)
{
    if (!pythonPresent())
        GTEST_SKIP() << "python3 is not installed: python3-dbf cannot write the file";
    const QString path = env.path(QStringLiteral("noname.dbf"));
    const auto written = runProgram(kPython, {QStringLiteral("-c"), QString::fromUtf8(kWriteWithoutName), path});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    const int before = contragentCount();
    inDirectory([&](QDialog& window) {
        dialogs.expectOpenFile().choose(path);
        dialogs.expectMessageBox(QStringLiteral("Поле \"Name\" не найдено в таблице \"%1\"").arg(path))
            .withCaption(QStringLiteral("Ошибка"));
        press(window, "btnImport");
        window.reject();
    });
    EXPECT_EQ(contragentCount(), before);
}

TEST_F(DbfExchangeTest, AnExportThatCannotBeWrittenLeavesTheOldFileAndAnEmptyListExportsNothing)
{
    const QString path = env.path(QStringLiteral("Contragent.dbf"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old export");
    }
    inDirectory([&](QDialog& window) {
        dialogs.expectSaveFile().choose(path);
        dialogs.expect(DialogKind::MessageBox)
            .containing(QStringLiteral("Невозможно удалить старый файл %1: ").arg(path))
            .withCaption(QStringLiteral("Ошибка"));
        {
            FileSizeLimit limit(4096);
            press(window, "btnExport");
        }
        window.reject();
    });
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the old export"));
    EXPECT_EQ(QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("*.dbf"), QStringLiteral(".*")},
                                                            QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Contragent.dbf")});

    // Filtered down to nothing, the export says so and asks no file.
    inDirectory([&](QDialog& window) {
        control<QWidget>(window, "RadioButton1").setProperty("checked", true);
        control<QLineEdit>(window, "edSearchText").setText(QStringLiteral("нет такого"));
        dialogs.expectMessageBox(QStringLiteral("В таблице нет данных о контрагентах!")).withCaption(QStringLiteral("Велта"));
        press(window, "btnExport");
        window.reject();
    });
}

} // namespace
} // namespace velta::directories::test
