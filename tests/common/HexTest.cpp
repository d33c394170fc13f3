// Hex text of bytes and cp1251 texts, and the digit helpers under every hex form.
#include "common/Hex.h"

#include <gtest/gtest.h>

using namespace velta;

TEST(HexText, EncodesTheCp1251BytesInUpperCase)
{
    EXPECT_EQ(HexEncode(QStringLiteral("Привет")), QStringLiteral("CFF0E8E2E5F2"));
    EXPECT_EQ(HexEncode(QStringLiteral("ёЁ№\x01")), QStringLiteral("B8A8B901"));
    EXPECT_EQ(HexEncode(QString()), QString());
    EXPECT_EQ(HexEncodeBytes(QByteArray("\x00\xff", 2)), QByteArray("00FF"));
}

TEST(HexText, DecodesPairsWithQuestionMarksForBadPairsAndDropsAnOddTail)
{
    EXPECT_EQ(HexDecode(QStringLiteral("cff0E8e2e5F2")), QStringLiteral("Привет"));
    EXPECT_EQ(HexDecode(QStringLiteral("41ZZ42")), QStringLiteral("A?B"));
    EXPECT_EQ(HexDecode(QStringLiteral("4 41")), QStringLiteral("?A"));
    EXPECT_EQ(HexDecode(QStringLiteral("414")), QStringLiteral("A"));
    EXPECT_EQ(HexDecode(QStringLiteral("4")), QString());
    EXPECT_EQ(HexDecode(QStringLiteral("+1-1")), QStringLiteral("??"));
    EXPECT_EQ(HexDecodeBytes("00ff7F"), QByteArray("\x00\xff\x7f", 3));
}

TEST(HexText, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    EXPECT_EQ(HexDecodeBytes(HexEncodeBytes(all)), all);
}

TEST(HexDigits, ValueOfEitherCaseAndNothingElse)
{
    const QString digits = QStringLiteral("0123456789abcdefABCDEF");
    for (qsizetype i = 0; i < digits.size(); ++i)
        EXPECT_EQ(HexDigitValue(digits[i].unicode()), i < 16 ? i : i - 6) << digits[i].toLatin1();
    // Neighbours of the digit ranges, and letters that look like digits elsewhere.
    for (const char16_t c : {u'/', u':', u'@', u'G', u'`', u'g', u' ', u'\0', u'\uFF10', u'\u0410', u'\uFF21'})
        EXPECT_EQ(HexDigitValue(c), -1) << int(c);
}

TEST(HexDigits, CharTakesTheLowFourBitsInUpperCase)
{
    EXPECT_EQ(HexDigitChar(0), '0');
    EXPECT_EQ(HexDigitChar(9), '9');
    EXPECT_EQ(HexDigitChar(10), 'A');
    EXPECT_EQ(HexDigitChar(15), 'F');
    EXPECT_EQ(HexDigitChar(0x1F), 'F');
    EXPECT_EQ(HexDigitChar(0xA0), '0');
    for (unsigned v = 0; v < 16; ++v)
        EXPECT_EQ(HexDigitValue(static_cast<char16_t>(HexDigitChar(v))), static_cast<int>(v));
}

TEST(HexText, BytesOutsideAsciiAreNotDigits)
{
    // Bytes above 0x7F are no digits, whatever the sign of char.
    EXPECT_EQ(HexDecodeBytes(QByteArray("\xB0\xC1" "41", 4)), QByteArray("?A"));
}
