// The host's configuration file and the answers the plug-in gets for each
// value code, with the types the plug-in relies on.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "host/HostConfig.h"
#include "host/HostSession.h"
#include "host/MenuStateRegistry.h"
#include "host/PrintJournal.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

namespace velta::host {
namespace {

class HostAnswers : public ::testing::Test {
protected:
    test::TestEnv env;
    std::unique_ptr<HostConfig> config;
    PrintJournal journal{env.path("journal.txt")};
    MenuStateRegistry states;
    std::unique_ptr<HostSession> session;

    void load(const QString& text = {})
    {
        const QString path = env.path("host.ini");
        if (!text.isEmpty())
            test::writeFileBytes(path, codec::toCp1251(text));
        config = std::make_unique<HostConfig>(path);
        session = std::make_unique<HostSession>(*config, journal, states, nullptr);
        session->activate();
    }
    Variant value(int code)
    {
        Variant result;
        HostSession::GetValue(result, code, 0);
        return result;
    }
    Variant priv(int code)
    {
        Variant result;
        HostSession::GetPrivValue(result, code);
        return result;
    }
};

TEST_F(HostAnswers, MissingFileIsCreatedWithDefaultsInCp1251)
{
    load();
    const QByteArray bytes = test::readFileBytes(env.path("host.ini"));
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.contains(codec::toCp1251(u"StationName=АЗС №1 Северная")));
    EXPECT_EQ(config->payTypes.size(), 11u);
    EXPECT_EQ(config->users.size(), 2u);
    // A second start reads the file it wrote, not fresh defaults.
    test::writeFileBytes(env.path("host.ini"), bytes + codec::toCp1251(u"[PayType11]\r\nName=ЛБР\r\nCode=12\r\n"));
    HostConfig again(env.path("host.ini"));
    ASSERT_EQ(again.payTypes.size(), 12u);
    EXPECT_EQ(again.payTypes.back().name, QStringLiteral("ЛБР"));
    EXPECT_TRUE(again.payTypes.back().enabled);
}

TEST_F(HostAnswers, ValueCodesHaveTheirTypes)
{
    load();
    const struct {
        int code;
        VarType type;
    } expected[] = {{2, VarType::String},  {7, VarType::String},   {13, VarType::String}, {35, VarType::String},
                    {46, VarType::Int32},  {56, VarType::Int32},   {57, VarType::Int64},  {80, VarType::Boolean},
                    {84, VarType::Int64},  {85, VarType::Int32},   {89, VarType::Boolean}, {101, VarType::Double}};
    for (const auto& e : expected)
        EXPECT_EQ(value(e.code).type(), e.type) << "code " << e.code;
    EXPECT_EQ(value(2).toString(), QStringLiteral("Иванова Мария Петровна"));
    EXPECT_EQ(value(13).toString(), QStringLiteral("АЗС №1 Северная"));
    EXPECT_DOUBLE_EQ(value(101).toDouble(), 10.0);
    EXPECT_EQ(value(85).toInt(), 0) << "the default host leaves menu states to the plug-in";
    EXPECT_TRUE(value(3).isEmpty()) << "codes the host does not know answer nothing";
}

TEST_F(HostAnswers, PrivilegeCodesFollowTheCurrentUser)
{
    load();
    EXPECT_EQ(priv(6).type(), VarType::Boolean);
    EXPECT_TRUE(priv(6).toBool());
    EXPECT_FALSE(priv(9).toBool());
    config->currentUser = QStringLiteral("оператор"); // user names match without regard to case
    EXPECT_FALSE(priv(6).toBool());
    EXPECT_TRUE(priv(9).toBool());
    EXPECT_TRUE(priv(10).toBool());
    EXPECT_EQ(value(2).toString(), QStringLiteral("Петров Сергей Иванович"));
    EXPECT_EQ(priv(15).type(), VarType::Int32);
    EXPECT_EQ(priv(12).type(), VarType::Int32);
    EXPECT_EQ(priv(13).toString(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(priv(22).type(), VarType::Int64);
    EXPECT_NE(priv(22).toInt64(), 0);
}

TEST_F(HostAnswers, PayTypeNamesAndListAgree)
{
    load();
    const Variant names = priv(19);
    ASSERT_TRUE(names.isArray());
    ASSERT_EQ(names.arrayCount(), 11);
    EXPECT_EQ(names.at(0).toString(), QStringLiteral("&Наличные"));
    const auto* list = plugin::functionFromValue<const plugin::PayTypeList*>(value(57));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 11);
    EXPECT_EQ(list->entry(7).code, 108) << "the demo station's code of the contract type";
    EXPECT_EQ(list->entry(7).attribute, 1);
    EXPECT_FALSE(list->entry(8).enabled);
    EXPECT_EQ(list->entry(6).name, names.at(6).toString());
    EXPECT_EQ(list->entry(9).code, 204) << "the demo station's limit statements";
    EXPECT_THROW(list->entry(11), Exception);
    EXPECT_THROW(list->entry(-1), Exception);
}

TEST_F(HostAnswers, EditedFileChangesTheAnswers)
{
    load(QStringLiteral("[Host]\r\nStationName=\r\nWorkplaceKind=3\r\nVersion=девять\r\nLoadingRack=1\r\n"
                        "ManagesMenuState=1\r\nOffersPayTypeList=0\r\nCurrentUser=Нет такого\r\n"
                        "[User Кассир]\r\nPriv1=1\r\n[PayType0]\r\nName=\r\nCode=7\r\nAttribute=300\r\n"
                        "[PayType2]\r\nName=пропущен\r\n"));
    EXPECT_EQ(value(13).toString(), QString()) << "an empty name is passed on; the plug-in has its fallback";
    EXPECT_EQ(value(46).toInt(), 3);
    EXPECT_EQ(priv(15).toInt(), 3);
    EXPECT_EQ(value(101).type(), VarType::String) << "a version that is not a number is answered as text";
    EXPECT_TRUE(value(80).toBool());
    EXPECT_EQ(value(57).type(), VarType::String);
    const auto setState = plugin::functionFromValue<plugin::SetMenuItemStateFn>(value(85));
    EXPECT_EQ(setState, &HostSession::SetMenuItemState);
    // An unknown current user falls back to the first configured one.
    EXPECT_TRUE(priv(1).toBool());
    EXPECT_EQ(value(2).toString(), QStringLiteral("Кассир"));
    // The payment types end at the first gap in their numbers.
    ASSERT_EQ(config->payTypes.size(), 1u);
    EXPECT_EQ(config->payTypes[0].attribute, 300 & 0xFF);
    EXPECT_EQ(priv(19).at(0).toString(), QString());
}

TEST_F(HostAnswers, StationPortFallsBackToTheEnvironmentThenTheDefault)
{
    load(QStringLiteral("[Station]\r\nPort=\r\n"));
    qunsetenv("VELTA_STATION_PORT");
    EXPECT_EQ(config->effectiveStationPort(), 5770);
    qputenv("VELTA_STATION_PORT", "6001");
    EXPECT_EQ(config->effectiveStationPort(), 6001);
    qputenv("VELTA_STATION_PORT", "99999");
    EXPECT_EQ(config->effectiveStationPort(), 5770);
    config->stationPort = 7002;
    qputenv("VELTA_STATION_PORT", "6001");
    EXPECT_EQ(config->effectiveStationPort(), 7002);
    qunsetenv("VELTA_STATION_PORT");
}

TEST_F(HostAnswers, CallbacksWithoutAnActiveSessionRaise)
{
    load();
    session.reset();
    Variant result;
    EXPECT_THROW(HostSession::GetValue(result, 13, 0), Exception);
    EXPECT_THROW(HostSession::GetPrivValue(result, 6), Exception);
}

TEST_F(HostAnswers, ReportFunctionWithoutAServerRaises)
{
    load();
    QString text = QStringLiteral("unchanged");
    EXPECT_THROW(HostSession::GetReport(text, 45, Variant(Variant::Array{})), Exception);
    EXPECT_EQ(text, QStringLiteral("unchanged"));
}

} // namespace
} // namespace velta::host
