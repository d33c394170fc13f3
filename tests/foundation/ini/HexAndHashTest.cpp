// The unit's helpers: the multi-line hash and WrapException.
#include "plugin/foundation/ini/SafeIniFiles.h"

#include <gtest/gtest.h>

using namespace velta;

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
