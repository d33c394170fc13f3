// The keeper movement, discount cards and dispenser history windows from the
// menu click to the viewer, over a real demo station: the keeper and station
// lists they read, the report arrays they send, their refusals (a reversed
// period, no keeper, quotes in card numbers), the dispenser journal as shown
// and printed down to the chosen row; and their look in the host's font.
#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/directories/journals/JournalRequests.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/TimePicker.h"
#include "tests/receipts/ReceiptWindowLook.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/VariantDescription.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace velta::test {
namespace {

const QString kKeeperItem = QStringLiteral("Движение ГСМ по организации-хранителю...");
const QString kCardsItem = QStringLiteral("Общий список дисконтных  карт");

template <class T>
T& control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

TDateTime day(int y, int m, int d)
{
    return fromQDateTime(QDateTime(QDate(y, m, d), QTime(0, 0)));
}

class JournalWindowsTest : public MenuStationTest {
protected:
    void SetUp() override
    {
        host.values[89] = Variant(true); // the keeper item is shown
        MenuStationTest::SetUp();
    }

    core::TDBFrm& data() { return *core::state().dataModule; }

    // Logs on again with a station whose dispensers are the given names, so
    // that the hidden sales history items are made for them.
    void withDispensers(const QStringList& names)
    {
        Variant::Array devices;
        for (int i = 0; i < names.size(); ++i)
            devices.append(Variant(Variant::Array{Variant(names.at(i)), Variant(i + 1)}));
        const Variant config(Variant::Array{Variant(), Variant(), Variant(), Variant(devices)});
        core::SetStationConfigSource([config] { return config; });
        core::state().menuExtrasBuilt = false;
        core::DoSetNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
    }
    // Clicks the hidden item of a dispenser ("ТРК #2").
    void clickDispenser(const QString& caption)
    {
        TestMenuItem* history = host.mainMenu().child(core::SalesHistoryCaption());
        ASSERT_NE(history, nullptr);
        TestMenuItem* item = history->child(caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        item->click();
    }

    // The grid's texts of a column, by its title.
    static QStringList columnTexts(TDBGrid& grid, const QString& title)
    {
        QAbstractItemModel* model = grid.model();
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal).toString() != title)
                continue;
            QStringList texts;
            for (int r = 0; r < model->rowCount(); ++r)
                texts << model->index(r, c).data().toString();
            return texts;
        }
        return {};
    }
    static QStringList titles(TDBGrid& grid)
    {
        QStringList out;
        for (int c = 0; c < grid.model()->columnCount(); ++c)
            if (!grid.isColumnHidden(c))
                out << grid.model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }

    static void look(QDialog& window, const QString& shot)
    {
        window.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(cutTexts(window), QStringList{}) << window.objectName().toStdString();
        saveShot(window, shot);
    }
};

// ---- keeper fuel movement ----

TEST_F(JournalWindowsTest, KeeperMovementSendsTheKeeperAndThePeriod)
{
    ASSERT_TRUE(stationReady());
    QStringList keepers;
    int reserveId = 0;
    dialogs.expectModal(QStringLiteral("TKeeperMoveGSMForm")).drive([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("ДВИЖЕНИЕ ГСМ ПО ХРАНИТЕЛЮ ЗА ПЕРИОД"));
        auto& list = control<QComboBox>(window, "cbKeeperList");
        for (int i = 0; i < list.count(); ++i)
            keepers << list.itemText(i);
        EXPECT_EQ(list.currentIndex(), 0);
        list.setCurrentIndex(list.findText(QStringLiteral("Топливный резерв")));
        reserveId = list.currentData().toInt();

        // An end equal to the begin is a period; F4 makes the report.
        control<TDatePicker>(window, "dtpBegDate").SetDate(day(2024, 1, 20));
        control<TTimePicker>(window, "dtpBegTime").SetTime(0.5);
        control<TDatePicker>(window, "dtpEndDate").SetDate(day(2024, 1, 20));
        control<TTimePicker>(window, "dtpEndTime").SetTime(0.5);
        expectViewer();
        QTest::keyClick(&list, Qt::Key_F4);
        EXPECT_TRUE(window.isVisible()) << "the window stays for the next report";

        // One second earlier is refused, and nothing is asked of the station.
        control<TTimePicker>(window, "dtpEndTime").SetTime(0.5 - 1.0 / 86400);
        dialogs.expectMessageBox(QStringLiteral("Задан недопустимый период!")).answer(IDOK);
        control<QPushButton>(window, "btnOk").click();

        // A whole month, by the button.
        control<TDatePicker>(window, "dtpEndDate").SetDate(day(2024, 2, 20));
        control<TTimePicker>(window, "dtpEndTime").SetTime(0);
        expectViewer();
        control<QPushButton>(window, "btnOk").click();

        list.setCurrentIndex(-1);
        dialogs.expectMessageBox(QStringLiteral("Хранитель не выбран!")).answer(IDOK);
        control<QPushButton>(window, "btnOk").click();
        EXPECT_TRUE(window.isVisible());
        QTest::keyClick(&list, Qt::Key_Escape);
    });
    click(kKeeperItem);
    dialogs.verify();

    EXPECT_EQ(keepers, QStringList({"Гордеев В.Н.", "Северная нефтебаза", "Топливный резерв"}));
    EXPECT_EQ(queries(), QStringList{journals::KeeperListQuery()});
    const QString begin = describe(Variant::fromDate(day(2024, 1, 20) + 0.5));
    EXPECT_EQ(reportsDescribed(),
              QStringList({QStringLiteral("35 [u8:15, i32:%1, %2, %2]").arg(reserveId).arg(begin), QStringLiteral("55 []"),
                           QStringLiteral("35 [u8:15, i32:%1, %2, %3]")
                               .arg(reserveId)
                               .arg(begin, describe(Variant::fromDate(day(2024, 2, 20)))),
                           QStringLiteral("55 []")}));
    ASSERT_EQ(viewed.size(), 2u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ДВИЖЕНИЕ ГСМ ПО ХРАНИТЕЛЮ"));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("Период: с 20.01.2024 12:00 по 20.01.2024 12:00")));
    EXPECT_TRUE(viewed[1].text.contains(QStringLiteral("Хранитель: Топливный резерв")));
    EXPECT_TRUE(viewed[1].text.contains(QStringLiteral("Приход")));
    EXPECT_TRUE(viewed[1].html.contains(QStringLiteral("Топливный резерв")));
}

// ---- discount cards ----

TEST_F(JournalWindowsTest, DiscountCardsSendCardsStationsAndForm)
{
    ASSERT_TRUE(stationReady());
    QStringList stations;
    dialogs.expectModal(QStringLiteral("TAllDscCardForm")).drive([&](QDialog& window) {
        auto& list = control<TCheckListBox>(window, "clbAZSList");
        auto& numbers = control<QTextEdit>(window, "reCardNumbers");
        stations = list.Items();
        EXPECT_FALSE(numbers.isEnabled());
        EXPECT_FALSE(list.isEnabled());

        // A quote typed into the numbers is taken out at once, with the error.
        control<QRadioButton>(window, "rbChooseCards").click();
        EXPECT_TRUE(numbers.isEnabled());
        numbers.setFocus();
        QTest::keyClicks(&numbers, QStringLiteral("2700*"));
        dialogs.expectMessageBox(QStringLiteral("Символы (\") и (') в номере карты недопустимы!")).answer(IDOK);
        QTest::keyClicks(&numbers, QStringLiteral("\""));
        EXPECT_EQ(numbers.toPlainText(), QStringLiteral("2700*"));
        dialogs.expectMessageBox(QStringLiteral("Символы (\") и (') в номере карты недопустимы!")).answer(IDOK);
        numbers.insertPlainText(QStringLiteral("\n'99'?"));
        EXPECT_EQ(numbers.toPlainText(), QStringLiteral("2700*\n99?"));

        // The other stations chosen, none checked: an empty station text.
        control<QRadioButton>(window, "rbChooseAZS").click();
        EXPECT_TRUE(list.isEnabled());
        control<QRadioButton>(window, "rgRepFormatItem2").click();
        expectViewer();
        control<QPushButton>(window, "BitBtn1").click();

        // This station checked, all cards, the detailed form.
        list.SetChecked(0, true);
        control<QRadioButton>(window, "rbAllCards").click();
        EXPECT_FALSE(numbers.isEnabled());
        control<QRadioButton>(window, "rgRepFormatItem0").click();
        expectViewer();
        control<QPushButton>(window, "BitBtn1").click();

        control<QPushButton>(window, "btnClear").click();
        EXPECT_EQ(numbers.toPlainText(), QString());
        control<QPushButton>(window, "BitBtn2").click();
    });
    click(kCardsItem);
    dialogs.verify();

    EXPECT_EQ(stations, QStringList({"АЗС №7", "АЗС №12", "АЗС №15 (трасса М-4)", "АЗС №21"}));
    ASSERT_EQ(queries(), QStringList{QStringLiteral("SELECT * FROM Office")});
    for (const TestHost::ReportCall& call : host.reportCalls) {
        if (isService(call, report::kSelectorProviderData)) {
            EXPECT_EQ(describe(call.params.at(2)), QStringLiteral("i32:1")) << "the head-office database";
        }
    }
    EXPECT_EQ(reportsDescribed(), QStringList({QStringLiteral("35 [u8:1, i32:2, str:2700*\n99?, str:]"), QStringLiteral("55 []"),
                                               QStringLiteral("35 [u8:1, i32:0, str:*, str:АЗС №7\r\n]"),
                                               QStringLiteral("55 []")}));
    ASSERT_EQ(viewed.size(), 2u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ОТЧЕТ ПО ДИСКОНТНЫМ КАРТАМ"));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("АЗС не выбраны")));
    EXPECT_TRUE(viewed[1].text.contains(QStringLiteral("Всего карт:"))) << viewed[1].text.toStdString();
    EXPECT_TRUE(viewed[1].text.contains(QStringLiteral("| АЗС №7 |")));
}

// ---- dispenser history ----

TEST_F(JournalWindowsTest, DispenserJournalShowsCodesAndPrintsDownToTheRow)
{
    ASSERT_TRUE(stationReady());
    withDispensers({QStringLiteral("1"), QStringLiteral("2")});
    // Cash unknown to the host; every other name too long for the column.
    payTypes.entries.removeIf([](const auto& e) { return e.code == 0; });
    for (auto& e : payTypes.entries)
        e.name = QStringLiteral("Вид оплаты номер %1").arg(e.code);

    int rows = 0;
    dialogs.expectModal(QStringLiteral("TfmTRKHistory")).drive([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Журнал по ТРК '2'"));
        auto& grid = control<TDBGrid>(window, "DBGrid1");
        EXPECT_EQ(titles(grid), QStringList({"Время", "Опер.", "ГСМ", "Операция", "Вид оплаты", "Покупатель",
                                             "Тип отлива", "Литры", "Сумма"}));
        // The journal comes in packets; the sales lie behind the newest shift openings.
        data().TrkLog.Last();
        data().TrkLog.First();
        rows = grid.model()->rowCount();
        ASSERT_GE(rows, 5);
        const QStringList pay = columnTexts(grid, QStringLiteral("Вид оплаты"));
        const QStringList fuel = columnTexts(grid, QStringLiteral("ГСМ"));
        const QStringList time = columnTexts(grid, QStringLiteral("Время"));
        const QStringList operation = columnTexts(grid, QStringLiteral("Операция"));
        const QStringList dose = columnTexts(grid, QStringLiteral("Тип отлива"));
        EXPECT_TRUE(pay.contains(QStringLiteral("Оплата: 0"))) << pay.join(QLatin1Char('/')).toStdString();
        EXPECT_TRUE(pay.contains(QStringLiteral("Вид оплаты номер ")));
        for (int r = 0; r < rows; ++r) {
            EXPECT_TRUE(pay[r].isEmpty() || pay[r] == QStringLiteral("Оплата: 0") || pay[r] == QStringLiteral("Вид оплаты номер "))
                << pay[r].toStdString();
            EXPECT_EQ(time[r].isEmpty(), fuel[r].isEmpty()) << r;
            EXPECT_TRUE(QStringList({"Отлито", "Недолито", "Заказано", ""}).contains(operation[r])) << operation[r].toStdString();
            EXPECT_TRUE(QStringList({"Литры", "Сумма", "Бак", ""}).contains(dose[r])) << dose[r].toStdString();
        }

        // Down four times from the newest row, then F5: down to row 5.
        EXPECT_EQ(data().TrkLog.RecNo(), 1);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(&grid, Qt::Key_Down);
        EXPECT_EQ(data().TrkLog.RecNo(), 5);
        QTest::keyClick(&grid, Qt::Key_Up);
        QTest::keyClick(&grid, Qt::Key_Down);
        expectViewer();
        QTest::keyClick(&grid, Qt::Key_F5);
        EXPECT_TRUE(grid.hasFocus() || !QApplication::focusWidget());

        control<QPushButton>(window, "RefreshButton").click();
        // Reopened from its first packet, at the newest row.
        EXPECT_GT(grid.model()->rowCount(), 0);
        EXPECT_EQ(data().TrkLog.RecNo(), 1);
        expectViewer();
        control<QPushButton>(window, "Button1").click();
        QTest::keyClick(&grid, Qt::Key_Escape);
    });
    clickDispenser(QStringLiteral("ТРК #2"));
    dialogs.verify();

    EXPECT_EQ(reportsDescribed(), QStringList({"10 [str:2, i32:5]", "55 []", "10 [str:2, i32:1]", "55 []"}));
    ASSERT_EQ(viewed.size(), 2u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("История продаж по ТРК"));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("Последние записи журнала: 5")));
    EXPECT_FALSE(data().TrkLog.Active());
    EXPECT_FALSE(data().VeltaServer.Connected());
}

TEST_F(JournalWindowsTest, LoadingRackAndAQuotedDispenserName)
{
    ASSERT_TRUE(stationReady());
    host.values[80] = Variant(true);
    withDispensers({QStringLiteral("1"), QStringLiteral("9'")});
    TestMenuItem* history = host.mainMenu().child(core::SalesHistoryCaption());
    ASSERT_NE(history, nullptr);
    const QString word = history->item(0)->caption().left(3);

    dialogs.expectModal(QStringLiteral("TfmTRKHistory")).drive([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Журнал по АСН '1'"));
        auto& grid = control<TDBGrid>(window, "DBGrid1");
        EXPECT_FALSE(titles(grid).contains(QStringLiteral("Сумма")));
        EXPECT_TRUE(titles(grid).contains(QStringLiteral("Литры")));
        expectViewer();
        control<QPushButton>(window, "Button1").click();
        window.reject();
    });
    clickDispenser(word + QStringLiteral(" #1"));
    dialogs.verify();
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("История продаж по АСН"));

    // A quote in the name is doubled in the journal's query: an empty journal, no error.
    dialogs.expectModal(QStringLiteral("TfmTRKHistory")).drive([&](QDialog& window) {
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Журнал по АСН '9''"));
        EXPECT_EQ(control<TDBGrid>(window, "DBGrid1").model()->rowCount(), 0);
        window.reject();
    });
    clickDispenser(word + QStringLiteral(" #9'"));
    dialogs.verify();
    EXPECT_FALSE(data().VeltaServer.Connected());
}

TEST_F(JournalWindowsTest, AFailingJournalLeavesTheConnectionClosed)
{
    ASSERT_TRUE(stationReady());
    withDispensers({QStringLiteral("1")});
    data().TrkLog.BeforeOpen = [](TClientDataSet& journal) { journal.SetCommandText(QStringLiteral("SELECT nonsense FROM Trk")); };
    try {
        clickDispenser(QStringLiteral("ТРК #1"));
        ADD_FAILURE() << "no error";
    } catch (const Exception&) {
    }
    data().TrkLog.BeforeOpen = nullptr;
    dialogs.verify();
    EXPECT_FALSE(data().TrkLog.Active());
    EXPECT_FALSE(data().VeltaServer.Connected());
}

// ---- the look, in the host's font ----

TEST_F(JournalWindowsTest, EveryTextHasRoom)
{
    ASSERT_TRUE(stationReady());
    HostFontScope hostFont;
    if (!hostFont.active())
        GTEST_SKIP() << "no Tahoma on this machine";
    withDispensers({QStringLiteral("1")});
    dialogs.expectModal(QStringLiteral("TKeeperMoveGSMForm")).drive([&](QDialog& window) {
        look(window, QStringLiteral("keeper-move.png"));
        window.reject();
    });
    click(kKeeperItem);
    dialogs.expectModal(QStringLiteral("TAllDscCardForm")).drive([&](QDialog& window) {
        control<QRadioButton>(window, "rbChooseAZS").click();
        control<TCheckListBox>(window, "clbAZSList").SetChecked(0, true);
        control<QRadioButton>(window, "rbChooseCards").click();
        control<QTextEdit>(window, "reCardNumbers").setPlainText(QStringLiteral("2700000000066\n27000000001??\n2701*"));
        look(window, QStringLiteral("discount-cards.png"));
        window.reject();
    });
    click(kCardsItem);
    dialogs.expectModal(QStringLiteral("TfmTRKHistory")).drive([&](QDialog& window) {
        // To the newest sale, behind the shift openings.
        TClientDataSet& journal = data().TrkLog;
        for (journal.First(); !journal.Eof() && journal.FieldByName(QStringLiteral("Gsm")).AsString().isEmpty();)
            journal.Next();
        look(window, QStringLiteral("trk-history.png"));
        window.reject();
    });
    clickDispenser(QStringLiteral("ТРК #1"));
    dialogs.verify();
}

} // namespace
} // namespace velta::test
