#pragma once
// Plug-in tests that work the report menu over a shared real station server:
// the host answers as a workplace of the demo station (its values and its
// payment types), its report function forwards every call to the station's
// engine over one connection and records it, and the menu is built as the
// host does at start. Dialogs are scripted; the viewer's contents are kept.
#include "common/Variant.h"
#include "common/WireClient.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

class QThread;

namespace velta::test {

// The demo station's payment types, position -> code.
const QList<std::pair<QString, int>>& demoPayTypes();

// The host's answers of a workplace at the demo station (no office, the
// current shift 1182, every right) and its payment types handed over through
// GetValue 57; payTypes must outlive the host's use of it.
void answerAsDemoWorkplace(TestHost& host, TestPayTypeList& payTypes);

// What the viewer was opened with.
struct ViewedReport {
    QString caption;
    QString text;
    QString html;
};

class MenuStationTest : public SharedStationTest<> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The host's report function: the station's engine over the host's own
    // connection (kept between calls, so report 55 finds the last report).
    void forward(QString& text, int reportNo, const Variant& params);

    // Clicks an item of the report menu.
    void click(const QString& caption);
    // Clicks and returns the error the host would show, empty when none.
    QString clickFailing(const QString& caption);

    static bool isService(const TestHost::ReportCall& call, int selector);
    // The reports asked for, without the prologue sent before each and
    // without the SQL data asked through the service report.
    std::vector<TestHost::ReportCall> reports() const;
    // The same as "number params" texts.
    QStringList reportsDescribed() const;
    // The SQL texts asked for through the service report, in order.
    QStringList queries() const;

    // The viewer: what it shows is kept, and the user closes it.
    void expectViewer();

    TestEnv env;
    // A server of the test's own, when the test needs one sharing its VELTA_ROOT.
    const StationServer* serving = nullptr;
    TestPayTypeList payTypes;
    TestHost host{{"&Файл", "&Настройка", "&Журналы", "&Справка"}};
    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
    std::mutex forwardMutex;
    std::unique_ptr<WireClient> connection;
    // The thread each report number was last asked for on.
    std::map<int, QThread*> threadOf;
    std::vector<ViewedReport> viewed;
};

} // namespace velta::test
