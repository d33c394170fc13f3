// The small shared edit widgets driven with real key and mouse events on the
// offscreen platform: the date picker's calendar drop-down and its mark, the
// time picker, the spin edit's limits and the check list's counts.
#include "common/Exception.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/SpinEdit.h"
#include "plugin/ui/TimePicker.h"
#include "tests/ui/WidgetTestApp.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace velta;

namespace {

class EditWidgetsTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureWidgetApplication(); }

    // Shows a widget in a window of its own and gives it the keyboard.
    static void showFocused(QWidget& widget)
    {
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
        widget.activateWindow();
        widget.setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    }
};

// ---- date and time pickers ----

QPoint dropDownArrow(const TDatePicker& picker)
{
    QStyleOptionComboBox option;
    option.initFrom(&picker);
    option.editable = true;
    option.subControls = QStyle::SC_ComboBoxArrow;
    return picker.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, &picker).center();
}

TEST_F(EditWidgetsTest, DatePickerMarksTheDatesPickedFromItsCalendar)
{
    TDatePicker picker;
    picker.SetDate(EncodeDate(2024, 2, 28) + EncodeTime(15, 30, 0, 0));
    EXPECT_EQ(picker.text(), "28.02.2024");
    EXPECT_EQ(picker.Date(), EncodeDate(2024, 2, 28)) << "the date alone";
    showFocused(picker);

    // Every change of the date, with the mark as it was at that moment.
    std::vector<std::pair<QDate, bool>> changes;
    QObject::connect(&picker, &QDateEdit::dateChanged,
                     [&](QDate date) { changes.emplace_back(date, picker.DroppedDown()); });
    QSignalSpy dropped(&picker, &TDatePicker::dropDown);
    QSignalSpy closed(&picker, &TDatePicker::closeUp);

    QTest::mouseClick(&picker, Qt::LeftButton, {}, dropDownArrow(picker));
    ASSERT_TRUE(picker.DroppedDown());
    EXPECT_EQ(dropped.size(), 1);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isAncestorOf(picker.calendarWidget()));
    QWidget* days = picker.calendarWidget()->focusProxy() ? picker.calendarWidget()->focusProxy()
                                                          : picker.calendarWidget();
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_FALSE(picker.DroppedDown());
    EXPECT_EQ(closed.size(), 1);
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), std::make_pair(QDate(2024, 2, 29), true)) << "picked while dropped down";
    EXPECT_EQ(picker.text(), "29.02.2024");

    // A date typed on the keyboard arrives without the mark.
    changes.clear();
    picker.setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(&picker, "15");
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), std::make_pair(QDate(2024, 2, 15), false));

    // Closing the calendar with Esc picks nothing and clears the mark.
    QTest::mouseClick(&picker, Qt::LeftButton, {}, dropDownArrow(picker));
    ASSERT_TRUE(picker.DroppedDown());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_FALSE(picker.DroppedDown());
    EXPECT_EQ(picker.date(), QDate(2024, 2, 15));
}

TEST_F(EditWidgetsTest, TimePickerHoldsTheTimeOfDay)
{
    TTimePicker picker;
    EXPECT_EQ(picker.displayFormat(), "hh:mm:ss");
    picker.SetTime(EncodeDate(2024, 5, 1) + EncodeTime(8, 5, 9, 0));
    EXPECT_EQ(picker.text(), "08:05:09") << "the date part is ignored";
    picker.SetTime(EncodeTime(23, 59, 59, 999));
    EXPECT_EQ(picker.text(), "23:59:59");
    EXPECT_DOUBLE_EQ(picker.Time(), EncodeTime(23, 59, 59, 999)) << "the milliseconds are kept";

    showFocused(picker);
    picker.setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(&picker, "07");
    EXPECT_EQ(picker.text(), "07:59:59");
    EXPECT_EQ(picker.time().hour(), 7);
    picker.setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClick(&picker, Qt::Key_Up);
    EXPECT_EQ(picker.text(), "08:59:59");
    EXPECT_NEAR(picker.Time(), EncodeTime(8, 59, 59, 0), EncodeTime(0, 0, 1, 0));
}

// ---- spin edit ----

void typeInto(TSpinEdit& edit, const QString& text)
{
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

TEST_F(EditWidgetsTest, SpinEditAppliesItsLimitsAfterTyping)
{
    TSpinEdit edit;
    edit.SetMinValue(20);
    edit.SetMaxValue(500);
    edit.SetMaxLength(3);
    edit.SetValue(100);
    showFocused(edit);
    QSignalSpy changed(&edit, &TSpinEdit::valueChanged);

    typeInto(edit, "9000");
    EXPECT_EQ(edit.text(), "900") << "three characters at most, the third digit taken";
    EXPECT_EQ(edit.Value(), 500) << "read within the limits";
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), "500") << "finished editing shows the value";

    typeInto(edit, "5");
    EXPECT_EQ(edit.Value(), 20);
    typeInto(edit, "");
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(edit.Value(), 20) << "no number reads as MinValue";
    edit.clearFocus();
    EXPECT_EQ(edit.text(), "20") << "leaving the field shows the value";
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toInt(), 20);

    edit.setFocus();
    typeInto(edit, "4x9");
    EXPECT_EQ(edit.text(), "49") << "only digits and a sign are typed";
    edit.SetIncrement(25);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 74);
    QTest::keyClick(&edit, Qt::Key_PageUp);
    EXPECT_EQ(edit.Value(), 324);
    QTest::keyClick(&edit, Qt::Key_PageUp);
    EXPECT_EQ(edit.Value(), 500) << "steps stop at MaxValue";
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "500");
}

TEST_F(EditWidgetsTest, SpinEditWithoutLimits)
{
    TSpinEdit edit;
    EXPECT_EQ(edit.Value(), 0);
    showFocused(edit);
    typeInto(edit, "-12345");
    EXPECT_EQ(edit.Value(), -12345);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "-12346");
    typeInto(edit, "-");
    EXPECT_EQ(edit.Value(), 0) << "a lone sign reads as MinValue";
    typeInto(edit, "99999999999");
    EXPECT_EQ(edit.text(), "999999999") << "a digit that would leave the integer range is refused";
    edit.SetValue(2147483647);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Value(), 2147483647) << "stepping stops at the integer range";

    // Equal limits are no limits, as in the framework.
    edit.SetMinValue(7);
    edit.SetMaxValue(7);
    edit.SetValue(1000);
    EXPECT_EQ(edit.Value(), 1000);
    edit.SetMaxValue(10);
    EXPECT_EQ(edit.Value(), 10);
    EXPECT_EQ(edit.CheckValue(-3), 7);
}

// ---- check list box ----

QPoint checkBoxOf(TCheckListBox& list, int index)
{
    QStyleOptionViewItem option;
    option.initFrom(list.viewport());
    option.rect = list.visualItemRect(list.item(index));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = list.item(index)->text();
    return list.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list).center();
}

TEST_F(EditWidgetsTest, CheckListCountsTicks)
{
    TCheckListBox list;
    QSignalSpy counts(&list, &TCheckListBox::checkedCountChanged);
    QSignalSpy clicks(&list, &TCheckListBox::clickCheck);
    list.SetItems({"Наличные", "Ведомость +", "Талоны"});
    EXPECT_EQ(list.Items(), QStringList({"Наличные", "Ведомость +", "Талоны"}));
    EXPECT_EQ(list.CheckedCount(), 0);
    ASSERT_FALSE(counts.isEmpty());
    EXPECT_EQ(counts.last(), QVariantList({0, 3}));

    list.SetChecked(1, true);
    EXPECT_TRUE(list.Checked(1));
    EXPECT_EQ(counts.last(), QVariantList({1, 3}));
    EXPECT_TRUE(clicks.isEmpty()) << "ticks set by code are no clicks";

    list.resize(300, 200);
    showFocused(list);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, checkBoxOf(list, 2));
    EXPECT_TRUE(list.Checked(2));
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0].at(0).toInt(), 2);
    EXPECT_EQ(list.CheckedIndexes(), QList<int>({1, 2}));

    list.setCurrentRow(1);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_FALSE(list.Checked(1)) << "Space on the current item";
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks[1].at(0).toInt(), 1);
    EXPECT_EQ(counts.last(), QVariantList({1, 3}));

    list.item(2)->setText("Талоны ГСМ");
    EXPECT_EQ(clicks.size(), 2) << "a new text is no click";

    EXPECT_EQ(list.AddItem("Карты", true), 3);
    EXPECT_EQ(counts.last(), QVariantList({2, 4}));
    try {
        list.Checked(4);
        ADD_FAILURE() << "no error for an index outside the list";
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (4)");
    }
    list.SetAllChecked(false);
    EXPECT_EQ(list.CheckedCount(), 0);
    list.Clear();
    EXPECT_EQ(counts.last(), QVariantList({0, 0}));
}

// Its own part gone, the list says nothing more while its items go with it.
TEST_F(EditWidgetsTest, CheckListIsSilentWhileDestroyed)
{
    auto list = std::make_unique<TCheckListBox>();
    list->SetItems({"Наличные", "Талоны"});
    list->SetChecked(0, true);
    QObject receiver;
    int told = 0;
    QObject::connect(list.get(), &TCheckListBox::checkedCountChanged, &receiver, [&told] { ++told; });
    list.reset();
    EXPECT_EQ(told, 0);
}

} // namespace
