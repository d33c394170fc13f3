// The typed variant text: the engine's answers, read back by the plug-in's decoder.
#include "common/VariantText.h"

#include "common/DateTime.h"
#include "common/Exception.h"
#include "common/Hex.h"

#include <gtest/gtest.h>
#include <limits>

namespace velta::test {
namespace {

Variant decoded(const QString& text)
{
    Variant value(QStringLiteral("untouched"));
    TextToVariant(text, value);
    return value;
}

TEST(VariantText, IntegerIsItsFourHexWords)
{
    EXPECT_EQ(VariantToText(Variant(123)), QStringLiteral("raw:3#0#7B#0"));
    // A negative 32-bit value fills its word; the high word stays zero.
    EXPECT_EQ(VariantToText(Variant(-1)), QStringLiteral("raw:3#0#FFFFFFFF#0"));
}

TEST(VariantText, SimpleValuesKeepTypeAndValue)
{
    const Variant values[] = {
        Variant(0),
        Variant(std::numeric_limits<int>::min()),
        Variant(static_cast<long long>(-5'000'000'000LL)),
        Variant(static_cast<std::uint8_t>(200)),
        Variant(static_cast<std::uint16_t>(1000)),
        Variant(static_cast<std::int16_t>(-2)),
        Variant(true),
        Variant(false),
        Variant(0.1),
        Variant(-1e300),
        Variant(Currency{-123456789}),
        Variant::fromDate(EncodeDateTime(2024, 2, 29, 23, 59, 58, 0)),
        Variant::null(),
        Variant(),
    };
    for (const Variant& v : values) {
        const QString text = VariantToText(v);
        EXPECT_TRUE(text.startsWith(QStringLiteral("raw:"))) << text.toStdString();
        EXPECT_EQ(decoded(text), v) << text.toStdString();
    }
}

TEST(VariantText, TextsSurviveSeparatorsCyrillicAndEmptiness)
{
    EXPECT_EQ(VariantToText(Variant(QStringLiteral("ABC"))), QStringLiteral("str:414243"));
    const QString texts[] = {QString(), QStringLiteral("Привет, мир"), QStringLiteral("a:b#c"), QStringLiteral("raw:1#2"),
                             QStringLiteral("line\r\nnext")};
    for (const QString& t : texts)
        EXPECT_EQ(decoded(VariantToText(Variant(t))), Variant(t)) << t.toStdString();
}

TEST(VariantText, CharactersOutsideCp1251BecomeQuestionMarks)
{
    EXPECT_EQ(decoded(VariantToText(Variant(QStringLiteral("a\u4E2Db")))), Variant(QStringLiteral("a?b")));
}

TEST(VariantText, ArraysNestWithMixedElements)
{
    const Variant inner(Variant::Array{Variant(QStringLiteral("x#y")), Variant(Variant::Array{}), Variant(7)});
    const Variant outer(Variant::Array{Variant(1), inner, Variant(QString()), Variant::null(), Variant(2.5)});
    const QString text = VariantToText(outer);
    EXPECT_TRUE(text.startsWith(QStringLiteral("varar:")));
    EXPECT_EQ(decoded(text), outer);
}

TEST(VariantText, EmptyArrayAndArrayOfOneEmptyArrayDiffer)
{
    EXPECT_EQ(VariantToText(Variant(Variant::Array{})), QStringLiteral("varar:"));
    EXPECT_EQ(decoded(QStringLiteral("varar:")), Variant(Variant::Array{}));
    const Variant nested(Variant::Array{Variant(Variant::Array{})});
    EXPECT_EQ(decoded(VariantToText(nested)), nested);
}

TEST(VariantText, ByteArrayBecomesArrayOfBytes)
{
    const Variant result = decoded(VariantToText(Variant(QByteArray("\x00\xFF#", 3))));
    EXPECT_EQ(result, Variant(Variant::Array{Variant(std::uint8_t{0}), Variant(std::uint8_t{255}),
                                             Variant(std::uint8_t{'#'})}));
}

TEST(VariantText, DeepNestingRoundTripsUntilItsTextGrowsTooLong)
{
    // Every level doubles the text of what it holds.
    Variant nested(Variant::Array{Variant(QStringLiteral("end"))});
    for (int i = 1; i < 12; ++i)
        nested = Variant(Variant::Array{nested, Variant(i)});
    EXPECT_EQ(decoded(VariantToText(nested)), nested);

    Variant deep(Variant::Array{});
    for (int i = 0; i < kMaxVariantNesting; ++i)
        deep = Variant(Variant::Array{deep});
    EXPECT_THROW(VariantToText(deep), EVariantError);
}

TEST(VariantText, WideAnswerOverTheLengthLimitIsRefused)
{
    const Variant big(QString(kMaxVariantTextLength / 8, QLatin1Char('z')));
    EXPECT_NO_THROW(VariantToText(Variant(Variant::Array{big})));
    EXPECT_THROW(VariantToText(Variant(Variant::Array{big, big})), EVariantError);
}

TEST(TextToVariant, RawStrAndNestedArrays)
{
    Variant value;
    TextToVariant(QStringLiteral("raw:3#0#7B#0"), value);
    EXPECT_EQ(value.type(), VarType::Int32);
    EXPECT_EQ(value.toInt(), 123);

    TextToVariant(QStringLiteral("str:") + HexEncode(QStringLiteral("Привет")), value);
    EXPECT_EQ(value, Variant(QStringLiteral("Привет")));

    const QString item1 = HexEncode(QStringLiteral("str:") + HexEncode(QStringLiteral("АИ-95")));
    const QString item2 = HexEncode(QStringLiteral("raw:3#0#7B#0"));
    const QString inner = HexEncode(QStringLiteral("varar:") + item1);
    TextToVariant(QStringLiteral("varar:") + item1 + QLatin1Char('#') + item2 + QLatin1Char('#') + inner, value);
    ASSERT_TRUE(value.isArray());
    ASSERT_EQ(value.arrayCount(), 3);
    EXPECT_EQ(value.at(0), Variant(QStringLiteral("АИ-95")));
    EXPECT_EQ(value.at(1), Variant(123));
    ASSERT_TRUE(value.at(2).isArray());
    EXPECT_EQ(value.at(2).at(0), Variant(QStringLiteral("АИ-95")));
}

TEST(TextToVariant, NoColonUnknownKindAndBadRaw)
{
    Variant value(42);
    TextToVariant(QStringLiteral("no colon here"), value);
    EXPECT_EQ(value, Variant(42));
    TextToVariant(QStringLiteral("blob:00"), value);
    EXPECT_TRUE(value.isEmpty());
    EXPECT_THROW(TextToVariant(QStringLiteral("raw:3#0"), value), EConvertError);
    EXPECT_THROW(TextToVariant(QStringLiteral("raw:3#0#zz#0"), value), EConvertError);
}

} // namespace
} // namespace velta::test
