// Format: conversions, index, width and precision specifiers, and the strict
// argument checks with their error text.
#include "common/Exception.h"
#include "common/SysUtils.h"
#include "tests/common/TestSettings.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace velta;
using velta::test::ru;

namespace {

// The point settings with the currency written before the number, "$1.00".
const TFormatSettings& dollars()
{
    static const TFormatSettings s = [] {
        TFormatSettings t = velta::test::point();
        t.CurrencyString = QStringLiteral("$");
        t.CurrencyFormat = 0;
        t.NegCurrFormat = 1;
        return t;
    }();
    return s;
}

QString fmt(const char* format, FormatArgs args, const TFormatSettings& s = dollars())
{
    return Format(QString::fromUtf8(format), args, s);
}

// The message of the EConvertError the call raises, or "no error".
QString errorOf(const char* format, FormatArgs args)
{
    try {
        Format(QString::fromUtf8(format), args, dollars());
    } catch (const EConvertError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

QString invalid(const char* format)
{
    return QStringLiteral("Format '%1' invalid or incompatible with argument").arg(QString::fromUtf8(format));
}

} // namespace

TEST(Format, IntegersOfEveryWidth)
{
    EXPECT_EQ(fmt("%d", {42}), "42");
    EXPECT_EQ(fmt("%d", {-42}), "-42");
    EXPECT_EQ(fmt("%d", {std::int8_t(-8)}), "-8");
    EXPECT_EQ(fmt("%d", {std::uint8_t(200)}), "200");
    EXPECT_EQ(fmt("%d", {std::int16_t(-300)}), "-300");
    EXPECT_EQ(fmt("%d", {std::uint16_t(60000)}), "60000");
    EXPECT_EQ(fmt("%d", {4000000000u}), "4000000000");
    EXPECT_EQ(fmt("%d", {-9223372036854775807LL - 1}), "-9223372036854775808");
    EXPECT_EQ(fmt("%u", {-1}), "4294967295");
    EXPECT_EQ(fmt("%u", {-1LL}), "18446744073709551615");
    EXPECT_EQ(fmt("%x", {255}), "FF");
    EXPECT_EQ(fmt("%x", {-1}), "FFFFFFFF");
    EXPECT_EQ(fmt("%X", {-1LL}), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(fmt("%p", {0x1234}), "00001234");
}

TEST(Format, PrecisionPadsIntegersWithZerosAndCutsStrings)
{
    EXPECT_EQ(fmt("%.3d", {5}), "005");
    EXPECT_EQ(fmt("%.3d", {-5}), "-005");
    EXPECT_EQ(fmt("%.1d", {12345}), "12345");
    EXPECT_EQ(fmt("%.4x", {255}), "00FF");
    EXPECT_EQ(fmt("%.3s", {"abcdef"}), "abc");
    EXPECT_EQ(fmt("%.10s", {"abc"}), "abc");
    EXPECT_EQ(fmt("%.0s", {"abc"}), "");
}

TEST(Format, WidthAndLeftJustification)
{
    EXPECT_EQ(fmt("[%5d]", {42}), "[   42]");
    EXPECT_EQ(fmt("[%-5d]", {42}), "[42   ]");
    EXPECT_EQ(fmt("[%3s]", {"abcdef"}), "[abcdef]"); // width never cuts
    EXPECT_EQ(fmt("[%6.3d]", {-5}), "[  -005]");
    EXPECT_EQ(fmt("[%-8.2f]", {1.5}), "[1.50    ]");
    EXPECT_EQ(fmt("%3s - %s", {"7", QStringLiteral("Наличные")}), QStringLiteral("  7 - Наличные"));
}

TEST(Format, StarTakesWidthAndPrecisionFromTheArguments)
{
    EXPECT_EQ(fmt("[%*d]", {5, 42}), "[   42]");
    EXPECT_EQ(fmt("[%-*d]", {5, 42}), "[42   ]");
    EXPECT_EQ(fmt("[%*d]", {-5, 42}), "[42   ]"); // a negative width justifies left
    EXPECT_EQ(fmt("[%.*f]", {3, 2.0}), "[2.000]");
    EXPECT_EQ(fmt("[%*.*s]", {6, 2, "abcdef"}), "[    ab]");
    EXPECT_EQ(errorOf("%*d", {"5", 42}), invalid("%*d"));
}

TEST(Format, IndexSpecifiersAndContinuation)
{
    EXPECT_EQ(fmt("%1:s %0:s", {"a", "b"}), "b a");
    EXPECT_EQ(fmt("%0:s %0:s %s", {"a", "b"}), "a a b"); // continues after the index
    EXPECT_EQ(fmt("%1:s %s %0:s", {"a", "b", "c"}), "b c a");
    EXPECT_EQ(fmt("%0:-4s|", {"a"}), "a   |");
    EXPECT_EQ(fmt("%1:5d|", {0, 7}), "    7|");
    EXPECT_EQ(errorOf("%2:s", {"a", "b"}), invalid("%2:s"));
    EXPECT_EQ(errorOf("%1:s %s", {"a", "b"}), invalid("%1:s %s"));
}

TEST(Format, FloatConversions)
{
    EXPECT_EQ(fmt("%f", {1.5}), "1.50");
    EXPECT_EQ(fmt("%.0f", {2.5}), "3");
    EXPECT_EQ(fmt("%.3f", {-0.0004}), "0.000");
    EXPECT_EQ(fmt("%f", {1.5}, ru()), "1,50");
    EXPECT_EQ(fmt("%n", {1234567.891}), "1,234,567.89");
    EXPECT_EQ(fmt("%.0n", {1234567.891}, ru()), QStringLiteral("1\u00A0234\u00A0568"));
    EXPECT_EQ(fmt("%m", {-1234.5}), "-$1,234.50");
    EXPECT_EQ(fmt("%m", {12.0}, ru()), QStringLiteral("12,00р."));
    EXPECT_EQ(fmt("%e", {1.0}), "1.00000000000000E+000");
    EXPECT_EQ(fmt("%e", {-12345.678}), "-1.23456780000000E+004");
    EXPECT_EQ(fmt("%.3e", {0.00012345}), "1.23E-004");
    EXPECT_EQ(fmt("%g", {0.5}), "0.5");
    EXPECT_EQ(fmt("%g", {1.0 / 3.0}), "0.333333333333333");
    EXPECT_EQ(fmt("%g", {1e20}), "1E020");
    EXPECT_EQ(fmt("%.3g", {1234.5}), "1.23E003");
}

TEST(Format, CurrencyAndDateArgumentsAreFloats)
{
    EXPECT_EQ(fmt("%.4f", {Variant::fromCurrencyText(QStringLiteral("12.3456"))}), "12.3456");
    EXPECT_EQ(fmt("%m", {Currency{125000}}), "$12.50");
    EXPECT_EQ(fmt("%.1f", {Variant::fromDate(45000.25)}), "45000.3");
    EXPECT_EQ(fmt("%f", {1.5f}), "1.50");
}

TEST(Format, ArgumentTypesAreCheckedStrictly)
{
    EXPECT_EQ(errorOf("%d", {1.5}), invalid("%d"));
    EXPECT_EQ(errorOf("%d", {"12"}), invalid("%d"));
    EXPECT_EQ(errorOf("%d", {true}), invalid("%d"));
    EXPECT_EQ(errorOf("%f", {1}), invalid("%f"));          // an integer is not a float
    EXPECT_EQ(errorOf("%e", {1LL}), invalid("%e"));
    EXPECT_EQ(errorOf("%m", {"1"}), invalid("%m"));
    EXPECT_EQ(errorOf("%s", {1}), invalid("%s"));
    EXPECT_EQ(errorOf("%s", {Variant()}), invalid("%s"));
    EXPECT_EQ(errorOf("%s", {Variant::null()}), invalid("%s"));
    EXPECT_EQ(errorOf("%x", {2.0}), invalid("%x"));
    EXPECT_EQ(errorOf("%p", {"x"}), invalid("%p"));
}

TEST(Format, MissingArgumentsAndBadSpecifiers)
{
    EXPECT_EQ(errorOf("%d %d", {1}), invalid("%d %d"));
    EXPECT_EQ(errorOf("%s", {}), invalid("%s"));
    EXPECT_EQ(errorOf("100%", {}), invalid("100%"));
    EXPECT_EQ(errorOf("%z", {1}), invalid("%z"));
    EXPECT_EQ(errorOf("%5", {1}), invalid("%5"));
    EXPECT_EQ(errorOf("%-", {1}), invalid("%-"));
    // The message quotes the whole format, even one with placeholders of its own.
    EXPECT_EQ(errorOf("%1 %d", {}), invalid("%1 %d"));
}

TEST(Format, PercentSignsAndExtraArguments)
{
    EXPECT_EQ(fmt("100%%", {}), "100%");
    EXPECT_EQ(fmt("%%d", {}), "%d");
    EXPECT_EQ(fmt("%d%%", {5}), "5%");
    EXPECT_EQ(fmt("no conversions", {1, 2}), "no conversions"); // unused arguments are fine
    EXPECT_EQ(fmt("", {}), "");
}

TEST(Format, MessagesOfTheSystem)
{
    EXPECT_EQ(fmt("Отчет №%d сформирован (%d мс; %d байт)", {45, 120, 2048}),
              QStringLiteral("Отчет №45 сформирован (120 мс; 2048 байт)"));
    EXPECT_EQ(fmt("%s -> %s", {"TSafeIniFile.ReadString", "нет доступа"}),
              QStringLiteral("TSafeIniFile.ReadString -> нет доступа"));
    EXPECT_EQ(fmt("Ошибка при попытке записи (%0:s) в лог \"%1:s\" строки [%2:s]: %3:s <%4:s>",
                  {"fmCreate", "r.log", "x", "msg", "EInOutError"}),
              QStringLiteral("Ошибка при попытке записи (fmCreate) в лог \"r.log\" строки [x]: msg <EInOutError>"));
    EXPECT_EQ(fmt("%s_%d_%d", {"/tmp/r.log", 1234, 5678}), "/tmp/r.log_1234_5678");
}

TEST(Format, VectorArgumentsAndGlobalSettings)
{
    const QVector<Variant> args{Variant(1.25), Variant("x")};
    EXPECT_EQ(Format(QStringLiteral("%.1f%s"), args, ru()), "1,3x");

    TFormatSettings& global = globalFormatSettings();
    const TFormatSettings saved = global;
    EXPECT_EQ(Format(QStringLiteral("%.2f"), {0.5}), "0,50");
    global.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(Format(QStringLiteral("%.2f"), {0.5}), "0.50");
    global = saved;
}
