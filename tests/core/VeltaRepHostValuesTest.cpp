// The typed host values and their fallbacks.
#include "common/Exception.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Sound.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::core {
namespace {

using test::TestHost;

void printRoutine(int, const QStringList&, bool) {}

class HostValuesTest : public ::testing::Test {
protected:
    HostValuesTest() { ResetPluginState(); }
    ~HostValuesTest() override { ResetPluginState(); }
    void connect()
    {
        host().getValue = &TestHost::getValue;
        host().getPrivValue = &TestHost::getPrivValue;
    }
    TestHost testHost;
};

TEST_F(HostValuesTest, WithoutCallbacksEveryAnswerIsEmpty)
{
    EXPECT_TRUE(HostValues::value(46).isEmpty());
    EXPECT_TRUE(HostValues::privValue(15).isEmpty());
    EXPECT_FALSE(HostValues::hasLoadingRack());
    EXPECT_EQ(HostValues::setMenuItemState(), nullptr);
    EXPECT_EQ(HostValues::stationName(), QStringLiteral("АЗС"));
    EXPECT_EQ(HostValues::hostVersion(), 9.0);
}

TEST_F(HostValuesTest, StationNameFallsBackOnEmptyOrFailingAnswers)
{
    connect();
    testHost.values[13] = Variant("АЗС №7");
    EXPECT_EQ(HostValues::stationName(), QStringLiteral("АЗС №7"));
    testHost.values[13] = Variant("");
    EXPECT_EQ(HostValues::stationName(), QStringLiteral("АЗС"));
    testHost.failingValues.insert(13);
    EXPECT_EQ(HostValues::stationName(), QStringLiteral("АЗС"));
}

TEST_F(HostValuesTest, HostVersionTakesTextAsNineAndNumbersAsThey)
{
    connect();
    testHost.values[101] = Variant("10.2");
    EXPECT_EQ(HostValues::hostVersion(), 9.0);
    testHost.values[101] = Variant(10);
    EXPECT_EQ(HostValues::hostVersion(), 10.0);
}

TEST_F(HostValuesTest, LoadingRackIsGuardedButKeeperQuestionIsNot)
{
    connect();
    testHost.values[80] = Variant(true);
    EXPECT_TRUE(HostValues::hasLoadingRack());
    testHost.failingValues.insert(80);
    EXPECT_FALSE(HostValues::hasLoadingRack());
    testHost.failingValues.insert(89);
    EXPECT_THROW(HostValues::showKeeperItem(), Exception);
}

TEST_F(HostValuesTest, FunctionAnswersNeedANonZeroOrdinal)
{
    connect();
    testHost.values[85] = Variant(0);
    EXPECT_EQ(HostValues::setMenuItemState(), nullptr);
    testHost.values[85] = Variant(1.0e6); // a real number is not an address
    EXPECT_EQ(HostValues::setMenuItemState(), nullptr);
    testHost.offerMenuStates();
    EXPECT_EQ(HostValues::setMenuItemState(), &TestHost::setMenuItemState);

    testHost.privValues[22] = plugin::valueFromFunction(&printRoutine);
    EXPECT_EQ(HostValues::hostPrintRoutine(), &printRoutine);
    testHost.values[57] = Variant("нет");
    EXPECT_EQ(HostValues::payTypeList(), nullptr);
}

TEST_F(HostValuesTest, PrintThroughHostNeedsBothFlags)
{
    connect();
    testHost.privValues[9] = Variant(true);
    EXPECT_FALSE(HostValues::printThroughHost());
    testHost.privValues[10] = Variant(true);
    EXPECT_TRUE(HostValues::printThroughHost());
}

TEST_F(HostValuesTest, ShortHostPayTypeListCoversOnlyItsEntries)
{
    test::TestEnv env;
    RecordingSound sound;
    ScopedSound scope(sound);
    connect();
    test::TestPayTypeList list;
    list.entries = {{104, {}, 1, true}};
    testHost.values[57] = Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(&list)));
    testHost.privValues[19] = Variant(Variant::Array{Variant("Вед"), Variant("Нал")});
    ASSERT_NO_THROW(UpdateVidOpl());
    ASSERT_EQ(state().payTypeCount, 2);
    EXPECT_EQ(PayTypeCodeText(0), QStringLiteral("104"));
    EXPECT_EQ(PayTypeCodeText(1), QStringLiteral("1"));
}

} // namespace
} // namespace velta::core
