// The shift report items of the menu from the click to the viewer, over a real
// station server: the host's report function forwards every call to the
// station's engine and records it; the shift list, the wait window and the
// viewer are driven through the scripted dialogs.
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/menu/ShiftReportParams.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SiblingLibrary.h"
#include "plugin/selection/ChoosePeriodFrm.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/settings/FinRepEditorForm.h"
#include "plugin/settings/ParamVedomForm.h"
#include "plugin/settings/PropFrm.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/window/RptForm.h"
#include "tests/core/WaitFormDriver.h"
#include "tests/support/VariantDescription.h"
#include "tests/support/ReferenceFile.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <mutex>

namespace velta::core {
namespace {

using selection::TSmenaListFrm;
using test::describe;
using test::TestHost;

// The demo station's shift 1003 was Сидорова's (its current shift is 1182).
constexpr int kShift = 1003;
const QString kShiftOperator = QStringLiteral("Сидорова Е.В.");

// The flags of the payment types with one position set (or none).
QString flagsAt(int position)
{
    QStringList flags;
    for (int i = 0; i < test::demoPayTypes().size(); ++i)
        flags << (i == position ? QStringLiteral("i32:1") : QStringLiteral("i32:0"));
    return QLatin1Char('[') + flags.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// What the shift list looked like when it showed.
struct ListSeen {
    QString caption;
    bool propertiesButton = false;
    bool currentButton = false;
    bool choiceEnabled = false;
    int reportNumber = -1;
    int minimumWidth = 0;
};

class ShiftReportsTest : public test::MenuStationTest {
protected:
    void expectWaitWindow() { dialogs.expectModal(QStringLiteral("TWaitForm")).drive(test::untilWorkerCloses()); }

    // The shift list: what it shows is kept, then the user works it.
    void expectList(std::function<void(TSmenaListFrm&)> user)
    {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([this, user](QDialog& window) {
            auto& list = dynamic_cast<TSmenaListFrm&>(window);
            const auto visible = [&list](const char* name) {
                auto* button = list.findChild<QPushButton*>(QString::fromLatin1(name));
                return button && button->isVisible();
            };
            listsSeen.push_back({list.windowTitle(), visible("PropBtn"), visible("CurBtn"),
                                 list.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->isEnabled(),
                                 list.ReportNumber(), list.minimumWidth()});
            user(list);
        });
    }
    // The user selects these shifts and presses "Выбор"; the times of the
    // first and last shift chosen are kept for the expected parameters.
    void chooseShifts(const QList<int>& shifts, std::function<void(TSmenaListFrm&)> before = {})
    {
        expectList([this, shifts, before](TSmenaListFrm& list) {
            if (before)
                before(list);
            TDBGrid& grid = list.Grid();
            TClientDataSet& log = *grid.DataSource()->DataSet();
            const int last = grid.model()->columnCount() - 1;
            grid.selectionModel()->clearSelection();
            for (int shift : shifts) {
                int row = 0;
                while (row < grid.model()->rowCount() && grid.model()->index(row, 0).data().toInt() != shift)
                    ++row;
                ASSERT_LT(row, grid.model()->rowCount()) << shift;
                grid.selectionModel()->setCurrentIndex(grid.model()->index(row, 0), QItemSelectionModel::NoUpdate);
                grid.selectionModel()->select(
                    QItemSelection(grid.model()->index(row, 0), grid.model()->index(row, last)),
                    QItemSelectionModel::Select);
                times[shift] = {log.FieldByName(QStringLiteral("BegTime")).AsDateTime(),
                                log.FieldByName(QStringLiteral("EndTime")).AsDateTime()};
            }
            list.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
    }
    void chooseCurrentShift()
    {
        expectList([](TSmenaListFrm& list) { list.CurBtnClick(); });
    }
    void cancelList()
    {
        expectList([](TSmenaListFrm& list) { list.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click(); });
    }
    // The statement parameters window: the user picks a client and confirms,
    // or leaves.
    void confirmStatementWindow(const QString& client, bool byDrivers = false)
    {
        dialogs.expectModal(QStringLiteral("TParamVedomFrm")).drive([this, client, byDrivers](QDialog& window) {
            auto& params = dynamic_cast<settings::TParamVedomFrm&>(window);
            // The car grid as the report set it up: names only, sorted within the client.
            auto* cars = params.findChild<TDBGrid*>(QStringLiteral("AutoGrid"));
            carTitles.clear();
            for (int column = 0; column < cars->model()->columnCount(); ++column)
                carTitles << cars->model()->headerData(column, Qt::Horizontal).toString();
            carGridEnabled = cars->isEnabled();
            carIndex = state().dataModule->VDCar.IndexFieldNames();
            TClientDataSet& clients = *params.ClientSource()->DataSet();
            ASSERT_TRUE(clients.Locate(QStringLiteral("Name"), Variant(client), {})) << client.toStdString();
            params.findChild<QCheckBox*>(QStringLiteral("chbDriver"))->setChecked(byDrivers);
            params.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
        });
    }
    void leaveStatementWindow()
    {
        dialogs.expectModal(QStringLiteral("TParamVedomFrm")).drive([](QDialog& window) {
            window.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
        });
    }

    // The date-time elements of a chosen shift as the parameters show them.
    QString begOf(int shift) { return describe(Variant::fromDate(times[shift].first)); }
    QString endOf(int shift) { return describe(Variant::fromDate(times[shift].second)); }

    // Every handler leaves the shift log closed, the station disconnected
    // and no shift list behind.
    void expectLeft()
    {
        TDBFrm& db = *state().dataModule;
        EXPECT_FALSE(db.SmLogtable.Active());
        EXPECT_FALSE(db.VeltaServer.Connected());
        EXPECT_EQ(selection::SmenaListFrm(), nullptr);
    }

    std::vector<ListSeen> listsSeen;
    std::map<int, std::pair<TDateTime, TDateTime>> times;
    QStringList carTitles;
    bool carGridEnabled = true;
    QString carIndex;
};

// ---- the current shift report: no list, in the background ----

TEST_F(ShiftReportsTest, TheCurrentShiftReportRunsOnTheReportThreadWithNineElements)
{
    qputenv("VELTA_DEPARTMENT_PATH", "C:\\DEXE\\DEPT\\07\\");
    const SiblingLibrary department = SiblingLibrary::load(QString::fromLatin1(department::kLibraryName));
    ASSERT_TRUE(department.isLoaded()) << department.error().toStdString();
    expectWaitWindow();
    expectViewer();
    click(QStringLiteral("Текущий сменный отчет"));
    qunsetenv("VELTA_DEPARTMENT_PATH");
    dialogs.verify();

    const auto sent = reports();
    ASSERT_EQ(sent.size(), 2u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(sent[0].reportNo, 45);
    const Variant& params = sent[0].params;
    ASSERT_EQ(params.arrayCount(), 9) << describe(params).toStdString();
    // -1, -1 as 8-bit values, the composition of the log-on defaults (its last
    // element unassigned), the station value, RoundRVal, the department,
    // not an office, statements flagged at position 4, the silo sort field.
    EXPECT_EQ(describe(params.at(0)) + describe(params.at(1)), QStringLiteral("i8:-1i8:-1"));
    ASSERT_TRUE(params.at(2).isArray());
    EXPECT_GT(params.at(2).arrayCount(), 3);
    EXPECT_TRUE(params.at(2).at(params.at(2).arrayHighBound()).isEmpty());
    EXPECT_EQ(describe(params.at(3)), QStringLiteral("i32:1"));
    EXPECT_EQ(describe(params.at(4)), QStringLiteral("i32:0"));
    EXPECT_EQ(describe(params.at(5)), QStringLiteral("str:C:\\DEXE\\DEPT\\07\\"));
    EXPECT_EQ(describe(params.at(6)), QStringLiteral("bool:0"));
    EXPECT_EQ(describe(params.at(7)), flagsAt(4));
    EXPECT_EQ(describe(params.at(8)), QStringLiteral("i32:0"));
    EXPECT_NE(threadOf[45], QCoreApplication::instance()->thread());
    EXPECT_EQ(sent[1].reportNo, report::kLastReportHtml);
    EXPECT_EQ(describe(sent[1].params), QStringLiteral("[]"));

    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("Сменный отчет"));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("Текущий сменный отчет"))) << viewed[0].text.toStdString();
    EXPECT_TRUE(viewed[0].html.contains(QStringLiteral("<title>Сменный отчет</title>"))) << viewed[0].html.toStdString();
}

TEST_F(ShiftReportsTest, TheCurrentShiftReportNeedsTheRightToTakeTheOpenShift)
{
    host.privValues[0] = Variant(false);
    click(QStringLiteral("Текущий сменный отчет"));
    EXPECT_TRUE(reports().empty()) << reportsDescribed().join('\n').toStdString();
    EXPECT_TRUE(dialogs.calls().empty());
}

TEST_F(ShiftReportsTest, AnUnreachableServerOnARemoteWorkplaceShowsTheErrorAsTheReport)
{
    host.values[46] = Variant(1);
    qputenv("VELTA_STATION_PORT", "1"); // nothing listens there
    expectWaitWindow();
    expectViewer();
    click(QStringLiteral("Текущий сменный отчет"));
    dialogs.verify();
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_TRUE(viewed[0].text.startsWith(QStringLiteral("Ошибка в потоке подготовки отчета: ")))
        << viewed[0].text.toStdString();
    EXPECT_EQ(viewed[0].caption, QStringLiteral("Сменный отчет"));
}

// ---- the shift report's properties window, opened from the shift list ----

TEST_F(ShiftReportsTest, ACompositionChangedInThePropertiesWindowChangesTheNextShiftReport)
{
    host.privValues[5] = Variant(true);
    // The default templates are on the station, so the save warns of nothing.
    for (int s = 0; s < kSmenaRepSectionCount; ++s) {
        for (const QString& form : {SmenaRepFormsFolder() + SmenaRepDefaultPath(s),
                                    SmenaRepWebFormsFolder() + SmenaRepDefaultWebPath(s)}) {
            if (Paths::extractFileName(form).isEmpty())
                continue;
            const QString native = Paths::toNative(form);
            QDir().mkpath(QFileInfo(native).path());
            QFile file(native);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << native.toStdString();
        }
    }
    const QString before = describe(LoadComposition().Composition);

    // In the list: "Свойства" opens the window for report 2; the financial
    // report is switched off and the header moved below the dispensers; then
    // a shift is chosen.
    chooseShifts({kShift}, [](TSmenaListFrm& list) {
        list.findChild<QPushButton*>(QStringLiteral("PropBtn"))->click();
    });
    dialogs.expectModal(QStringLiteral("TPropFrm")).drive([](QDialog& window) {
        auto& form = dynamic_cast<settings::TPropFrm&>(window);
        EXPECT_EQ(form.Kind(), 2);
        for (const auto& row : form.Variants()) {
            if (row->section == kSmenaRepFinancial)
                row->box->setChecked(false);
        }
        settings::TPropFrm::Row* header = form.VariantAt(1);
        ASSERT_NE(header, nullptr);
        ASSERT_EQ(header->section, 0);
        form.DragStart(*header, 5);
        form.DragMove(*header, 30);
        form.DragEnd();
        form.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    });
    expectWaitWindow();
    expectViewer();
    cancelList();
    click(QStringLiteral("Сменный отчет"));
    dialogs.verify();

    const auto sent = reports();
    ASSERT_FALSE(sent.empty());
    ASSERT_EQ(sent[0].reportNo, 45);
    const Variant& composition = sent[0].params.at(2);
    EXPECT_NE(describe(composition), before);
    EXPECT_EQ(describe(composition), describe(LoadComposition().Composition));
    // Positions closed up from 1: the dispensers first, the header second,
    // and no entry of the financial report.
    ASSERT_GT(composition.arrayCount(), 12);
    EXPECT_EQ(describe(composition.at(0)) + describe(composition.at(1)), QStringLiteral("i32:1i32:2"));
    EXPECT_EQ(describe(composition.at(6)) + describe(composition.at(7)), QStringLiteral("i32:2i32:0"));
    for (int i = 1; i < composition.arrayCount(); i += 3)
        EXPECT_NE(composition.at(i).toInt() % kSmenaRepHtmlKind, kSmenaRepFinancial) << describe(composition).toStdString();
}

// ---- the financial template regenerated by its editor, then the shift report ----

// The financial section of a shift report's HTML: from its title to the end of its table.
QString financialPart(const QString& html)
{
    const qsizetype start = html.indexOf(QStringLiteral("ФИНАНСОВЫЙ ОТЧЕТ"));
    const qsizetype end = html.indexOf(QStringLiteral("</table>"), start);
    return start < 0 || end < 0 ? QString() : html.mid(start, end + 8 - start);
}

TEST_F(ShiftReportsTest, AFinancialTemplateRegeneratedByTheEditorIsFilledInTheNextShiftReport)
{
    // A station of this test's own, made and served under the test's
    // VELTA_ROOT: its C:\DEXE\FORMS\WEBREP is the one the editor writes.
    const QString root = env.path(QStringLiteral("station"));
    ASSERT_EQ(test::StationServer::initStation(root, 1500), QString());
    const QString templatePath = Paths::toNative(QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\Финансовый отчет.html"));
    ASSERT_TRUE(QFileInfo::exists(templatePath)) << "init installs the demo templates";
    test::StationServer own(root);
    ASSERT_NE(own.port(), 0) << own.error().toStdString();
    serving = &own;
    qputenv("VELTA_STATION_PORT", QByteArray::number(own.port()));
    host.privValues[5] = Variant(true);

    const auto shiftReportHtml = [this]() {
        viewed.clear();
        chooseShifts({kShift});
        expectWaitWindow();
        expectViewer();
        cancelList();
        click(QStringLiteral("Сменный отчет"));
        dialogs.verify();
        connection.reset();
        return viewed.empty() ? QString() : viewed.back().html;
    };
    const QString before = financialPart(shiftReportHtml());
    ASSERT_FALSE(before.isEmpty());
    EXPECT_TRUE(before.contains(QStringLiteral("Платеж. терминал")));
    EXPECT_TRUE(before.contains(QStringLiteral("Безналичный расчет")));
    EXPECT_FALSE(before.contains(QStringLiteral("Масса, кг")));

    // Settings, "Отчеты": the template button, the file, the editor. The
    // terminal's group goes, the fuel cards show their mass, and the non-cash
    // total goes; the settings window is left without saving.
    dialogs.expectModal(QStringLiteral("TRepPropForm")).drive([](QDialog& window) {
        window.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        window.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    });
    dialogs.expectOpenFile().choose(templatePath);
    dialogs.expectModal(QStringLiteral("TFinRepEditorForm")).drive([](QDialog& window) {
        auto& editor = dynamic_cast<settings::TFinRepEditorForm&>(window);
        TClientDataSet& rows = editor.Columns();
        QStringList toggled;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const QString name = rows.FieldByName(QStringLiteral("BASEVONAME")).AsString();
            if (name == QStringLiteral("Платеж. терминал"))
                editor.DBGrid1DblClick(rows.FindField(QStringLiteral("ENABLED")));
            else if (name == QStringLiteral("Товарные карты"))
                editor.DBGrid1DblClick(rows.FindField(QStringLiteral("VISMASSA")));
            else
                continue;
            toggled << name;
        }
        EXPECT_EQ(toggled.size(), 2) << toggled.join(u',').toStdString();
        window.findChild<QCheckBox*>(QStringLiteral("cbShowItogBN"))->setChecked(false);
        window.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click();
    });
    host.mainMenu().child(QStringLiteral("&Настройка"))->child(QStringLiteral("Отчеты"))->click();
    dialogs.verify();
    const QString regenerated = QString::fromLatin1(test::readFileBytes(templatePath));
    ASSERT_TRUE(regenerated.contains(QStringLiteral("&lt;#K2&gt;"))) << "the editor wrote the template";

    // The next shift report fills the new table: the new columns with the
    // station's numbers, none of the old ones, and no tag left behind.
    const QString html = shiftReportHtml();
    const QString after = financialPart(html);
    ASSERT_FALSE(after.isEmpty());
    EXPECT_FALSE(html.contains(QStringLiteral("&lt;#"))) << "an unfilled tag";
    EXPECT_FALSE(html.contains(QStringLiteral("<#"))) << "an unfilled tag";
    EXPECT_FALSE(after.contains(QStringLiteral("Платеж. терминал")));
    EXPECT_FALSE(after.contains(QStringLiteral("Безналичный расчет")));
    EXPECT_TRUE(after.contains(QStringLiteral("Товарные карты")));
    EXPECT_TRUE(after.contains(QStringLiteral("Наличный расчет")));
    EXPECT_EQ(after.count(QStringLiteral("Масса, кг")), 1) << "the fuel cards' mass only";
    EXPECT_NE(after, before);
    EXPECT_TRUE(test::matchesReference(QStringLiteral("menu/reference/shift-report-financial.html"), after));
}

// ---- every shift report item: one shift chosen, the report, the list again ----

TEST_F(ShiftReportsTest, EveryShiftReportItemProducesItsReportForAChosenShift)
{
    struct Item {
        const char* caption;
        QString listCaption;
        int listNumber;            // -1: no properties button
        bool background;
        std::vector<int> reports;  // report numbers asked for, 55 excluded
        QString params;            // of the last report; {beg}, {end} and {composition} filled in
        QString viewerCaption;
    };
    const QString choose = QStringLiteral("Выберите смену");
    const QString none = flagsAt(-1);
    const QString op = kShiftOperator;
    const std::vector<Item> items = {
        {"Сменный отчет", choose, 2, true, {45},
         "[i32:1003, i32:1003, {composition}, i32:1, i32:0, str:, bool:0, " + flagsAt(4) + ", i32:0, [i32:104]]",
         "Сменный отчет"},
        {"Отчеты по бонусам и скидкам", "Выберите смену для отчета по бонусам и скидкам", 3, false, {9},
         "[i32:1003, " + flagsAt(0) + ", bool:0, i32:1003, bool:1, bool:1, bool:0, [i32:0]]",
         "СМЕННЫЙ ОТЧЕТ ПО БОНУСАМ И СКИДКАМ"},
        {"Отчеты по возвратам", choose, 1, false, {35, 34},
         "[[" + flagsAt(0) + ", i32:0, i32:1, {beg}, {end}, i32:1003, str:" + op + ", i32:1003, i32:0], [[i32:0]]]",
         "Сменный отчет по возвратам"},
        {"Отчеты по номерным талонам", choose, 8, false, {46}, "[{beg}, {end}, " + flagsAt(9) + ", [i32:9]]",
         "Отливы по талонам"},
        {"Непроизведенные возвраты на терминал",
         "Выберите смену для отчета по непроизведенным возвратам на терминал", -1, false, {19},
         "[i32:1003, {beg}, {end}, str:" + op + ", i32:1003]",
         "Сменный отчет по непроизведенным возвратам на терминал"},
        {"Отчеты по картам", choose, 4, true, {52}, "[i32:1003, i32:1003, {beg}, {end}, " + none + ", str:, bool:0, []]",
         "Отливы по пластиковым картам"},
        {"Сменный отчет по договорам", choose, 7, false, {25},
         "[{beg}, {end}, str:1003, str:" + op + ", " + flagsAt(8) + ", [i32:108]]", "Сменный отпуск по договорам"},
        {"Сменный отчет по ведомостям", choose, 6, false, {14},
         "[{beg}, {end}, str:1003, str:" + op + ", str:1003, " + flagsAt(4) + ", str:, [i32:104]]",
         "СМЕННЫЙ ОТПУСК ПО \"Ведомость +\""},
        {"Сменный отчет по контрагенту", choose, -1, false, {15},
         "[{beg}, {end}, str:СтройТранс, str:1003, str:" + op + ", str:1003, " + flagsAt(4) +
             ", bool:1, bool:0, bool:1, [i32:104]]",
         "СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ"},
        {"Информация по перезагрузкам", choose, -1, false, {35}, "[u8:11, {beg}, {end}, i32:1003, i32:1003]",
         "Информация по перезагрузкам"},
        {"Отчет по мернику", choose, -1, false, {35}, "[u8:10, i32:1003, i32:1003]", "Отчет по мернику"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        host.reportCalls.clear();
        threadOf.clear();
        viewed.clear();
        listsSeen.clear();
        chooseShifts({kShift});
        if (item.background)
            expectWaitWindow();
        const bool statement = item.reports.front() == 15;
        if (statement)
            confirmStatementWindow(QStringLiteral("СтройТранс"), true);
        expectViewer();
        if (statement)
            leaveStatementWindow();
        cancelList();
        click(QString::fromUtf8(item.caption));
        dialogs.verify();
        expectLeft();

        const auto sent = reports();
        ASSERT_EQ(sent.size(), item.reports.size() + 1) << reportsDescribed().join('\n').toStdString();
        for (size_t i = 0; i < item.reports.size(); ++i)
            EXPECT_EQ(sent[i].reportNo, item.reports[i]);
        QString expected = item.params;
        expected.replace(QStringLiteral("{beg}"), begOf(kShift)).replace(QStringLiteral("{end}"), endOf(kShift));
        expected.replace(QStringLiteral("{composition}"), describe(LoadComposition().Composition));
        EXPECT_EQ(describe(sent[sent.size() - 2].params), expected);
        EXPECT_EQ(sent.back().reportNo, report::kLastReportHtml);
        const bool onReportThread = threadOf[item.reports.back()] != QCoreApplication::instance()->thread();
        EXPECT_EQ(onReportThread, item.background);

        ASSERT_EQ(listsSeen.size(), 2u);
        EXPECT_EQ(listsSeen[0].caption, item.listCaption);
        EXPECT_EQ(listsSeen[0].propertiesButton, item.listNumber >= 0);
        EXPECT_EQ(listsSeen[0].reportNumber, item.listNumber);
        EXPECT_EQ(listsSeen[0].currentButton, QString::fromUtf8(item.caption) != QStringLiteral("Отчет по мернику"));
        ASSERT_EQ(viewed.size(), 1u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
        // The station's own report, not the list of parameters of a number it does not compute.
        EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("АЗС: "))) << viewed[0].text.toStdString();
        EXPECT_FALSE(viewed[0].text.contains(QStringLiteral("Параметры отчета:"))) << viewed[0].text.toStdString();
        EXPECT_FALSE(viewed[0].html.isEmpty());
    }
}

// ---- the loop: OK, the current shift, cancel ----

TEST_F(ShiftReportsTest, TheShiftReportTakesARangeThenTheCurrentShiftUntilCancelled)
{
    chooseShifts({1097, 1099, 1096}); // across the gap, in no order
    expectWaitWindow();
    expectViewer();
    chooseCurrentShift();
    expectWaitWindow();
    expectViewer();
    cancelList();
    click(QStringLiteral("Сменный отчет"));
    dialogs.verify();
    expectLeft();

    const auto sent = reports();
    ASSERT_EQ(sent.size(), 4u) << reportsDescribed().join('\n').toStdString();
    const QString tail = ", " + describe(LoadComposition().Composition) + ", i32:1, i32:0, str:, bool:0, " + flagsAt(4) +
                         ", i32:0, [i32:104]]";
    EXPECT_EQ(describe(sent[0].params), "[i32:1096, i32:1099" + tail);
    EXPECT_EQ(describe(sent[2].params), "[i8:-1, i8:-1" + tail);
    EXPECT_EQ(viewed.size(), 2u);
    EXPECT_TRUE(listsSeen[0].currentButton);
}

TEST_F(ShiftReportsTest, WithoutCnfIniTheChoiceIsIgnoredAndTheListComesBack)
{
    ASSERT_TRUE(QFile::remove(Paths::toNative(CnfIniFileName())));
    chooseShifts({kShift});
    cancelList();
    click(QStringLiteral("Сменный отчет"));
    dialogs.verify();
    EXPECT_TRUE(reports().empty()) << reportsDescribed().join('\n').toStdString();
    expectLeft();
}

// The current shift where it changes more than the shift numbers (the rest
// are in the parameter builders' table).
TEST_F(ShiftReportsTest, TheCurrentShiftResultOfEachReport)
{
    struct Item {
        const char* caption;
        bool background;
        int reportNo;
        QString params;
        QString viewerCaption;
    };
    const QString none = flagsAt(-1);
    const std::vector<Item> items = {
        {"Отчеты по бонусам и скидкам", false, 9,
         "[i32:1182, " + flagsAt(0) + ", bool:0, i32:1182, bool:1, bool:1, bool:0, [i32:0]]",
         "СМЕННЫЙ ОТЧЕТ ПО БОНУСАМ И СКИДКАМ"},
        {"Отчеты по возвратам", false, 34, "[[" + flagsAt(0) + ", i32:0, i32:1, i32:0], [[i32:0]]]",
         "Сменный отчет по возвратам"},
        {"Сменный отчет по договорам", false, 26, "[u8:0, " + flagsAt(8) + ", [i32:108]]",
         "Текущий сменный отчет по договорам"},
        {"Отчеты по картам", true, 52, "[u8:0, u8:0, u8:0, u8:0, " + none + ", str:, bool:0, []]",
         "Отливы по пластиковым картам"},
    };
    for (const Item& item : items) {
        SCOPED_TRACE(item.caption);
        host.reportCalls.clear();
        viewed.clear();
        chooseCurrentShift();
        if (item.background)
            expectWaitWindow();
        expectViewer();
        cancelList();
        click(QString::fromUtf8(item.caption));
        dialogs.verify();
        const auto sent = reports();
        ASSERT_GE(sent.size(), 2u) << reportsDescribed().join('\n').toStdString();
        EXPECT_EQ(sent[sent.size() - 2].reportNo, item.reportNo);
        EXPECT_EQ(describe(sent[sent.size() - 2].params), item.params);
        ASSERT_EQ(viewed.size(), 1u);
        EXPECT_EQ(viewed[0].caption, item.viewerCaption);
    }
}

TEST_F(ShiftReportsTest, ReturnsGoPlainWhenTheEngineDoesNotTakeTheCodes)
{
    host.onReport = [this](QString& text, int reportNo, const Variant& params) {
        if (isService({reportNo, params}, report::kSelectorReturnsCodes))
            text = QStringLiteral("NO");
        else
            forward(text, reportNo, params);
    };
    chooseShifts({kShift});
    expectViewer();
    chooseCurrentShift();
    expectViewer();
    cancelList();
    click(QStringLiteral("Отчеты по возвратам"));
    dialogs.verify();
    const auto sent = reports();
    ASSERT_EQ(sent.size(), 6u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(describe(sent[0].params), QStringLiteral("[u8:14]"));
    EXPECT_EQ(describe(sent[1].params), "[" + flagsAt(0) + ", i32:0, i32:1, " + begOf(kShift) + ", " + endOf(kShift) +
                                            ", i32:1003, str:" + kShiftOperator + ", i32:1003, i32:0]");
    EXPECT_EQ(describe(sent[4].params), "[" + flagsAt(0) + ", i32:0, i32:1, i32:0]");
}

TEST_F(ShiftReportsTest, TheContragentWindowComesBackAfterEachReportAndItsListsAreClosedAfterwards)
{
    chooseCurrentShift();
    confirmStatementWindow(QStringLiteral("СтройТранс"));
    expectViewer();
    confirmStatementWindow(QStringLiteral("Автобаза №3"), true);
    expectViewer();
    leaveStatementWindow();
    cancelList();
    click(QStringLiteral("Сменный отчет по контрагенту"));
    dialogs.verify();
    expectLeft();
    TDBFrm& db = *state().dataModule;
    EXPECT_FALSE(db.VDCnt.Active());
    EXPECT_FALSE(db.VDCar.Active());
    // The statement clients of the client table answer, so the older table is not asked.
    const QStringList sql = queries();
    ASSERT_GE(sql.size(), 2);
    EXPECT_EQ(sql[0], QStringLiteral(
        "SELECT c.CONTR_ID AS ID, c.NAME, ct.PARAM1 AS VIDOPL FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON "
        "ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (ct.PARAM1 - ct.PARAM1 / 100 "
        "* 100 = 4) ORDER BY c.NAME"));
    EXPECT_EQ(sql[1], QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME"));
    EXPECT_FALSE(sql.join('\n').contains(QStringLiteral("VDCONTRACTOR")));

    const auto sent = reports();
    ASSERT_EQ(sent.size(), 4u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(sent[0].reportNo, 17);
    EXPECT_EQ(describe(sent[0].params), "[str:СтройТранс, " + flagsAt(4) + ", bool:0, bool:0, bool:1, [i32:104]]");
    EXPECT_EQ(describe(sent[2].params), "[str:Автобаза №3, " + flagsAt(4) + ", bool:1, bool:0, bool:1, [i32:104]]");
    ASSERT_EQ(viewed.size(), 2u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ТЕКУЩИЙ СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ"));
    EXPECT_EQ(carTitles, QStringList{QStringLiteral("Автомобиль")});
    EXPECT_FALSE(carGridEnabled);
    EXPECT_EQ(carIndex, QStringLiteral("CONTR_ID;NAME"));
}

TEST_F(ShiftReportsTest, WithoutStatementClientsInTheClientTableTheOlderTableIsUsed)
{
    // The station answers the client table's query with no row.
    host.onReport = [this](QString& text, int reportNo, const Variant& params) {
        Variant sent = params;
        if (isService({reportNo, params}, report::kSelectorProviderData) &&
            params.at(1).toString().contains(QStringLiteral("ct.PARAM1 AS VIDOPL")))
            sent[1] = Variant(params.at(1).toString().replace(QStringLiteral(" ORDER BY"), QStringLiteral(" AND 1 = 0 ORDER BY")));
        forward(text, reportNo, sent);
    };
    chooseShifts({kShift});
    confirmStatementWindow(QStringLiteral("Горэлектротранс"));
    expectViewer();
    leaveStatementWindow();
    cancelList();
    click(QStringLiteral("Сменный отчет по контрагенту"));
    dialogs.verify();

    const QStringList sql = queries();
    ASSERT_GE(sql.size(), 4);
    EXPECT_EQ(sql[1], QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 ORDER BY NAME"));
    EXPECT_EQ(sql[2], QStringLiteral("SELECT * FROM VDCAR WHERE ISDELETE=0 ORDER BY NAME"));
    // The window reloads from the older table too.
    EXPECT_TRUE(sql[3].startsWith(QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 AND ( VIDOPL = 104 )")))
        << sql[3].toStdString();
    EXPECT_EQ(carIndex, QStringLiteral("CID;NAME"));
    const auto sent = reports();
    ASSERT_EQ(sent.size(), 2u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(describe(sent[0].params.at(2)), QStringLiteral("str:Горэлектротранс"));
}

// ---- statements: a range sends no operator; few payment types leave the name out ----

TEST_F(ShiftReportsTest, StatementsOverARangeSendNoOperatorAndFewPaymentTypesGiveAnEmptyName)
{
    host.privValues[19] = Variant(Variant::Array{Variant("Наличные"), Variant("Карты"), Variant("Безнал")});
    DoSetNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
    chooseShifts({1001, 1003});
    expectViewer();
    cancelList();
    click(QStringLiteral("Сменный отчет по ведомостям"));
    dialogs.verify();
    const auto sent = reports();
    ASSERT_EQ(sent.size(), 2u) << reportsDescribed().join('\n').toStdString();
    // Position 4 is beyond the three payment types: nothing is flagged.
    EXPECT_EQ(describe(sent[0].params), "[" + begOf(1001) + ", " + endOf(1003) +
                                            ", str:1001, str:, str:1003, [i32:0, i32:0, i32:0], str:, []]");
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"\""));
}

// ---- cards: the mask typed or scanned ----

TEST_F(ShiftReportsTest, TheCardMaskIsTypedOrScannedAndTheScannerStopsOnLeaving)
{
    const QString lectra = qEnvironmentVariable("VELTA_BIN_DIR") + QStringLiteral("/../lib/liblectra.so");
    void* scanner = ::dlopen(QFile::encodeName(lectra).constData(), RTLD_NOW);
    ASSERT_NE(scanner, nullptr) << ::dlerror();
    using DeliverFn = int (*)(const char*, int);
    const auto deliver = reinterpret_cast<DeliverFn>(::dlsym(scanner, "VeltaScanDeliver"));
    ASSERT_NE(deliver, nullptr);

    chooseShifts({kShift}, [](TSmenaListFrm& list) {
        list.findChild<QLineEdit*>(QStringLiteral("edSimpleText"))->setText(QStringLiteral("12*"));
    });
    expectWaitWindow();
    expectViewer();
    chooseShifts({kShift}, [deliver](TSmenaListFrm& list) {
        // The scanner library's own thread hands the code over.
        ASSERT_EQ(deliver("7789*0*", 7), 1);
        auto* edit = list.findChild<QLineEdit*>(QStringLiteral("edSimpleText"));
        EXPECT_TRUE(test::spinUntil([edit] { return edit->text() == QStringLiteral("7789*0*"); }));
    });
    expectWaitWindow();
    expectViewer();
    cancelList();
    click(QStringLiteral("Отчеты по картам"));
    dialogs.verify();
    expectLeft();
    EXPECT_EQ(deliver("1", 1), 0); // no event procedure installed any more
    ::dlclose(scanner);

    const auto sent = reports();
    ASSERT_EQ(sent.size(), 4u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(describe(sent[0].params.at(5)), QStringLiteral("str:12%"));
    EXPECT_EQ(describe(sent[2].params.at(5)), QStringLiteral("str:7789%0%"));
    ASSERT_EQ(viewed.size(), 2u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("Отливы по номеру карты"));
    ASSERT_FALSE(listsSeen.empty());
    EXPECT_EQ(listsSeen[0].minimumWidth, 567);
}

// ---- leaving after an error, and an empty shift log ----

TEST_F(ShiftReportsTest, AReportErrorReachesTheHostAfterTheListIsGoneAndTheServerDisconnected)
{
    host.onReport = [this](QString& text, int reportNo, const Variant& params) {
        if (reportNo == report::kBonusShift)
            throw Exception(QStringLiteral("отчет сломан"));
        forward(text, reportNo, params);
    };
    chooseShifts({kShift});
    try {
        click(QStringLiteral("Отчеты по бонусам и скидкам"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("отчет сломан"));
    }
    dialogs.verify();
    expectLeft();
    EXPECT_TRUE(viewed.empty());
}

TEST_F(ShiftReportsTest, AnEmptyShiftLogDisablesTheChoiceAndOkEndsTheReportAtOnce)
{
    TClientDataSet& log = state().dataModule->SmLogtable;
    log.SetFilter(QStringLiteral("SmNum < 0"));
    log.SetFiltered(true);
    expectList([](TSmenaListFrm& list) { static_cast<QDialog&>(list).done(mrOk); });
    click(QStringLiteral("Отчеты по номерным талонам"));
    // The terminal returns keep the choice enabled; OK on the empty log ends them too.
    expectList([](TSmenaListFrm& list) { static_cast<QDialog&>(list).done(mrOk); });
    click(QStringLiteral("Непроизведенные возвраты на терминал"));
    log.SetFiltered(false);
    log.SetFilter(QString());
    dialogs.verify();
    EXPECT_TRUE(reports().empty()) << reportsDescribed().join('\n').toStdString();
    ASSERT_EQ(listsSeen.size(), 2u);
    EXPECT_FALSE(listsSeen[0].choiceEnabled);
    EXPECT_TRUE(listsSeen[1].choiceEnabled);
    expectLeft();
}

// The price history takes its period from the period chooser, which comes back
// after each report until it is cancelled.
TEST_F(ShiftReportsTest, ThePriceHistoryTakesEachChosenPeriodUntilTheChooserIsCancelled)
{
    const TDateTime begin = 45366.0;             // 15.03.2024 0:00
    const TDateTime end = 45382.999999988425926; // 31.03.2024 23:59:59.999
    dialogs.expectModal(QStringLiteral("TChoosePeriodForm")).drive([=](QDialog& window) {
        auto& chooser = static_cast<selection::TChoosePeriodForm&>(window);
        chooser.SetBegin(begin);
        chooser.SetEnd(end);
        window.done(mrOk);
    });
    expectViewer();
    dialogs.expectModal(QStringLiteral("TChoosePeriodForm")).drive([](QDialog& window) { window.reject(); });
    // The item is an office workplace's; the handler itself does not look at its sender.
    test::TestMenuItem* anyItem = host.mainMenu().child(ReportMenuCaption())->child(QStringLiteral("Сменный отчет"));
    ASSERT_NE(anyItem, nullptr);
    report().PriceHistoryReport(*anyItem);
    dialogs.verify();
    const std::vector<TestHost::ReportCall> sent = reports();
    ASSERT_EQ(sent.size(), 2u) << reportsDescribed().join('\n').toStdString();
    EXPECT_EQ(sent[0].reportNo, report::kService);
    EXPECT_EQ(describe(sent[0].params), QStringLiteral("[u8:18, date:%1, date:%2]")
                                            .arg(QString::number(begin, 'f', 6), QString::number(end, 'f', 6)));
    EXPECT_EQ(sent[1].reportNo, report::kLastReportHtml);
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("ИСТОРИЯ ИЗМЕНЕНИЯ ЦЕН НА ГСМ"));
    EXPECT_FALSE(viewed[0].text.isEmpty());
}

} // namespace
} // namespace velta::core
