// The sales receipt window from the menu click to the printed receipt, over a
// station of the test's own (its PredChecks.txt is the one the engine reads):
// the cash register road to the host's print functions of codes 84 and 22,
// the printer road to the viewer, the errors that stop a print, and the
// menu's closing steps.
#include "common/Codecs.h"
#include "common/DateTime.h"
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "common/ReportContract.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "plugin/receipts/window/TovarCheckForm.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/ui/SpinEdit.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/StationServer.h"
#include "tests/support/TestEnv.h"
#include "tests/support/VariantDescription.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

using core::TDBFrm;

const QString kCommand = QStringLiteral("Товарный чек на ГСМ...");

// What one call of a host print function received.
struct Printed {
    QString form; // "0 2 1 1" for code 84's function, "2 1" for code 22's routine
    QStringList lines;
};
std::vector<Printed> printed;

void receiptFunction(int a, int b, const QStringList& lines, int c, int d)
{
    printed.push_back({QStringLiteral("%1 %2 %3 %4").arg(a).arg(b).arg(c).arg(d), lines});
}

void printRoutine(int kind, const QStringList& lines, bool flag)
{
    printed.push_back({QStringLiteral("%1 %2").arg(kind).arg(flag), lines});
}

// Sale 40 of the demo station: fuel for a contract customer, with a discount.
constexpr int kContractSale = 40;

const QString kFullTemplate = QStringLiteral(
    "@ТОВАРНЫЙ ЧЕК\r\n"
    "<#AZS> <#OrgName>\r\n"
    "Продажа: <#DateTime(dd.mm.yy hh:nn)>\r\n"
    "Печать: <#CurDateTime>\r\n"
    "<#GSM(8)>|<#Liter(8.2)> x <#Price> =<#Summa(10.2)>\r\n"
    "Скидка <#Dsc>% (<#DscSum>)\r\n"
    "<#DscFullInfo>\r\n"
    "Оплата: <#VidOpl>\r\n"
    "Покупатель: <#CNT> ИНН <#INN>\r\n"
    "<#Driver>, <#Auto>, <#PutList>\r\n"
    "Плотность: <#TRKDens>\r\n"
    "Кассир: <#Kassir>\r\n");

class TovarCheckRoadsTest : public test::MenuStationTest {
protected:
    void SetUp() override
    {
        MenuStationTest::SetUp();
        if (!stationReady())
            return;
        savedSettings_ = globalFormatSettings();
        globalFormatSettings() = TFormatSettings::systemDefaults();
        globalFormatSettings().DecimalSeparator = QLatin1Char('.');
        // A station of the test's own, served under the test's VELTA_ROOT: its
        // C:\DEXE\PredChecks.txt is the one the engine reads.
        const QString root = env.path(QStringLiteral("station"));
        ASSERT_EQ(test::StationServer::initStation(root, 50), QString());
        own_ = std::make_unique<test::StationServer>(root);
        ASSERT_NE(own_->port(), 0) << own_->error().toStdString();
        serving = own_.get();
        qputenv("VELTA_STATION_PORT", QByteArray::number(own_->port()));

        clock_.setNow(EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0));
        Clock::install(&clock_);
        host.values[2] = Variant(QStringLiteral("Петрова Е.В."));
        host.values[13] = Variant(QStringLiteral("АЗС №7"));
        host.values[35] = Variant(QStringLiteral("ООО Велта"));
        host.values[56] = Variant(0);
        host.values[84] = plugin::valueFromFunction(&receiptFunction);
        host.privValues[22] = plugin::valueFromFunction(&printRoutine);
        printed.clear();

        // The list covers the demo's sales.
        const FormPlacement store(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey());
        store.writeInteger(QStringLiteral("rbForDayCount"), 0);
        store.writeFloat(QStringLiteral("PlatezBegPeriod"), EncodeDate(2024, 1, 1));
        store.writeFloat(QStringLiteral("PlatezEndPeriod"), EncodeDate(2024, 12, 31));
        PredChecksFile(PredChecksFile::stationName()).writeTemplate(kCommonTemplate, kFullTemplate);
    }

    void TearDown() override
    {
        MenuStationTest::TearDown();
        connection.reset();
        own_.reset();
        Clock::install(nullptr);
        globalFormatSettings() = savedSettings_;
    }

    static TDBFrm& db() { return *core::state().dataModule; }

    template <class T>
    static T& control(QDialog& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }

    // Opens the window from the menu and lets the user work it; a window the
    // user leaves open is closed with Esc afterwards.
    void withWindow(const std::function<void(TTovarCheckForm&)>& user)
    {
        dialogs.expectModal(QStringLiteral("TTovarCheckForm"))
            .withCaption(QStringLiteral("Реализация ГСМ: Товарный чек"))
            .drive([&](QDialog& window) {
                user(dynamic_cast<TTovarCheckForm&>(window));
                if (window.isVisible())
                    window.reject();
            });
        click(kCommand);
        dialogs.verify();
    }

    static void select(int sale)
    {
        ASSERT_TRUE(db().dsAllLogTran.Locate(QStringLiteral("INDEXSALE"), Variant(sale), 0)) << sale;
    }

    // The cash register with the copies and the preview as given.
    static void toKassa(QDialog& window, int copies, bool preview)
    {
        control<QRadioButton>(window, "rbPrintOnKassa").setChecked(true);
        control<TSpinEdit>(window, "seCopyCount").SetValue(copies);
        control<QCheckBox>(window, "cbPreview").setChecked(preview);
    }

    void expectPreview(bool confirm, QString* shown = nullptr)
    {
        dialogs.expectModal(QStringLiteral("TCheckPreviewForm")).drive([confirm, shown](QDialog& preview) {
            if (shown)
                *shown = control<QTextEdit>(preview, "memo1").toPlainText();
            control<QPushButton>(preview, confirm ? "BitBtn1" : "BitBtn2").click();
        });
    }

    void expectFinalQuestion(int answer)
    {
        dialogs.expectMessageBox(QStringLiteral("Печать товарного чека завершена!\r\n\r\nХотите закрыть данное окно сейчас?"))
            .withCaption(QStringLiteral("Информация"))
            .answer(answer);
    }

    void expectError(const QString& text)
    {
        dialogs.expectMessageBox(text).withCaption(QStringLiteral("Ошибка")).answer(IDOK);
    }

    // The payment type codes the engine was asked templates for.
    QStringList templateRequests() const
    {
        QStringList asked;
        for (const test::TestHost::ReportCall& call : reports())
            if (isService(call, report::kSelectorReceiptTemplate))
                asked << test::describe(call.params);
        return asked;
    }

    std::unique_ptr<test::StationServer> own_;
    ManualClock clock_;
    TFormatSettings savedSettings_;
};

// Sale 22: a discount card sale with its discount row.
constexpr int kDiscountCardSale = 22;

QString joined(const QStringList& lines)
{
    return lines.join(QLatin1Char('\n'));
}

const QStringList kDiscountCardReceipt{
    "@ТОВАРНЫЙ ЧЕК",
    "АЗС №7 ООО Велта",
    "Продажа: 12.01.24 01:54",
    "Печать: 01.03.2024 10:00:00",
    "АИ-95   |    5.79 x 50.73 =    293.73",
    "Скидка 3.00% (9.09)",
    "Скидка по карте: 3.0% 2700000027596",
    "Оплата: Дисконтные карты",
    "Покупатель:  ИНН ",
    ", , ",
    "Плотность: 0.7545",
    "Кассир: Петрова Е.В.",
};

const QStringList kContractReceipt{
    "@ТОВАРНЫЙ ЧЕК",
    "АЗС №7 ООО Велта",
    "Продажа: 21.01.24 04:24",
    "Печать: 01.03.2024 10:00:00",
    "АИ-92   |  196.20 x 46.50 =   9123.30",
    "Скидка 2.11% (196.20)",
    "",
    "Оплата: Договорной",
    "Покупатель: Агрохолдинг Заря ИНН 4813000333",
    "Смирнов А.В., В137АР 48, ПЛ-00040",
    "Плотность: 0.7459",
    "Кассир: Петрова Е.В.",
};

TEST_F(TovarCheckRoadsTest, TheCashRegisterGetsTheFilledTemplateFromCode84OncePerCopyAfterThePreview)
{
    QString previewed;
    withWindow([&](TTovarCheckForm& window) {
        select(kDiscountCardSale);
        toKassa(window, 2, true);
        expectPreview(true, &previewed);
        expectFinalQuestion(IDOK);
        control<QPushButton>(window, "btnPrint").click();
        EXPECT_FALSE(window.isVisible()) << "OK closes the window";
    });
    ASSERT_EQ(printed.size(), 2u);
    for (const Printed& call : printed) {
        EXPECT_EQ(call.form, QStringLiteral("0 2 1 1"));
        EXPECT_EQ(joined(call.lines), joined(kDiscountCardReceipt));
    }
    EXPECT_TRUE(previewed.contains(QStringLiteral("Скидка по карте: 3.0% 2700000027596"))) << previewed.toStdString();
    EXPECT_EQ(templateRequests(), QStringList{QStringLiteral("[u8:9, i32:10]")});
    // The menu closed the sales and the connection after the window.
    EXPECT_FALSE(db().dsAllLogTran.Active());
    EXPECT_FALSE(db().VeltaServer.Connected());
}

TEST_F(TovarCheckRoadsTest, WithoutCode84TheRoutineOfCode22PrintsAndCancelKeepsTheWindowOpen)
{
    host.values.remove(84);
    withWindow([&](TTovarCheckForm& window) {
        select(kContractSale);
        toKassa(window, 1, false);
        expectFinalQuestion(IDCANCEL);
        control<QPushButton>(window, "btnPrint").click();
        EXPECT_TRUE(window.isVisible());
        ASSERT_EQ(printed.size(), 1u);
        EXPECT_EQ(printed[0].form, QStringLiteral("2 1"));
        EXPECT_EQ(joined(printed[0].lines), joined(kContractReceipt));
    });
}

TEST_F(TovarCheckRoadsTest, ACancelledPreviewPrintsNothingAndAsksNothing)
{
    withWindow([&](TTovarCheckForm& window) {
        select(kContractSale);
        toKassa(window, 3, true);
        expectPreview(false);
        control<QPushButton>(window, "btnPrint").click();
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_TRUE(printed.empty());
}

TEST_F(TovarCheckRoadsTest, AnAnswerWithoutTheMarkerOrAHostWithoutPrintFunctionsStopsThePrint)
{
    // An engine that knows nothing of receipt templates answers selector 9 with text of its own.
    host.onReport = [this](QString& text, int reportNo, const Variant& params) {
        if (reportNo == report::kService && params.at(0).toInt() == report::kSelectorReceiptTemplate)
            text = QStringLiteral("Неизвестный запрос");
        else
            forward(text, reportNo, params);
    };
    withWindow([&](TTovarCheckForm& window) {
        select(kContractSale);
        toKassa(window, 1, true);
        expectError(QStringLiteral("Установлена слишком старая библиотека \"C:\\DEXE\\VeltaReportCreator9.dll\".\r\n"
                                   "Обновите библиотеку и повторите попытку печати!"));
        control<QPushButton>(window, "btnPrint").click();
        dialogs.verify();

        host.onReport = [this](QString& text, int reportNo, const Variant& params) { forward(text, reportNo, params); };
        host.values.remove(84);
        host.privValues.remove(22);
        control<QCheckBox>(window, "cbPreview").setChecked(false);
        expectError(QStringLiteral("Ошибка при запросе адреса функции печати произвольного чека!"));
        control<QPushButton>(window, "btnPrint").click();
        EXPECT_TRUE(window.isVisible());
    });
    EXPECT_TRUE(printed.empty());
}

TEST_F(TovarCheckRoadsTest, ThePrinterRoadShowsTheSaleAndAnEmptyFormInTheViewer)
{
    withWindow([&](TTovarCheckForm& window) {
        select(kContractSale);
        control<QLineEdit>(window, "edPost").setText(QStringLiteral("Пост 3"));
        control<QPlainTextEdit>(window, "memComment").setPlainText(QStringLiteral("Первая\nвторая <b>жирная</b>"));
        expectViewer();
        control<QPushButton>(window, "btnPrint").click();
        // The empty form goes to the printer whatever output is chosen.
        control<QRadioButton>(window, "rbPrintOnKassa").setChecked(true);
        expectViewer();
        control<QPushButton>(window, "BitBtn3").click();
    });
    EXPECT_TRUE(printed.empty());
    ASSERT_EQ(viewed.size(), 2u);
    for (const test::ViewedReport& report : viewed) {
        EXPECT_EQ(report.caption, QStringLiteral("РЕАЛИЗАЦИЯ ГСМ: ТОВАРНЫЙ ЧЕК"));
        EXPECT_FALSE(report.html.isEmpty());
    }
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("ТОВАРНЫЙ ЧЕК №40"))) << viewed[0].text.toStdString();
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("Пост: Пост 3")));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("Агрохолдинг Заря")));
    EXPECT_FALSE(viewed[1].text.contains(QStringLiteral("Агрохолдинг Заря")));
    EXPECT_EQ(reportsDescribed(),
              (QStringList{"35 [u8:8, i32:40, str:Петрова Е.В., str:Пост 3, "
                           "str:<br />Первая<br />вторая <b>жирная</b><br /><br />]",
                           "55 []",
                           "35 [u8:8, i32:-1, str:Петрова Е.В., str:Пост 3, "
                           "str:<br />Первая<br />вторая <b>жирная</b><br /><br />]",
                           "55 []"}));
}

TEST_F(TovarCheckRoadsTest, AnOwnTemplateOfOnePaymentTypeChangesOnlyItsNextReceipts)
{
    const PredChecksFile file(PredChecksFile::stationName());
    file.writeTemplate(kCommonTemplate, QStringLiteral("Общий: <#VidOpl> <#Summa>\r\n"));
    file.writeTemplate(108, QStringLiteral("@Договор: <#CNT>\r\nИтого <#Summa(8.2)>\r\n"));
    const auto printSale = [this](QDialog& window, int sale) {
        printed.clear();
        select(sale);
        expectFinalQuestion(IDCANCEL);
        control<QPushButton>(window, "btnPrint").click();
        return printed.empty() ? QString() : joined(printed.back().lines);
    };
    withWindow([&](TTovarCheckForm& window) {
        toKassa(window, 1, false);
        // Written but not chosen: the common template still prints.
        EXPECT_EQ(printSale(window, kContractSale), QStringLiteral("Общий: Договорной 9123.30"));
        file.writeOwnTemplateFlag(108, 1);
        EXPECT_EQ(printSale(window, kContractSale), QStringLiteral("@Договор: Агрохолдинг Заря\nИтого  9123.30"));
        // Sale 38 is another contract sale; sale 2 is paid in cash.
        EXPECT_EQ(printSale(window, 38), QStringLiteral("@Договор: Дорстрой\nИтого  2796.98"));
        EXPECT_EQ(printSale(window, 2), QStringLiteral("Общий: Наличные 2306.60"));
    });
}

TEST_F(TovarCheckRoadsTest, TheTemplateButtonFollowsHostValue56AndOpensTheTemplateSettings)
{
    withWindow([&](TTovarCheckForm& window) {
        QPushButton& button = control<QPushButton>(window, "btnEditTovarCheck");
        EXPECT_TRUE(button.isEnabled());
        dialogs.expectModal(QStringLiteral("TTovCheckOnVidOplForm")).answer(mrCancel);
        button.click();
    });
    host.values[56] = Variant(1);
    withWindow([&](TTovarCheckForm& window) {
        EXPECT_FALSE(control<QPushButton>(window, "btnEditTovarCheck").isEnabled());
    });
}

TEST_F(TovarCheckRoadsTest, TheListTakesThePeriodNewestFirstAndTheMenuClosesItAlsoAfterAnError)
{
    withWindow([&](TTovarCheckForm& window) {
        TClientDataSet& sales = db().dsAllLogTran;
        EXPECT_TRUE(window.ContragentLinked());
        EXPECT_EQ(sales.RecordCount(), 50);
        EXPECT_EQ(sales.FieldByName(QStringLiteral("INDEXSALE")).AsInteger(), 50);
        EXPECT_TRUE(sales.CommandText().contains(
            QStringLiteral("WHERE lt.DATA BETWEEN '2024-01-01 00:00:00.000' AND '2024-12-31 00:00:00.000'")));
        QStringList titles;
        for (int i = 0; i < sales.FieldCount(); ++i)
            if (sales.Fields(i).Visible())
                titles << sales.Fields(i).DisplayLabel();
        EXPECT_EQ(titles, (QStringList{"№", "Время", "ГСМ", "Объем", "Сумма", "Путев. лист", "Организация",
                                       "Водитель", "Ном. знак"}));

        // Clearing the end box keeps the end bound; the last ten days hold none of the demo's sales.
        control<QCheckBox>(window, "cbEndPeriod").setChecked(false);
        EXPECT_FALSE(control<TDatePicker>(window, "dtpEndDate").isEnabled());
        window.btnUpdateListClick();
        EXPECT_TRUE(sales.CommandText().contains(QStringLiteral("AND '2024-12-31 00:00:00.000'")));
        control<QRadioButton>(window, "rbForDayCount").setChecked(true);
        window.btnUpdateListClick();
        EXPECT_TRUE(sales.CommandText().contains(QStringLiteral("WHERE lt.DATA > '2024-02-20 10:00:00.000'")));
        EXPECT_EQ(sales.RecordCount(), 0);
        // The choices stay for the next time.
        control<QRadioButton>(window, "rbForPeriod").setChecked(true);
    });
    const FormPlacement store(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey());
    EXPECT_EQ(store.readInteger(QStringLiteral("cbEndPeriod"), -1), 0);

    dialogs.expectModal(QStringLiteral("TTovarCheckForm")).drive([](QDialog&) {
        throw Exception(QStringLiteral("Сбой окна"));
    });
    EXPECT_EQ(clickFailing(kCommand), QStringLiteral("Сбой окна"));
    EXPECT_FALSE(db().dsAllLogTran.Active());
    EXPECT_FALSE(db().VeltaServer.Connected());
}

void pressKey(QWidget& window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&window, &press);
    QApplication::sendEvent(&window, &release);
}

TEST_F(TovarCheckRoadsTest, TheCommentIsLoadedSavedAndClearedByItsKeysAndTheFoldersAreKept)
{
    const QString source = env.path(QStringLiteral("comments/in.txt"));
    const QString target = env.path(QStringLiteral("saved/out.txt"));
    QDir().mkpath(env.path(QStringLiteral("comments")));
    QDir().mkpath(env.path(QStringLiteral("saved")));
    test::writeFileBytes(source, codec::toCp1251(QStringLiteral("Оплата по договору\r\nот 01.01.2024\r\n")));
    const auto isCommentDialog = [](const QString& title, bool overwritePrompt) {
        return [title, overwritePrompt](const DialogCall& call) {
            return call.file.title == title && call.file.overwritePrompt == overwritePrompt &&
                   call.file.filter == QStringLiteral("Текст (*.txt)|*.txt|Все файлы (*.*)|*.*") &&
                   call.file.initialDir == QStringLiteral("C:\\DEXE");
        };
    };
    withWindow([&](TTovarCheckForm& window) {
        auto& memo = control<QPlainTextEdit>(window, "memComment");
        dialogs.expectOpenFile()
            .when(isCommentDialog(QStringLiteral("Диалог открытия файла"), false), QStringLiteral("the open dialog"))
            .choose(source);
        pressKey(window, Qt::Key_O, Qt::ControlModifier);
        EXPECT_EQ(memo.toPlainText(), QStringLiteral("Оплата по договору\nот 01.01.2024"));
        dialogs.expectSaveFile()
            .when(isCommentDialog(QStringLiteral("Диалог сохранения в файл"), true), QStringLiteral("the save dialog"))
            .choose(target);
        pressKey(window, Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(test::readFileBytes(target), codec::toCp1251(QStringLiteral("Оплата по договору\r\nот 01.01.2024\r\n")));
        pressKey(window, Qt::Key_F2);
        EXPECT_TRUE(memo.toPlainText().isEmpty());
        memo.setPlainText(QStringLiteral("Спасибо"));
    });
    const FormPlacement store(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey());
    EXPECT_EQ(store.readString(QStringLiteral("OpenDialog"), QString()), QFileInfo(source).absolutePath());
    EXPECT_EQ(store.readString(QStringLiteral("SaveDialog"), QString()), QFileInfo(target).absolutePath());
    EXPECT_EQ(store.readString(QStringLiteral("memComment"), QString()), QStringLiteral("D1EFE0F1E8E1EE"));
}

} // namespace
} // namespace velta::receipts
