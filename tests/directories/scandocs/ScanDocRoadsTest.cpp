// The scanned documents register from the report menu over a station of its
// own: types added on the types page, a document of two scanned pages copied
// into the station's folder with its row on the server and the offer to
// delete the sources (none for files under the storage root), a refused
// document leaving neither offer nor log line nor copies, the 25-hour edit
// window, the missing files warning, the server share on remote workplaces,
// the page rules, the group filter and a quote in the filter text.
#include "common/DateTime.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/Field.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "tests/directories/scandocs/ScanDocStation.h"
#include "tests/receipts/ReceiptWindowLook.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace velta::directories::scandocs::test {
namespace {

const QString kTtn = QStringLiteral("Товарно-транспортная накладная");
const QString kRoot = QStringLiteral("C:\\DEXE\\ScanDocuments\\");

core::TDBFrm& db()
{
    return *core::state().dataModule;
}

void selectText(QComboBox& box, const QString& text)
{
    const int index = box.findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box.setCurrentIndex(index);
}

QString pageName(const QString& prefix, int id, int page)
{
    return prefix + QStringLiteral("%1_%2.png").arg(id, 3, 10, QLatin1Char('0')).arg(page);
}

QStringList pageCaptions(TScanDocListForm& form)
{
    QStringList captions;
    for (int i = 1; auto* button = form.findChild<QToolButton*>(QStringLiteral("btnPage%1").arg(i)); ++i)
        captions << button->text();
    return captions;
}

class ScanDocRoadsTest : public ScanDocStationTest {
protected:
    // Fills the registration page of a new TTN with two pages from the given files.
    void fillNew(TScanDocListForm& form, const QString& number, const QString& first, const QString& second)
    {
        press(form, "btnAdd");
        ASSERT_EQ(form.RegisterMode(), TScanDocListForm::Adding);
        control<QLineEdit>(form, "edDocNumber").setText(number);
        selectText(control<QComboBox>(form, "cbDocType"), kTtn);
        dialogs.expectOpenFile().choose(first);
        press(form, "btnOpenImage");
        dialogs.expectOpenFile().choose(second);
        press(form, "btnPagePlus");
    }

    void expectSaveConfirmation(const QString& number)
    {
        dialogs.expect(DialogKind::MessageBox)
            .withCaption(QStringLiteral("Внимание!"))
            .containing(QStringLiteral("Будет сохранен документ ") + kTtn + QStringLiteral("\r\n№") + number
                        + QStringLiteral(" от "))
            .containing(QStringLiteral("После сохранения документа изменение страниц\r\nНЕВОЗМОЖНО!"))
            .answer(IDOK);
    }

    // Registers a TTN of two fresh scanner pages, sources deleted; its ID.
    int registerDocument(const QString& number)
    {
        const QString first = scannedPage(number + QStringLiteral("-1.png"));
        const QString second = scannedPage(number + QStringLiteral("-2.png"));
        withRegister([&](TScanDocListForm& form) {
            fillNew(form, number, first, second);
            expectSaveConfirmation(number);
            dialogs.expect(DialogKind::MessageBox).containing(QStringLiteral("Хотите удалить")).answer(IDOK);
            press(form, "btnOK");
        });
        return lastDocumentId();
    }

    void locate(int id) { ASSERT_TRUE(db().dsScanDoc.Locate(QStringLiteral("ID"), Variant(id), {})); }
};

TEST_F(ScanDocRoadsTest, ATypeAddedOnTheTypesPageReachesTheServerAndBothLists)
{
    withRegister([&](TScanDocListForm& form) {
        press(form, "btnEditScanDocTypes");
        ASSERT_EQ(form.RegisterMode(), TScanDocListForm::Types);
        press(form, "nbInsert");
        EXPECT_FALSE(control(form, "DBGrid2").isEnabled());
        control<QLineEdit>(form, "edDocType").setText(QStringLiteral("Акт сверки"));
        control<QLineEdit>(form, "edDocPrefix").setText(QStringLiteral("AS"));
        // OK waits for the insert to be confirmed.
        dialogs.expectMessageBox(QStringLiteral(
                                     "Необходимо сначала подтвердить или отменить изменения! Для подтверждение нажмите "
                                     "кнопку \"V\", для отмены - \"X\" на верхней панели кнопок!"))
            .withCaption(QStringLiteral("Ошибка"));
        press(form, "btnOK");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::Types);
        press(form, "nbPost");
        EXPECT_TRUE(control(form, "DBGrid2").isEnabled());
        press(form, "btnOK");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::List);
        EXPECT_GE(control<QComboBox>(form, "cbDocTypes").findText(QStringLiteral("Акт сверки")), 1);
        EXPECT_GE(control<QComboBox>(form, "cbDocType").findText(QStringLiteral("Акт сверки")), 0);
        EXPECT_EQ(control<QComboBox>(form, "cbDocTypes").itemText(0), u"Все документы");

        // Changes dropped by Cancel after the question never reach the server.
        press(form, "btnEditScanDocTypes");
        press(form, "nbInsert");
        control<QLineEdit>(form, "edDocType").setText(QStringLiteral("Лишний"));
        press(form, "nbPost");
        const QString question = QStringLiteral("Были внесены изменения в типы документов.\r\n"
                                                 "После отмены изменения будут потеряны\r\n"
                                                 "Отменить сделанные изменения?");
        dialogs.expectMessageBox(question).withCaption(QStringLiteral("Внимание!")).answer(IDCANCEL);
        press(form, "btnCancel");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::Types);
        dialogs.expectMessageBox(question).answer(IDOK);
        press(form, "btnCancel");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::List);
    });
    const auto rows = query(QStringLiteral("SELECT NAME, FILEPREFIX FROM SCANDOCTYPE WHERE ID > 5 ORDER BY ID"));
    ASSERT_EQ(rows->RecordCount(), 1);
    EXPECT_EQ(rows->Fields(0).AsString(), u"Акт сверки");
    EXPECT_EQ(rows->Fields(1).AsString(), u"AS");
}

TEST_F(ScanDocRoadsTest, TwoScannedPagesAreStoredUnderTheirNamesAndTheSourcesOfferedAfterTheServerTookThem)
{
    const QString first = scannedPage(QStringLiteral("scan 1.png"));
    const QString second = scannedPage(QStringLiteral("scan 2.png"), 200, 140);
    const int expectedId = lastDocumentId() + 1;
    withRegister([&](TScanDocListForm& form) {
        fillNew(form, QStringLiteral("ТТН-501"), first, second);
        EXPECT_EQ(form.PageFiles().Files(), (QStringList{first, second}));
        EXPECT_EQ(pageCaptions(form), (QStringList{QStringLiteral("Стр. 1"), QStringLiteral("Стр. 2")}));
        EXPECT_FALSE(control<QLabel>(form, "imgScanDoc").pixmap().isNull());
        EXPECT_EQ(DateOf(control<TDatePicker>(form, "dtpDocData").Date()), EncodeDate(2024, 3, 1));

        dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([](QDialog& chooser) {
            control<QLineEdit>(chooser, "edSearchText").setText(QStringLiteral("Нефтеснаб"));
            press(chooser, "btnOK");
        });
        press(form, "btnCntSender");
        EXPECT_EQ(control<QLineEdit>(form, "edCntSender").text(), u"Нефтеснаб");
        EXPECT_EQ(form.SenderId(), idOf(QStringLiteral("Нефтеснаб")));
        press(form, "btnOperator");
        EXPECT_EQ(control<QLineEdit>(form, "edOperator").text(), u"Петрова Е.В.");
        control<QLineEdit>(form, "edOther").setText(QStringLiteral("две строки\nв примечании"));

        expectSaveConfirmation(QStringLiteral("ТТН-501"));
        dialogs.expectMessageBox(QStringLiteral("Файлы отсканированного документа помещены в каталог\r\n"
                                                "хранения отсканированных документов. Для экономии\r\n"
                                                "места на жестком диске Вы можете удалить\r\n"
                                                "следующие исходные графические файлы:\r\n")
                                 + first + QStringLiteral("\r\n") + second + QStringLiteral("\r\n\r\n")
                                 + QStringLiteral("Хотите удалить указанные файлы?"))
            .withCaption(QStringLiteral("Внимание!"))
            .when([&](const DialogCall&) { return query(QStringLiteral("SELECT COUNT(*) FROM SCANDOC WHERE ID = %1")
                                                            .arg(expectedId))->Fields(0).AsInteger() == 1; },
                  QStringLiteral("the document is on the server"))
            .answer(IDOK);
        press(form, "btnOK");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::List);
        EXPECT_EQ(db().dsScanDoc.FieldByName(QStringLiteral("ID")).AsInteger(), expectedId);
    });

    const QString folder = kRoot + kStation + QLatin1Char('\\');
    EXPECT_EQ(fileNamesOf(expectedId), kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), expectedId, 1)
                                           + QStringLiteral("\r\n") + kStation + QLatin1Char('\\')
                                           + pageName(QStringLiteral("TTN"), expectedId, 2));
    EXPECT_TRUE(QFileInfo::exists(native(folder + pageName(QStringLiteral("TTN"), expectedId, 1))));
    EXPECT_EQ(QImage(native(folder + pageName(QStringLiteral("TTN"), expectedId, 2))).size(), QSize(200, 140));
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(second));

    const auto row = query(QStringLiteral("SELECT DOCNUMBER, DOCTYPE, CNTSENDER_ID, OPERATOR, ISDELETE, DOCDATA "
                                          "FROM SCANDOC WHERE ID = %1").arg(expectedId));
    EXPECT_EQ(row->Fields(0).AsString(), u"ТТН-501");
    EXPECT_EQ(row->Fields(1).AsInteger(), 1);
    EXPECT_EQ(row->Fields(2).AsInteger(), idOf(QStringLiteral("Нефтеснаб")));
    EXPECT_EQ(row->Fields(3).AsString(), u"Петрова Е.В.");
    EXPECT_EQ(row->Fields(4).AsInteger(), 0);
    EXPECT_EQ(DateOf(row->Fields(5).AsDateTime()), EncodeDate(2024, 3, 1));

    const QStringList added = logLines().filter(QStringLiteral("Добавлена запись отсканированного документа. "));
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(added.first().contains(QStringLiteral("ID=%1;FILENAMES=%2;%3;DATA=")
                                           .arg(expectedId)
                                           .arg(kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), expectedId, 1),
                                                kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), expectedId, 2))))
        << added.first().toStdString();
    EXPECT_TRUE(added.first().contains(QStringLiteral(";DOCNUMBER=ТТН-501;"))) << added.first().toStdString();
    EXPECT_TRUE(added.first().contains(QStringLiteral(";CNTSENDER=Нефтеснаб;CNTTARGET=;CNTPER=;OPERATOR=Петрова Е.В.;")));
    EXPECT_TRUE(added.first().contains(QStringLiteral(";OTHER=две строки;в примечании;ISDELETE=0;DOCTYPE=1;")));
}

TEST_F(ScanDocRoadsTest, PagesAlreadyUnderTheStorageRootAreNotOfferedForDeletion)
{
    const QString inbox = native(kRoot + QStringLiteral("Входящие\\"));
    QDir().mkpath(inbox);
    const QString first = inbox + QStringLiteral("a.png");
    const QString second = inbox + QStringLiteral("b.png");
    QFile::copy(scannedPage(QStringLiteral("a.png")), first);
    QFile::copy(scannedPage(QStringLiteral("b.png")), second);
    withRegister([&](TScanDocListForm& form) {
        fillNew(form, QStringLiteral("ТТН-502"), first, second);
        expectSaveConfirmation(QStringLiteral("ТТН-502"));
        press(form, "btnOK"); // no question about the sources
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::List);
    });
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_TRUE(QFileInfo::exists(native(kRoot + kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), lastDocumentId(), 2))));
}

TEST_F(ScanDocRoadsTest, ADocumentTheServerRefusesLeavesNoOfferNoLogLineAndNoCopies)
{
    const QString first = scannedPage(QStringLiteral("r1.png"));
    const QString second = scannedPage(QStringLiteral("r2.png"));
    const int before = lastDocumentId();
    withRegister([&](TScanDocListForm& form) {
        fillNew(form, kRefusedNumber, first, second);
        expectSaveConfirmation(kRefusedNumber);
        dialogs.expect(DialogKind::MessageBox).withCaption(QStringLiteral("Ошибка")).containing(QStringLiteral("CHK_SCANDOC_REFUSED"));
        press(form, "btnOK");
        // The user stays on the registration page with the pages kept.
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::Adding);
        EXPECT_EQ(form.PageFiles().Files(), (QStringList{first, second}));
        EXPECT_EQ(db().dsScanDoc.ChangeCount(), 0);
    });
    EXPECT_EQ(lastDocumentId(), before);
    EXPECT_TRUE(QFileInfo::exists(first));
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_TRUE(QDir(native(kRoot + kStation)).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(logLines().filter(QStringLiteral("запись отсканированного документа")).isEmpty());
}

TEST_F(ScanDocRoadsTest, ImagesCanBeEditedForTwentyFiveHoursAfterRegistration)
{
    const int id = registerDocument(QStringLiteral("ТТН-503"));
    const TDateTime registered = clock_.now();
    const auto imageEditAfter = [&](TDateTime elapsed) {
        clock_.setNow(registered + elapsed);
        bool enabled = false;
        withRegister([&](TScanDocListForm& form) {
            locate(id);
            press(form, "btnEdit");
            EXPECT_EQ(form.RegisterMode(), TScanDocListForm::Editing);
            EXPECT_FALSE(control(form, "btnPagePlus").isEnabled());
            EXPECT_FALSE(control(form, "btnPageMinus").isEnabled());
            EXPECT_FALSE(control(form, "btnOpenImage").isEnabled());
            EXPECT_EQ(pageCaptions(form).size(), 2);
            enabled = control(form, "btnImgEdit").isEnabled();
        });
        return enabled;
    };
    EXPECT_TRUE(imageEditAfter(EncodeTime(23, 59, 0, 0)));
    EXPECT_TRUE(imageEditAfter(1 + EncodeTime(0, 59, 0, 0)));
    EXPECT_FALSE(imageEditAfter(1 + EncodeTime(1, 0, 0, 0)));
    EXPECT_FALSE(imageEditAfter(2));

    // An edit two days later writes the fields and the log line; the pages stay.
    withRegister([&](TScanDocListForm& form) {
        locate(id);
        press(form, "btnEdit");
        control<QLineEdit>(form, "edDriver").setText(QStringLiteral("Сидоров"));
        press(form, "btnOK");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::List);
    });
    const auto row = query(QStringLiteral("SELECT DRIVER, DATA FROM SCANDOC WHERE ID = %1").arg(id));
    EXPECT_EQ(row->Fields(0).AsString(), u"Сидоров");
    EXPECT_NEAR(row->Fields(1).AsDateTime(), registered + 2, 1e-6);
    EXPECT_EQ(fileNamesOf(id).count(QStringLiteral("\r\n")), 1);
    const QStringList changed = logLines().filter(QStringLiteral("Изменена запись отсканированного документа. DATA="));
    ASSERT_EQ(changed.size(), 1);
    EXPECT_TRUE(changed.first().contains(QStringLiteral(";DRIVER=Сидоров;")));
    EXPECT_FALSE(changed.first().contains(QStringLiteral("FILENAMES=")));

    // Deleted after the question: the row goes, the page files stay.
    withRegister([&](TScanDocListForm& form) {
        locate(id);
        dialogs.expectMessageBox(QStringLiteral("Вы действительно хотите удалить запись?"))
            .withCaption(QStringLiteral("Внимание!"))
            .answer(IDOK);
        press(form, "btnDelete");
    });
    EXPECT_EQ(fileNamesOf(id), QString());
    EXPECT_TRUE(QFileInfo::exists(native(kRoot + kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), id, 1))));
}

TEST_F(ScanDocRoadsTest, EditingADocumentWhosePagesAreGoneWarnsOnceWithEveryMissingFile)
{
    QStringList missing;
    for (const QString& line : fileNamesOf(2).split(QStringLiteral("\r\n")))
        missing << kRoot + line;
    ASSERT_EQ(missing.size(), 3);
    withRegister([&](TScanDocListForm& form) {
        locate(2);
        dialogs.expectMessageBox(QStringLiteral("Обнаружены несуществующие файлы страниц документа:\r\n\r\n")
                                 + missing.join(QStringLiteral("\r\n"))
                                 + QStringLiteral("\r\n\r\nВозможно они были удалены! Без этих файлов запись\r\n"
                                                  "о документе недействительна! Рекомендуется\r\n"
                                                  "вернуть файлы на место!"))
            .withCaption(QStringLiteral("Внимание!"));
        press(form, "btnEdit");
        EXPECT_EQ(form.PageFiles().Files(), missing);
        EXPECT_EQ(pageCaptions(form).size(), 3);
        EXPECT_TRUE(control<QLabel>(form, "imgScanDoc").pixmap().isNull());
        // The image tools need an existing file.
        dialogs.expectMessageBox(QStringLiteral("Графический файл не существует!")).withCaption(QStringLiteral("Ошибка"));
        form.btnImgOpenClick();
    });
}

TEST_F(ScanDocRoadsTest, ARemoteWorkplaceStoresOnTheServerShare)
{
    host.values[46] = Variant(1);
    const QString first = scannedPage(QStringLiteral("s1.png"));
    const QString second = scannedPage(QStringLiteral("s2.png"));
    withRegister([&](TScanDocListForm& form) {
        EXPECT_EQ(form.Register().Root(), u"S:\\DEXE\\ScanDocuments\\");
        fillNew(form, QStringLiteral("ТТН-504"), first, second);
        expectSaveConfirmation(QStringLiteral("ТТН-504"));
        dialogs.expect(DialogKind::MessageBox).containing(QStringLiteral("Хотите удалить указанные файлы?")).answer(IDCANCEL);
        press(form, "btnOK");
    });
    const int id = lastDocumentId();
    const QString stored = kStation + QLatin1Char('\\') + pageName(QStringLiteral("TTN"), id, 1);
    EXPECT_TRUE(QFileInfo::exists(native(QStringLiteral("S:\\DEXE\\ScanDocuments\\") + stored)));
    EXPECT_FALSE(QFileInfo::exists(native(kRoot + stored)));
    // Kept by the user's Cancel.
    EXPECT_TRUE(QFileInfo::exists(first));
}

TEST_F(ScanDocRoadsTest, PageButtonsFollowTheRulesOfAddingAndRemoving)
{
    const QString first = scannedPage(QStringLiteral("p1.png"));
    withRegister([&](TScanDocListForm& form) {
        press(form, "btnAdd");
        dialogs.expectMessageBox(QStringLiteral("Имя графического файла неизвестно!")).withCaption(QStringLiteral("Ошибка"));
        press(form, "btnImgEdit");
        dialogs.expectMessageBox(QStringLiteral("Нельзя удалять последнюю оставшуюся страницу!")).withCaption(QStringLiteral("Ошибка"));
        press(form, "btnPageMinus");
        // Every size with no picture loaded, and a resize: nothing to divide by.
        for (int i = 0; i < control<QComboBox>(form, "cbImgSize").count(); ++i)
            control<QComboBox>(form, "cbImgSize").setCurrentIndex(i);
        form.resize(form.width() + 40, form.height() + 30);
        QCoreApplication::processEvents();
        EXPECT_TRUE(control<QLabel>(form, "imgScanDoc").pixmap().isNull());

        dialogs.expectOpenFile().choose(first);
        press(form, "btnOpenImage");
        // The same file for page 2 is asked about; Cancel keeps page 2 empty.
        dialogs.expectOpenFile().choose(first);
        dialogs.expectMessageBox(QStringLiteral("Указанный графический файл\r\n") + first
                                 + QStringLiteral("\r\nуже выбран на Стр. 1\r\nХотите выбрать этот же файл для текущей страницы?"))
            .withCaption(QStringLiteral("Внимание!"))
            .answer(IDCANCEL);
        press(form, "btnPagePlus");
        dialogs.expectOpenFile().cancel();
        press(form, "btnPagePlus");
        EXPECT_EQ(form.PageFiles().Files(), (QStringList{first, QString(), QString()}));
        EXPECT_EQ(form.PageFiles().Selected(), 2);
        press(form, "btnPageMinus");
        EXPECT_EQ(form.PageFiles().Selected(), 1);
        EXPECT_EQ(pageCaptions(form), (QStringList{QStringLiteral("Стр. 1"), QStringLiteral("Стр. 2")}));
        EXPECT_TRUE(control<QToolButton>(form, "btnPage2").isChecked());

        // Page 1 shown and sent to the image editor (VELTA_IMAGE_EDITOR), whose note names no program.
        control<QToolButton>(form, "btnPage1").click();
        EXPECT_FALSE(control<QLabel>(form, "imgScanDoc").pixmap().isNull());
        dialogs.expectMessageBox(QStringLiteral("Графический файл открыт в программе.\r\n"
                                                "При необходимости Вы можете внести изменения в\r\n"
                                                "изображение документа (исправить поворот, яркость,\r\n"
                                                "масштаб и др.). После внесения изменений сохраните\r\n"
                                                "файл и нажмите кнопку \"ОК\" для того, чтобы программа\r\n"
                                                "перезагрузила изображение. Если вы не внесли \r\n"
                                                "никаких изменений, то нажмите \"Отмена\""))
            .withCaption(QStringLiteral("Внимание!"))
            .answer(IDOK);
        press(form, "btnImgEdit");

        // Saving stops at the page without a file.
        control<QLineEdit>(form, "edDocNumber").setText(QStringLiteral("ТТН-505"));
        dialogs.expectMessageBox(QStringLiteral("На Стр. 2 имя графического файла не задано!")).withCaption(QStringLiteral("Ошибка"));
        press(form, "btnOK");
        EXPECT_EQ(form.RegisterMode(), TScanDocListForm::Adding);
    });
}

TEST_F(ScanDocRoadsTest, AllDocumentsAfterATypeShowsEveryDocumentAgain)
{
    withRegister([&](TScanDocListForm& form) {
        auto& groups = control<QComboBox>(form, "cbDocTypes");
        const int all = db().dsScanDoc.RecordCount();
        EXPECT_EQ(all, 8);
        selectText(groups, kTtn);
        form.cbDocTypesChange();
        EXPECT_EQ(form.GroupFilter(), u" (DOCTYPE=1) ");
        EXPECT_EQ(db().dsScanDoc.RecordCount(), 2);
        selectText(groups, QStringLiteral("Все документы"));
        form.cbDocTypesChange();
        EXPECT_EQ(db().dsScanDoc.RecordCount(), all);
    });
}

TEST_F(ScanDocRoadsTest, AQuoteInTheFilterTextIsDoubled)
{
    withRegister([&](TScanDocListForm& form) {
        control<QComboBox>(form, "cbFieldName").setCurrentIndex(5); // "Водитель"
        control<QRadioButton>(form, "RadioButton1").click();
        control<QLineEdit>(form, "edSearchText").setText(QStringLiteral("д'арт"));
        press(form, "btnDoSearch");
        EXPECT_EQ(db().dsScanDoc.Filter(), u" (DRIVER LIKE '%д''арт%') ");
        ASSERT_EQ(db().dsScanDoc.RecordCount(), 1);
        EXPECT_EQ(db().dsScanDoc.FieldByName(QStringLiteral("ID")).AsInteger(), 1);

        // The search mode finds it by its beginning, with every document listed.
        control<QRadioButton>(form, "rbSearch").click();
        db().dsScanDoc.Last();
        control<QLineEdit>(form, "edSearchText").setText(QStringLiteral("Д'АР"));
        press(form, "btnDoSearch");
        EXPECT_EQ(db().dsScanDoc.Filter(), QString());
        EXPECT_EQ(db().dsScanDoc.FieldByName(QStringLiteral("ID")).AsInteger(), 1);
    });
}

TEST_F(ScanDocRoadsTest, AnOfficeWorkplaceNeitherEditsTypesNorConfirms)
{
    core::state().isOfficeWorkplace = true;
    withRegister([&](TScanDocListForm& form) {
        EXPECT_FALSE(control(form, "btnEditScanDocTypes").isEnabled());
        EXPECT_FALSE(control(form, "btnOK").isEnabled());
        EXPECT_TRUE(control(form, "btnAdd").isEnabled());
    });
    core::state().isOfficeWorkplace = false;
}

TEST_F(ScanDocRoadsTest, TheRegistrationPageHasRoomForEveryText)
{
    const QString first = scannedPage(QStringLiteral("shot1.png"), 600, 840);
    const QString second = scannedPage(QStringLiteral("shot2.png"));
    withRegister([&](TScanDocListForm& form) {
        fillNew(form, QStringLiteral("ТТН-777"), first, second);
        control<QLineEdit>(form, "edOperator").setText(QStringLiteral("Петрова Е.В."));
        control<QLineEdit>(form, "edDriver").setText(QStringLiteral("Смирнов А.В."));
        control<QToolButton>(form, "btnPage1").click();
        form.resize(980, 620);
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(velta::test::cutTexts(form), QStringList{});
        velta::test::saveShot(form, QStringLiteral("scandocs.png"));
        form.btnCancelClick();
        EXPECT_EQ(velta::test::cutTexts(form), QStringList{});
        velta::test::saveShot(form, QStringLiteral("scandocs-list.png"));
    });
}

} // namespace
} // namespace velta::directories::scandocs::test
