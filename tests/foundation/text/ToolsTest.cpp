#include "plugin/foundation/text/Tools.h"

#include "common/DateTime.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/Sound.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using namespace velta;

TEST(WrapExceptionTagged, AddsContextPerLevelAndTheClassOnce)
{
    const EDatabaseError inner(QStringLiteral("нет связи"));
    const auto once = WrapExceptionTagged(inner, QStringLiteral("RptCallFunction"), true);
    EXPECT_EQ(once->className(), QStringLiteral("EDatabaseError"));
    EXPECT_EQ(once->message(), QStringLiteral("RptCallFunction -> нет связи <# EDatabaseError #>"));
    const auto twice = WrapExceptionTagged(*once, QStringLiteral("Outer"), true);
    EXPECT_EQ(twice->message(), QStringLiteral("Outer -> RptCallFunction -> нет связи <# EDatabaseError #>"));
    EXPECT_THROW(twice->raise(), EDatabaseError);
    EXPECT_EQ(WrapExceptionTagged(inner, QStringLiteral("X"), false)->message(), QStringLiteral("X -> нет связи"));
}

TEST(RoundTo, HalfAwayFromZeroImmuneToRepresentation)
{
    EXPECT_DOUBLE_EQ(RoundMoney(2.675), 2.68);
    EXPECT_DOUBLE_EQ(RoundMoney(-2.675), -2.68);
    EXPECT_DOUBLE_EQ(RoundTo3(1.0005), 1.001);
    EXPECT_DOUBLE_EQ(RoundTo3(-1.0005), -1.001);
    EXPECT_DOUBLE_EQ(RoundTo(0, 2.5), 3.0);
    EXPECT_DOUBLE_EQ(RoundTo(-1, 15.0), 20.0);
}

TEST(RoundTo, LargeSumsKeepTheirLastPlace)
{
    // The relative allowance would reach past half a kopeck here.
    EXPECT_EQ(RoundMoney(1e13), 1e13);
    EXPECT_EQ(RoundMoney(-1e13), -1e13);
    EXPECT_EQ(RoundMoney(123456789012345.0), 123456789012345.0);
    EXPECT_EQ(RoundTo3(1000000000000.001), 1000000000000.001);
    EXPECT_EQ(RoundTo(0, 1e15 + 1), 1e15 + 1);
}

TEST(IsValidFileNameText, ForbiddenCharacters)
{
    EXPECT_TRUE(IsValidFileNameText(QStringLiteral("Счет-фактура 12")));
    EXPECT_TRUE(IsValidFileNameText(QString()));
    for (const char* bad : {"a\"b", "a*b", "a/b", "a:b", "a<b", "a>b", "a?b", "a\\b"})
        EXPECT_FALSE(IsValidFileNameText(QString::fromLatin1(bad))) << bad;
}

TEST(IndexOfIntInArray, FindsFirstOrBeepsForANonNegativeDefault)
{
    RecordingSound sound;
    ScopedSound scoped(sound);
    const Variant array(Variant::Array{Variant(5), Variant(7), Variant(std::int16_t(7)), Variant(QStringLiteral("9"))});
    EXPECT_EQ(IndexOfIntInArray(7, array, -1), 1);
    EXPECT_EQ(IndexOfIntInArray(9, array, -1), 3);
    EXPECT_EQ(IndexOfIntInArray(8, array, -1), -1);
    EXPECT_TRUE(sound.tones.empty());
    EXPECT_EQ(IndexOfIntInArray(8, array, 0), 0);
    ASSERT_EQ(sound.tones.size(), 1u);
    EXPECT_EQ(sound.tones[0].frequencyHz, 300);
    EXPECT_EQ(sound.tones[0].durationMs, 50);
    // Not an array: nothing is found.
    EXPECT_EQ(IndexOfIntInArray(5, Variant(5), 2), 2);
}

TEST(QueryDates, FixedFormatsWhateverTheProcessSettings)
{
    const TDateTime moment = EncodeDateTime(2026, 12, 6, 14, 30, 15, 123);
    EXPECT_EQ(FormatQueryDateTime(true, moment), QStringLiteral("2026-12-06 14:30:15.123"));
    EXPECT_EQ(FormatQueryDateTime(false, moment), QStringLiteral("2026-12-06 14:30:15"));
    EXPECT_EQ(FormatQueryDate(moment), QStringLiteral("2026-12-06"));
}

TEST(ReplaceText, FirstAllAndIgnoringCase)
{
    const QString source = QStringLiteral("Ведомость ВЕДОМОСТЬ ведомость");
    EXPECT_EQ(ReplaceText(source, QStringLiteral("ведомость"), QStringLiteral("X"), 0),
              QStringLiteral("Ведомость ВЕДОМОСТЬ X"));
    EXPECT_EQ(ReplaceText(source, QStringLiteral("ведомость"), QStringLiteral("X"), rfIgnoreCase),
              QStringLiteral("X ВЕДОМОСТЬ ведомость"));
    EXPECT_EQ(ReplaceText(source, QStringLiteral("ведомость"), QStringLiteral("X"), rfIgnoreCase | rfReplaceAll),
              QStringLiteral("X X X"));
    EXPECT_EQ(ReplaceText(QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("aa"), rfReplaceAll),
              QStringLiteral("aaaaaa"));
    EXPECT_EQ(ReplaceText(source, QString(), QStringLiteral("X"), rfReplaceAll), source);
    EXPECT_EQ(ReplaceText(QString(), QStringLiteral("a"), QStringLiteral("X"), rfReplaceAll), QString());
}

TEST(CnfIni, LivesInTheWindowsFolderAndStripsBackQuotes)
{
    test::TestEnv env;
    EXPECT_EQ(CnfIniFileName(), QStringLiteral("C:\\WINDOWS\\cnf.ini"));
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(QStringLiteral("Misc"), QStringLiteral("Title"), QStringLiteral("` АЗС №1 `"));
    }
    EXPECT_EQ(ReadCnfValue(QStringLiteral("Misc"), QStringLiteral("Title"), QString()), QStringLiteral(" АЗС №1 "));
    EXPECT_EQ(ReadCnfValue(QStringLiteral("Misc"), QStringLiteral("None"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_TRUE(Paths::fileExists(Paths::root() + QStringLiteral("/C/WINDOWS/cnf.ini")));
}
