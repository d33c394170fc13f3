// Payment types of the host: UpdateVidOpl, ReadPayTypeFlags and the selected codes.
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Registry.h"
#include "plugin/platform/Sound.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::core {
namespace {

using test::TestHost;
using test::TestPayTypeList;

class PayTypesTest : public ::testing::Test {
protected:
    PayTypesTest() { ResetPluginState(); }
    ~PayTypesTest() override { ResetPluginState(); }

    void connectHost()
    {
        host().getValue = &TestHost::getValue;
        host().getPrivValue = &TestHost::getPrivValue;
    }
    void setNames(const QStringList& names)
    {
        Variant::Array array;
        for (const QString& name : names)
            array.append(Variant(name));
        testHost.privValues[19] = Variant(array);
    }
    void offerList() { testHost.values[57] = Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(&list))); }
    QString column(int row, int col) const { return state().payTypeTable.at(row).at(col).toString(); }

    test::TestEnv env;
    TestHost testHost;
    TestPayTypeList list;
    RecordingSound sound;
    ScopedSound soundScope{sound};
};

TEST_F(PayTypesTest, WithoutUserCallbackTheArraysAreUnassignedAndNothingIsRaised)
{
    state().payTypeCount = 7;
    state().payTypeNames = Variant(Variant::Array{Variant("x")});
    EXPECT_NO_THROW(UpdateVidOpl());
    EXPECT_TRUE(state().payTypeNames.isEmpty());
    EXPECT_TRUE(state().payTypeTable.isEmpty());
    EXPECT_EQ(state().payTypeCount, 0);
}

TEST_F(PayTypesTest, StringAnswerGivesTheThirteenDefaultsWithoutAmpersands)
{
    connectHost();
    testHost.privValues[19] = Variant("none");
    UpdateVidOpl();
    ASSERT_EQ(state().payTypeCount, 13);
    EXPECT_EQ(state().payTypeNames.at(0).toString(), QStringLiteral("Наличные"));
    EXPECT_EQ(state().payTypeNames.at(9).toString(), QStringLiteral("Талоны"));
    EXPECT_EQ(state().payTypeNames.at(12).toString(), QStringLiteral("ЛБР"));
    // Without the host's list the position is the code; "Ведомость +" is code 4.
    EXPECT_EQ(column(4, 1), QStringLiteral("4"));
    EXPECT_EQ(column(4, 2), QStringLiteral("4"));
    EXPECT_TRUE(state().statementsInUse);
    EXPECT_EQ(state().payTypeTable.at(4).at(3).type(), VarType::Int32);
    EXPECT_EQ(state().payTypeTable.at(4).at(3).toInt(), -1);
    EXPECT_TRUE(sound.tones.empty());
}

TEST_F(PayTypesTest, NamesAreCleanedAndStoredBack)
{
    connectHost();
    setNames({QStringLiteral("&Талоны"), QString(), QStringLiteral("&&Двойной"), QStringLiteral("Без & в начале")});
    UpdateVidOpl();
    ASSERT_EQ(state().payTypeCount, 4);
    EXPECT_EQ(state().payTypeNames.at(0).toString(), QStringLiteral("Талоны"));
    EXPECT_EQ(state().payTypeNames.at(1).toString(), QStringLiteral("Вид оплаты без имени"));
    EXPECT_EQ(state().payTypeNames.at(2).toString(), QStringLiteral("&Двойной"));
    EXPECT_EQ(state().payTypeNames.at(3).toString(), QStringLiteral("Без & в начале"));
    EXPECT_EQ(column(1, 0), QStringLiteral("Вид оплаты без имени"));
}

TEST_F(PayTypesTest, HostListGivesCodesAttributesAndStatementState)
{
    connectHost();
    setNames({QStringLiteral("Нал"), QStringLiteral("Вед"), QStringLiteral("Договор")});
    list.entries = {{0, {}, 7, true}, {104, {}, 200, true}, {4, {}, 0, false}};
    offerList();
    UpdateVidOpl();
    EXPECT_EQ(column(1, 1), QStringLiteral("104"));
    EXPECT_EQ(column(1, 2), QStringLiteral("4"));
    EXPECT_EQ(state().payTypeTable.at(1).at(3).type(), VarType::Byte);
    EXPECT_EQ(state().payTypeTable.at(1).at(3).toInt(), 200);
    EXPECT_TRUE(state().statementsInUse);

    // Only a disabled statement type: not in use.
    list.entries[1].enabled = false;
    UpdateVidOpl();
    EXPECT_FALSE(state().statementsInUse);
}

TEST_F(PayTypesTest, PositionsPastTwelveWithoutListBeepAndGetCodeZero)
{
    connectHost();
    QStringList names;
    for (int i = 0; i < 15; ++i)
        names << QStringLiteral("Вид %1").arg(i);
    setNames(names);
    UpdateVidOpl();
    EXPECT_EQ(column(12, 1), QStringLiteral("12"));
    EXPECT_EQ(column(13, 1), QStringLiteral("0"));
    EXPECT_EQ(column(14, 1), QStringLiteral("0"));
    ASSERT_EQ(sound.tones.size(), 2u);
    EXPECT_EQ(sound.tones[0].frequencyHz, 500);
    EXPECT_EQ(sound.tones[0].durationMs, 100);
}

TEST_F(PayTypesTest, FailingListQuestionBeepsAndContinuesWithPositions)
{
    connectHost();
    setNames({QStringLiteral("А"), QStringLiteral("Б")});
    testHost.failingValues.insert(57);
    EXPECT_NO_THROW(UpdateVidOpl());
    EXPECT_EQ(sound.tones.size(), 1u);
    EXPECT_EQ(column(1, 1), QStringLiteral("1"));
}

TEST_F(PayTypesTest, FailingNamesQuestionIsDroppedSilently)
{
    connectHost();
    testHost.failingPrivValues.insert(19);
    EXPECT_NO_THROW(UpdateVidOpl());
    EXPECT_EQ(state().payTypeCount, 0);
    EXPECT_TRUE(state().payTypeTable.isEmpty());
}

class PayTypeFlagsTest : public PayTypesTest {
protected:
    void SetUp() override
    {
        connectHost();
        setNames({QStringLiteral("Нал"), QStringLiteral("Вед"), QStringLiteral("Карты")});
        list.entries = {{10, {}, 0, true}, {104, {}, 0, true}, {2, {}, 0, true}};
        offerList();
        UpdateVidOpl();
    }
};

TEST_F(PayTypeFlagsTest, MissingKeySetsOnlyTheDefaultPosition)
{
    const Variant flags = ReadPayTypeFlags(QStringLiteral("VedomRep"), 1);
    ASSERT_EQ(flags.arrayCount(), 3);
    EXPECT_EQ(flags, Variant(Variant::Array{Variant(0), Variant(1), Variant(0)}));
    EXPECT_EQ(flags.at(0).type(), VarType::Int32);
}

TEST_F(PayTypeFlagsTest, DefaultPositionBeyondThePaymentTypesIsLeftOut)
{
    Variant flags;
    ASSERT_NO_THROW(flags = ReadPayTypeFlags(QStringLiteral("VedomRep"), 3));
    EXPECT_EQ(flags, Variant(Variant::Array{Variant(0), Variant(0), Variant(0)}));
    EXPECT_NO_THROW(ReadPayTypeFlags(QStringLiteral("VedomRep"), -1));
}

TEST_F(PayTypeFlagsTest, ExistingKeyIsReadByPaymentCodeAndIgnoresTheDefault)
{
    TRegistry registry(RootKey::LocalMachine);
    ASSERT_TRUE(registry.openKey(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\VedomRep"), true));
    registry.writeInteger(QStringLiteral("PayType104"), 1);
    registry.writeInteger(QStringLiteral("PayType10"), 0);
    registry.writeInteger(QStringLiteral("PayType1"), 1); // a position, not a code: no effect
    registry.closeKey();

    const Variant flags = ReadPayTypeFlags(QStringLiteral("VedomRep"), 0);
    EXPECT_EQ(flags, Variant(Variant::Array{Variant(0), Variant(1), Variant(0)}));
    const Variant codes = SelectedPayTypeCodes(flags);
    EXPECT_EQ(codes, Variant(Variant::Array{Variant(104)}));
}

TEST_F(PayTypeFlagsTest, SelectedCodesFollowPositionOrderAndCanBeEmpty)
{
    const Variant codes = SelectedPayTypeCodes(Variant(Variant::Array{Variant(1), Variant(0), Variant(1)}));
    ASSERT_EQ(codes.arrayCount(), 2);
    EXPECT_EQ(codes.at(0).type(), VarType::Int32);
    EXPECT_EQ(codes.at(0).toInt(), 10);
    EXPECT_EQ(codes.at(1).toInt(), 2);

    const Variant none = SelectedPayTypeCodes(Variant(Variant::Array{Variant(0), Variant(2), Variant(0)}));
    EXPECT_TRUE(none.isArray());
    EXPECT_EQ(none.arrayCount(), 0);
}

} // namespace
} // namespace velta::core
