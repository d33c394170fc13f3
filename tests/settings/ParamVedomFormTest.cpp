// The statement parameters window driven offscreen: the statement payment
// types and their ticks, the client query the ticks give, the client list
// reloaded with the current client and car kept, the grouping boxes dragged
// with the right button, and what is kept when the window closes.
#include "plugin/settings/ParamVedomForm.h"

#include "common/Hex.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/CheckListBox.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "tests/support/PluginStateFixture.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::settings;

namespace {

const QString kVedomProp = QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\VedomProp");

// A local dataset of the given integer and text columns, filled with rows.
void fill(TClientDataSet& ds, const QStringList& intFields, const QStringList& textFields,
          const QVector<QVector<Variant>>& rows)
{
    ds.Close();
    ds.FieldDefs.clear();
    for (const QString& name : intFields)
        ds.FieldDefs.append(FieldDef(name, FieldType::Int32));
    for (const QString& name : textFields)
        ds.FieldDefs.append(FieldDef(name, FieldType::String, 40));
    ds.CreateDataSet();
    for (const QVector<Variant>& row : rows)
        ds.AppendRecord(row);
    ds.First();
}

// The host's answer to a data query: the packet of a dataset in hex.
QString packetAnswer(const TClientDataSet& ds)
{
    return QString::fromLatin1(HexEncodeBytes(ds.Data()));
}

class ParamVedomFormTest : public test::PluginStateTest {
protected:
    ParamVedomFormTest()
    {
        clock.setNow(EncodeDate(2024, 3, 5) + EncodeTime(14, 0, 0, 0));
        test::setPluginPayTypes({{QStringLiteral("Наличные"), 0}, {QStringLiteral("Ведомость"), 4},
                     {QStringLiteral("Банковская карта"), 7}, {QStringLiteral("Ведомость АЗС-2"), 104},
                     {QStringLiteral("Договор"), 204}});
        clientSource.SetDataSet(&clients);
        carSource.SetDataSet(&cars);
    }
    static void writeTicks(const QList<std::pair<int, int>>& ticks)
    {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(kVedomProp, true));
        for (const auto& [code, value] : ticks)
            registry.writeInteger(QStringLiteral("PayType%1").arg(code), value);
    }
    static int storedTick(int code)
    {
        TRegistry registry(RootKey::LocalMachine);
        if (!registry.openKeyReadOnly(kVedomProp))
            return -1;
        const QString name = QStringLiteral("PayType%1").arg(code);
        return registry.valueExists(name) ? registry.readInteger(name) : -1;
    }

    // The window over the test's client and car lists, answering every
    // client query with `answer`'s rows.
    std::unique_ptr<TParamVedomFrm> makeForm(bool newTable = true)
    {
        auto form = std::make_unique<TParamVedomFrm>(dialogs);
        form->SetClientSource(&clientSource);
        form->SetCarSource(&carSource);
        form->SetNewContragentTable(newTable);
        return form;
    }
    void answerClients(const QVector<QVector<Variant>>& rows)
    {
        TClientDataSet answer;
        fill(answer, {QStringLiteral("ID")}, {QStringLiteral("NAME")}, rows);
        host.reportText = packetAnswer(answer);
    }
    // The SQL texts of the data queries sent to the host, in order.
    QStringList queries() const
    {
        QStringList texts;
        for (const test::TestHost::ReportCall& call : host.reportCalls)
            if (call.reportNo == report::kService && call.params.at(0).toInt() == report::kSelectorProviderData)
                texts << call.params.at(1).toString();
        return texts;
    }
    static TCheckListBox& list(QWidget& form) { return *form.findChild<TCheckListBox*>(QStringLiteral("clbVidOplList")); }
    static QPushButton& okButton(QWidget& form) { return *form.findChild<QPushButton*>(QStringLiteral("BitBtn1")); }
    static QCheckBox& box(QWidget& form, const char* name) { return *form.findChild<QCheckBox*>(QLatin1String(name)); }
    // The user ticks or unticks an item with Space, as with a click on its box.
    static void tickByUser(TCheckListBox& items, int row)
    {
        items.setFocus();
        items.setCurrentRow(row);
        QTest::keyClick(&items, Qt::Key_Space);
    }

    ManualClock clock;
    ScopedClock useClock{clock};
    TClientDataSet clients;
    TClientDataSet cars;
    TDataSource clientSource;
    TDataSource carSource;
};

TEST(StatementClientQueryTest, TicksMakeOrConditionsAndNoTickSelectsNothing)
{
    EXPECT_EQ(StatementClientQuery({104, 204}, true),
              "SELECT DISTINCT c.CONTR_ID AS ID, c.NAME FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = "
              "c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND ( ct.PARAM1 = 104 OR ct.PARAM1 = 204 ) "
              "ORDER BY c.NAME");
    EXPECT_EQ(StatementClientQuery({4}, false), "SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 AND ( VIDOPL = 4 ) ORDER BY NAME");
    EXPECT_TRUE(StatementClientQuery({}, true).contains("AND ( ct.PARAM1 < 0 ) ORDER BY c.NAME"));
    EXPECT_TRUE(StatementClientQuery({}, false).contains("AND ( VIDOPL = 999 ) ORDER BY NAME"));
}

TEST_F(ParamVedomFormTest, ListsTheStatementTypesTickedAsTheRegistrySays)
{
    writeTicks({{4, 0}, {104, 1}, {204, 1}, {7, 1}});
    answerClients({{1, QStringLiteral("ООО Ромашка")}});
    auto form = makeForm();
    TCheckListBox& items = list(*form);
    EXPECT_EQ(items.Items(), QStringList({"Ведомость", "Ведомость АЗС-2", "Договор"})) << "code mod 100 = 4 only";
    EXPECT_EQ(form->ItemCodes(), QList<int>({4, 104, 204}));
    EXPECT_EQ(form->CheckedCodes(), QList<int>({104, 204}));

    form->show();
    ASSERT_EQ(queries().size(), 1);
    EXPECT_TRUE(queries()[0].contains("AND ( ct.PARAM1 = 104 OR ct.PARAM1 = 204 ) ORDER BY c.NAME")) << queries()[0].toStdString();
    EXPECT_TRUE(okButton(*form).isEnabled());
    EXPECT_EQ(clients.RecordCount(), 1);

    // Unticking one reloads with the other only; closing by "Отмена" keeps the ticks.
    tickByUser(items, 2);
    ASSERT_EQ(queries().size(), 2);
    EXPECT_TRUE(queries()[1].contains("AND ( ct.PARAM1 = 104 ) ORDER BY")) << queries()[1].toStdString();
    form->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(storedTick(4), 0);
    EXPECT_EQ(storedTick(104), 1);
    EXPECT_EQ(storedTick(204), 0);
    EXPECT_EQ(storedTick(7), 1) << "not a statement type: left alone";
}

TEST_F(ParamVedomFormTest, WithoutATickTheListIsEmptyAndInputWaitsForATickClick)
{
    writeTicks({{4, 0}, {104, 0}, {204, 0}});
    answerClients({});
    auto form = makeForm(false);
    form->show();

    ASSERT_EQ(queries().size(), 1);
    EXPECT_TRUE(queries()[0].endsWith("WHERE ISDELETE=0 AND ( VIDOPL = 999 ) ORDER BY NAME")) << queries()[0].toStdString();
    EXPECT_EQ(clients.RecordCount(), 0);
    EXPECT_EQ(form->findChild<TDBGrid*>(QStringLiteral("OrgGrid"))->Model().rowCount(), 0);
    TCheckListBox& items = list(*form);
    EXPECT_TRUE(items.Checked(0)) << "the first item is offered ticked";
    EXPECT_FALSE(okButton(*form).isEnabled()) << "until a tick is clicked";
    EXPECT_EQ(queries().size(), 1) << "offering the tick loads nothing";

    answerClients({{5, QStringLiteral("ИП Петров")}, {6, QStringLiteral("ООО Лада")}});
    tickByUser(items, 1);
    EXPECT_TRUE(okButton(*form).isEnabled());
    EXPECT_TRUE(queries().last().contains("AND ( VIDOPL = 4 OR VIDOPL = 104 ) ORDER BY NAME")) << queries().last().toStdString();
    EXPECT_EQ(clients.RecordCount(), 2);

    form->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(storedTick(4), 1);
    EXPECT_EQ(storedTick(104), 1);
    EXPECT_EQ(storedTick(204), 0);
}

TEST_F(ParamVedomFormTest, ReloadingKeepsTheClientAndCarAndShowsOnlyTheClientColumn)
{
    writeTicks({{4, 1}});
    fill(clients, {QStringLiteral("ID"), QStringLiteral("VIDOPL")}, {QStringLiteral("NAME")},
         {{1, 4, QStringLiteral("Альфа")}, {2, 4, QStringLiteral("Бета")}, {3, 4, QStringLiteral("Гамма")}});
    fill(cars, {QStringLiteral("ID"), QStringLiteral("CID")}, {QStringLiteral("NAME")},
         {{10, 1, QStringLiteral("А 111")}, {11, 2, QStringLiteral("В 222")}, {12, 2, QStringLiteral("Е 333")}});
    cars.SetIndexFieldNames(QStringLiteral("CID"));
    cars.SetMasterFields(QStringLiteral("ID"));
    cars.SetMasterSource(&clientSource);
    ASSERT_TRUE(clients.Locate(QStringLiteral("ID"), Variant(2), 0));
    ASSERT_TRUE(cars.Locate(QStringLiteral("ID"), Variant(12), 0));

    // The new list has client 2 at another place.
    answerClients({{3, QStringLiteral("Гамма")}, {7, QStringLiteral("Дельта")}, {2, QStringLiteral("Бета")}});
    auto form = makeForm();
    form->resize(700, 520);
    form->show();
    EXPECT_EQ(clients.FieldByName(QStringLiteral("ID")).AsInteger(), 2);
    EXPECT_EQ(clients.RecNo(), 3);
    EXPECT_EQ(cars.FieldByName(QStringLiteral("ID")).AsInteger(), 12) << "the car follows, then goes back to 12";

    TDBGrid& grid = *form->findChild<TDBGrid*>(QStringLiteral("OrgGrid"));
    ASSERT_EQ(grid.Model().columnCount(), 1);
    EXPECT_EQ(grid.Model().headerData(0, Qt::Horizontal).toString(), "Организация");
    EXPECT_EQ(grid.columnWidth(0), grid.viewport()->width() - 30);
    form->resize(800, 520);
    QApplication::processEvents();
    EXPECT_EQ(grid.columnWidth(0), grid.viewport()->width() - 30) << "after a resize too";

    // A client no longer listed leaves the list on its first record.
    answerClients({{3, QStringLiteral("Гамма")}, {7, QStringLiteral("Дельта")}});
    form->ReloadClients();
    EXPECT_EQ(clients.RecNo(), 1);
    form->reject();
}

TEST_F(ParamVedomFormTest, FocusAtShowingFollowsTheEnabledGrids)
{
    answerClients({});
    auto form = makeForm();
    form->SetClientGridEnabled(false);
    form->show();
    EXPECT_EQ(form->focusWidget(), form->findChild<TDatePicker*>(QStringLiteral("BegDate")));
    form->reject();

    auto second = makeForm();
    second->SetCarGridEnabled(false);
    second->show();
    EXPECT_EQ(second->focusWidget(), second->findChild<TDBGrid*>(QStringLiteral("OrgGrid")));
    second->reject();
}

class GroupingDragTest : public ParamVedomFormTest {
protected:
    // A right-button drag of a box by `distance` pixels downwards, the pointer
    // given in the group box's coordinates as a real mouse moves.
    static void drag(QCheckBox& dragged, int distance, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPoint start(10, dragged.y() + 5);
        auto send = [&](QEvent::Type type, QPoint inParent, Qt::MouseButton button, Qt::MouseButtons buttons) {
            const QPointF local = inParent - dragged.pos();
            QMouseEvent event(type, local, dragged.mapToGlobal(local), button, buttons, modifiers);
            QApplication::sendEvent(&dragged, &event);
        };
        send(QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
        const int direction = distance < 0 ? -1 : 1;
        for (int step = 1; step <= distance * direction; ++step)
            send(QEvent::MouseMove, start + QPoint(0, step * direction), Qt::NoButton, Qt::RightButton);
        send(QEvent::MouseButtonRelease, start + QPoint(0, distance), Qt::RightButton, Qt::NoButton);
    }
};

TEST_F(GroupingDragTest, DraggingMoreThanTwentyPixelsExchangesTheBoxes)
{
    answerClients({});
    auto form = makeForm();
    form->SetGroupingEnabled(true);
    form->show();
    QCheckBox& driver = box(*form, "chbDriver");
    QCheckBox& car = box(*form, "chbAuto");
    const int upper = driver.y();
    const int lower = car.y();
    ASSERT_TRUE(form->DriverFirst());

    drag(driver, 20);
    EXPECT_TRUE(form->DriverFirst()) << "20 pixels is not enough";
    EXPECT_EQ(driver.y(), upper);

    drag(driver, 21, Qt::ShiftModifier);
    EXPECT_TRUE(form->DriverFirst()) << "the right button alone drags";

    drag(driver, 21);
    EXPECT_FALSE(form->DriverFirst());
    EXPECT_EQ(driver.y(), lower);
    EXPECT_EQ(car.y(), upper);
    EXPECT_FALSE(driver.isChecked()) << "a right-button drag ticks nothing";

    drag(driver, -21);
    EXPECT_TRUE(form->DriverFirst()) << "and back up";
    form->reject();
}

TEST_F(ParamVedomFormTest, PeriodTextsAreKeptBetweenUses)
{
    answerClients({});
    {
        auto form = makeForm();
        form->findChild<TDatePicker*>(QStringLiteral("BegDate"))->setDate(QDate(2024, 2, 1));
        form->findChild<TDatePicker*>(QStringLiteral("EndDate"))->setDate(QDate(2024, 2, 29));
        form->SetTimes(QStringLiteral("08:30"), QStringLiteral("20:15"));
        EXPECT_DOUBLE_EQ(form->PeriodBegin(), EncodeDate(2024, 2, 1) + EncodeTime(8, 30, 0, 0));
        EXPECT_DOUBLE_EQ(form->PeriodEnd(), EncodeDate(2024, 2, 29) + EncodeTime(20, 15, 0, 0));
        form->show();
        form->accept();
    }
    auto again = makeForm();
    EXPECT_DOUBLE_EQ(again->PeriodBegin(), EncodeDate(2024, 2, 1) + EncodeTime(8, 30, 0, 0));
    EXPECT_DOUBLE_EQ(again->PeriodEnd(), EncodeDate(2024, 2, 29) + EncodeTime(20, 15, 0, 0));

    // A time that is no time counts as midnight.
    again->SetTimes(QStringLiteral("25:70"), QString());
    EXPECT_DOUBLE_EQ(again->PeriodBegin(), EncodeDate(2024, 2, 1));
    EXPECT_DOUBLE_EQ(again->PeriodEnd(), EncodeDate(2024, 2, 29));
}

// The client queries on a real station: the demo's statement clients (104)
// and limit statement clients (204), each once, the deleted one left out;
// the older table knows a client by its first statement type only.
class ParamVedomStationTest : public test::SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        core::ResetPluginState();
        connection.connect(QStringLiteral("127.0.0.1"), station_->port());
        current = this;
        core::host().getReport = [](QString& text, int reportNo, Variant params) {
            text = current->connection
                       .call(QString::fromLatin1(station::kGetReport),
                             {Variant(reportNo), params, Variant(core::ReportWorkplaceName())})
                       .toString();
        };
        test::setPluginPayTypes({{QStringLiteral("Ведомость"), 104}, {QStringLiteral("Лимитная ведомость"), 204}});
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(kVedomProp, true));
        registry.writeInteger(QStringLiteral("PayType104"), 1);
        registry.writeInteger(QStringLiteral("PayType204"), 1);
        source.SetDataSet(&clients);
    }
    void TearDown() override
    {
        core::ResetPluginState();
        current = nullptr;
        SharedStationTest<>::TearDown();
    }
    QStringList names()
    {
        QStringList list;
        for (clients.First(); !clients.Eof(); clients.Next())
            list << clients.FieldByName(QStringLiteral("NAME")).AsString();
        return list;
    }

    test::TestEnv env;
    WireClient connection;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    TClientDataSet clients;
    TDataSource source;
    static inline ParamVedomStationTest* current = nullptr;
};

TEST_F(ParamVedomStationTest, TheQueriesFindTheStatementClients)
{
    TParamVedomFrm form(dialogs);
    form.SetClientSource(&source);
    form.SetNewContragentTable(true);
    form.ReloadClients();
    QStringList both = names();
    EXPECT_EQ(both.size(), 5) << both.join(", ").toStdString();
    both.sort();
    EXPECT_EQ(both, QStringList({"Автобаза №3", "Горэлектротранс", "Скорая помощь", "СтройТранс", "Хлебозавод №2"}));
    EXPECT_NE(clients.FindField(QStringLiteral("ID")), nullptr);

    auto& items = *form.findChild<TCheckListBox*>(QStringLiteral("clbVidOplList"));
    items.SetChecked(0, false);
    form.ReloadClients();
    EXPECT_EQ(names(), QStringList({"Горэлектротранс", "Хлебозавод №2"}));

    form.SetNewContragentTable(false);
    form.ReloadClients();
    EXPECT_EQ(names(), QStringList({"Хлебозавод №2"})) << "Горэлектротранс is a 104 client there";
    items.SetChecked(1, false);
    form.ReloadClients();
    EXPECT_TRUE(clients.IsEmpty());
}

} // namespace
