#include "common/Exception.h"
#include "common/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace velta;

namespace {

using Words = std::array<std::uint32_t, 4>;

QString variantErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EVariantError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(VariantRaw, IntegerFromTheReportEngineExample)
{
    const Variant v = Variant::fromRawWords({3, 0, 0x7B, 0});
    EXPECT_EQ(v.type(), VarType::Int32);
    EXPECT_EQ(v.toInt(), 123);
}

TEST(VariantRaw, ImagesOfSimpleValues)
{
    EXPECT_EQ(Variant(123).rawWords(), (Words{3, 0, 0x7B, 0}));
    EXPECT_EQ(Variant(-1).rawWords(), (Words{3, 0, 0xFFFFFFFF, 0}));
    EXPECT_EQ(Variant(std::int16_t{-2}).rawWords(), (Words{2, 0, 0xFFFE, 0}));
    EXPECT_EQ(Variant(std::int8_t{-1}).rawWords(), (Words{16, 0, 0xFF, 0}));
    EXPECT_EQ(Variant(1.5).rawWords(), (Words{5, 0, 0, 0x3FF80000}));
    EXPECT_EQ(Variant(1.5f).rawWords(), (Words{4, 0, 0x3FC00000, 0}));
    EXPECT_EQ(Variant::fromDate(45000.75).rawWords(), (Words{7, 0, 0, 0x40E5F918}));
    EXPECT_EQ(Variant(true).rawWords(), (Words{11, 0, 0xFFFF, 0}));
    EXPECT_EQ(Variant(false).rawWords(), (Words{11, 0, 0, 0}));
    EXPECT_EQ(Variant(Currency{-1}).rawWords(), (Words{6, 0, 0xFFFFFFFF, 0xFFFFFFFF}));
    EXPECT_EQ(Variant(-2LL).rawWords(), (Words{20, 0, 0xFFFFFFFE, 0xFFFFFFFF}));
    EXPECT_EQ(Variant().rawWords(), (Words{0, 0, 0, 0}));
    EXPECT_EQ(Variant::null().rawWords(), (Words{1, 0, 0, 0}));
}

TEST(VariantRaw, EverySimpleTypeRoundTrips)
{
    const Variant values[] = {
        Variant(),
        Variant::null(),
        Variant(std::int8_t{-128}),
        Variant(std::uint8_t{255}),
        Variant(std::int16_t{-32768}),
        Variant(std::uint16_t{65535}),
        Variant(std::numeric_limits<int>::min()),
        Variant(4294967295u),
        Variant(std::numeric_limits<long long>::min()),
        Variant(-0.1f),
        Variant(-1e-300),
        Variant(std::numeric_limits<double>::infinity()),
        Variant::fromDate(-693593.5),
        Variant(Currency{std::numeric_limits<std::int64_t>::max()}),
        Variant(true),
        Variant(false),
    };
    for (const Variant& v : values) {
        const Variant back = Variant::fromRawWords(v.rawWords());
        EXPECT_EQ(back, v) << Variant::typeName(v.type()).toStdString();
        EXPECT_EQ(back.type(), v.type());
    }
}

TEST(VariantRaw, DoubleTravelsBitForBit)
{
    const double negativeZero = -0.0;
    const Variant back = Variant::fromRawWords(Variant(negativeZero).rawWords());
    EXPECT_TRUE(std::signbit(back.toDouble()));
    const Variant tiny = Variant::fromRawWords({5, 0, 1, 0}); // the smallest subnormal
    EXPECT_EQ(tiny.toDouble(), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(tiny.rawWords(), (Words{5, 0, 1, 0}));
}

TEST(VariantRaw, DecodeReadsOnlyTheBytesOfTheType)
{
    EXPECT_EQ(Variant::fromRawWords({2, 0xDEADBEEF, 0xABCDFFFE, 0x12345678}), Variant(std::int16_t{-2}));
    EXPECT_EQ(Variant::fromRawWords({16, 0, 0xFFFFFF80, 0xFFFFFFFF}), Variant(std::int8_t{-128}));
    EXPECT_EQ(Variant::fromRawWords({17, 0, 0x1234, 0}), Variant(std::uint8_t{0x34}));
    EXPECT_EQ(Variant::fromRawWords({18, 0, 0xFFFF0001, 0}), Variant(std::uint16_t{1}));
    EXPECT_EQ(Variant::fromRawWords({3, 0, 7, 0x55555555}), Variant(7));
    EXPECT_EQ(Variant::fromRawWords({4, 0, 0x3FC00000, 0xFFFFFFFF}), Variant(1.5f));
    // Only the 16 bits of VARIANT_BOOL count; any of them set is true.
    EXPECT_EQ(Variant::fromRawWords({11, 0, 0xFFFF0000, 0}), Variant(false));
    EXPECT_EQ(Variant::fromRawWords({11, 0, 1, 0}), Variant(true));
    // The reserved words beside the type code are ignored.
    EXPECT_EQ(Variant::fromRawWords({0xBEEF0003, 0x12345678, 5, 0}), Variant(5));
    EXPECT_TRUE(Variant::fromRawWords({0, 0, 0x11, 0x22}).isEmpty());
}

TEST(VariantRaw, StringsAndArraysHaveNoImage)
{
    EXPECT_EQ(variantErrorOf([] { Variant("abc").rawWords(); }),
              QStringLiteral("Variant of type (OleStr) has no raw image"));
    EXPECT_THROW(Variant::makeArray(2).rawWords(), EVariantError);
    EXPECT_THROW(Variant::fromRawWords({8, 0, 0x1000, 0}), EVariantError);
    EXPECT_THROW(Variant::fromRawWords({0x200C, 0, 0x1000, 0}), EVariantError);
}

TEST(VariantRaw, UnknownTypeCodes)
{
    for (std::uint32_t code : {9u, 10u, 12u, 13u, 14u, 15u, 21u, 0x100u, 0x4003u, 0x2003u, 0xFFFFu}) {
        EXPECT_EQ(variantErrorOf([code] { Variant::fromRawWords({code, 0, 0, 0}); }),
                  QStringLiteral("Invalid variant type"))
            << code;
    }
}

TEST(VariantArray, BoundsAndAccess)
{
    Variant array = Variant::makeArray(3);
    EXPECT_EQ(array.arrayCount(), 3);
    EXPECT_EQ(array.arrayHighBound(), 2);
    EXPECT_TRUE(array.at(2).isEmpty());
    array[0] = Variant(std::uint8_t{2});
    array[1] = Variant("SELECT 1");
    array[2] = Variant(0);
    EXPECT_EQ(array.at(0).type(), VarType::Byte);
    EXPECT_EQ(array.at(1).toString(), QStringLiteral("SELECT 1"));

    const QString outOfBounds = QStringLiteral("Variant or safe array index out of bounds");
    EXPECT_EQ(variantErrorOf([&] { array.at(3); }), outOfBounds);
    EXPECT_EQ(variantErrorOf([&] { array.at(-1); }), outOfBounds);
    EXPECT_EQ(variantErrorOf([&] { array[3] = Variant(1); }), outOfBounds);

    const Variant none = Variant::makeArray(0);
    EXPECT_EQ(none.arrayCount(), 0);
    EXPECT_EQ(none.arrayHighBound(), -1);
    EXPECT_EQ(variantErrorOf([&] { none.at(0); }), outOfBounds);
    EXPECT_THROW(Variant::makeArray(-1), EVariantError);
}

TEST(VariantArray, NonArraysRefuseArrayAccess)
{
    Variant number(5);
    EXPECT_EQ(variantErrorOf([&] { number.arrayCount(); }), QStringLiteral("Variant is not an array"));
    EXPECT_THROW(number.at(0), EVariantError);
    EXPECT_THROW(number[0], EVariantError);
    EXPECT_THROW(Variant().elements(), EVariantError);
}

TEST(VariantArray, CopiesAreIndependent)
{
    Variant original = Variant::makeArray(2);
    original[0] = Variant(1);
    Variant copy = original;
    copy[0] = Variant(2);
    EXPECT_EQ(original.at(0), Variant(1));
    EXPECT_EQ(copy.at(0), Variant(2));

    // A nested array is copied with its parent, not shared with it.
    Variant outer = Variant::makeArray(1);
    outer[0] = original;
    Variant outerCopy = outer;
    outerCopy[0][1] = Variant("changed");
    EXPECT_TRUE(outer.at(0).at(1).isEmpty());
    EXPECT_TRUE(original.at(1).isEmpty());
}

TEST(VariantArray, EqualityIsDeep)
{
    Variant a(Variant::Array{Variant(1), Variant(Variant::Array{Variant("x")})});
    Variant b(Variant::Array{Variant(1), Variant(Variant::Array{Variant("x")})});
    EXPECT_EQ(a, b);
    b[1][0] = Variant("y");
    EXPECT_NE(a, b);
    EXPECT_NE(Variant(Variant::Array{Variant(1)}), Variant(Variant::Array{Variant(1), Variant()}));
}
