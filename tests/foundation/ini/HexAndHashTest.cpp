// The unit's helpers: hex text of cp1251 bytes, the multi-line hash and WrapException.
#include "plugin/foundation/ini/SafeIniFiles.h"

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

TEST(MultiLineHash, AddsEachByteThenSubtractsTheRotation)
{
    EXPECT_EQ(MultiLineHash(QString()), 0);
    // 97, then 97 - rotl(97, 13) = 97 - 794624.
    EXPECT_EQ(MultiLineHash(QStringLiteral("a")), -794527);
    EXPECT_EQ(MultiLineHash(QStringLiteral("ab")), -2082774843);
    // On the cp1251 bytes, not on UTF-16 or UTF-8.
    EXPECT_EQ(MultiLineHash(QStringLiteral("Привет")), 1035079112);
    EXPECT_EQ(MultiLineHashBytes("\xCF\xF0\xE8\xE2\xE5\xF2"), 1035079112);
}

TEST(WrapException, KeepsTheClassAndPrefixesTheContext)
{
    const EConvertError inner(QStringLiteral("'x' is not a valid integer value"));
    const auto wrapped = WrapException(inner, QStringLiteral("TSafeIniFile.ReadString"));
    EXPECT_EQ(wrapped->className(), QStringLiteral("EConvertError"));
    EXPECT_EQ(wrapped->message(), QStringLiteral("TSafeIniFile.ReadString -> 'x' is not a valid integer value"));
    EXPECT_THROW(wrapped->raise(), EConvertError);
    // A context with format characters is taken as text.
    EXPECT_EQ(WrapException(Exception(QStringLiteral("%d")), QStringLiteral("100%s"))->message(),
              QStringLiteral("100%s -> %d"));
}
