// The shift list driven as the report procedures and the user drive it, on
// the offscreen platform: the choice of shifts and operations, the gap mark,
// the quick search, the dispenser buttons, the car filter, the help panel,
// the keys, and the card number fed by the scanner from another thread.
#include "plugin/selection/SmenaListForm.h"

#include "common/DataPacket.h"
#include "common/DateTime.h"
#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/platform/SiblingLibrary.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <new>
#include <stdexcept>

using namespace velta;
using namespace velta::selection;

// Readable failure messages for Qt texts (found by argument lookup).
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

void settle(int rounds = 5)
{
    for (int i = 0; i < rounds; ++i)
        QApplication::processEvents();
}

void key(QWidget* target, int k, const QString& text = QString(), Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, k, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, modifiers, text);
    QApplication::sendEvent(target, &release);
}

// Runs the work on a thread of its own while this thread serves the calls it
// makes here; true when it ended (a generous limit only keeps a hang from
// stopping the run).
bool runOnOtherThread(const std::function<void()>& work)
{
    auto done = std::async(std::launch::async, work);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        QApplication::processEvents();
    }
    return true;
}

// Serves events until the condition holds (with the same generous limit).
bool serveUntil(const std::function<bool()>& condition)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A scanned code as the scanner library hands it over: a length byte first.
QByteArray scanned(const QByteArray& code)
{
    return char(code.size()) + code;
}

// A time in March 2024 (day 0 is the last of February).
TDateTime at(int day, int hour)
{
    return EncodeDate(2024, 3, 1) + (day - 1) + hour / 24.0;
}

class SmenaListTest : public ::testing::Test {
protected:
    SmenaListTest()
    {
        core::ResetPluginState();
        core::state().dataModule = std::make_unique<core::TDBFrm>();
        core::host().getPrivValue = &test::TestHost::getPrivValue;
        host.privValues[12] = Variant(77);
    }
    ~SmenaListTest() override
    {
        StopScanner();
        FreeShiftList();
        dialogs.verify();
        core::ResetPluginState();
    }

    core::TDBFrm& module() { return *core::state().dataModule; }

    // The shift log with one shift a day: shift n opens at 8:00 of day n - 10
    // and closes at 8:00 of the next day, in the order given; shown through
    // SmLogSource as the report procedures attach it.
    TClientDataSet& shiftLog(const QList<int>& numbers)
    {
        TClientDataSet& log = module().SmLogtable;
        module().SmLogSource.SetDataSet(&log);
        log.CreateDataSet();
        for (int n : numbers)
            log.AppendRecord({Variant(n), Variant::fromDate(at(n - 10, 8)), Variant::fromDate(at(n - 9, 8)),
                              Variant(QStringLiteral("Оператор %1").arg(n))});
        log.First();
        return log;
    }

    TSmenaListFrm& list()
    {
        CreateShiftList();
        return *SmenaListFrm();
    }
    template <class W>
    W* child(const char* name)
    {
        W* w = list().findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    int rowOf(int shift)
    {
        TDBGrid& grid = list().Grid();
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            if (grid.model()->index(row, 0).data().toInt() == shift)
                return row;
        return -1;
    }
    // The user selects these rows (in the order given) and presses "Выбор".
    void chooseRows(const QList<int>& shifts)
    {
        TDBGrid& grid = list().Grid();
        const int last = grid.model()->columnCount() - 1;
        grid.selectionModel()->clearSelection();
        for (int shift : shifts) {
            const int row = rowOf(shift);
            grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
            grid.selectionModel()->select(QItemSelection(grid.model()->index(row, 0), grid.model()->index(row, last)),
                                          QItemSelectionModel::Select);
        }
        child<QPushButton>("BitBtn1")->click();
    }

    struct Choice {
        bool chosen = false;
        int begShift = -100, endShift = -100;
        TDateTime begTime = -1, endTime = -1;
    };
    Choice choose(const std::function<void(TSmenaListFrm&)>& user)
    {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([&](QDialog& window) {
            user(dynamic_cast<TSmenaListFrm&>(window));
        });
        Choice c;
        c.chosen = ChooseShifts(c.begShift, c.endShift, c.begTime, module().SmLogSource, &module().SmLogtable, c.endTime);
        return c;
    }

    test::TestEnv env;
    test::TestHost host;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
};

TEST_F(SmenaListTest, CreatedOnceOverTheShiftLogWithItsControlsAsDesigned)
{
    CreateShiftList();
    TSmenaListFrm* form = SmenaListFrm();
    ASSERT_NE(form, nullptr);
    CreateShiftList();
    EXPECT_EQ(SmenaListFrm(), form);

    EXPECT_EQ(form->windowTitle(), QStringLiteral("Выберите смену"));
    EXPECT_EQ(form->ReportNumber(), -1);
    EXPECT_EQ(form->Grid().DataSource(), &module().SmLogSource);
    EXPECT_EQ(child<QWidget>("panSelectSmenaInfo")->maximumHeight(), 15);
    auto* card = child<QLineEdit>("edSimpleText");
    EXPECT_EQ(card->maxLength(), 255);
    EXPECT_EQ(card->toolTip(), QStringLiteral("В качестве символов подстановки используйте звездочку { * }\r\n"
                                              "(она может заменить последовательность из нескольких символов)\r\n"
                                              "и символ подчеркивания { _ } (он может заменить любой символ)"));
    for (const char* hidden : {"CurBtn", "PropBtn", "lbCardNum", "edSimpleText", "lbAuto", "cbAuto", "Panel3"})
        EXPECT_FALSE(child<QWidget>(hidden)->isVisibleTo(form)) << hidden;

    // The help is one paragraph that wraps to the memo.
    const QString help = child<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_TRUE(help.startsWith(QStringLiteral("Вы можете выбрать одну или несколько закрытых смен. ")));
    EXPECT_TRUE(help.endsWith(QStringLiteral("Если в списке смен номер закрашен красным цветом, значит нумерация "
                                             "смен нарушена (есть пропуски смен).")));
    EXPECT_FALSE(help.contains(QLatin1Char('\n')));

    FreeShiftList();
    EXPECT_EQ(SmenaListFrm(), nullptr);
}

TEST_F(SmenaListTest, ARangeOfShiftsGivesItsEndsWhicheverWayTheListRuns)
{
    // Shifts 15, 16, 17 chosen in list order, in the opposite click order,
    // and over a list that runs backwards: always 15 to 17, from the opening
    // of 15 to the closing of 17.
    for (const QList<int>& order : {QList<int>{14, 15, 16, 17, 18}, QList<int>{18, 17, 16, 15, 14}}) {
        for (const QList<int>& clicks : {QList<int>{15, 16, 17}, QList<int>{17, 16, 15}}) {
            shiftLog(order);
            const Choice c = choose([&](TSmenaListFrm&) { chooseRows(clicks); });
            EXPECT_TRUE(c.chosen);
            EXPECT_EQ(c.begShift, 15);
            EXPECT_EQ(c.endShift, 17);
            EXPECT_EQ(c.begTime, at(5, 8));
            EXPECT_EQ(c.endTime, at(8, 8));
            // The list stands on the last row chosen, in list order.
            EXPECT_EQ(module().SmLogtable.FieldByName("SmNum").AsInteger(), order.first() == 14 ? 17 : 15);
        }
    }

    // One row: that shift alone.
    shiftLog({14, 15, 16});
    const Choice one = choose([&](TSmenaListFrm&) { chooseRows({16}); });
    EXPECT_TRUE(one.chosen);
    EXPECT_EQ(one.begShift, 16);
    EXPECT_EQ(one.endShift, 16);
    EXPECT_EQ(one.begTime, at(6, 8));
    EXPECT_EQ(one.endTime, at(7, 8));

    // Cancel leaves everything as it was.
    const Choice none = choose([](TSmenaListFrm& form) { form.BitBtn2Click(); });
    EXPECT_FALSE(none.chosen);
    EXPECT_EQ(none.begShift, -100);
    EXPECT_EQ(none.begTime, -1);
}

TEST_F(SmenaListTest, TheCurrentShiftComesFromTheHostByButtonOrF4)
{
    shiftLog({15, 16});
    // F4 does nothing while the button is hidden; with it shown F4 is the button.
    const Choice byKey = choose([&](TSmenaListFrm& form) {
        key(&form.Grid(), Qt::Key_F4);
        settle();
        EXPECT_TRUE(form.isVisible());
        form.SetCurrentButtonVisible(true);
        key(&form.Grid(), Qt::Key_F4);
    });
    EXPECT_TRUE(byKey.chosen);
    EXPECT_EQ(byKey.begShift, 77);
    EXPECT_EQ(byKey.endShift, 77);
    EXPECT_EQ(byKey.begTime, 0);
    EXPECT_EQ(byKey.endTime, 0);

    // A disabled button gives no current shift by key either.
    const Choice disabled = choose([&](TSmenaListFrm& form) {
        child<QPushButton>("CurBtn")->setEnabled(false);
        key(&form.Grid(), Qt::Key_F4);
        settle();
        EXPECT_TRUE(form.isVisible());
        form.BitBtn2Click();
    });
    EXPECT_FALSE(disabled.chosen);
}

TEST_F(SmenaListTest, AGapInTheNumberingMarksTheShiftBeforeItInRedWhileTheListShows)
{
    const QColor red(255, 0, 0);
    for (const QList<int>& order : {QList<int>{10, 11, 13, 14}, QList<int>{14, 13, 11, 10}}) {
        shiftLog(order);
        const int marked = order.first() == 10 ? 11 : 13;
        choose([&](TSmenaListFrm& form) {
            TDBGrid& grid = form.Grid();
            EXPECT_TRUE(form.LookAheadSet().Active());
            for (int row = 0; row < grid.model()->rowCount(); ++row) {
                const int shift = grid.model()->index(row, 0).data().toInt();
                EXPECT_EQ(grid.CellColor(grid.model()->index(row, 0)), shift == marked ? red : QColor()) << shift;
                EXPECT_FALSE(grid.CellColor(grid.model()->index(row, 1)).isValid()) << "only the first column";
            }
            // Painting looks ahead on its own cursor: the list stays where it is.
            EXPECT_EQ(module().SmLogtable.RecNo(), 1);
            form.BitBtn2Click();
        });
        EXPECT_FALSE(list().Grid().HasCellColorHook());
        EXPECT_FALSE(list().LookAheadSet().Active());
    }
}

// The shifts before a gap are worked out once per change of the list: painting
// the cells again does not move the look-ahead cursor, a new record does.
TEST_F(SmenaListTest, TheGapsAreWorkedOutOncePerChangeOfTheList)
{
    const QColor red(255, 0, 0);
    TClientDataSet& log = shiftLog({10, 11, 13, 14});
    choose([&](TSmenaListFrm& form) {
        TDBGrid& grid = form.Grid();
        int moves = 0;
        form.LookAheadSet().AfterScroll = [&moves](TClientDataSet&) { ++moves; };
        const auto paintAll = [&] {
            QList<int> marked;
            for (int row = 0; row < grid.model()->rowCount(); ++row)
                if (grid.CellColor(grid.model()->index(row, 0)) == red)
                    marked << grid.model()->index(row, 0).data().toInt();
            return marked;
        };
        EXPECT_EQ(paintAll(), QList<int>{11});
        const int afterFirst = moves;
        EXPECT_EQ(paintAll(), QList<int>{11});
        EXPECT_EQ(moves, afterFirst) << "painting again looks at no record";

        log.AppendRecord({Variant(20), Variant::fromDate(at(10, 8)), Variant::fromDate(at(11, 8)),
                          Variant(QStringLiteral("Оператор 20"))});
        EXPECT_EQ(paintAll(), QList<int>({11, 14}));
        EXPECT_GT(moves, afterFirst);
        form.LookAheadSet().AfterScroll = nullptr;
        form.BitBtn2Click();
    });
}

TEST_F(SmenaListTest, DigitsTypedWithinASecondFindTheFirstShiftBeginningWithThem)
{
    // 120 comes before 12: the search takes the first number beginning with the digits.
    shiftLog({1, 2, 10, 120, 12, 21});
    choose([&](TSmenaListFrm& form) {
        TDBGrid& grid = form.Grid();
        TClientDataSet& log = module().SmLogtable;
        QTimer& timer = form.SearchTimer();
        EXPECT_EQ(timer.interval(), 1000);
        EXPECT_TRUE(timer.isSingleShot());

        // 1 and 2 before the timer fires: one search for "12".
        key(&grid, Qt::Key_1, QStringLiteral("1"));
        EXPECT_TRUE(timer.isActive());
        key(&grid, Qt::Key_2, QStringLiteral("2"));
        EXPECT_EQ(form.SearchText(), QStringLiteral("12"));
        EXPECT_EQ(log.FieldByName("SmNum").AsInteger(), 1) << "nothing moves before the second is over";
        form.tmSearchTimerTimer();
        EXPECT_FALSE(timer.isActive());
        EXPECT_EQ(form.SearchText(), QString());
        EXPECT_EQ(log.FieldByName("SmNum").AsInteger(), 120);

        // After the pause a digit starts a new search.
        key(&grid, Qt::Key_2, QStringLiteral("2"));
        form.tmSearchTimerTimer();
        EXPECT_EQ(log.FieldByName("SmNum").AsInteger(), 2);

        // Nothing found: the list stays. Letters are the grid's own.
        key(&grid, Qt::Key_9, QStringLiteral("9"));
        form.tmSearchTimerTimer();
        EXPECT_EQ(log.FieldByName("SmNum").AsInteger(), 2);
        key(&grid, Qt::Key_A, QStringLiteral("a"));
        EXPECT_EQ(form.SearchText(), QString());
        form.BitBtn2Click();
    });
}

TEST_F(SmenaListTest, DispenserButtonsAreSortedByTheirNumbersAndWrapInThePanel)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Trk"), FieldType::String, 10));
    for (const char* name : {"10", " ", "1", "2"})
        packet.appendRow({Variant(QString::fromUtf8(name))});
    module().cdsTrkList.SetDataPacket(packet);

    TSmenaListFrm& form = list();
    form.AddDispenserButtons();
    QList<QPushButton*> buttons;
    for (const char* name : {"TrkBtn1", "TrkBtn2", "TrkBtn3"})
        buttons << child<QPushButton>(name);
    ASSERT_EQ(form.findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^TrkBtn"))).size(), 3);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("1"));
    EXPECT_EQ(buttons[1]->text(), QStringLiteral("2"));
    EXPECT_EQ(buttons[2]->text(), QStringLiteral("10"));
    EXPECT_TRUE(child<QWidget>("Panel3")->isVisibleTo(&form));

    // The first starts pressed; one is down at a time.
    EXPECT_TRUE(buttons[0]->isChecked());
    EXPECT_EQ(form.SelectedDispenser(), QStringLiteral("1"));
    buttons[2]->click();
    EXPECT_EQ(form.SelectedDispenser(), QStringLiteral("10"));
    EXPECT_FALSE(buttons[0]->isChecked());

    // 44 by 22 from (10, 10); at a client width below the next left + 54 the
    // row wraps 22 pixels lower.
    auto* panel = child<QWidget>("Panel3");
    form.show();
    form.resize(500, form.height());
    settle();
    EXPECT_EQ(buttons[0]->geometry(), QRect(10, 10, 44, 22));
    EXPECT_EQ(buttons[1]->geometry(), QRect(54, 10, 44, 22));
    EXPECT_EQ(buttons[2]->geometry(), QRect(98, 10, 44, 22));
    panel->resize(152, panel->height());
    EXPECT_EQ(buttons[2]->pos(), QPoint(98, 10)) << "after the second the next left is 98: 98 + 54 fits in 152";
    panel->resize(151, panel->height());
    EXPECT_EQ(buttons[1]->pos(), QPoint(54, 10));
    EXPECT_EQ(buttons[2]->pos(), QPoint(10, 32));
    EXPECT_GE(panel->height(), 32 + 22);
    form.hide();

    // Names with words compare by their trailing numbers when both have one,
    // else as text without regard to case.
    packet = DataPacket();
    packet.addField(FieldDef(QStringLiteral("Trk"), FieldType::String, 10));
    for (const char* name : {"ТРК 10", "b", "трк 2", "A", "АСН 007"})
        packet.appendRow({Variant(QString::fromUtf8(name))});
    module().cdsTrkList.SetDataPacket(packet);
    form.AddDispenserButtons();
    QStringList captions;
    for (QPushButton* button : form.findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^TrkBtn"))))
        captions << button->text();
    EXPECT_EQ(captions, (QStringList{"A", "b", "трк 2", "АСН 007", "ТРК 10"}));
}

TEST_F(SmenaListTest, TheCarFilterNarrowsTheOperationsAndChoosesTheirNumbers)
{
    TClientDataSet operations;
    operations.FieldDefs = {FieldDef(QStringLiteral("OpNum"), FieldType::Int32),
                            FieldDef(QStringLiteral("CarName"), FieldType::String, 20),
                            FieldDef(QStringLiteral("Prihod"), FieldType::Int32)};
    operations.CreateDataSet();
    operations.AppendRecord({Variant(31), Variant(QStringLiteral("КамАЗ")), Variant(1)});
    operations.AppendRecord({Variant(32), Variant(QStringLiteral("O'Neil")), Variant(1)});
    operations.AppendRecord({Variant(33), Variant(QStringLiteral("КамАЗ")), Variant(1)});
    operations.AppendRecord({Variant(34), Variant(QStringLiteral("КамАЗ")), Variant(0)});
    operations.SetFilter(QStringLiteral("Prihod = 1"));
    operations.SetFiltered(true);
    operations.First();
    TDataSource source(&operations);

    TSmenaListFrm& form = list();
    form.setWindowTitle(QStringLiteral("Выберите привоз ГСМ"));
    form.SetCars({QStringLiteral("КамАЗ"), QStringLiteral("O'Neil")});
    auto* cars = child<QComboBox>("cbAuto");
    EXPECT_TRUE(cars->isVisibleTo(&form));
    EXPECT_EQ(cars->currentText(), QStringLiteral("Все"));
    EXPECT_EQ(operations.Filter(), QStringLiteral("Prihod = 1")) << "filling the list chooses nothing";

    dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([&](QDialog&) {
        cars->setCurrentIndex(2);
        EXPECT_EQ(operations.Filter(), QStringLiteral("Prihod = 1 and CarName = 'O''Neil'"));
        EXPECT_TRUE(operations.Filtered());
        EXPECT_EQ(operations.RecordCount(), 1);
        cars->setCurrentIndex(1);
        EXPECT_EQ(operations.Filter(), QStringLiteral("Prihod = 1 and CarName = 'КамАЗ'"));
        EXPECT_EQ(operations.RecordCount(), 2);
        // Both operations shown chosen: the first and the last number.
        TDBGrid& grid = form.Grid();
        grid.selectAll();
        child<QPushButton>("BitBtn1")->click();
    });
    int first = 0, last = 0;
    EXPECT_TRUE(ChooseOperations(first, last, source));
    EXPECT_EQ(first, 31);
    EXPECT_EQ(last, 33);

    // Shown again, the list starts from the filter it finds then.
    dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([&](QDialog&) {
        EXPECT_EQ(form.SavedFilter(), QString());
        cars->setCurrentIndex(0);
        EXPECT_EQ(operations.Filter(), QStringLiteral("Prihod = 1 and CarName = 'КамАЗ'"));
        form.BitBtn2Click();
    });
    EXPECT_FALSE(ChooseOperations(first, last, source));

    // Whatever fails while the list is shown, not only our own errors, is no choice.
    first = last = -7;
    dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([](QDialog&) { throw std::bad_alloc(); });
    EXPECT_FALSE(ChooseOperations(first, last, source));
    EXPECT_EQ(first, -7);

    // A dataset without "OpNum" is refused at once, without a window.
    TClientDataSet shifts;
    shifts.FieldDefs = {FieldDef(QStringLiteral("SmNum"), FieldType::Int32)};
    shifts.CreateDataSet();
    TDataSource shiftSource(&shifts);
    first = last = -7;
    EXPECT_FALSE(ChooseOperations(first, last, shiftSource));
    TDataSource empty;
    EXPECT_FALSE(ChooseOperations(first, last, empty));
    EXPECT_EQ(first, -7);
    EXPECT_EQ(dialogs.pendingCount(), 0u);
}

TEST_F(SmenaListTest, HelpPanelPropertiesButtonAndPlacement)
{
    shiftLog({1, 2});
    choose([&](TSmenaListFrm& form) {
        auto* panel = child<QWidget>("panSelectSmenaInfo");
        auto* memo = child<QPlainTextEdit>("Memo1");
        EXPECT_EQ(panel->height(), 15);
        EXPECT_TRUE(form.BringToFrontTimer().isActive());
        EXPECT_EQ(form.BringToFrontTimer().interval(), 500);

        child<QCheckBox>("CheckBox1")->click();
        settle();
        EXPECT_EQ(panel->height(), 170);
        EXPECT_EQ(memo->height(), 145);
        EXPECT_EQ(form.focusWidget(), &form.Grid());
        child<QCheckBox>("CheckBox1")->click();
        settle();
        EXPECT_EQ(panel->height(), 15);

        // No report number: the button is hidden and does nothing. With one,
        // it opens the installed properties window for that number, over the
        // list; an error of that window leaves the list as it was.
        QList<int> opened;
        SetPropertiesOpener([&](Dialogs& used, int reportNumber, QWidget* parent) {
            EXPECT_EQ(&used, &dialogs);
            EXPECT_EQ(parent, &form);
            opened << reportNumber;
            if (opened.size() == 2)
                throw Exception(QStringLiteral("сбой окна свойств"));
            if (opened.size() == 3)
                throw std::runtime_error("not one of ours");
        });
        form.PropBtnClick();
        EXPECT_TRUE(opened.isEmpty());
        form.SetReportNumber(2);
        EXPECT_TRUE(child<QPushButton>("PropBtn")->isVisible());
        child<QPushButton>("PropBtn")->click();
        form.SetReportNumber(7);
        child<QPushButton>("PropBtn")->click();
        form.SetReportNumber(4);
        form.PropBtnClick();
        SetPropertiesOpener({});
        child<QPushButton>("PropBtn")->click();
        EXPECT_EQ(opened, QList<int>({2, 7, 4}));
        EXPECT_TRUE(form.isVisible());
        form.resize(610, 455);
        form.BitBtn2Click();
    });
    const FormPlacement placement(QStringLiteral("TSmenaListFrm"));
    EXPECT_EQ(placement.keyPath(), QStringLiteral("Software\\Norvane\\Velta\\common\\TSmenaListFrm"));
    EXPECT_EQ(placement.readInteger(QStringLiteral("Width"), 0), 610);
}

TEST_F(SmenaListTest, CardNumberKeyAndDoubleClick)
{
    shiftLog({5, 6, 7});
    TSmenaListFrm& form = list();
    form.ShowCardNumber();
    EXPECT_EQ(form.minimumWidth(), 567);
    const Choice c = choose([&](TSmenaListFrm& shown) {
        key(&shown.Grid(), Qt::Key_W, QString(), Qt::ControlModifier);
        EXPECT_EQ(shown.focusWidget(), child<QLineEdit>("edSimpleText"));
        child<QLineEdit>("edSimpleText")->setText(QStringLiteral("4276*"));
        // A double click on a row confirms with that row.
        TDBGrid& grid = shown.Grid();
        const QPoint point = grid.visualRect(grid.model()->index(rowOf(6), 0)).center();
        QMouseEvent click(QEvent::MouseButtonPress, point, grid.viewport()->mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &click);
        QMouseEvent twice(QEvent::MouseButtonDblClick, point, grid.viewport()->mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &twice);
    });
    EXPECT_TRUE(c.chosen);
    EXPECT_EQ(c.begShift, 6);
    EXPECT_EQ(form.CardNumberText(), QStringLiteral("4276*"));
}

TEST_F(SmenaListTest, AScannedCodeReachesTheCardFieldOnlyForTheCardsReport)
{
    TSmenaListFrm& form = list();
    form.ShowCardNumber();
    auto* card = child<QLineEdit>("edSimpleText");
    QList<QThread*> changedOn;
    QObject::connect(card, &QLineEdit::textChanged, [&] { changedOn << QThread::currentThread(); });

    // From the scanner's thread: nothing while the list serves another report.
    form.SetReportNumber(2);
    const QByteArray first = scanned("111");
    ASSERT_TRUE(runOnOtherThread([&] { ScannerEventProc(reinterpret_cast<const unsigned char*>(first.constData())); }));
    EXPECT_EQ(card->text(), QString());

    // For report 4 the code arrives, set on the list's thread, before the
    // scanner's call returns.
    form.SetReportNumber(4);
    const QByteArray second = scanned("2900000012345");
    ASSERT_TRUE(runOnOtherThread([&] { ScannerEventProc(reinterpret_cast<const unsigned char*>(second.constData())); }));
    EXPECT_EQ(card->text(), QStringLiteral("2900000012345"));
    ASSERT_EQ(changedOn.size(), 1);
    EXPECT_EQ(changedOn[0], QApplication::instance()->thread());

    // Called on the list's own thread it does not wait for itself; cp1251 texts.
    const QByteArray third = scanned("\xCA\xC0\xD0\xD2\xC0 7"); // "КАРТА 7"
    ScannerEventProc(reinterpret_cast<const unsigned char*>(third.constData()));
    EXPECT_EQ(card->text(), QStringLiteral("КАРТА 7"));

    // Without a list a code goes nowhere.
    FreeShiftList();
    ASSERT_TRUE(runOnOtherThread([&] { ScannerEventProc(reinterpret_cast<const unsigned char*>(second.constData())); }));
}

TEST_F(SmenaListTest, TheScannerLibraryDeliversFromItsOwnThreadUntilStopped)
{
    TSmenaListFrm& form = list();
    form.ShowCardNumber();
    form.SetReportNumber(4);
    auto* card = child<QLineEdit>("edSimpleText");
    StartScanner();

    SiblingLibrary library = SiblingLibrary::load(QString::fromLatin1(scanner::kLibraryName));
    ASSERT_TRUE(library.isLoaded()) << library.error().toStdString();
    using DeliverFn = int (*)(const char* code, int length);
    const auto deliver = reinterpret_cast<DeliverFn>(library.symbol("VeltaScanDeliver"));
    ASSERT_NE(deliver, nullptr);

    dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([&](QDialog& window) {
        ASSERT_EQ(deliver("4276123412341234", 16), 1);
        EXPECT_TRUE(serveUntil([&] { return card->text() == QStringLiteral("4276123412341234"); }));
        window.reject();
    });
    form.dialogs().showModal(form);

    // Stopped: the previous procedure (none) is back and the library stops listening.
    StopScanner();
    EXPECT_EQ(deliver("1", 1), 0);
}

} // namespace
