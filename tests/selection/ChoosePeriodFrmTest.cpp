// The period chooser driven offscreen: the period read from its pickers, the
// reset buttons, dates picked from the calendar against dates typed, its keys,
// the height fitted to its page, the check list's counters, the shift kept
// per station, ChoosePeriod through the dialog service, and the period taken
// from shifts of a real station's shift log.
#include "plugin/selection/ChoosePeriodFrm.h"

#include "common/Hex.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Clock.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/ui/TimePicker.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::selection;

namespace {

const TDateTime kToday = EncodeDate(2024, 3, 5);

class ChoosePeriodTest : public ::testing::Test {
protected:
    ChoosePeriodTest()
    {
        core::ResetPluginState();
        core::host().getValue = &test::TestHost::getValue;
        host.values[13] = Variant(QStringLiteral("АЗС №7"));
        clock.setNow(kToday + EncodeTime(14, 25, 0, 0));
    }
    ~ChoosePeriodTest() override { core::ResetPluginState(); }

    template <typename T>
    static T& control(QWidget& form, const char* name)
    {
        T* found = form.findChild<T*>(QLatin1String(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return *found;
    }
    // Shows the window and gives it the keyboard.
    static void showActive(QWidget& form)
    {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // Opens a picker's calendar with a click on its arrow, moves one day on
    // and picks that day with Enter.
    static void pickNextDayFromCalendar(TDatePicker& picker)
    {
        QStyleOptionComboBox option;
        option.initFrom(&picker);
        option.editable = true;
        option.subControls = QStyle::SC_ComboBoxArrow;
        const QPoint arrow =
            picker.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, &picker).center();
        QTest::mouseClick(&picker, Qt::LeftButton, {}, arrow);
        ASSERT_TRUE(picker.DroppedDown());
        QCalendarWidget* calendar = picker.calendarWidget();
        QWidget* days = calendar->focusProxy() ? calendar->focusProxy() : calendar;
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
        ASSERT_FALSE(picker.DroppedDown());
    }
    static QString stationKey(const QString& station) { return HexEncode(station + QStringLiteral("BegSmNum")); }

    test::TestEnv env;
    ManualClock clock;
    ScopedClock useClock{clock};
    test::TestHost host;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_F(ChoosePeriodTest, OpensAsOnePlainPageOnTodayAndFitsItsHeight)
{
    TChoosePeriodForm form(dialogs);
    auto& pages = control<QTabWidget>(form, "PageControl1");
    EXPECT_FALSE(pages.tabBar()->isVisibleTo(&form));
    EXPECT_EQ(pages.currentWidget()->objectName(), "tsMain");
    EXPECT_EQ(control<QPushButton>(form, "btnChooseSmena").toolTip(),
              "Щелкните для быстрого выбора периода с помощью\r\nуказания смены или диапазона смен.");
    EXPECT_DOUBLE_EQ(form.Begin(), kToday);
    EXPECT_DOUBLE_EQ(form.End(), kToday + EncodeTime(23, 59, 59, 999));

    form.show();
    // The page's lowest controls end at 136; the button panel is 41 high.
    EXPECT_EQ(form.height(), 136 + 2 + 41 + 30);
    EXPECT_GE(form.width(), 500);
    form.reject();
}

TEST(FittedClientHeightTest, OnlyAControlReachingTheRunningBottomRaisesIt)
{
    QWidget page;
    auto place = [&](int top, int height) { (new QWidget(&page))->setGeometry(0, top, 10, height); };
    place(0, 20); // bottom 20: running bottom 22
    place(0, 21); // 21 does not reach 22
    EXPECT_EQ(FittedClientHeight(page, 41), 22 + 41 + 30);
    place(10, 12); // 22 reaches it: 24
    EXPECT_EQ(FittedClientHeight(page, 41), 24 + 41 + 30);
    place(0, 5); // lower controls later in the order change nothing
    EXPECT_EQ(FittedClientHeight(page, 0), 24 + 30);
}

TEST_F(ChoosePeriodTest, ResetButtonsSetMidnightAndTheLastMillisecond)
{
    TChoosePeriodForm form(dialogs);
    form.SetBegin(EncodeDate(2024, 1, 10) + EncodeTime(9, 15, 0, 0));
    form.SetEnd(EncodeDate(2024, 1, 12) + EncodeTime(18, 0, 0, 0));
    control<QToolButton>(form, "SpeedButton1").click();
    control<QToolButton>(form, "SpeedButton2").click();
    EXPECT_DOUBLE_EQ(form.Begin(), EncodeDate(2024, 1, 10));
    EXPECT_DOUBLE_EQ(form.End(), EncodeDate(2024, 1, 12) + 0.999999988425926);
    EXPECT_EQ(control<TTimePicker>(form, "dtpEndTime").text(), "23:59:59");
}

TEST_F(ChoosePeriodTest, ADatePickedFromTheCalendarResetsTheTimeATypedOneDoesNot)
{
    TChoosePeriodForm form(dialogs);
    form.SetBegin(EncodeDate(2024, 2, 27) + EncodeTime(9, 15, 0, 0));
    form.SetEnd(EncodeDate(2024, 2, 28) + EncodeTime(18, 30, 0, 0));
    showActive(form);

    pickNextDayFromCalendar(control<TDatePicker>(form, "dtpEndDate"));
    EXPECT_DOUBLE_EQ(form.End(), EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 999));
    EXPECT_DOUBLE_EQ(form.Begin(), EncodeDate(2024, 2, 27) + EncodeTime(9, 15, 0, 0)) << "the other end stays";

    pickNextDayFromCalendar(control<TDatePicker>(form, "dtpBegDate"));
    EXPECT_DOUBLE_EQ(form.Begin(), EncodeDate(2024, 2, 28));

    // Typed dates keep the times.
    form.SetBegin(EncodeDate(2024, 2, 28) + EncodeTime(7, 0, 0, 0));
    form.SetEnd(EncodeDate(2024, 2, 28) + EncodeTime(19, 0, 0, 0));
    for (const char* name : {"dtpBegDate", "dtpEndDate"}) {
        auto& picker = control<TDatePicker>(form, name);
        picker.setFocus();
        picker.setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(&picker, "15");
    }
    EXPECT_DOUBLE_EQ(form.Begin(), EncodeDate(2024, 2, 15) + EncodeTime(7, 0, 0, 0));
    EXPECT_DOUBLE_EQ(form.End(), EncodeDate(2024, 2, 15) + EncodeTime(19, 0, 0, 0));
    form.reject();
}

TEST_F(ChoosePeriodTest, F4ConfirmsFromAPickerWhenAllowedAndEscCancels)
{
    {
        TChoosePeriodForm form(dialogs);
        showActive(form);
        auto& picker = control<TDatePicker>(form, "dtpBegDate");
        picker.setFocus();
        control<QPushButton>(form, "btnOK").setEnabled(false);
        QTest::keyClick(&picker, Qt::Key_F4);
        EXPECT_TRUE(form.isVisible()) << "btnOK disabled";
        EXPECT_FALSE(picker.DroppedDown()) << "F4 is the window's key, not the calendar's";
        control<QPushButton>(form, "btnOK").setEnabled(true);
        QTest::keyClick(&picker, Qt::Key_F4);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    TChoosePeriodForm form(dialogs);
    showActive(form);
    control<TTimePicker>(form, "dtpEndTime").setFocus();
    QTest::keyClick(&control<TTimePicker>(form, "dtpEndTime"), Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.focusWidget(), &control<QPushButton>(form, "btnCancel"));
}

TEST_F(ChoosePeriodTest, TheItemCounterSaysNoneAllOrHowMany)
{
    TChoosePeriodForm form(dialogs);
    auto& items = control<TCheckListBox>(form, "clbItemList");
    auto& chosen = control<QLabel>(form, "labChooseItemCount");
    auto& all = control<QLabel>(form, "labAllItemCount");
    items.SetItems({QStringLiteral("АЗС 1"), QStringLiteral("АЗС 2"), QStringLiteral("АЗС 3")});
    form.UpdateItemCounters();
    EXPECT_EQ(chosen.text(), "НЕТ");
    EXPECT_EQ(all.text(), "3");

    control<QPushButton>(form, "btnCheckAll").click();
    EXPECT_EQ(chosen.text(), "ВСЕ");
    items.SetChecked(1, false);
    control<QPushButton>(form, "btnInvert").click();
    EXPECT_EQ(chosen.text(), "1");
    EXPECT_TRUE(items.Checked(1));
    control<QPushButton>(form, "btnUncheckAll").click();
    EXPECT_EQ(chosen.text(), "НЕТ");

    // A tick by the user counts at once.
    form.show();
    items.setFocus();
    items.setCurrentRow(2);
    QTest::keyClick(&items, Qt::Key_Space);
    EXPECT_EQ(chosen.text(), "1");
    form.reject();
}

TEST_F(ChoosePeriodTest, TheLastBeginShiftIsKeptUnderTheStationsName)
{
    const FormPlacement store(QStringLiteral("TChoosePeriodForm"));
    ASSERT_TRUE(store.writeInteger(stationKey(QStringLiteral("АЗС №7")), 15));
    ASSERT_TRUE(store.writeInteger(stationKey(QStringLiteral("АЗС")), 40));

    TChoosePeriodForm form(dialogs);
    EXPECT_EQ(form.ShiftKeyName(), stationKey(QStringLiteral("АЗС №7")));
    EXPECT_EQ(form.ShiftKeyName().left(6), "C0C7D1") << "the station name's cp1251 bytes";
    EXPECT_EQ(form.LastBegShift(), 15);

    // A host that cannot name its station: "АЗС".
    host.failingValues.insert(13);
    TChoosePeriodForm unnamed(dialogs);
    EXPECT_EQ(unnamed.ShiftKeyName(), stationKey(QStringLiteral("АЗС")));
    EXPECT_EQ(unnamed.LastBegShift(), 40);

    host.values[13] = Variant(QStringLiteral("АЗС №9"));
    host.failingValues.clear();
    TChoosePeriodForm other(dialogs);
    EXPECT_EQ(other.LastBegShift(), 0) << "nothing kept for this station";
}

TEST_F(ChoosePeriodTest, ChoosePeriodGivesThePeriodOnlyWhenConfirmed)
{
    CurrentDialogsScope scope(dialogs);
    dialogs.expectModal(QStringLiteral("TChoosePeriodForm")).withCaption(QStringLiteral("Выберите период")).drive([](QDialog& window) {
        auto& form = static_cast<TChoosePeriodForm&>(window);
        form.SetBegin(EncodeDate(2024, 1, 1) + EncodeTime(6, 0, 0, 0));
        form.SetEnd(EncodeDate(2024, 1, 31));
        form.SpeedButton2Click();
        control<QPushButton>(form, "btnOK").click();
    });
    TDateTime begin = 1;
    TDateTime end = 2;
    ASSERT_TRUE(ChoosePeriod(begin, end));
    EXPECT_DOUBLE_EQ(begin, EncodeDate(2024, 1, 1) + EncodeTime(6, 0, 0, 0));
    EXPECT_DOUBLE_EQ(end, EncodeDate(2024, 1, 31) + 0.999999988425926);

    dialogs.expectModal(QStringLiteral("TChoosePeriodForm")).drive([](QDialog& window) {
        static_cast<TChoosePeriodForm&>(window).SetBegin(EncodeDate(2030, 1, 1));
        static_cast<TChoosePeriodForm&>(window).FormKeyDown(Qt::Key_Escape);
    });
    EXPECT_FALSE(ChoosePeriod(begin, end));
    EXPECT_DOUBLE_EQ(begin, EncodeDate(2024, 1, 1) + EncodeTime(6, 0, 0, 0)) << "left unchanged";
    dialogs.verify();
}

// ---- the period from shifts, over the demo station's shift log ----

class PeriodFromShiftsTest : public test::SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        core::ResetPluginState();
        core::host().getValue = &test::TestHost::getValue;
        core::host().getPrivValue = &test::TestHost::getPrivValue;
        host.values[13] = Variant(QStringLiteral("АЗС №7"));
        host.privValues[11] = Variant(1); // the station server on this computer
        core::state().dataModule = std::make_unique<core::TDBFrm>();
    }
    void TearDown() override
    {
        FreeShiftList();
        dialogs.verify();
        core::ResetPluginState();
        SharedStationTest<>::TearDown();
    }
    core::TDBFrm& module() { return *core::state().dataModule; }

    struct Times {
        TDateTime begin = 0;
        TDateTime end = 0;
    };
    // What the station's log says of a shift (read while the list is open).
    Times timesOf(int shift)
    {
        TClientDataSet& log = module().SmLogtable;
        const Variant key(shift);
        return {log.Lookup(QStringLiteral("SmNum"), key, QStringLiteral("BegTime")).toDouble(),
                log.Lookup(QStringLiteral("SmNum"), key, QStringLiteral("EndTime")).toDouble()};
    }
    static int rowOf(TDBGrid& grid, int shift)
    {
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            if (grid.model()->index(row, 0).data().toInt() == shift)
                return row;
        return -1;
    }
    // The shift list comes up; the user selects these shifts, in the order
    // given, and presses "Выбор". `seen` runs on the list first.
    void expectChoice(const QList<int>& shifts, const std::function<void(TSmenaListFrm&)>& seen = {})
    {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).withCaption(QStringLiteral("Выберите смену")).drive(
            [this, shifts, seen](QDialog& window) {
                auto& list = dynamic_cast<TSmenaListFrm&>(window);
                if (seen)
                    seen(list);
                TDBGrid& grid = list.Grid();
                const int last = grid.model()->columnCount() - 1;
                grid.selectionModel()->clearSelection();
                for (int shift : shifts) {
                    const int row = rowOf(grid, shift);
                    ASSERT_GE(row, 0) << shift;
                    grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
                    grid.selectionModel()->select(
                        QItemSelection(grid.model()->index(row, 0), grid.model()->index(row, last)),
                        QItemSelectionModel::Select);
                }
                expected = {timesOf(std::min(shifts.first(), shifts.last())).begin,
                            timesOf(std::max(shifts.first(), shifts.last())).end};
                list.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
            });
    }
    // The list comes up; `seen` looks at it and the user cancels.
    void expectCancel(const std::function<void(TSmenaListFrm&)>& seen)
    {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([seen](QDialog& window) {
            seen(dynamic_cast<TSmenaListFrm&>(window));
            window.reject();
        });
    }
    // Nothing of the choice outlives it.
    void expectAllReleased()
    {
        EXPECT_FALSE(module().VeltaServer.Connected());
        EXPECT_FALSE(module().SmLogtable.Active());
        EXPECT_EQ(SmenaListFrm(), nullptr);
    }
    int currentShift() { return module().SmLogtable.FieldByName(QStringLiteral("SmNum")).AsInteger(); }

    test::TestEnv env;
    test::TestHost host;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
    Times expected;
};

TEST_F(PeriodFromShiftsTest, OneShiftGivesItsTimesSeveralTheEarliestAndTheLatest)
{
    TChoosePeriodForm form(dialogs);
    form.show();

    expectChoice({1005});
    form.btnChooseSmenaClick();
    ASSERT_GT(expected.end, expected.begin);
    EXPECT_DOUBLE_EQ(form.Begin(), expected.begin);
    EXPECT_DOUBLE_EQ(form.End(), expected.end);
    EXPECT_EQ(form.LastBegShift(), 1005);
    EXPECT_EQ(form.LastEndShift(), 1005);
    expectAllReleased();

    // Chosen from the bottom up, the range runs from 1006 to 1008.
    expectChoice({1008, 1007, 1006});
    form.btnChooseSmenaClick();
    EXPECT_DOUBLE_EQ(form.Begin(), expected.begin);
    EXPECT_DOUBLE_EQ(form.End(), expected.end);
    EXPECT_EQ(form.LastBegShift(), 1006);
    EXPECT_EQ(form.LastEndShift(), 1008);
    expectAllReleased();

    // A connection the caller holds stays open; cancelling changes nothing.
    module().VeltaServer.Open();
    expectCancel([](TSmenaListFrm&) {});
    form.btnChooseSmenaClick();
    EXPECT_TRUE(module().VeltaServer.Connected());
    EXPECT_DOUBLE_EQ(form.Begin(), expected.begin);
    EXPECT_EQ(form.LastBegShift(), 1006);
    module().VeltaServer.Close();
    form.reject();
}

TEST_F(PeriodFromShiftsTest, TheListOpensOnTheShiftChosenLastAtThisStation)
{
    {
        TChoosePeriodForm form(dialogs);
        form.show();
        expectChoice({1012});
        form.btnChooseSmenaClick();
        form.accept();
    }
    TChoosePeriodForm again(dialogs);
    again.show();
    expectCancel([this](TSmenaListFrm& list) {
        EXPECT_EQ(currentShift(), 1012);
        EXPECT_EQ(list.Grid().currentIndex().row(), rowOf(list.Grid(), 1012));
    });
    again.btnChooseSmenaClick();
    again.reject();

    host.values[13] = Variant(QStringLiteral("АЗС №9"));
    TChoosePeriodForm elsewhere(dialogs);
    elsewhere.show();
    expectCancel([this](TSmenaListFrm&) { EXPECT_EQ(currentShift(), 1001) << "the first shift"; });
    elsewhere.btnChooseSmenaClick();
    elsewhere.reject();
    expectAllReleased();
}

TEST_F(PeriodFromShiftsTest, AnEmptyShiftLogIsAnErrorAndTheDialogStays)
{
    // The station's log as a station without shifts gives it.
    module().SmLogtable.SetCommandText(QStringLiteral("SELECT * FROM SMLOG WHERE SMNUM < 0"));
    TChoosePeriodForm form(dialogs);
    form.SetBegin(EncodeDate(2024, 4, 1) + EncodeTime(8, 0, 0, 0));
    form.show();
    dialogs.expectMessageBox(QStringLiteral("Список смен пуст!")).withCaption(QStringLiteral("Ошибка"));
    form.btnChooseSmenaClick();
    EXPECT_TRUE(form.isVisible());
    EXPECT_DOUBLE_EQ(form.Begin(), EncodeDate(2024, 4, 1) + EncodeTime(8, 0, 0, 0));
    expectAllReleased();
    form.reject();
}

} // namespace
