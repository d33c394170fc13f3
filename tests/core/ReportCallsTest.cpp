// The report calls through a scripted host: the arrays sent to the host's
// report function with their exact element types, RunReport's prologue and log
// lines, its error path, and the decoding and wrapping of service answers.
#include "ReportCallsTestHost.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/platform/Clock.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace velta;
using namespace velta::core;
using namespace velta::test;

namespace {

class ReportCallsTest : public ::testing::Test {
protected:
    void SetUp() override { host.values[56] = Variant(77); }

    TestEnv env;
    ManualClock clock;
    ScopedClock useClock{clock};
    ScriptedHost host;
};

// ---- RunReport ----

TEST_F(ReportCallsTest, RunReportSendsThePrologueBeforeTheReportWithItsTypes)
{
    const Variant params(Variant::Array{Variant(std::uint8_t(1)), Variant(QStringLiteral("x"))});
    QString text;
    RunReport(45, params, text);

    ASSERT_EQ(host.calls.size(), 2);
    EXPECT_EQ(host.calls[0].reportNo, report::kService);
    const Variant& prologue = host.calls[0].params;
    ASSERT_EQ(prologue.arrayCount(), 2);
    EXPECT_EQ(prologue.at(0).type(), VarType::Word);
    EXPECT_EQ(prologue.at(0).toInt(), 1000);
    EXPECT_EQ(prologue.at(1).type(), VarType::Int32);
    EXPECT_EQ(prologue.at(1).toInt(), 77);
    EXPECT_EQ(host.calls[1].reportNo, 45);
    EXPECT_EQ(host.calls[1].params, params);
    EXPECT_EQ(text, QStringLiteral("Отчет"));
}

TEST_F(ReportCallsTest, RunReportLogsElapsedTicksAndBytesOfThe8BitText)
{
    host.onReport = [this](QString& text, int reportNo, const Variant&) {
        if (reportNo == report::kService) {
            clock.advance(5); // the prologue counts too
            return;
        }
        clock.advance(250);
        text = QStringLiteral("Смена 1"); // 7 bytes in cp1251, 12 in UTF-8
    };
    QString text;
    RunReport(45, Variant(Variant::Array{}), text);
    const QString log = ScriptedHost::logText();
    EXPECT_TRUE(log.contains(QStringLiteral(" [инф] [VeltaReports9] Отчет №45 сформирован (255 мс; 7 байт)\r\n")))
        << log.toStdString();
}

TEST_F(ReportCallsTest, AnEmptyAnswerIsLoggedWithZeroBytes)
{
    host.onReport = [](QString& text, int, const Variant&) { text.clear(); };
    QString text = QStringLiteral("old");
    RunReport(12, Variant(Variant::Array{}), text);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_TRUE(ScriptedHost::logText().contains(QStringLiteral("Отчет №12 сформирован (0 мс; 0 байт)")));
}

TEST_F(ReportCallsTest, AFailingPrologueNeverStopsTheReport)
{
    // The host value of the prologue fails: no prologue, the report still runs.
    host.failingValues.insert(56);
    QString text;
    RunReport(20, Variant(Variant::Array{}), text);
    ASSERT_EQ(host.calls.size(), 1);
    EXPECT_EQ(host.calls[0].reportNo, 20);

    // The prologue call itself fails, even with an error outside the family.
    host.failingValues.clear();
    host.calls.clear();
    host.onReport = [](QString& text, int reportNo, const Variant&) {
        if (reportNo == report::kService)
            throw std::runtime_error("engine busy");
        text = QStringLiteral("ok");
    };
    RunReport(21, Variant(Variant::Array{}), text);
    EXPECT_EQ(host.calls.size(), 2);
    EXPECT_EQ(text, QStringLiteral("ok"));
    EXPECT_FALSE(ScriptedHost::logText().contains(QStringLiteral("Ошибка")));
}

TEST_F(ReportCallsTest, AReportErrorIsLoggedOnceAndRaisedAgainAsItsOwnClass)
{
    host.onReport = [](QString&, int reportNo, const Variant&) {
        if (reportNo != report::kService)
            throw EDatabaseError(QStringLiteral("нет смены"));
    };
    QString text;
    try {
        RunReport(9, Variant(Variant::Array{}), text);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("нет смены"));
    }
    const QString log = ScriptedHost::logText();
    EXPECT_EQ(log.count(QStringLiteral("Ошибка формирования отчета №9: нет смены")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(" [ошиб]")));
    EXPECT_FALSE(log.contains(QStringLiteral("сформирован (")));
}

TEST_F(ReportCallsTest, WithoutTheReportFunctionRunReportLogsAndRaises)
{
    core::host().getReport = nullptr;
    QString text;
    const QString message = QStringLiteral("Отчет не сформирован, т.к. переменная \"GetReport_\" не инициализирована!");
    try {
        RunReport(3, Variant(Variant::Array{}), text);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), message);
    }
    EXPECT_TRUE(ScriptedHost::logText().contains(QStringLiteral("Ошибка формирования отчета №3: ") + message));
}

TEST_F(ReportCallsTest, ErrorsOutsideTheFamilyPassUnlogged)
{
    host.onReport = [](QString&, int reportNo, const Variant&) {
        if (reportNo != report::kService)
            throw std::runtime_error("crash");
    };
    QString text;
    EXPECT_THROW(RunReport(4, Variant(Variant::Array{}), text), std::runtime_error);
    EXPECT_FALSE(ScriptedHost::logText().contains(QStringLiteral("№4")));
}

TEST_F(ReportCallsTest, ProduceReportOnLocalWorkplacesIsRunReport)
{
    for (int kind : {0, 3}) {
        host.calls.clear();
        host.values[46] = Variant(kind);
        QString text;
        ProduceReport(30, Variant(Variant::Array{}), text);
        ASSERT_EQ(host.calls.size(), 2) << "kind " << kind;
        EXPECT_EQ(host.calls[0].reportNo, report::kService);
        EXPECT_EQ(host.calls[1].reportNo, 30);
    }
    EXPECT_EQ(ScriptedHost::logText().count(QStringLiteral("Отчет №30 сформирован")), 2);
}

// ---- GetProviderData ----

TEST_F(ReportCallsTest, GetProviderDataSendsSelectorTwoAndDecodesTheHexPacket)
{
    host.onReport = [](QString& text, int, const Variant&) { text = QStringLiteral("00ff7A41"); };
    Variant data;
    GetProviderData(QStringLiteral("SELECT * FROM Office"), 1, data);

    ASSERT_EQ(host.calls.size(), 1); // no prologue on this path
    EXPECT_EQ(host.calls[0].reportNo, report::kService);
    const Variant& params = host.calls[0].params;
    ASSERT_EQ(params.arrayCount(), 3);
    EXPECT_EQ(params.at(0).type(), VarType::Byte);
    EXPECT_EQ(params.at(0).toInt(), 2);
    EXPECT_EQ(params.at(1), Variant(QStringLiteral("SELECT * FROM Office")));
    EXPECT_EQ(params.at(2).type(), VarType::Int32);
    EXPECT_EQ(params.at(2).toInt(), 1);
    ASSERT_TRUE(data.isByteArray());
    EXPECT_EQ(data.toByteArray(), QByteArray("\x00\xff\x7a\x41", 4));
}

TEST_F(ReportCallsTest, GetProviderDataWithoutTheReportFunction)
{
    core::host().getReport = nullptr;
    Variant data;
    try {
        GetProviderData(QStringLiteral("SELECT 1"), 0, data);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("GetProviderData -> функция \"GetReport\" не определа!"));
    }
}

TEST_F(ReportCallsTest, GetProviderDataErrorsAreNotWrapped)
{
    host.onReport = [](QString&, int, const Variant&) { throw EDatabaseError(QStringLiteral("bad SQL")); };
    Variant data;
    try {
        GetProviderData(QStringLiteral("SELEC"), 0, data);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("bad SQL"));
    }
}

// ---- RptCallFunction ----

class RptCallFunctionTest : public ReportCallsTest {
protected:
    void answer(const QString& text)
    {
        host.onReport = [text](QString& out, int, const Variant&) { out = text; };
    }
};

TEST_F(RptCallFunctionTest, SendsSelectorSeventeenWithFunctionAndArguments)
{
    answer(QStringLiteral("raw:3#0#7B#0"));
    const Variant args(Variant::Array{Variant(QStringLiteral("a")), Variant(5)});
    Variant result;
    RptCallFunction(8, args, result);

    ASSERT_EQ(host.calls.size(), 1);
    EXPECT_EQ(host.calls[0].reportNo, report::kService);
    const Variant& params = host.calls[0].params;
    ASSERT_EQ(params.arrayCount(), 3);
    EXPECT_EQ(params.at(0).type(), VarType::Byte);
    EXPECT_EQ(params.at(0).toInt(), 17);
    EXPECT_EQ(params.at(1).type(), VarType::Int32);
    EXPECT_EQ(params.at(1).toInt(), 8);
    EXPECT_EQ(params.at(2), args);
    EXPECT_EQ(result.type(), VarType::Int32);
    EXPECT_EQ(result.toInt(), 123);
}

TEST_F(RptCallFunctionTest, DecodesStringsBadHexAndNestedArrays)
{
    Variant result;
    answer(QStringLiteral("str:414243"));
    RptCallFunction(1, Variant(Variant::Array{}), result);
    EXPECT_EQ(result, Variant(QStringLiteral("ABC")));

    answer(QStringLiteral("str:4G"));
    RptCallFunction(1, Variant(Variant::Array{}), result);
    EXPECT_EQ(result, Variant(QStringLiteral("?")));

    // "str:41" and "str:4243" hex-encoded as the items of an array.
    answer(QStringLiteral("varar:7374723A3431#7374723A34323433"));
    RptCallFunction(1, Variant(Variant::Array{}), result);
    ASSERT_TRUE(result.isArray());
    EXPECT_EQ(result, Variant(Variant::Array{Variant(QStringLiteral("A")), Variant(QStringLiteral("BC"))}));
}

TEST_F(RptCallFunctionTest, AnAnswerWithoutATypeLeavesTheResultAndAnUnknownTypeEmptiesIt)
{
    Variant result(QStringLiteral("before"));
    answer(QStringLiteral("OK"));
    RptCallFunction(1, Variant(Variant::Array{}), result);
    EXPECT_EQ(result, Variant(QStringLiteral("before")));

    answer(QStringLiteral("blob:00"));
    RptCallFunction(1, Variant(Variant::Array{}), result);
    EXPECT_TRUE(result.isEmpty());
}

TEST_F(RptCallFunctionTest, ErrorsAreWrappedWithTheNameAndOneClassTag)
{
    host.onReport = [](QString&, int, const Variant&) { throw EDatabaseError(QStringLiteral("generator missing")); };
    Variant result;
    try {
        RptCallFunction(1, Variant(Variant::Array{}), result);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("RptCallFunction -> generator missing <# EDatabaseError #>"));
    }
    try {
        RptCallFunctionWithGSMDBConnect(2, Variant(Variant::Array{}), result);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("RptCallFunctionWithGSMDBConnect -> RptCallFunction -> generator missing "
                                              "<# EDatabaseError #>"));
    }
}

TEST_F(RptCallFunctionTest, AnAnswerThatCannotBeDecodedIsWrappedToo)
{
    answer(QStringLiteral("raw:zz"));
    Variant result;
    try {
        RptCallFunction(1, Variant(Variant::Array{}), result);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("RptCallFunction -> "))) << e.what();
        EXPECT_EQ(e.message().count(QStringLiteral(" <# ")), 1) << e.what();
    }
}

TEST_F(RptCallFunctionTest, WithGSMDBConnectNestsTheCallAsFunctionTwo)
{
    answer(QStringLiteral("raw:3#0#2A#0"));
    const Variant args(Variant::Array{});
    Variant result;
    RptCallFunctionWithGSMDBConnect(1, args, result);

    ASSERT_EQ(host.calls.size(), 1);
    const Variant& params = host.calls[0].params;
    EXPECT_EQ(params.at(0).toInt(), 17);
    EXPECT_EQ(params.at(1).type(), VarType::Int32);
    EXPECT_EQ(params.at(1).toInt(), 2);
    const Variant& inner = params.at(2);
    ASSERT_EQ(inner.arrayCount(), 2);
    EXPECT_EQ(inner.at(0).type(), VarType::Int32);
    EXPECT_EQ(inner.at(0).toInt(), 1);
    EXPECT_EQ(inner.at(1), args);
    EXPECT_EQ(result.toInt(), 42);
}

TEST_F(RptCallFunctionTest, WithoutTheReportFunction)
{
    core::host().getReport = nullptr;
    Variant result;
    try {
        RptCallFunction(1, Variant(Variant::Array{}), result);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Функция \"GetReport\" не определа!"));
    }
}

} // namespace
