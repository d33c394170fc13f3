// The report calls against a real station server: remote reports over their
// own connection (and their HTML kept for the host's report 55), a remote
// failure leaving no log line, and SQL data and service functions through a
// host report function that asks the station's engine.
#include "ReportCallsTestHost.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/platform/Clock.h"
#include "tests/support/SharedStationTest.h"

#include <QTcpServer>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::core;
using namespace velta::test;

namespace {

class ReportCallsStationTest : public SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        host.values[7] = Variant(QStringLiteral("127.0.0.1"));
        host.values[56] = Variant(1);
    }

    // The host's report function as the stand-in host has it: the station's
    // engine over the host's own connection.
    void forwardReportsToStation()
    {
        hostConnection.connect(QStringLiteral("127.0.0.1"), station_->port());
        host.onReport = [this](QString& text, int reportNo, const Variant& params) {
            text = hostConnection
                       .call(QString::fromLatin1(station::kGetReport),
                             {Variant(reportNo), params, Variant(ReportWorkplaceName())})
                       .toString();
        };
    }

    TestEnv env;
    ManualClock clock;
    ScopedClock useClock{clock};
    ScriptedHost host;
    WireClient hostConnection;
};

TEST_F(ReportCallsStationTest, ARemoteWorkplaceAsksTheServerWithoutThePrologue)
{
    host.values[46] = Variant(1);
    QString text;
    // 200 is a number the station does not compute: it lists what it received.
    ProduceReport(200, Variant(Variant::Array{Variant(7), Variant(QStringLiteral("Иванов"))}), text);

    EXPECT_TRUE(host.calls.isEmpty()); // neither prologue nor host report function
    EXPECT_TRUE(text.contains(QStringLiteral("ОТЧЕТ №200"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"Иванов\""))) << text.toStdString();
    const QString line = QStringLiteral("Отчет #200 сформирован (0 мс; %1 байт)").arg(codec::toCp1251(text).size());
    EXPECT_TRUE(ScriptedHost::logText().contains(line)) << ScriptedHost::logText().toStdString();
}

TEST_F(ReportCallsStationTest, TheHostsReport55FindsTheRemoteReportsRendering)
{
    host.values[46] = Variant(2);
    forwardReportsToStation();
    QString text;
    ProduceReport(61, Variant(Variant::Array{Variant(QStringLiteral("смена"))}), text);
    QString html;
    RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
    EXPECT_TRUE(html.contains(QStringLiteral("<html"))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("61"))) << html.toStdString();
}

TEST_F(ReportCallsStationTest, ARemoteFailureRaisesAndLeavesNoLogLine)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();
    qputenv("VELTA_STATION_PORT", QByteArray::number(closedPort));

    host.values[46] = Variant(1);
    QString text = QStringLiteral("before");
    EXPECT_THROW(ProduceReport(45, Variant(Variant::Array{}), text), Exception);
    EXPECT_EQ(text, QStringLiteral("before"));
    EXPECT_TRUE(ScriptedHost::logText().isEmpty()) << ScriptedHost::logText().toStdString();
}

TEST_F(ReportCallsStationTest, AFailingHostValueOnARemoteWorkplaceIsNotLoggedEither)
{
    host.values[46] = Variant(1);
    host.failingValues.insert(7);
    QString text;
    EXPECT_THROW(ProduceReport(45, Variant(Variant::Array{}), text), EOleException);
    EXPECT_TRUE(ScriptedHost::logText().isEmpty());
}

TEST_F(ReportCallsStationTest, ProviderDataOpensAsAClientDataSet)
{
    forwardReportsToStation();
    Variant data;
    GetProviderData(QStringLiteral("SELECT ID, NAME FROM SCANDOCTYPE ORDER BY ID"), 0, data);
    ASSERT_TRUE(data.isByteArray());
    TClientDataSet types;
    types.SetData(data.toByteArray());
    EXPECT_GT(types.RecordCount(), 0);
    EXPECT_NE(types.FindField(QStringLiteral("NAME")), nullptr);
}

TEST_F(ReportCallsStationTest, GeneratorIdentifiersComeBackAsIncreasingIntegers)
{
    forwardReportsToStation();
    Variant first;
    Variant second;
    RptCallFunctionWithGSMDBConnect(2, Variant(Variant::Array{}), first);
    RptCallFunctionWithGSMDBConnect(2, Variant(Variant::Array{}), second);
    ASSERT_TRUE(first.isNumeric());
    ASSERT_TRUE(second.isNumeric());
    EXPECT_GT(second.toInt(), first.toInt());
}

TEST_F(ReportCallsStationTest, AnUnknownFunctionFailsWithBothNamesAndOneTag)
{
    forwardReportsToStation();
    Variant result;
    try {
        RptCallFunctionWithGSMDBConnect(99, Variant(Variant::Array{}), result);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("RptCallFunctionWithGSMDBConnect -> RptCallFunction -> ")))
            << e.what();
        EXPECT_EQ(e.message().count(QStringLiteral(" <# ")), 1) << e.what();
        EXPECT_TRUE(e.message().endsWith(QStringLiteral(" <# ") + e.className() + QStringLiteral(" #>"))) << e.what();
    }
}

} // namespace
