#include "tests/support/MenuStationFixture.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/viewer/window/RptForm.h"
#include "tests/support/VariantDescription.h"

#include <QDialog>
#include <QThread>
#include <cstdint>

namespace velta::test {

const QList<std::pair<QString, int>>& demoPayTypes()
{
    static const QList<std::pair<QString, int>> types = {
        {"Наличные", 0}, {"Платеж. терминал", 1}, {"Товарные карты", 2}, {"Безналичные", 3},
        {"Ведомость +", 104}, {"Мерник", 5}, {"Ведомость лимитная", 204}, {"Самообслуживание", 7},
        {"Договорной", 108}, {"Талоны", 9}, {"Дисконтные карты", 10}};
    return types;
}

void answerAsDemoWorkplace(TestHost& host, TestPayTypeList& payTypes)
{
    host.values[46] = Variant(0);
    host.values[101] = Variant(10.0);
    host.values[7] = Variant(QStringLiteral("127.0.0.1"));
    host.privValues[0] = Variant(true);
    host.privValues[11] = Variant(1);
    host.privValues[15] = Variant(0);
    host.privValues[12] = Variant(1182);
    Variant::Array names;
    for (const auto& [name, code] : demoPayTypes()) {
        names.append(Variant(name));
        payTypes.entries.append({code, name, 0, true});
    }
    host.privValues[19] = Variant(names);
    host.values[57] = Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(&payTypes)));
}

void MenuStationTest::SetUp()
{
    SharedStationTest<>::SetUp();
    if (!stationReady())
        return;
    core::ResetPluginState();
    answerAsDemoWorkplace(host, payTypes);
    host.onReport = [this](QString& text, int reportNo, const Variant& params) { forward(text, reportNo, params); };
    // The sales history shortcuts are not what these tests look at.
    core::SetStationConfigSource([] { return Variant(); });
    core::DoSetGetValue(&TestHost::getValue);
    core::DoInitReportMenu(0, &host.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    core::DoSetNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
}

void MenuStationTest::TearDown()
{
    core::SetStationConfigSource({});
    core::ResetPluginState();
    SharedStationTest<>::TearDown();
}

void MenuStationTest::forward(QString& text, int reportNo, const Variant& params)
{
    const std::lock_guard lock(forwardMutex);
    threadOf[reportNo] = QThread::currentThread();
    if (!connection)
        connection = (serving ? serving : station_)->connect();
    const Variant answer = connection->call(QString::fromLatin1(station::kGetReport),
                                            {Variant(reportNo), params, Variant(core::ReportWorkplaceName())});
    text = answer.isEmptyOrNull() ? QString() : answer.toString();
}

void MenuStationTest::click(const QString& caption)
{
    TestMenuItem* item = host.mainMenu().child(core::ReportMenuCaption())->child(caption);
    ASSERT_NE(item, nullptr) << caption.toStdString();
    item->click();
}

QString MenuStationTest::clickFailing(const QString& caption)
{
    try {
        click(caption);
    } catch (const Exception& e) {
        return e.message();
    }
    return QString();
}

bool MenuStationTest::isService(const TestHost::ReportCall& call, int selector)
{
    return call.reportNo == report::kService && call.params.isArray() && call.params.arrayCount() > 0 &&
           call.params.at(0).toInt() == selector;
}

std::vector<TestHost::ReportCall> MenuStationTest::reports() const
{
    std::vector<TestHost::ReportCall> found;
    for (const TestHost::ReportCall& call : host.reportCalls)
        if (!isService(call, report::kSelectorPrologue) && !isService(call, report::kSelectorProviderData))
            found.push_back(call);
    return found;
}

QStringList MenuStationTest::reportsDescribed() const
{
    QStringList list;
    for (const TestHost::ReportCall& call : reports())
        list << QString::number(call.reportNo) + QLatin1Char(' ') + describe(call.params);
    return list;
}

QStringList MenuStationTest::queries() const
{
    QStringList found;
    for (const TestHost::ReportCall& call : host.reportCalls)
        if (isService(call, report::kSelectorProviderData))
            found << call.params.at(1).toString();
    return found;
}

void MenuStationTest::expectViewer()
{
    dialogs.expectModal(QStringLiteral("TRptFrm")).drive([this](QDialog& window) {
        auto& form = static_cast<viewer::TRptFrm&>(window);
        viewed.push_back({form.windowTitle(), form.reportText().join(QLatin1Char('\n')), form.htmlText()});
        window.reject();
    });
}

} // namespace velta::test
