// The fuel journals, the period release reports, the limit reports and the
// sales history from the menu click to the viewer, over a real station
// server: the host's report function forwards every call to the station's
// engine and records it; the lists and windows are driven through the
// scripted dialogs.
#include "common/StationProtocol.h"
#include "common/SysUtils.h"
#include "common/WireClient.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/menu/JournalReportParams.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/platform/Clock.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/settings/ParamVedomForm.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/window/RptForm.h"
#include "tests/support/VariantDescription.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <mutex>
#include <new>
#include <stdexcept>

namespace velta::core {
namespace {

using selection::TSmenaListFrm;
using test::describe;
using test::TestHost;

// The statements flags of the demo's payment types: position 4 only.
QString statementFlags()
{
    QStringList flags;
    for (int i = 0; i < test::demoPayTypes().size(); ++i)
        flags << (i == 4 ? QStringLiteral("i32:1") : QStringLiteral("i32:0"));
    return QLatin1Char('[') + flags.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString dateOf(TDateTime value)
{
    return describe(Variant::fromDate(value));
}

// What a list looked like when it showed.
struct ListSeen {
    QString caption;
    bool currentButton = false;
    QStringList cars;          // the car filter's entries while it is shown
    QStringList dispensers;    // the dispenser buttons' captions
    QStringList operationKinds; // "Prihod/AUTO/COR" of every operation listed
    QString carNameLabel;
    int carNameWidth = 0;
};

class JournalReportsTest : public test::MenuStationTest {
protected:
    void TearDown() override
    {
        if (state().dataModule) {
            db().PrxTable.BeforeOpen = nullptr;
            db().cdsTrkList.BeforeOpen = nullptr;
            db().cdsAutoList.BeforeOpen = nullptr;
        }
        MenuStationTest::TearDown();
    }

    static TDBFrm& db() { return *state().dataModule; }

    // Rows of an SQL text on the station, through a connection of the test's own.
    QList<QStringList> rowsOf(const QString& sql)
    {
        TDCOMConnection& server = db().VeltaServer;
        const bool wasConnected = server.Connected();
        server.SetConnected(true);
        const std::unique_ptr<TClientDataSet> rows = db().OpenSQL(sql);
        QList<QStringList> result;
        for (rows->First(); !rows->Eof(); rows->Next()) {
            QStringList row;
            for (int i = 0; i < rows->FieldCount(); ++i)
                row << rows->Fields(i).AsString();
            result << row;
        }
        rows->Close();
        if (!wasConnected)
            server.SetConnected(false);
        return result;
    }

    // The list: what it shows is kept, then the user works it.
    void expectList(std::function<void(TSmenaListFrm&)> user)
    {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([this, user](QDialog& window) {
            auto& list = dynamic_cast<TSmenaListFrm&>(window);
            ListSeen seen;
            seen.caption = list.windowTitle();
            seen.currentButton = list.findChild<QPushButton*>(QStringLiteral("CurBtn"))->isVisible();
            auto* cars = list.findChild<QComboBox*>(QStringLiteral("cbAuto"));
            if (cars && cars->isVisible())
                for (int i = 0; i < cars->count(); ++i)
                    seen.cars << cars->itemText(i);
            for (QPushButton* button : list.findChildren<QPushButton*>())
                if (button->objectName().startsWith(QStringLiteral("TrkBtn")))
                    seen.dispensers << button->property("caption").toString();
            TClientDataSet& shown = *list.Grid().DataSource()->DataSet();
            if (&shown == &db().PrxTable) {
                for (shown.First(); !shown.Eof(); shown.Next())
                    seen.operationKinds << shown.FieldByName(QStringLiteral("Prihod")).AsString() + '/' +
                                               shown.FieldByName(QStringLiteral("AUTO")).AsString() + '/' +
                                               shown.FieldByName(QStringLiteral("Cor")).AsString();
                shown.First();
                if (TField* carName = shown.FindField(QStringLiteral("CarName"))) {
                    seen.carNameLabel = carName->DisplayLabel();
                    seen.carNameWidth = carName->DisplayWidth();
                }
            }
            listsSeen.push_back(seen);
            user(list);
        });
    }
    // The user selects the rows (0-based) and presses "Выбор"; the first
    // column's value of each row selected is kept.
    void chooseRows(const QList<int>& rows, const QString& keyField, std::function<void(TSmenaListFrm&)> before = {})
    {
        expectList([this, rows, keyField, before](TSmenaListFrm& list) {
            if (before)
                before(list);
            TDBGrid& grid = list.Grid();
            TClientDataSet& data = *grid.DataSource()->DataSet();
            const int last = grid.model()->columnCount() - 1;
            grid.selectionModel()->clearSelection();
            chosen.clear();
            for (int row : rows) {
                ASSERT_LT(row, grid.model()->rowCount());
                grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
                grid.selectionModel()->select(QItemSelection(grid.model()->index(row, 0), grid.model()->index(row, last)),
                                              QItemSelectionModel::Select);
                chosen << data.FieldByName(keyField).AsInteger();
                chosenTimes << std::pair{data.FindField(QStringLiteral("BegTime"))
                                             ? data.FieldByName(QStringLiteral("BegTime")).AsDateTime()
                                             : 0.0,
                                         data.FindField(QStringLiteral("EndTime"))
                                             ? data.FieldByName(QStringLiteral("EndTime")).AsDateTime()
                                             : 0.0};
            }
            list.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
    }
    // The shift of the given number chosen.
    void chooseShift(int shift, std::function<void(TSmenaListFrm&)> before = {})
    {
        expectList([this, shift, before](TSmenaListFrm& list) {
            if (before)
                before(list);
            TClientDataSet& log = *list.Grid().DataSource()->DataSet();
            ASSERT_TRUE(log.Locate(QStringLiteral("SmNum"), Variant(shift), {})) << shift;
            chosenTimes << std::pair{log.FieldByName(QStringLiteral("BegTime")).AsDateTime(),
                                     log.FieldByName(QStringLiteral("EndTime")).AsDateTime()};
            list.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
    }
    void chooseCurrent(std::function<void(TSmenaListFrm&)> before = {})
    {
        expectList([before](TSmenaListFrm& list) {
            if (before)
                before(list);
            list.CurBtnClick();
        });
    }
    void cancelList()
    {
        expectList([](TSmenaListFrm& list) { list.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click(); });
    }

    // Every handler leaves its lists closed, the station disconnected and no list behind.
    void expectLeft()
    {
        EXPECT_FALSE(db().PrxTable.Active());
        EXPECT_FALSE(db().SmLogtable.Active());
        EXPECT_FALSE(db().cdsTrkList.Active());
        EXPECT_FALSE(db().VDCnt.Active());
        EXPECT_FALSE(db().VDCar.Active());
        EXPECT_FALSE(db().VDDriver.Active());
        EXPECT_FALSE(db().VeltaServer.Connected());
        EXPECT_EQ(selection::SmenaListFrm(), nullptr);
    }

    void restart()
    {
        host.reportCalls.clear();
        viewed.clear();
        listsSeen.clear();
        chosen.clear();
        chosenTimes.clear();
    }

    std::vector<ListSeen> listsSeen;
    QList<int> chosen;
    QList<std::pair<TDateTime, TDateTime>> chosenTimes;
};

// ---- the fuel journals over the operation list ----

TEST_F(JournalReportsTest, EachFuelJournalListsItsOperationsAndSendsTheChosenRange)
{
    struct Item {
        const char* caption;
        QString listCaption;
        QString kind;         // "Prihod/AUTO" every operation listed has ("*" any but 4)
        QString reportPrefix; // the report number and the array's head
        QString viewerCaption;
    };
    const std::vector<Item> items = {
        {"Поступления топлива", "Выберите привоз ГСМ", "1/*", "0 [", "Журнал поступления топлива"},
        {"Откачка топлива", "Выберите откачку ГСМ", "0/*", "31 [", "Журнал откачки топлива"},
        {"Перекачка топлива", "Выберите перекачку ГСМ", "*/4", "35 [u8:19, ", "Журнал перекачки топлива"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        restart();
        chooseRows({0, 1}, QStringLiteral("OpNum"));
        expectViewer();
        chooseRows({0}, QStringLiteral("OpNum"));
        expectViewer();
        cancelList();
        click(QString::fromUtf8(item.caption));
        dialogs.verify();
        expectLeft();

        ASSERT_EQ(listsSeen.size(), 3u);
        const ListSeen& seen = listsSeen[0];
        EXPECT_EQ(seen.caption, item.listCaption);
        ASSERT_GE(seen.operationKinds.size(), 2);
        for (const QString& kind : seen.operationKinds) {
            const QStringList parts = kind.split('/');
            const QStringList wanted = item.kind.split('/');
            EXPECT_TRUE(wanted[0] == "*" || parts[0] == wanted[0]) << kind.toStdString();
            EXPECT_TRUE(wanted[1] == "*" ? parts[1] != "4" : parts[1] == wanted[1]) << kind.toStdString();
        }
        // The provider's tanker column shown, and its names offered as a filter.
        EXPECT_EQ(seen.carNameLabel, QStringLiteral("Бензовоз"));
        EXPECT_EQ(seen.carNameWidth, 20);
        ASSERT_GE(seen.cars.size(), 2);
        EXPECT_EQ(seen.cars[0], QStringLiteral("Все"));
        EXPECT_FALSE(seen.cars.contains(QString()));

        // Two rows chosen give their lowest and highest number; one row both ends.
        const QStringList sent = reportsDescribed();
        ASSERT_EQ(sent.size(), 4) << sent.join('\n').toStdString();
        EXPECT_TRUE(sent[0].startsWith(item.reportPrefix)) << sent[0].toStdString();
        EXPECT_TRUE(sent[2].startsWith(item.reportPrefix)) << sent[2].toStdString();
        EXPECT_TRUE(sent[1].startsWith(QStringLiteral("55 []")));
        ASSERT_EQ(viewed.size(), 2u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
    }
}

TEST_F(JournalReportsTest, OperationRangesAreSentAsTheListNumbersThem)
{
    chooseRows({2, 0}, QStringLiteral("OpNum"));
    expectViewer();
    cancelList();
    click(QStringLiteral("Откачка топлива"));
    dialogs.verify();
    ASSERT_EQ(chosen.size(), 2);
    const int low = std::min(chosen[0], chosen[1]);
    const int high = std::max(chosen[0], chosen[1]);
    const QStringList sent = reportsDescribed();
    ASSERT_EQ(sent.size(), 2) << sent.join('\n').toStdString();
    EXPECT_EQ(sent[0], QStringLiteral("31 [i32:%1, i32:%2]").arg(low).arg(high));
}

TEST_F(JournalReportsTest, APositiveHostValue56HidesTheCorrectedReceipts)
{
    const int corrected = rowsOf(QStringLiteral("SELECT COUNT(*) FROM PRX WHERE PRIHOD = 1 AND COR = 1"))[0][0].toInt();
    ASSERT_GT(corrected, 0) << "the demo station has a corrected receipt";
    for (int value : {0, 1}) {
        SCOPED_TRACE(value);
        restart();
        host.values[56] = Variant(value);
        cancelList();
        click(QStringLiteral("Поступления топлива"));
        dialogs.verify();
        ASSERT_EQ(listsSeen.size(), 1u);
        const qsizetype shownCorrected =
            std::count_if(listsSeen[0].operationKinds.begin(), listsSeen[0].operationKinds.end(),
                          [](const QString& kind) { return kind.endsWith(QStringLiteral("/1")); });
        EXPECT_EQ(shownCorrected, value > 0 ? 0 : corrected);
    }
    EXPECT_EQ(db().PrxTable.Filter(), QStringLiteral("Prihod = 1 AND AUTO <> 4  AND COR <> 1 "));
}

// ---- empty lists and errors: the message, and the leaving steps on every path ----

TEST_F(JournalReportsTest, EmptyListsSayTheyAreEmptyAndErrorsLeaveEverythingClosed)
{
    // No operation answers: "Список пуст", no list.
    db().PrxTable.BeforeOpen = [](TClientDataSet& data) { data.SetFilter(data.Filter() + " AND OpNum < 0"); };
    dialogs.expectMessageBox(QStringLiteral("Список пуст"))
        .withCaption(QStringLiteral("Информация"))
        .when([](const DialogCall& call) { return (call.flags & MB_ICONINFORMATION) != 0; }, "information icon")
        .answer(IDOK);
    click(QStringLiteral("Перекачка топлива"));
    dialogs.verify();
    expectLeft();
    db().PrxTable.BeforeOpen = nullptr;

    // No dispenser answers: "Список ТРК пуст", no list shown.
    db().cdsTrkList.BeforeOpen = [](TClientDataSet& data) {
        data.SetCommandText(QStringLiteral("SELECT DISTINCT Trk FROM Trk WHERE 1 = 0"));
    };
    dialogs.expectMessageBox(QStringLiteral("Список ТРК пуст")).withCaption(QStringLiteral("Информация")).answer(IDOK);
    click(QStringLiteral("История продаж по ТРК"));
    dialogs.verify();
    expectLeft();
    db().cdsTrkList.BeforeOpen = nullptr;
    EXPECT_TRUE(listsSeen.empty());

    // A failing report reaches the host after the leaving steps.
    host.onReport = [this](QString& text, int reportNo, const Variant& params) {
        if (reportNo == report::kFuelReceiptsJournal || reportNo == report::kSalesHistory || reportNo == report::kCarPeriod ||
            reportNo == report::kPumpOutsJournal)
            throw Exception(QStringLiteral("отчет сломан"));
        forward(text, reportNo, params);
    };
    chooseRows({0}, QStringLiteral("OpNum"));
    EXPECT_EQ(clickFailing(QStringLiteral("Поступления топлива")), QStringLiteral("отчет сломан"));
    expectLeft();
    chooseCurrent();
    EXPECT_EQ(clickFailing(QStringLiteral("Сменная откачка топлива")), QStringLiteral("отчет сломан"));
    expectLeft();
    chooseCurrent();
    EXPECT_EQ(clickFailing(QStringLiteral("История продаж по ТРК")), QStringLiteral("отчет сломан"));
    expectLeft();
    dialogs.expectModal(QStringLiteral("TParamVedomFrm")).answer(mrOk);
    EXPECT_EQ(clickFailing(QStringLiteral("Отпуск по автомобилю за период")), QStringLiteral("отчет сломан"));
    expectLeft();
    dialogs.verify();
    EXPECT_TRUE(viewed.empty());
}

// ---- the shift fuel journals ----

TEST_F(JournalReportsTest, ShiftFuelJournalsSendLastAndFirstOperationOneZeroWithoutAndMinusOnesForTheCurrentShift)
{
    struct Item {
        const char* caption;
        int prihod;
        int reportNo;
        QString viewerCaption;
    };
    const std::vector<Item> items = {
        {"Сменное поступление топлива", 1, 0, "Журнал поступления топлива"},
        {"Сменная откачка топлива", 0, 31, "Журнал откачки топлива"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        restart();
        // A shift with operations of the kind begun within it, and one without.
        const QString within = QStringLiteral(
            "SELECT s.SMNUM, MAX(p.OPNUM), MIN(p.OPNUM) FROM SMLOG s JOIN PRX p ON p.BEGTIME >= s.BEGTIME AND "
            "p.BEGTIME <= s.ENDTIME AND p.PRIHOD = %1 GROUP BY s.SMNUM ORDER BY s.SMNUM").arg(item.prihod);
        const QList<QStringList> shifts = rowsOf(within);
        ASSERT_FALSE(shifts.isEmpty());
        const QStringList withOps = shifts.last();
        const QList<QStringList> without = rowsOf(QStringLiteral(
            "SELECT FIRST 1 s.SMNUM FROM SMLOG s WHERE s.ENDTIME IS NOT NULL AND NOT EXISTS (SELECT 1 FROM PRX p "
            "WHERE p.BEGTIME >= s.BEGTIME AND p.BEGTIME <= s.ENDTIME AND p.PRIHOD = %1) ORDER BY s.SMNUM").arg(item.prihod));
        ASSERT_EQ(without.size(), 1);

        chooseShift(withOps[0].toInt());
        expectViewer();
        chooseShift(without[0][0].toInt());
        expectViewer();
        chooseCurrent();
        expectViewer();
        cancelList();
        click(QString::fromUtf8(item.caption));
        dialogs.verify();
        expectLeft();
        EXPECT_FALSE(db().PrxTable.Filtered());

        const QString no = QString::number(item.reportNo);
        const QStringList sent = reportsDescribed();
        ASSERT_EQ(sent.size(), 6) << sent.join('\n').toStdString();
        EXPECT_EQ(sent[0], no + QStringLiteral(" [i32:%1, i32:%2]").arg(withOps[1], withOps[2]));
        EXPECT_EQ(sent[2], no + QStringLiteral(" [i32:1, i32:0]"));
        EXPECT_EQ(sent[4], no + QStringLiteral(" [i32:-1, i32:-1]"));
        ASSERT_EQ(listsSeen.size(), 4u);
        EXPECT_EQ(listsSeen[0].caption, QStringLiteral("Выберите смену"));
        EXPECT_TRUE(listsSeen[0].currentButton);
        ASSERT_EQ(viewed.size(), 3u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
    }
}

// ---- the period releases through the statement parameters window ----

TEST_F(JournalReportsTest, EachPeriodReleaseSetsUpTheWindowAndSendsItsArray)
{
    const TDateTime day1 = 45352; // 01.03.2024
    const TDateTime day2 = 45366; // 15.03.2024
    const TDateTime eightThirty = 8.5 / 24;
    struct Item {
        const char* caption;
        bool clientGrid, detailGrid, grouping;
        QString detailTitle;
        QString expected; // {beg} {end}: the period; {client} {detail}: the names chosen
        QString viewerCaption;
    };
    const QString flags = statementFlags();
    const std::vector<Item> items = {
        {"Отпуск по ведомости за период", false, false, false, "Автомобиль",
         "11 [f64:{begf}, f64:{endf}, " + flags + ", [i32:104]]", "ОТПУСК ПО \"Ведомость +\" ЗА ВЫБРАННЫЙ ПЕРИОД"},
        {"Отпуск по контрагенту за период", true, false, true, "Автомобиль",
         "12 [{beg}, {end}, str:{client}, bool:1, bool:0, bool:1, " + flags + "]",
         "ОТПУСК ПО КОНТРАГЕНТУ ЗА ВЫБРАННЫЙ ПЕРИОД"},
        {"Отпуск по автомобилю за период", true, true, false, "Автомобиль",
         "13 [{beg}, {end}, str:{client}, str:{detail}, " + flags + ", [i32:104]]",
         "ОТПУСК ПО АВТОМОБИЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД"},
        {"Отпуск по водителю за период", true, true, false, "Водитель",
         "53 [{beg}, {end}, str:{client}, str:{detail}, " + flags + ", [i32:104]]",
         "ОТПУСК ВОДИТЕЛЮ ЗА ВЫБРАННЫЙ ПЕРИОД"},
        {"Детализация по убывающим лимитам", true, false, false, "Автомобиль",
         "35 [u8:13, str:{client}, {beg}, {end}]", "ДЕТАЛИЗАЦИЯ ПО УБЫВАЮЩИМ ЛИМИТАМ"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        restart();
        QString client, detail, detailTitle;
        bool clientGrid = false, detailGrid = false, grouping = false;
        dialogs.expectModal(QStringLiteral("TParamVedomFrm")).drive([&](QDialog& window) {
            auto& params = dynamic_cast<settings::TParamVedomFrm&>(window);
            clientGrid = params.findChild<TDBGrid*>(QStringLiteral("OrgGrid"))->isEnabled();
            auto* details = params.findChild<TDBGrid*>(QStringLiteral("AutoGrid"));
            detailGrid = details->isEnabled();
            grouping = params.findChild<QGroupBox*>(QStringLiteral("gbGroupBy"))->isVisibleTo(&params) &&
                       params.findChild<QCheckBox*>(QStringLiteral("chbDriver"))->isEnabled();
            for (int column = 0; column < details->model()->columnCount(); ++column)
                detailTitle += details->model()->headerData(column, Qt::Horizontal).toString();
            // A client with something in the detail list, the period, the grouping.
            TClientDataSet& clients = *params.ClientSource()->DataSet();
            TClientDataSet& rows = *params.CarSource()->DataSet();
            for (clients.First(); !clients.Eof() && rows.IsEmpty(); clients.Next()) {
            }
            ASSERT_FALSE(rows.IsEmpty());
            client = clients.FieldByName(QStringLiteral("Name")).AsString();
            rows.Last();
            detail = rows.FieldByName(QStringLiteral("Name")).AsString();
            params.findChild<TDatePicker*>(QStringLiteral("BegDate"))->SetDate(day1);
            params.findChild<TDatePicker*>(QStringLiteral("EndDate"))->SetDate(day2);
            params.findChild<QLineEdit*>(QStringLiteral("BegTimeEdit"))->setText(QStringLiteral("08:30"));
            params.findChild<QLineEdit*>(QStringLiteral("EndTimeEdit"))->setText(QStringLiteral("99:99"));
            params.findChild<QCheckBox*>(QStringLiteral("chbDriver"))->setChecked(true);
            params.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
        expectViewer();
        dialogs.expectModal(QStringLiteral("TParamVedomFrm")).answer(mrCancel);
        click(QString::fromUtf8(item.caption));
        dialogs.verify();
        expectLeft();

        EXPECT_EQ(clientGrid, item.clientGrid);
        EXPECT_EQ(detailGrid, item.detailGrid);
        EXPECT_EQ(grouping, item.grouping);
        EXPECT_EQ(detailTitle, item.detailTitle);
        // The begin time typed is added to the day; an invalid end time counts as midnight.
        QString expected = item.expected;
        expected.replace("{beg}", dateOf(day1 + eightThirty)).replace("{end}", dateOf(day2));
        expected.replace("{begf}", QString::number(day1 + eightThirty, 'f', 6))
            .replace("{endf}", QString::number(day2, 'f', 6));
        expected.replace("{client}", client).replace("{detail}", detail);
        const QStringList sent = reportsDescribed();
        ASSERT_EQ(sent.size(), 2) << sent.join('\n').toStdString();
        EXPECT_EQ(sent[0], expected);
        ASSERT_EQ(viewed.size(), 1u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
    }
}

TEST_F(JournalReportsTest, TheContragentReleaseSendsEightElementsWhenCarsStandAboveDrivers)
{
    const auto confirm = [this](bool exchange) {
        dialogs.expectModal(QStringLiteral("TParamVedomFrm")).drive([exchange](QDialog& window) {
            auto* driver = window.findChild<QCheckBox*>(QStringLiteral("chbDriver"));
            auto* car = window.findChild<QCheckBox*>(QStringLiteral("chbAuto"));
            if (exchange) {
                const QPoint top = driver->pos();
                driver->move(car->pos());
                car->move(top);
            }
            car->setChecked(true);
            window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
        expectViewer();
    };
    confirm(false);
    confirm(true);
    dialogs.expectModal(QStringLiteral("TParamVedomFrm")).answer(mrCancel);
    click(QStringLiteral("Отпуск по контрагенту за период"));
    dialogs.verify();
    const QStringList sent = reportsDescribed();
    ASSERT_EQ(sent.size(), 4) << sent.join('\n').toStdString();
    const QString flags = statementFlags();
    EXPECT_TRUE(sent[0].endsWith(", bool:0, bool:1, bool:1, " + flags + "]")) << sent[0].toStdString();
    EXPECT_TRUE(sent[2].endsWith(", bool:0, bool:1, bool:0, " + flags + ", [i32:104]]")) << sent[2].toStdString();
}

TEST_F(JournalReportsTest, FewPaymentTypesGiveTheStatementReleaseAnEmptyNameInItsCaption)
{
    host.privValues[19] = Variant(Variant::Array{Variant("Наличные"), Variant("Карты"), Variant("Безнал")});
    DoSetNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
    dialogs.expectModal(QStringLiteral("TParamVedomFrm")).answer(mrOk);
    expectViewer();
    dialogs.expectModal(QStringLiteral("TParamVedomFrm")).answer(mrCancel);
    click(QStringLiteral("Отпуск по ведомости за период"));
    dialogs.verify();
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ОТПУСК ПО \"\" ЗА ВЫБРАННЫЙ ПЕРИОД"));
}

TEST_F(JournalReportsTest, TheLimitBalancesNeedNoChoice)
{
    expectViewer();
    click(QStringLiteral("Текущие остатки по убывающим лимитам"));
    dialogs.verify();
    EXPECT_EQ(reportsDescribed(), (QStringList{"35 [u8:12]", "55 []"}));
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ТЕКУЩИЕ ОСТАТКИ ПО УБЫВАЮЩИМ ЛИМИТАМ"));
}

// ---- the sales history ----

TEST_F(JournalReportsTest, TheSalesHistoryOffersTheDispensersAndSendsTheChosenOneForShiftsOrAroundNow)
{
    ManualClock clock;
    const TDateTime now = 45381.5; // 30.03.2024 12:00
    clock.setNow(now);
    ScopedClock useClock(clock);

    struct Item {
        int workplace;
        bool rack;
        QString listCaption;
        QString viewerCaption;
    };
    const std::vector<Item> items = {
        {0, false, "Выберите номер ТРК", "История продаж по ТРК"},
        {3, true, "Выберите номер АСН", "История продаж по АСН"},
    };
    const QString probe = QStringLiteral("SELECT SUM(CAST(TRKNUM AS INTEGER)) FROM SMTRK");
    for (const Item& item : items) {
        SCOPED_TRACE(item.workplace);
        restart();
        host.values[46] = Variant(item.workplace);
        host.values[80] = Variant(item.rack);
        QString commandText;
        db().cdsTrkList.BeforeOpen = [&commandText](TClientDataSet& data) { commandText = data.CommandText(); };
        chooseShift(1003, [](TSmenaListFrm& list) {
            list.findChild<QPushButton*>(QStringLiteral("TrkBtn2"))->click();
        });
        expectViewer();
        chooseCurrent();
        expectViewer();
        cancelList();
        // The menu was built before the host told of the loading rack.
        click(QStringLiteral("История продаж по ТРК"));
        dialogs.verify();
        expectLeft();

        // The probe answered, so the shift dispensers are listed; the journal's
        // recent ones too, except on an office workplace.
        EXPECT_TRUE(queries().contains(probe));
        QString expectedText = QStringLiteral("SELECT DISTINCT TRK FROM\r\n(SELECT DISTINCT TRKNUM AS TRK FROM SMTRK\r\n");
        if (item.workplace != 3)
            expectedText += QStringLiteral("UNION ALL\r\nSELECT DISTINCT Trk FROM Trk WHERE (\"TIME\" > '2024-03-27 12:00:00.000') AND (OP1=999) \r\n");
        expectedText += QStringLiteral(") ORDER BY 1");
        EXPECT_EQ(commandText, expectedText);

        ASSERT_EQ(listsSeen.size(), 3u);
        EXPECT_EQ(listsSeen[0].caption, item.listCaption);
        ASSERT_GE(listsSeen[0].dispensers.size(), 2);
        const QString second = listsSeen[0].dispensers[1];
        const QStringList sent = reportsDescribed();
        ASSERT_EQ(sent.size(), 4) << sent.join('\n').toStdString();
        EXPECT_EQ(sent[0], "10 [str:" + second + ", i8:-1, " + dateOf(chosenTimes[0].first) + ", " +
                               dateOf(chosenTimes[0].second) + ", bool:0]");
        // The current shift: the button pressed stays, the day around now.
        EXPECT_EQ(sent[2], "10 [str:" + second + ", i8:-1, " + dateOf(now - 1) + ", " + dateOf(now + 1) + ", bool:1]");
        ASSERT_EQ(viewed.size(), 2u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
    }
}

TEST_F(JournalReportsTest, AFailingProbeSelectsTheJournalsDispensers)
{
    // The station's own error, or any other.
    for (const bool foreign : {false, true}) {
        restart();
        host.onReport = [this, foreign](QString& text, int reportNo, const Variant& params) {
            if (isService({reportNo, params}, report::kSelectorProviderData) && params.at(1).toString().contains("SMTRK")) {
                if (foreign)
                    throw std::bad_alloc();
                throw Exception(QStringLiteral("Table unknown SMTRK"));
            }
            forward(text, reportNo, params);
        };
        QString commandText;
        db().cdsTrkList.BeforeOpen = [&commandText](TClientDataSet& data) { commandText = data.CommandText(); };
        cancelList();
        click(QStringLiteral("История продаж по ТРК"));
        dialogs.verify();
        EXPECT_EQ(commandText, QStringLiteral("SELECT DISTINCT Trk FROM Trk WHERE (OP1=999) ORDER BY Trk"));
        ASSERT_EQ(listsSeen.size(), 1u);
        EXPECT_FALSE(listsSeen[0].dispensers.isEmpty());
        expectLeft();
    }
}

// A failure of any kind, not only the station's own errors, leaves the fuel
// journal's list without its car filter.
TEST_F(JournalReportsTest, AForeignFailureOfTheCarFilterLeavesTheListWithoutIt)
{
    db().cdsAutoList.BeforeOpen = [](TClientDataSet&) { throw std::runtime_error("no tankers"); };
    cancelList();
    click(QStringLiteral("Поступления топлива"));
    ASSERT_EQ(listsSeen.size(), 1u);
    EXPECT_TRUE(listsSeen[0].cars.isEmpty());
    expectLeft();
}

// ---- the filters' texts ----

TEST(JournalFilterTest, ShiftTimesAreQuotedInTheUsersFormatWithQuotesDoubled)
{
    TFormatSettings& settings = globalFormatSettings();
    const TFormatSettings saved = settings;
    settings.ShortDateFormat = QStringLiteral("dd.mm.\"'\"yy");
    const QString filter = ShiftFuelJournalFilter(TReport::FuelMove::PumpOuts, 45352.25, 45352.75);
    settings = saved;
    EXPECT_EQ(filter, QStringLiteral("BegTime>='01.03.''24 6:00:00' and BegTime<= '01.03.''24 18:00:00' and Prihod = 0"));
    EXPECT_EQ(ShiftFuelJournalFilter(TReport::FuelMove::Receipts, 45352.25, 45352.75),
              QStringLiteral("BegTime>='01.03.2024 6:00:00' and BegTime<= '01.03.2024 18:00:00' and Prihod = 1"));
}

} // namespace
} // namespace velta::core
