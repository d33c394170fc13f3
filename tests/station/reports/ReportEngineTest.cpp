// The report engine in process: dispatch by number, what report 55 answers on
// a connection and across the connections of one workplace, argument checks.
#include "station/reports/engine/ReportEngine.h"

#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "station/db/FirebirdFile.h"
#include "station/reports/engine/ReportMemory.h"
#include "station/db/StationDatabase.h"
#include "tests/support/ReferenceFile.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>
#include <memory>

namespace velta::test {
namespace {

using station::ReportConnectionState;
using station::ReportEngine;
using station::ReportWorkplaceMemory;

// Reports that do not read the database run on an empty one.
class ReportEngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        env_ = new TestEnv;
        const QString path = env_->path(QStringLiteral("empty.fdb"));
        station::createDatabaseFile(path);
        db_ = new station::StationDatabase(path);
    }
    static void TearDownTestSuite()
    {
        delete db_;
        delete env_;
        db_ = nullptr;
        env_ = nullptr;
    }

    ReportEngine engine(ReportConnectionState& connection) { return ReportEngine(*db_, connection, memory_); }

    static Variant::Array call(int reportNo, Variant::Array params, const QString& workplace = QString())
    {
        Variant::Array args{Variant(reportNo), Variant(std::move(params))};
        if (!workplace.isNull())
            args << Variant(workplace);
        return args;
    }

    static TestEnv* env_;
    static station::StationDatabase* db_;
    ReportWorkplaceMemory memory_;
    ReportConnectionState host_;
    ReportConnectionState remote_;
};
TestEnv* ReportEngineTest::env_ = nullptr;
station::StationDatabase* ReportEngineTest::db_ = nullptr;

::testing::AssertionResult matchesReport(const char* name, const QString& produced)
{
    return matchesReference(QStringLiteral("station/reports/reference/") + QLatin1String(name), produced);
}

const Variant::Array kPrologue{Variant(std::uint16_t{1000}), Variant(3)};

TEST_F(ReportEngineTest, ReportFiftyFiveIsEmptyBeforeAnyReport)
{
    EXPECT_EQ(engine(host_).getReport(call(55, {})), QString());
}

TEST_F(ReportEngineTest, ReportFiftyFiveRendersTheLastReportOfTheConnection)
{
    ReportEngine e = engine(host_);
    const QString text = e.getReport(call(200, {Variant(-1), Variant(QStringLiteral("Смена"))}));
    EXPECT_TRUE(matchesReport("engine-200.txt", text));
    e.getReport(call(21, {Variant(7)}));
    const QString html = e.getReport(call(55, {}));
    EXPECT_TRUE(matchesReport("engine-55-after-21.html", html));
    // Asking again gives the same page; report 55 does not replace what it renders.
    EXPECT_EQ(e.getReport(call(55, {})), html);
}

TEST_F(ReportEngineTest, ServiceCallsLeaveTheLastReportAlone)
{
    ReportEngine e = engine(host_);
    e.getReport(call(20, {Variant(1)}));
    const QString html = e.getReport(call(55, {}));
    EXPECT_EQ(e.getReport(call(35, kPrologue)), QStringLiteral("OK"));
    EXPECT_EQ(host_.prologueValue, 3);
    EXPECT_EQ(e.getReport(call(35, {Variant(std::uint8_t{14})})), QStringLiteral("OK"));
    EXPECT_EQ(e.getReport(call(55, {})), html);
}

TEST_F(ReportEngineTest, OtherSelectorsOfReportThirtyFiveAreReports)
{
    ReportEngine e = engine(host_);
    const QString text = e.getReport(call(35, {Variant(std::uint8_t{20}), Variant(4), Variant(9)}));
    EXPECT_TRUE(matchesReport("engine-35-selector-20.txt", text));
    EXPECT_TRUE(matchesReport("engine-35-selector-20.html", e.getReport(call(55, {}))));
}

TEST_F(ReportEngineTest, FailedReportLeavesNoEarlierRenderingForFiftyFive)
{
    ReportEngine e = engine(host_);
    e.getReport(call(20, {}));
    ASSERT_FALSE(e.getReport(call(55, {})).isEmpty());
    Variant deep(Variant::Array{});
    for (int i = 0; i <= kMaxVariantNesting; ++i)
        deep = Variant(Variant::Array{deep});
    EXPECT_THROW(e.getReport(call(24, {deep})), EVariantError);
    EXPECT_EQ(e.getReport(call(55, {})), QString());
}

TEST_F(ReportEngineTest, RemoteReportReachesTheHostConnectionOfTheSameWorkplace)
{
    // The plug-in's remote path: a report over a connection of its own, then
    // report 55 through the host's connection.
    engine(host_).getReport(call(20, {}, QStringLiteral("WS-1")));
    engine(remote_).getReportEx(call(200, {Variant(5)}, QStringLiteral("WS-1")));
    EXPECT_TRUE(engine(host_).getReport(call(55, {}, QStringLiteral("WS-1"))).contains(QStringLiteral("ОТЧЕТ №200")));

    // Another workplace's remote reports do not reach it.
    ReportConnectionState other;
    engine(other).getReportEx(call(23, {}, QStringLiteral("WS-2")));
    EXPECT_TRUE(engine(host_).getReport(call(55, {}, QStringLiteral("WS-1"))).contains(QStringLiteral("ОТЧЕТ №200")));

    // A later report of the host's own wins over the earlier remote one.
    engine(host_).getReport(call(22, {Variant(1), Variant(2)}, QStringLiteral("WS-1")));
    EXPECT_TRUE(engine(host_).getReport(call(55, {}, QStringLiteral("WS-1"))).contains(QStringLiteral("ОТЧЕТ №22")));
}

TEST_F(ReportEngineTest, ClientsThatNameNoWorkplaceShareOnePlace)
{
    engine(remote_).getReportEx(call(200, {}));
    EXPECT_TRUE(engine(host_).getReport(call(55, {})).contains(QStringLiteral("ОТЧЕТ №200")));
    EXPECT_EQ(engine(host_).getReport(call(55, {}, QStringLiteral("WS-1"))), QString());
}

TEST_F(ReportEngineTest, MalformedArgumentsAreRefused)
{
    ReportEngine e = engine(host_);
    const Variant::Array bad[] = {
        {},
        {Variant(45)},
        {Variant(45), Variant(Variant::Array{}), Variant(QStringLiteral("WS")), Variant(1)},
        {Variant(256), Variant(Variant::Array{})},
        {Variant(-1), Variant(Variant::Array{})},
        {Variant(QStringLiteral("45")), Variant(Variant::Array{})},
        {Variant(45.0), Variant(Variant::Array{})},
        {Variant(45), Variant(Variant::Array{}), Variant(7)},
    };
    for (const Variant::Array& args : bad)
        EXPECT_THROW(e.getReport(args), EProtocolError) << args.size();
    // Any integer type carries the number; a Null workplace names none.
    EXPECT_NO_THROW(e.getReport({Variant(std::uint8_t{255}), Variant(Variant::Array{})}));
    EXPECT_NO_THROW(e.getReportEx({Variant(std::int16_t{20}), Variant(Variant::Array{}), Variant::null()}));
}

TEST_F(ReportEngineTest, ReportThirtyFiveNeedsAnIntegerSelector)
{
    ReportEngine e = engine(host_);
    const Variant params[] = {Variant(), Variant(Variant::Array{}), Variant(14), Variant(Variant::Array{Variant(QStringLiteral("14"))}),
                              Variant(Variant::Array{Variant(14.0)})};
    for (const Variant& p : params)
        EXPECT_THROW(e.getReport({Variant(35), p}), EDatabaseError) << Variant::typeName(p.type()).toStdString();
    EXPECT_THROW(e.getReport(call(35, {Variant(std::uint16_t{1000})})), EDatabaseError); // the prologue without X
}

TEST(ReportWorkplaceMemory, KeepsTheNewerReportAndForgetsTheLongestIdleWorkplace)
{
    ReportWorkplaceMemory memory;
    const std::uint64_t older = memory.nextSequence();
    const std::uint64_t newer = memory.nextSequence();
    memory.remember(QStringLiteral("A"), {newer, QStringLiteral("new")});
    memory.remember(QStringLiteral("A"), {older, QStringLiteral("old")});
    EXPECT_EQ(memory.last(QStringLiteral("A")).html, QStringLiteral("new"));

    for (int i = 1; i < ReportWorkplaceMemory::kMaxWorkplaces; ++i)
        memory.remember(QString::number(i), {memory.nextSequence(), QString::number(i)});
    EXPECT_EQ(memory.workplaceCount(), ReportWorkplaceMemory::kMaxWorkplaces);
    memory.remember(QStringLiteral("1"), {memory.nextSequence(), QStringLiteral("again")});
    memory.remember(QStringLiteral("late"), {memory.nextSequence(), QStringLiteral("late")});
    EXPECT_EQ(memory.workplaceCount(), ReportWorkplaceMemory::kMaxWorkplaces);
    // "A" was idle longest; "1" was used again and stays.
    EXPECT_EQ(memory.last(QStringLiteral("A")).sequence, 0u);
    EXPECT_EQ(memory.last(QStringLiteral("1")).html, QStringLiteral("again"));
    EXPECT_EQ(memory.last(QStringLiteral("late")).html, QStringLiteral("late"));
}

TEST(ReportConnectionMemory, ANewSessionOnTheSameThreadStartsAfresh)
{
    int first = 0;
    int second = 0;
    station::connectionReportState(&first).last = {1, QStringLiteral("x")};
    EXPECT_EQ(station::connectionReportState(&first).last.html, QStringLiteral("x"));
    EXPECT_EQ(station::connectionReportState(&second).last.sequence, 0u);
    EXPECT_EQ(station::connectionReportState(&first).last.sequence, 0u);
}

} // namespace
} // namespace velta::test
