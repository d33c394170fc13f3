// The shift report items of the menu from the click to the viewer, over a real
// station server: the host's report function forwards every call to the
// station's engine and records it; the shift list, the wait window and the
// viewer are driven through the scripted dialogs.
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/platform/SiblingLibrary.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/window/RptForm.h"
#include "tests/core/WaitFormDriver.h"
#include "tests/menu/VariantDescription.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>

namespace velta::core {
namespace {

using test::describe;
using test::TestHost;

// What the viewer was opened with.
struct Viewed {
    QString caption;
    QString text;
    QString html;
};

class ShiftReportsTest : public test::SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        ResetPluginState();
        host.values[46] = Variant(0);
        host.values[101] = Variant(10.0);
        host.values[7] = Variant(QStringLiteral("127.0.0.1"));
        host.privValues[0] = Variant(true);
        host.privValues[11] = Variant(1);
        host.privValues[15] = Variant(0);
        host.onReport = [this](QString& text, int reportNo, const Variant& params) {
            forward(text, reportNo, params);
        };
        // The sales history shortcuts are not what these tests look at.
        SetStationConfigSource([] { return Variant(); });
        DoSetGetValue(&TestHost::getValue);
        DoInitReportMenu(0, &host.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
        DoSetNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
    }
    void TearDown() override
    {
        SetStationConfigSource({});
        ResetPluginState();
        SharedStationTest<>::TearDown();
    }

    // The host's report function: the station's engine over the host's own
    // connection (kept between calls, so report 55 finds the last report).
    void forward(QString& text, int reportNo, const Variant& params)
    {
        const std::lock_guard lock(forwardMutex);
        threadOf[reportNo] = QThread::currentThread();
        if (!connection)
            connection = station_->connect();
        const Variant answer = connection->call(QString::fromLatin1(station::kGetReport),
                                                {Variant(reportNo), params, Variant(ReportWorkplaceName())});
        text = answer.isEmptyOrNull() ? QString() : answer.toString();
    }

    void click(const QString& caption)
    {
        test::TestMenuItem* item = host.mainMenu().child(ReportMenuCaption())->child(caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        item->click();
    }

    // The reports asked for, without the prologue sent before each.
    std::vector<TestHost::ReportCall> reports() const
    {
        std::vector<TestHost::ReportCall> found;
        for (const TestHost::ReportCall& call : host.reportCalls)
            if (!(call.reportNo == kServiceReport && call.params.isArray() && call.params.arrayCount() > 0 &&
                  call.params.at(0).toInt() == kSelectorPrologue))
                found.push_back(call);
        return found;
    }
    QStringList reportsDescribed() const
    {
        QStringList list;
        for (const TestHost::ReportCall& call : reports())
            list << QString::number(call.reportNo) + QLatin1Char(' ') + describe(call.params);
        return list;
    }

    // The viewer: what it shows is kept, and the user closes it.
    void expectViewer()
    {
        dialogs.expectModal(QStringLiteral("TRptFrm")).drive([this](QDialog& window) {
            auto& form = static_cast<viewer::TRptFrm&>(window);
            viewed.push_back({form.windowTitle(), form.reportText().join(QLatin1Char('\n')), form.htmlText()});
            window.reject();
        });
    }
    void expectWaitWindow() { dialogs.expectModal(QStringLiteral("TWaitForm")).drive(test::untilWorkerCloses()); }

    test::TestEnv env;
    TestHost host{{"&Файл", "&Настройка", "&Журналы", "&Справка"}};
    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
    std::mutex forwardMutex;
    std::unique_ptr<WireClient> connection;
    std::map<int, QThread*> threadOf;
    std::vector<Viewed> viewed;
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
    EXPECT_EQ(describe(params.at(7)),
              QStringLiteral("[i32:0, i32:0, i32:0, i32:0, i32:1, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0]"));
    EXPECT_EQ(describe(params.at(8)), QStringLiteral("i32:0"));
    EXPECT_NE(threadOf[45], QCoreApplication::instance()->thread());
    EXPECT_EQ(sent[1].reportNo, kLastReportHtml);
    EXPECT_EQ(describe(sent[1].params), QStringLiteral("[]"));

    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("Сменный отчет"));
    EXPECT_TRUE(viewed[0].text.contains(QStringLiteral("ОТЧЕТ №45"))) << viewed[0].text.toStdString();
    EXPECT_TRUE(viewed[0].html.contains(QStringLiteral("ОТЧЕТ №45"))) << viewed[0].html.toStdString();
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

} // namespace
} // namespace velta::core
